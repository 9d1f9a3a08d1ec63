#include "resources/dialogs/CalibrationDialogTemplates.h"

#include "resources/dialogs/TemplateBuilder.h"

#include <mutex>

namespace kv {

namespace {

using namespace dialog_build;

DialogTemplate ZeroCalibration() {
    DialogTemplate t;
    t.id = 207;
    t.caption = "Zero Calibration";
    t.size = SIZE{420, 330};
    t.controls = {
        Control(1172, ControlKind::GroupBox, "Caution", 12, 10, 396, 96),
        Control(1174, ControlKind::Static,
                "      It is strongly recommanded that zero calibration performed after several minutes by "
                "power up, and you should short CH1/CH2 input signal by connecting CH1/CH2 terminal to the "
                "GND terminal during the calibration process. ",
                24, 30, 372, 70),
        Control(1173, ControlKind::ListBox, "", 12, 116, 280, 200, kTab),
        Control(1176, ControlKind::CheckBox, "CH1", 308, 120, 100, 24, kTab),
        Control(1177, ControlKind::CheckBox, "CH2", 308, 150, 100, 24, kTab),
        Control(1175, ControlKind::Button, "Start", 308, 200, 100, 28, kTab | BS_DEFPUSHBUTTON),
        Control(1324, ControlKind::Button, "Close", 308, 240, 100, 28, kTab),
    };
    return t;
}

DialogTemplate AutosetProgress() {
    DialogTemplate t;
    t.id = 216;
    t.size = SIZE{240, 110};
    return t;
}

DialogTemplate CalibrateData() {
    DialogTemplate t;
    t.id = 223;
    t.caption = "Calibrate Data";
    t.size = SIZE{400, 300};
    // The list index is the stored value: 0..10, then -1..-10 as 11..20.
    std::vector<CString> levels;
    for (int i = 0; i <= 20; ++i) {
        CString item;
        item.Format("%d", i <= 10 ? i : 10 - i);
        levels.push_back(item);
    }
    auto list = [&](UINT id, int x, int y) {
        return Control(id, ControlKind::ComboBox, "", x, y, 80, 24, kTab, levels);
    };
    t.controls = {
        Control(1271, ControlKind::GroupBox, "Line Cal Data", 12, 10, 376, 130),
        Control(kUnnamed, ControlKind::Static, "100mV,1.00V,10.0V", 24, 34, 150, 22),
        list(1313, 180, 32),
        Control(kUnnamed, ControlKind::Static, "20mV,200mV,2.00V", 24, 60, 150, 22),
        list(1314, 180, 58),
        Control(kUnnamed, ControlKind::Static, "50mV,500mV,5.00V", 24, 86, 150, 22),
        list(1315, 180, 84),
        Control(kUnnamed, ControlKind::Static, "10.0mV", 24, 112, 150, 22),
        list(1316, 180, 110),
        Control(1278, ControlKind::GroupBox, "ETD Cal Data", 12, 150, 376, 100),
        Control(kUnnamed, ControlKind::Static, "Max ETS Cal Data", 24, 174, 150, 22),
        Control(1318, ControlKind::Edit, "0", 180, 172, 60, 24, kTab | ES_NUMBER),
        Control(1321, ControlKind::Static, "( 0 ~ 300 )", 250, 174, 100, 22),
        Control(kUnnamed, ControlKind::Static, "Min ETS Cal Data", 24, 204, 150, 22),
        Control(1320, ControlKind::Edit, "0", 180, 202, 60, 24, kTab | ES_NUMBER),
        Control(1322, ControlKind::Static, "( 0 ~ 200 )", 250, 204, 100, 22),
        Control(1328, ControlKind::CheckBox, "ETS Update", 24, 262, 150, 24, kTab),
        Control(1, ControlKind::Button, "OK", 196, 262, 88, 26, kTab | BS_DEFPUSHBUTTON),
        Control(2, ControlKind::Button, "Cancel", 296, 262, 88, 26, kTab),
    };
    return t;
}

DialogTemplate EtsCalibration() {
    DialogTemplate t;
    t.id = 251;
    t.caption = "ETS Calibration";
    t.size = SIZE{320, 150};
    t.controls = {
        Control(1309, ControlKind::GroupBox, "", 12, 10, 296, 80),
        Control(1310, ControlKind::Static, "Prepare Calibrate", 28, 38, 264, 24),
        Control(1322, ControlKind::Button, "Start", 100, 106, 96, 28, kTab | BS_DEFPUSHBUTTON),
        Control(1323, ControlKind::Button, "Cancel", 208, 106, 96, 28, kTab),
    };
    return t;
}

DialogTemplate Calibration() {
    DialogTemplate t;
    t.id = 252;
    t.caption = "Calibration";
    t.size = SIZE{300, 170};
    t.controls = {
        Control(1311, ControlKind::GroupBox, "", 12, 10, 276, 100),
        Control(1312, ControlKind::RadioButton, "Zero Calibration", 32, 34, 230, 24, kFirstRadio),
        Control(1313, ControlKind::RadioButton, "ETS Calibration", 32, 68, 230, 24, kRadio),
        Control(1326, ControlKind::Button, "OK", 88, 124, 92, 28, kTab | BS_DEFPUSHBUTTON),
        Control(1327, ControlKind::Button, "Cancel", 192, 124, 92, 28, kTab),
    };
    return t;
}

} // namespace

void RegisterCalibrationDialogTemplates() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterDialogTemplate(ZeroCalibration());
        RegisterDialogTemplate(AutosetProgress());
        RegisterDialogTemplate(CalibrateData());
        RegisterDialogTemplate(EtsCalibration());
        RegisterDialogTemplate(Calibration());
    });
}

} // namespace kv
