#include "resources/dialogs/AcquisitionDialogTemplates.h"

#include "resources/dialogs/TemplateBuilder.h"

namespace kv {

namespace {

using namespace dialog_build;

DialogTemplate Average() {
    DialogTemplate t;
    t.id = 199;
    t.caption = "Average";
    t.size = SIZE{260, 124};
    t.controls = {
        Control(1108, ControlKind::Static, "Average", 16, 22, 72, 20),
        Control(1109, ControlKind::Edit, "", 92, 18, 60, 26, kTab | ES_NUMBER),
        Control(1110, ControlKind::Static, "(1 ~ 128)", 160, 22, 90, 20),
        Control(1084, ControlKind::Button, "OK", 36, 78, 86, 28, kTab | BS_DEFPUSHBUTTON),
        Control(1230, ControlKind::Button, "Cancel", 138, 78, 86, 28, kTab),
    };
    return t;
}

DialogTemplate Intensity() {
    DialogTemplate t;
    t.id = 184;
    t.caption = "Intensity";
    t.size = SIZE{320, 236};
    t.controls = {
        Control(1085, ControlKind::Static, "Grid Intensity", 16, 12, 220, 20),
        Control(1087, ControlKind::Slider, "", 16, 34, 288, 28, kTab),
        Control(1086, ControlKind::Static, "Waveform Intensity", 16, 72, 220, 20),
        Control(1089, ControlKind::Slider, "", 16, 94, 288, 28, kTab),
        Control(1088, ControlKind::CheckBox, "Persistence", 16, 140, 126, 24, kTab),
        Control(1298, ControlKind::ComboBox, "", 150, 138, 154, 26, kTab,
                {"Min", "100mS", "200mS", "300mS", "400mS", "500mS", "600mS", "700mS", "800mS", "900mS",
                 "1.00 S", "2.00 S", "3.00 S", "4.00 S", "5.00 S", "10.0 S"}),
        Control(1084, ControlKind::Button, "OK", 218, 192, 86, 28, kTab | BS_DEFPUSHBUTTON),
    };
    return t;
}

DialogTemplate PulseWidth() {
    DialogTemplate t;
    t.id = 249;
    t.caption = "Pulse Width Setting";
    t.size = SIZE{284, 150};
    t.controls = {
        Control(1305, ControlKind::GroupBox, "Setting", 12, 8, 260, 86),
        Control(1303, ControlKind::Static, "Pulse Width", 24, 44, 90, 20),
        Control(1078, ControlKind::Edit, "", 116, 40, 60, 26, kTab),
        Control(1306, ControlKind::Spin, "", 176, 40, 18, 26, WS_VISIBLE),
        Control(1308, ControlKind::ComboBox, "", 200, 40, 62, 26, kTab, {"nS", "uS", "mS", " S"}),
        Control(1325, ControlKind::Button, "OK", 50, 108, 86, 28, kTab | BS_DEFPUSHBUTTON),
        Control(IDCANCEL, ControlKind::Button, "Cancel", 148, 108, 86, 28, kTab),
    };
    return t;
}

DialogTemplate DemoSetting() {
    DialogTemplate t;
    t.id = 231;
    t.caption = "Demo Setting";
    t.size = SIZE{430, 196};
    t.controls = {
        Control(1278, ControlKind::GroupBox, "Frequency", 12, 8, 130, 176),
        Control(1281, ControlKind::RadioButton, "5.00 MHz", 24, 32, 110, 24, kFirstRadio),
        Control(1282, ControlKind::RadioButton, "800 KHz", 24, 62, 110, 24, kRadio),
        Control(1283, ControlKind::RadioButton, "200 KHz", 24, 92, 110, 24, kRadio),
        Control(1284, ControlKind::RadioButton, "50.0 KHz", 24, 122, 110, 24, kRadio),
        Control(1285, ControlKind::RadioButton, "12.5 KHz", 24, 152, 110, 24, kRadio),
        Control(1279, ControlKind::GroupBox, "Amplitude", 150, 8, 130, 146),
        Control(1286, ControlKind::RadioButton, "40.0 V", 162, 32, 110, 24, kFirstRadio),
        Control(1287, ControlKind::RadioButton, "4.00 V", 162, 62, 110, 24, kRadio),
        Control(1288, ControlKind::RadioButton, "400 mV", 162, 92, 110, 24, kRadio),
        Control(1289, ControlKind::RadioButton, "40.0 mV", 162, 122, 110, 24, kRadio),
        Control(1280, ControlKind::GroupBox, "Function", 288, 8, 130, 116),
        Control(1069, ControlKind::RadioButton, "Normal", 300, 32, 110, 24, kFirstRadio),
        Control(1070, ControlKind::RadioButton, "Noise", 300, 62, 110, 24, kRadio),
        Control(1071, ControlKind::RadioButton, "Random", 300, 92, 110, 24, kRadio),
        Control(1290, ControlKind::CheckBox, "DC +", 300, 132, 110, 24, kTab),
        Control(1291, ControlKind::CheckBox, "Sweep", 300, 160, 110, 24, kTab),
    };
    return t;
}

} // namespace

void RegisterAcquisitionDialogTemplates() {
    static const bool registered = [] {
        RegisterDialogTemplate(Average());
        RegisterDialogTemplate(Intensity());
        RegisterDialogTemplate(PulseWidth());
        RegisterDialogTemplate(DemoSetting());
        return true;
    }();
    (void)registered;
}

} // namespace kv
