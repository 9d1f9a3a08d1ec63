#pragma once
// The document's road to the user interface, implemented over the view, its windows and the
// main frame. Calls whose windows do not exist (yet) do nothing.
#include "engine/DocUi.h"

#include <memory>

class CKelvaneView;
class CAutosetProgressDlg;

class CDocUiBridge : public IDocUi {
public:
    explicit CDocUiBridge(CKelvaneView& view);

    void RunStopCommand() override;
    void FactorySetup() override;
    void SetTimeBaseIndex(std::int16_t index) override;
    void SetChannelVoltsPerDiv(int channel, std::int16_t index) override;

    void SelectSidePanelCombo(SidePanelCombo combo, int entry) override;
    void UpdateChannelControls(bool ch1On, bool ch2On) override;
    void RepaintTimeBaseKnob() override;

    void RecomputeMarkers() override;
    void RecomputeTriggerLevelReadout() override;
    void RepaintView() override;
    bool GetScreenOptions(ScreenOptions& options) override;
    void SetScreenOptions(const ScreenOptions& options) override;

    void ShowAutoSetupProgress() override;
    void SetAutoSetupProgressStep(int step) override;
    void CloseAutoSetupProgress() override;
    // The auto-setup progress window while it shows, else null.
    CAutosetProgressDlg* GetAutoSetupProgress() const { return m_pProgress.get(); }

    void MaximizeMainWindow(bool maximize) override;
    void TranslateMenu(const CLanguageTable& language) override;
    void ApplyTexts() override;
    void SetMenuImages() override;
    void RedrawFrame() override;

    // PNG and JPEG through Qt's image writers.
    bool EncodeImage(const CScreenImage& image, const char* format,
                     std::vector<std::uint8_t>& bytes) override;

    void MessageBox(const char* text, const char* caption) override;

    ~CDocUiBridge() override;

private:
    CKelvaneView& m_view;
    std::unique_ptr<CAutosetProgressDlg> m_pProgress;
};
