#include "resources/dialogs/FftDialogTemplate.h"

#include "resources/Resource.h"
#include "resources/dialogs/TemplateBuilder.h"

namespace kv {

namespace {

using namespace dialog_build;

DialogTemplate Fft() {
    DialogTemplate t;
    t.id = IDD_FFT;
    t.caption = "FFT";
    t.size = SIZE{560, 322};
    t.controls = {
        Control(IDC_FFT_SETTING_FRAME, ControlKind::GroupBox, "FFT Setting", 12, 8, 250, 300),
        Control(kUnnamed, ControlKind::Static, "Source", 24, 38, 112, 20),
        Control(IDC_FFT_SOURCE, ControlKind::ComboBox, "", 140, 34, 110, 26, kTab, {"CH1", "CH2"}),
        Control(kUnnamed, ControlKind::Static, "Window", 24, 72, 112, 20),
        Control(IDC_FFT_WINDOW, ControlKind::ComboBox, "", 140, 68, 110, 26, kTab,
                {"Rectangle", "Hanning", "Hamming", "Blackman"}),
        Control(kUnnamed, ControlKind::Static, "NO.of Freq Bins", 24, 106, 112, 20),
        Control(IDC_FFT_BINS, ControlKind::ComboBox, "", 140, 102, 110, 26, kTab,
                {"256", "512", "1024", "2048", "4096"}),
        Control(kUnnamed, ControlKind::Static, "Scale", 24, 140, 112, 20),
        Control(IDC_FFT_SCALE, ControlKind::ComboBox, "", 140, 136, 110, 26, kTab, {"dB", "Linear"}),
        Control(IDC_FFT_VERTICAL_LABEL, ControlKind::Static, "Vertical", 24, 182, 72, 20),
        Control(IDC_FFT_VERTICAL, ControlKind::ComboBox, "", 100, 178, 100, 26, kTab),
        Control(IDC_FFT_PER_DIV_LABEL, ControlKind::Static, "/div", 206, 182, 44, 20),
        Control(IDC_FFT_HORIZONTAL_LABEL, ControlKind::Static, "Horizontal", 24, 216, 72, 20),
        Control(IDC_FFT_ZOOM, ControlKind::ComboBox, "", 100, 212, 100, 26, kTab,
                {"x1", "x2", "x4", "x8", "x16"}),
        Control(IDC_FFT_START, ControlKind::Button, "Start", 24, 262, 104, 30, kTab),
        Control(IDC_FFT_SAVE, ControlKind::Button, "Save", 144, 262, 104, 30, kTab),

        Control(IDC_FFT_HARMONIC_FRAME, ControlKind::GroupBox, "Harmonics", 274, 8, 274, 144),
        Control(IDC_FFT_HARMONIC1_LABEL, ControlKind::Static, "1st", 286, 30, 40, 18),
        Control(IDC_FFT_FREQ1, ControlKind::Static, "---", 330, 30, 110, 18),
        Control(IDC_FFT_LEVEL1, ControlKind::Static, "---", 444, 30, 96, 18),
        Control(IDC_FFT_HARMONIC2_LABEL, ControlKind::Static, "2nd", 286, 50, 40, 18),
        Control(IDC_FFT_FREQ2, ControlKind::Static, "---", 330, 50, 110, 18),
        Control(IDC_FFT_LEVEL2, ControlKind::Static, "---", 444, 50, 96, 18),
        Control(IDC_FFT_HARMONIC3_LABEL, ControlKind::Static, "3rd", 286, 70, 40, 18),
        Control(IDC_FFT_FREQ3, ControlKind::Static, "---", 330, 70, 110, 18),
        Control(IDC_FFT_LEVEL3, ControlKind::Static, "---", 444, 70, 96, 18),
        Control(IDC_FFT_HARMONIC4_LABEL, ControlKind::Static, "4th", 286, 90, 40, 18),
        Control(IDC_FFT_FREQ4, ControlKind::Static, "---", 330, 90, 110, 18),
        Control(IDC_FFT_LEVEL4, ControlKind::Static, "---", 444, 90, 96, 18),
        Control(IDC_FFT_HARMONIC5_LABEL, ControlKind::Static, "5th", 286, 110, 40, 18),
        Control(IDC_FFT_FREQ5, ControlKind::Static, "---", 330, 110, 110, 18),
        Control(IDC_FFT_LEVEL5, ControlKind::Static, "---", 444, 110, 96, 18),
        Control(IDC_FFT_HARMONIC6_LABEL, ControlKind::Static, "6th", 286, 130, 40, 18),
        Control(IDC_FFT_FREQ6, ControlKind::Static, "---", 330, 130, 110, 18),
        Control(IDC_FFT_LEVEL6, ControlKind::Static, "---", 444, 130, 96, 18),

        Control(IDC_FFT_MEASURE_FRAME, ControlKind::GroupBox, "Measurement Information", 274, 160, 274, 148),
        Control(IDC_FFT_SNR_LABEL, ControlKind::Static, "SNR", 286, 184, 100, 18),
        Control(IDC_FFT_SNR, ControlKind::Static, "---", 390, 184, 150, 18),
        Control(IDC_FFT_THD_LABEL, ControlKind::Static, "THD", 286, 204, 100, 18),
        Control(IDC_FFT_THD, ControlKind::Static, "---", 390, 204, 150, 18),
        Control(IDC_FFT_ENOB_LABEL, ControlKind::Static, "ENOB", 286, 224, 100, 18),
        Control(IDC_FFT_ENOB, ControlKind::Static, "---", 390, 224, 150, 18),
        Control(IDC_FFT_SFDR_LABEL, ControlKind::Static, "SFDR", 286, 244, 100, 18),
        Control(IDC_FFT_SFDR, ControlKind::Static, "---", 390, 244, 150, 18),
        Control(IDC_FFT_SINAD_LABEL, ControlKind::Static, "SINAD", 286, 264, 100, 18),
        Control(IDC_FFT_SINAD, ControlKind::Static, "---", 390, 264, 150, 18),
        Control(IDC_FFT_TOTAL_POWER_LABEL, ControlKind::Static, "TotalPower", 286, 284, 100, 18),
        Control(IDC_FFT_TOTAL_POWER, ControlKind::Static, "---", 390, 284, 150, 18),
    };
    return t;
}

} // namespace

void RegisterFftDialogTemplates() {
    static const bool registered = [] {
        RegisterDialogTemplate(Fft());
        return true;
    }();
    (void)registered;
}

} // namespace kv
