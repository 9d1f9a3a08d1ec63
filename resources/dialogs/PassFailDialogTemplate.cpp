#include "resources/dialogs/PassFailDialogTemplate.h"

#include "resources/dialogs/TemplateBuilder.h"

namespace kv {

namespace {

using namespace dialog_build;

DialogTemplate PassFail() {
    DialogTemplate t;
    t.id = 204;
    t.caption = "Pass/Fail";
    t.size = SIZE{520, 300};
    t.controls = {
        Control(1142, ControlKind::GroupBox, "Control Setting", 12, 8, 240, 134),
        Control(1113, ControlKind::Static, "Source", 24, 38, 72, 20),
        Control(1143, ControlKind::ComboBox, "", 100, 34, 140, 26, kTab),
        Control(1144, ControlKind::Static, "Output", 24, 72, 72, 20),
        Control(1145, ControlKind::ComboBox, "", 100, 68, 140, 26, kTab,
                {"FAIL", "FAIL + BEEPER", "PASS", "PASS + BEEPER"}),
        Control(1146, ControlKind::CheckBox, "Stop When Output", 24, 106, 216, 24, kTab),

        Control(1147, ControlKind::GroupBox, "Mask Setting", 12, 150, 240, 140),
        Control(1148, ControlKind::Static, "Vertical", 24, 178, 72, 20),
        Control(1150, ControlKind::Edit, "", 100, 174, 50, 26, kTab | ES_NUMBER),
        Control(1152, ControlKind::Spin, "", 150, 174, 18, 26, WS_VISIBLE | UDS_SETBUDDYINT),
        Control(1154, ControlKind::Static, "(DIV / 32)", 174, 178, 76, 20),
        Control(1149, ControlKind::Static, "Horizontal", 24, 212, 72, 20),
        Control(1151, ControlKind::Edit, "", 100, 208, 50, 26, kTab | ES_NUMBER),
        Control(1153, ControlKind::Spin, "", 150, 208, 18, 26, WS_VISIBLE | UDS_SETBUDDYINT),
        Control(1155, ControlKind::Static, "(DIV / 50)", 174, 212, 76, 20),
        Control(1156, ControlKind::Button, "Create", 24, 248, 66, 30, kTab),
        Control(1157, ControlKind::Button, "Save", 98, 248, 66, 30, kTab),
        Control(1158, ControlKind::Button, "Load", 172, 248, 66, 30, kTab),

        Control(1159, ControlKind::GroupBox, "Information Display", 264, 8, 244, 134),
        Control(1163, ControlKind::Static, "Fail :", 278, 38, 64, 20),
        Control(1166, ControlKind::Static, "0", 346, 38, 110, 20),
        Control(1169, ControlKind::Static, "wfs", 460, 38, 40, 20),
        Control(1164, ControlKind::Static, "Pass :", 278, 72, 64, 20),
        Control(1168, ControlKind::Static, "0", 346, 72, 110, 20),
        Control(1170, ControlKind::Static, "wfs", 460, 72, 40, 20),
        Control(1165, ControlKind::Static, "Total :", 278, 106, 64, 20),
        Control(1167, ControlKind::Static, "0", 346, 106, 110, 20),
        Control(1171, ControlKind::Static, "wfs", 460, 106, 40, 20),

        Control(1160, ControlKind::GroupBox, "Operation", 264, 150, 244, 140),
        Control(1161, ControlKind::Button, "Start", 286, 200, 94, 34, kTab),
        Control(1162, ControlKind::Button, "Stop", 392, 200, 94, 34, kTab | WS_DISABLED),
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
