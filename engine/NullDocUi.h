#pragma once
// A user interface that accepts every call the engine makes and shows nothing: the base of
// head-less callers and of the document's stand-in while no view is attached.
#include "engine/DocUi.h"

class CNullDocUi : public IDocUi {
public:
    void RunStopCommand() override {}
    void FactorySetup() override {}
    void SetTimeBaseIndex(std::int16_t) override {}
    void SetChannelVoltsPerDiv(int, std::int16_t) override {}
    void SelectSidePanelCombo(SidePanelCombo, int) override {}
    void UpdateChannelControls(bool, bool) override {}
    void RecomputeMarkers() override {}
    void RecomputeTriggerLevelReadout() override {}
    void RepaintView() override {}
    // There is no screen panel, so there are no options to read.
    bool GetScreenOptions(ScreenOptions&) override { return false; }
    void SetScreenOptions(const ScreenOptions&) override {}
    void ShowAutoSetupProgress() override {}
    void SetAutoSetupProgressStep(int) override {}
    void CloseAutoSetupProgress() override {}
    void MaximizeMainWindow(bool) override {}
    void TranslateMenu(const CLanguageTable&) override {}
    void ApplyTexts() override {}
    void SetMenuImages() override {}
    void RedrawFrame() override {}
    void MessageBox(const char*, const char*) override {}
};
