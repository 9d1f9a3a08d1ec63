#pragma once
// The one road from the document engine to the user interface. The application's view
// implements it; tests pass a recording fake. A document without a view talks to its own
// stand-in (CViewlessDocUi): window calls are skipped and the document's own setters run
// alone, so no caller ever tests for a missing view.
#include <cstdint>
#include <vector>

class CLanguageTable;
class CScreenImage;

// Lists of the side control panel that the engine moves (selection set directly, no
// change notification).
enum class SidePanelCombo : int {
    TimeDiv,       // time/div; entry = time-base index
    Format,        // 0 Y-T, 1 Roll, 2 X-Y
    Sweep,         // 0 Auto, 1 Normal, 2 Single
    TriggerSource, // 0 CH1, 1 CH2, 2 ALT, 3 EXT, 4 EXT/10
    Ch1Coupling,   // 0 DC, 1 AC, 2 GND
    Ch2Coupling,
    Ch1VoltDiv, // volts/div index 0..9
    Ch2VoltDiv,
    Ch1Probe, // probe 0..3 (x1 .. x1000); the channel's volts/div labels follow it
    Ch2Probe,
};

// Display options of the screen panel that the setup file stores.
struct ScreenOptions {
    std::uint16_t cursorSource = 0;
    std::uint16_t cursorMode = 0;
    std::uint16_t dotMode = 0;
    std::int32_t gridOn = 1;
    std::uint16_t gridIntensity = 0;
    std::uint16_t waveformIntensity = 0;
};

class IDocUi {
public:
    virtual ~IDocUi() = default;

    // False only for the stand-in of a document without a view.
    virtual bool HasView() const { return true; }

    // --- View commands and setters that the engine goes through ----------------------
    // The view's run/stop command (a Single capture ends acquisition through it).
    virtual void RunStopCommand() = 0;
    // The view's Factory Setup command (defaults, sent to the instrument).
    virtual void FactorySetup() = 0;
    // The view's time-base and volts/div setters: they call the document setter and update
    // the side panel.
    virtual void SetTimeBaseIndex(std::int16_t index) = 0;
    virtual void SetChannelVoltsPerDiv(int channel, std::int16_t index) = 0;

    // --- Side control panel ------------------------------------------------------------
    virtual void SelectSidePanelCombo(SidePanelCombo combo, int entry) = 0;
    // Channel controls enabled or disabled to match the channels' on states.
    virtual void UpdateChannelControls(bool ch1On, bool ch2On) = 0;
    // Repaints the side panel's time-base knob after the time base changed elsewhere.
    virtual void RepaintTimeBaseKnob() {}

    // --- Screen panel -------------------------------------------------------------------
    virtual void RecomputeMarkers() = 0;
    virtual void RecomputeTriggerLevelReadout() = 0;
    virtual void RepaintView() = 0;
    // Reads / applies the screen panel's display options (setup file).
    virtual bool GetScreenOptions(ScreenOptions& options) = 0;
    virtual void SetScreenOptions(const ScreenOptions& options) = 0;

    // --- Auto-setup progress window ------------------------------------------------------
    // Created, set to step 0, shown and centred over the screen panel.
    virtual void ShowAutoSetupProgress() = 0;
    virtual void SetAutoSetupProgressStep(int step) = 0;
    // Hidden and destroyed.
    virtual void CloseAutoSetupProgress() = 0;

    // --- Main frame ------------------------------------------------------------------------
    // Maximises (true) or restores (false) the main window.
    virtual void MaximizeMainWindow(bool maximize) = 0;
    // Re-applies the language to the main menu bar.
    virtual void TranslateMenu(const CLanguageTable& language) = 0;
    // Re-applies texts to the modeless panels, refills them and invalidates the view and panel.
    virtual void ApplyTexts() = 0;
    virtual void SetMenuImages() = 0;
    virtual void RedrawFrame() = 0;

    // --- Image codecs --------------------------------------------------------------------------
    // The bytes of a screen image as a file of `format` ("png" or "jpeg"); false when this user
    // interface has no such encoder. Bitmap files are written by the engine itself.
    virtual bool EncodeImage(const CScreenImage& /*image*/, const char* /*format*/,
                             std::vector<std::uint8_t>& /*bytes*/) {
        return false;
    }

    // --- Messages ----------------------------------------------------------------------------
    // A message box with an OK button; an empty caption means the default one.
    virtual void MessageBox(const char* text, const char* caption) = 0;
};
