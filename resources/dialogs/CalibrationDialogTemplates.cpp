#include "resources/dialogs/CalibrationDialogTemplates.h"

#include "resources/Resource.h"
#include "resources/dialogs/TemplateBuilder.h"

#include <mutex>

namespace kv {

namespace {

using namespace dialog_build;

DialogTemplate ZeroCalibration() {
    DialogTemplate t;
    t.id = IDD_ZERO_CALIBRATION;
    t.caption = "Zero Calibration";
    t.size = SIZE{420, 330};
    t.controls = {
        Control(IDC_ZERO_CAUTION_FRAME, ControlKind::GroupBox, "Caution", 12, 10, 396, 96),
        Control(IDC_ZERO_CAUTION_TEXT, ControlKind::Static,
                "      It is strongly recommanded that zero calibration performed after several minutes by "
                "power up, and you should short CH1/CH2 input signal by connecting CH1/CH2 terminal to the "
                "GND terminal during the calibration process. ",
                24, 30, 372, 70),
        Control(IDC_ZERO_PROGRESS, ControlKind::ListBox, "", 12, 116, 280, 200, kTab),
        Control(IDC_ZERO_CH1, ControlKind::CheckBox, "CH1", 308, 120, 100, 24, kTab),
        Control(IDC_ZERO_CH2, ControlKind::CheckBox, "CH2", 308, 150, 100, 24, kTab),
        Control(IDC_ZERO_START, ControlKind::Button, "Start", 308, 200, 100, 28, kTab | BS_DEFPUSHBUTTON),
        Control(IDC_ZERO_CLOSE, ControlKind::Button, "Close", 308, 240, 100, 28, kTab),
    };
    return t;
}

DialogTemplate AutosetProgress() {
    DialogTemplate t;
    t.id = IDD_AUTOSET_PROGRESS;
    t.size = SIZE{240, 110};
    return t;
}

DialogTemplate CalibrateData() {
    DialogTemplate t;
    t.id = IDD_CALIBRATE_DATA;
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
        Control(IDC_LINE_CAL_FRAME, ControlKind::GroupBox, "Line Cal Data", 12, 10, 376, 130),
        Control(kUnnamed, ControlKind::Static, "100mV,1.00V,10.0V", 24, 34, 150, 22),
        list(IDC_LINE_CAL_DATA1, 180, 32),
        Control(kUnnamed, ControlKind::Static, "20mV,200mV,2.00V", 24, 60, 150, 22),
        list(IDC_LINE_CAL_DATA2, 180, 58),
        Control(kUnnamed, ControlKind::Static, "50mV,500mV,5.00V", 24, 86, 150, 22),
        list(IDC_LINE_CAL_DATA3, 180, 84),
        Control(kUnnamed, ControlKind::Static, "10.0mV", 24, 112, 150, 22),
        list(IDC_LINE_CAL_DATA4, 180, 110),
        Control(IDC_ETS_CAL_FRAME, ControlKind::GroupBox, "ETD Cal Data", 12, 150, 376, 100),
        Control(kUnnamed, ControlKind::Static, "Max ETS Cal Data", 24, 174, 150, 22),
        Control(IDC_MAX_ETS_CAL_DATA, ControlKind::Edit, "0", 180, 172, 60, 24, kTab | ES_NUMBER),
        Control(IDC_MAX_ETS_RANGE_LABEL, ControlKind::Static, "( 0 ~ 300 )", 250, 174, 100, 22),
        Control(kUnnamed, ControlKind::Static, "Min ETS Cal Data", 24, 204, 150, 22),
        Control(IDC_MIN_ETS_CAL_DATA, ControlKind::Edit, "0", 180, 202, 60, 24, kTab | ES_NUMBER),
        Control(IDC_MIN_ETS_RANGE_LABEL, ControlKind::Static, "( 0 ~ 200 )", 250, 204, 100, 22),
        Control(IDC_ETS_UPDATE, ControlKind::CheckBox, "ETS Update", 24, 262, 150, 24, kTab),
        Control(IDOK, ControlKind::Button, "OK", 196, 262, 88, 26, kTab | BS_DEFPUSHBUTTON),
        Control(IDCANCEL, ControlKind::Button, "Cancel", 296, 262, 88, 26, kTab),
    };
    return t;
}

DialogTemplate EtsCalibration() {
    DialogTemplate t;
    t.id = IDD_ETS_CALIBRATION;
    t.caption = "ETS Calibration";
    t.size = SIZE{320, 150};
    t.controls = {
        Control(IDC_ETS_FRAME, ControlKind::GroupBox, "", 12, 10, 296, 80),
        Control(IDC_ETS_STATUS, ControlKind::Static, "Prepare Calibrate", 28, 38, 264, 24),
        Control(IDC_ETS_START, ControlKind::Button, "Start", 100, 106, 96, 28, kTab | BS_DEFPUSHBUTTON),
        Control(IDC_ETS_CANCEL, ControlKind::Button, "Cancel", 208, 106, 96, 28, kTab),
    };
    return t;
}

DialogTemplate Calibration() {
    DialogTemplate t;
    t.id = IDD_CALIBRATION;
    t.caption = "Calibration";
    t.size = SIZE{300, 170};
    t.controls = {
        Control(IDC_CALIBRATION_FRAME, ControlKind::GroupBox, "", 12, 10, 276, 100),
        Control(IDC_RADIO_ZERO_CAL, ControlKind::RadioButton, "Zero Calibration", 32, 34, 230, 24,
                kFirstRadio),
        Control(IDC_RADIO_ETS_CAL, ControlKind::RadioButton, "ETS Calibration", 32, 68, 230, 24, kRadio),
        Control(IDC_CALIBRATION_OK, ControlKind::Button, "OK", 88, 124, 92, 28, kTab | BS_DEFPUSHBUTTON),
        Control(IDC_CALIBRATION_CANCEL, ControlKind::Button, "Cancel", 192, 124, 92, 28, kTab),
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
