#include "resources/dialogs/PassFailDialogTemplate.h"

#include "resources/Resource.h"
#include "resources/dialogs/TemplateBuilder.h"

namespace kv {

namespace {

using namespace dialog_build;

DialogTemplate PassFail() {
    DialogTemplate t;
    t.id = IDD_PASSFAIL;
    t.caption = "Pass/Fail";
    t.size = SIZE{520, 300};
    t.controls = {
        Control(IDC_PF_CONTROL_FRAME, ControlKind::GroupBox, "Control Setting", 12, 8, 240, 134),
        Control(IDC_PF_SOURCE_LABEL, ControlKind::Static, "Source", 24, 38, 72, 20),
        Control(IDC_PF_SOURCE, ControlKind::ComboBox, "", 100, 34, 140, 26, kTab),
        Control(IDC_PF_OUTPUT_LABEL, ControlKind::Static, "Output", 24, 72, 72, 20),
        Control(IDC_PF_OUTPUT, ControlKind::ComboBox, "", 100, 68, 140, 26, kTab,
                {"FAIL", "FAIL + BEEPER", "PASS", "PASS + BEEPER"}),
        Control(IDC_PF_STOP_WHEN_OUTPUT, ControlKind::CheckBox, "Stop When Output", 24, 106, 216, 24, kTab),

        Control(IDC_PF_MASK_FRAME, ControlKind::GroupBox, "Mask Setting", 12, 150, 240, 140),
        Control(IDC_PF_VERTICAL_LABEL, ControlKind::Static, "Vertical", 24, 178, 72, 20),
        Control(IDC_PF_VERTICAL, ControlKind::Edit, "", 100, 174, 50, 26, kTab | ES_NUMBER),
        Control(IDC_PF_SPIN_VERTICAL, ControlKind::Spin, "", 150, 174, 18, 26, WS_VISIBLE | UDS_SETBUDDYINT),
        Control(IDC_PF_VERTICAL_UNIT, ControlKind::Static, "(DIV / 32)", 174, 178, 76, 20),
        Control(IDC_PF_HORIZONTAL_LABEL, ControlKind::Static, "Horizontal", 24, 212, 72, 20),
        Control(IDC_PF_HORIZONTAL, ControlKind::Edit, "", 100, 208, 50, 26, kTab | ES_NUMBER),
        Control(IDC_PF_SPIN_HORIZONTAL, ControlKind::Spin, "", 150, 208, 18, 26,
                WS_VISIBLE | UDS_SETBUDDYINT),
        Control(IDC_PF_HORIZONTAL_UNIT, ControlKind::Static, "(DIV / 50)", 174, 212, 76, 20),
        Control(IDC_PF_CREATE, ControlKind::Button, "Create", 24, 248, 66, 30, kTab),
        Control(IDC_PF_SAVE, ControlKind::Button, "Save", 98, 248, 66, 30, kTab),
        Control(IDC_PF_LOAD, ControlKind::Button, "Load", 172, 248, 66, 30, kTab),

        Control(IDC_PF_INFO_FRAME, ControlKind::GroupBox, "Information Display", 264, 8, 244, 134),
        Control(IDC_PF_FAIL_LABEL, ControlKind::Static, "Fail :", 278, 38, 64, 20),
        Control(IDC_PF_FAIL_COUNT, ControlKind::Static, "0", 346, 38, 110, 20),
        Control(IDC_PF_FAIL_UNIT, ControlKind::Static, "wfs", 460, 38, 40, 20),
        Control(IDC_PF_PASS_LABEL, ControlKind::Static, "Pass :", 278, 72, 64, 20),
        Control(IDC_PF_PASS_COUNT, ControlKind::Static, "0", 346, 72, 110, 20),
        Control(IDC_PF_PASS_UNIT, ControlKind::Static, "wfs", 460, 72, 40, 20),
        Control(IDC_PF_TOTAL_LABEL, ControlKind::Static, "Total :", 278, 106, 64, 20),
        Control(IDC_PF_TOTAL_COUNT, ControlKind::Static, "0", 346, 106, 110, 20),
        Control(IDC_PF_TOTAL_UNIT, ControlKind::Static, "wfs", 460, 106, 40, 20),

        Control(IDC_PF_OPERATION_FRAME, ControlKind::GroupBox, "Operation", 264, 150, 244, 140),
        Control(IDC_PF_START, ControlKind::Button, "Start", 286, 200, 94, 34, kTab),
        Control(IDC_PF_STOP, ControlKind::Button, "Stop", 392, 200, 94, 34, kTab | WS_DISABLED),
    };
    return t;
}

} // namespace

void RegisterPassFailDialogTemplates() {
    static const bool registered = [] {
        RegisterDialogTemplate(PassFail());
        return true;
    }();
    (void)registered;
}

} // namespace kv
