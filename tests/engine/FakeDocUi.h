#pragma once
// Records every call the engine makes on the user interface, as readable strings.
#include "engine/DocUi.h"

#include <string>
#include <vector>

class FakeDocUi : public IDocUi {
public:
    std::vector<std::string> calls;
    ScreenOptions screen;
    bool hasScreen = true;

    void RunStopCommand() override { calls.push_back("RunStop"); }
    void FactorySetup() override { calls.push_back("FactorySetup"); }
    void SetTimeBaseIndex(std::int16_t index) override {
        calls.push_back("SetTimeBase " + std::to_string(index));
    }
    void SetChannelVoltsPerDiv(int channel, std::int16_t index) override {
        calls.push_back("SetVoltsPerDiv " + std::to_string(channel) + " " + std::to_string(index));
    }
    void SelectSidePanelCombo(SidePanelCombo combo, int entry) override {
        calls.push_back("Combo " + std::to_string(static_cast<int>(combo)) + " " + std::to_string(entry));
    }
    void UpdateChannelControls(bool ch1On, bool ch2On) override {
        calls.push_back("ChannelControls " + std::to_string(ch1On) + " " + std::to_string(ch2On));
    }
    void RepaintTimeBaseKnob() override { calls.push_back("RepaintTimeBaseKnob"); }
    void RecomputeMarkers() override { calls.push_back("Markers"); }
    void RecomputeTriggerLevelReadout() override { calls.push_back("LevelReadout"); }
    void RepaintView() override { calls.push_back("Repaint"); }
    bool GetScreenOptions(ScreenOptions& options) override {
        calls.push_back("GetScreenOptions");
        if (hasScreen)
            options = screen;
        return hasScreen;
    }
    void SetScreenOptions(const ScreenOptions& options) override {
        calls.push_back("SetScreenOptions");
        screen = options;
    }
    void ShowAutoSetupProgress() override { calls.push_back("ShowProgress"); }
    void SetAutoSetupProgressStep(int step) override {
        calls.push_back("ProgressStep " + std::to_string(step));
    }
    void CloseAutoSetupProgress() override { calls.push_back("CloseProgress"); }
    void MaximizeMainWindow(bool maximize) override { calls.push_back(maximize ? "Maximize" : "Restore"); }
    void TranslateMenu(const CLanguageTable&) override { calls.push_back("TranslateMenu"); }
    void ApplyTexts() override { calls.push_back("ApplyTexts"); }
    void SetMenuImages() override { calls.push_back("SetMenuImages"); }
    void RedrawFrame() override { calls.push_back("RedrawFrame"); }
    void MessageBox(const char* text, const char* caption) override {
        calls.push_back(std::string("MessageBox ") + (caption ? caption : "") + ": " + (text ? text : ""));
    }
};
