#include "resources/dialogs/AcquisitionDialogTemplates.h"

#include "resources/Resource.h"
#include "resources/dialogs/TemplateBuilder.h"

namespace kv {

namespace {

using namespace dialog_build;

DialogTemplate Average() {
    DialogTemplate t;
    t.id = IDD_AVERAGE;
    t.caption = "Average";
    t.size = SIZE{260, 124};
    t.controls = {
        Control(IDC_AVG_LABEL, ControlKind::Static, "Average", 16, 22, 72, 20),
        Control(IDC_AVG_COUNT, ControlKind::Edit, "", 92, 18, 60, 26, kTab | ES_NUMBER),
        Control(IDC_AVG_RANGE, ControlKind::Static, "(1 ~ 128)", 160, 22, 90, 20),
        Control(IDC_AVG_OK, ControlKind::Button, "OK", 36, 78, 86, 28, kTab | BS_DEFPUSHBUTTON),
        Control(IDC_AVG_CANCEL, ControlKind::Button, "Cancel", 138, 78, 86, 28, kTab),
    };
    return t;
}

DialogTemplate Intensity() {
    DialogTemplate t;
    t.id = IDD_INTENSITY;
    t.caption = "Intensity";
    t.size = SIZE{320, 236};
    t.controls = {
        Control(IDC_INT_GRID_LABEL, ControlKind::Static, "Grid Intensity", 16, 12, 220, 20),
        Control(IDC_INT_GRID, ControlKind::Slider, "", 16, 34, 288, 28, kTab),
        Control(IDC_INT_WAVE_LABEL, ControlKind::Static, "Waveform Intensity", 16, 72, 220, 20),
        Control(IDC_INT_WAVE, ControlKind::Slider, "", 16, 94, 288, 28, kTab),
        Control(IDC_INT_PERSISTENCE, ControlKind::CheckBox, "Persistence", 16, 140, 126, 24, kTab),
        Control(IDC_INT_PERSIST_TIME, ControlKind::ComboBox, "", 150, 138, 154, 26, kTab,
                {"Min", "100mS", "200mS", "300mS", "400mS", "500mS", "600mS", "700mS", "800mS", "900mS",
                 "1.00 S", "2.00 S", "3.00 S", "4.00 S", "5.00 S", "10.0 S"}),
        Control(IDC_INT_OK, ControlKind::Button, "OK", 218, 192, 86, 28, kTab | BS_DEFPUSHBUTTON),
    };
    return t;
}

DialogTemplate PulseWidth() {
    DialogTemplate t;
    t.id = IDD_PULSE_WIDTH;
    t.caption = "Pulse Width Setting";
    t.size = SIZE{284, 150};
    t.controls = {
        Control(IDC_PW_FRAME, ControlKind::GroupBox, "Setting", 12, 8, 260, 86),
        Control(IDC_PW_LABEL, ControlKind::Static, "Pulse Width", 24, 44, 90, 20),
        Control(IDC_PW_VALUE, ControlKind::Edit, "", 116, 40, 60, 26, kTab),
        Control(IDC_PW_SPIN, ControlKind::Spin, "", 176, 40, 18, 26, WS_VISIBLE),
        Control(IDC_PW_UNIT, ControlKind::ComboBox, "", 200, 40, 62, 26, kTab, {"nS", "uS", "mS", " S"}),
        Control(IDC_PW_OK, ControlKind::Button, "OK", 50, 108, 86, 28, kTab | BS_DEFPUSHBUTTON),
        Control(IDCANCEL, ControlKind::Button, "Cancel", 148, 108, 86, 28, kTab),
    };
    return t;
}

DialogTemplate DemoSetting() {
    DialogTemplate t;
    t.id = IDD_DEMO_SETTING;
    t.caption = "Demo Setting";
    t.size = SIZE{430, 196};
    t.controls = {
        Control(IDC_DEMO_FREQ_FRAME, ControlKind::GroupBox, "Frequency", 12, 8, 130, 176),
        Control(IDC_DEMO_5MHZ, ControlKind::RadioButton, "5.00 MHz", 24, 32, 110, 24, kFirstRadio),
        Control(IDC_DEMO_800KHZ, ControlKind::RadioButton, "800 KHz", 24, 62, 110, 24, kRadio),
        Control(IDC_DEMO_200KHZ, ControlKind::RadioButton, "200 KHz", 24, 92, 110, 24, kRadio),
        Control(IDC_DEMO_50KHZ, ControlKind::RadioButton, "50.0 KHz", 24, 122, 110, 24, kRadio),
        Control(IDC_DEMO_12_5KHZ, ControlKind::RadioButton, "12.5 KHz", 24, 152, 110, 24, kRadio),
        Control(IDC_DEMO_AMPL_FRAME, ControlKind::GroupBox, "Amplitude", 150, 8, 130, 146),
        Control(IDC_DEMO_40V, ControlKind::RadioButton, "40.0 V", 162, 32, 110, 24, kFirstRadio),
        Control(IDC_DEMO_4V, ControlKind::RadioButton, "4.00 V", 162, 62, 110, 24, kRadio),
        Control(IDC_DEMO_400MV, ControlKind::RadioButton, "400 mV", 162, 92, 110, 24, kRadio),
        Control(IDC_DEMO_40MV, ControlKind::RadioButton, "40.0 mV", 162, 122, 110, 24, kRadio),
        Control(IDC_DEMO_FUNC_FRAME, ControlKind::GroupBox, "Function", 288, 8, 130, 116),
        Control(IDC_DEMO_NORMAL, ControlKind::RadioButton, "Normal", 300, 32, 110, 24, kFirstRadio),
        Control(IDC_DEMO_NOISE, ControlKind::RadioButton, "Noise", 300, 62, 110, 24, kRadio),
        Control(IDC_DEMO_RANDOM, ControlKind::RadioButton, "Random", 300, 92, 110, 24, kRadio),
        Control(IDC_DEMO_DC, ControlKind::CheckBox, "DC +", 300, 132, 110, 24, kTab),
        Control(IDC_DEMO_SWEEP, ControlKind::CheckBox, "Sweep", 300, 160, 110, 24, kTab),
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
