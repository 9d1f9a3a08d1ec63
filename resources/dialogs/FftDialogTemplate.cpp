#include "resources/dialogs/FftDialogTemplate.h"

#include "resources/dialogs/TemplateBuilder.h"

namespace kv {

namespace {

using namespace dialog_build;

DialogTemplate Fft() {
    DialogTemplate t;
    t.id = 211;
    t.caption = "FFT";
    t.size = SIZE{560, 322};
    t.controls = {
        Control(1234, ControlKind::GroupBox, "FFT Setting", 12, 8, 250, 300),
        Control(kUnnamed, ControlKind::Static, "Source", 24, 38, 112, 20),
        Control(1189, ControlKind::ComboBox, "", 140, 34, 110, 26, kTab, {"CH1", "CH2"}),
        Control(kUnnamed, ControlKind::Static, "Window", 24, 72, 112, 20),
        Control(1192, ControlKind::ComboBox, "", 140, 68, 110, 26, kTab,
                {"Rectangle", "Hanning", "Hamming", "Blackman"}),
        Control(kUnnamed, ControlKind::Static, "NO.of Freq Bins", 24, 106, 112, 20),
        Control(1194, ControlKind::ComboBox, "", 140, 102, 110, 26, kTab,
                {"256", "512", "1024", "2048", "4096"}),
        Control(kUnnamed, ControlKind::Static, "Scale", 24, 140, 112, 20),
        Control(1196, ControlKind::ComboBox, "", 140, 136, 110, 26, kTab, {"dB", "Linear"}),
        Control(1236, ControlKind::Static, "Vertical", 24, 182, 72, 20),
        Control(1242, ControlKind::ComboBox, "", 100, 178, 100, 26, kTab),
        Control(1238, ControlKind::Static, "/div", 206, 182, 44, 20),
        Control(1239, ControlKind::Static, "Horizontal", 24, 216, 72, 20),
        Control(1243, ControlKind::ComboBox, "", 100, 212, 100, 26, kTab, {"x1", "x2", "x4", "x8", "x16"}),
        Control(1235, ControlKind::Button, "Start", 24, 262, 104, 30, kTab),
        Control(1157, ControlKind::Button, "Save", 144, 262, 104, 30, kTab),

        Control(1197, ControlKind::GroupBox, "Harmonics", 274, 8, 274, 144),
        Control(1199, ControlKind::Static, "1st", 286, 30, 40, 18),
        Control(1222, ControlKind::Static, "---", 330, 30, 110, 18),
        Control(1221, ControlKind::Static, "---", 444, 30, 96, 18),
        Control(1200, ControlKind::Static, "2nd", 286, 50, 40, 18),
        Control(1220, ControlKind::Static, "---", 330, 50, 110, 18),
        Control(1219, ControlKind::Static, "---", 444, 50, 96, 18),
        Control(1201, ControlKind::Static, "3rd", 286, 70, 40, 18),
        Control(1218, ControlKind::Static, "---", 330, 70, 110, 18),
        Control(1217, ControlKind::Static, "---", 444, 70, 96, 18),
        Control(1202, ControlKind::Static, "4th", 286, 90, 40, 18),
        Control(1216, ControlKind::Static, "---", 330, 90, 110, 18),
        Control(1215, ControlKind::Static, "---", 444, 90, 96, 18),
        Control(1203, ControlKind::Static, "5th", 286, 110, 40, 18),
        Control(1214, ControlKind::Static, "---", 330, 110, 110, 18),
        Control(1213, ControlKind::Static, "---", 444, 110, 96, 18),
        Control(1204, ControlKind::Static, "6th", 286, 130, 40, 18),
        Control(1212, ControlKind::Static, "---", 330, 130, 110, 18),
        Control(1211, ControlKind::Static, "---", 444, 130, 96, 18),

        Control(1198, ControlKind::GroupBox, "Measurement Information", 274, 160, 274, 148),
        Control(1205, ControlKind::Static, "SNR", 286, 184, 100, 18),
        Control(1223, ControlKind::Static, "---", 390, 184, 150, 18),
        Control(1206, ControlKind::Static, "THD", 286, 204, 100, 18),
        Control(1224, ControlKind::Static, "---", 390, 204, 150, 18),
        Control(1207, ControlKind::Static, "ENOB", 286, 224, 100, 18),
        Control(1225, ControlKind::Static, "---", 390, 224, 150, 18),
        Control(1208, ControlKind::Static, "SFDR", 286, 244, 100, 18),
        Control(1226, ControlKind::Static, "---", 390, 244, 150, 18),
        Control(1209, ControlKind::Static, "SINAD", 286, 264, 100, 18),
        Control(1227, ControlKind::Static, "---", 390, 264, 150, 18),
        Control(1210, ControlKind::Static, "TotalPower", 286, 284, 100, 18),
        Control(1228, ControlKind::Static, "---", 390, 284, 150, 18),
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
