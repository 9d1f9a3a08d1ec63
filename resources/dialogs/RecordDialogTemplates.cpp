#include "resources/dialogs/RecordDialogTemplates.h"

#include "resources/dialogs/TemplateBuilder.h"

#include <mutex>

namespace kv {

namespace {

using namespace dialog_build;

DialogControlTemplate Spin(UINT id, int x, int y, int cy) {
    return Control(id, ControlKind::Spin, "", x, y, 18, cy, WS_VISIBLE | UDS_AUTOBUDDY | UDS_SETBUDDYINT);
}

DialogTemplate SaveChannel() {
    DialogTemplate t;
    t.id = 193;
    t.caption = "Save";
    t.size = SIZE{220, 150};
    t.controls = {
        Control(1090, ControlKind::GroupBox, "Channel", 12, 10, 196, 80),
        Control(1091, ControlKind::RadioButton, "CH1", 32, 34, 70, 24, kFirstRadio),
        Control(1092, ControlKind::RadioButton, "CH2", 116, 34, 70, 24, kRadio),
        Control(1093, ControlKind::Button, "OK", 64, 104, 92, 28, kTab | BS_DEFPUSHBUTTON),
    };
    return t;
}

DialogTemplate Record() {
    DialogTemplate t;
    t.id = 203;
    t.caption = "Record And Play Back";
    t.size = SIZE{460, 300};
    t.controls = {
        // Recording.
        Control(1113, ControlKind::Static, "Source", 16, 16, 100, 22),
        Control(1112, ControlKind::ComboBox, "", 124, 14, 90, 24, kTab),
        Control(1114, ControlKind::Static, "End Frame", 16, 50, 100, 22),
        Control(1118, ControlKind::Edit, "1000", 124, 48, 72, 24, kTab | ES_NUMBER),
        Spin(1120, 196, 48, 24),
        Control(1115, ControlKind::Static, "Time Interval", 16, 84, 100, 22),
        Control(1119, ControlKind::Edit, "1", 124, 82, 72, 24, kTab | ES_NUMBER),
        Spin(1123, 196, 82, 24),
        Control(1124, ControlKind::Static, "(ms)", 218, 84, 40, 22),
        Control(1141, ControlKind::Static, "Record :", 16, 118, 100, 22),
        Control(1116, ControlKind::Static, "0", 124, 118, 90, 22),
        Control(1121, ControlKind::Button, "Start", 16, 152, 96, 28, kTab),
        Control(1122, ControlKind::Button, "Save", 124, 152, 96, 28, kTab),
        // Play-back.
        Control(1126, ControlKind::Static, "Time Interval", 246, 16, 100, 22),
        Control(1130, ControlKind::Edit, "1", 352, 14, 64, 24, kTab | ES_NUMBER),
        Spin(1136, 416, 14, 24),
        Control(1140, ControlKind::Static, "(ms)", 352, 40, 40, 20),
        Control(1127, ControlKind::Static, "Start Frame", 246, 64, 100, 22),
        Control(1131, ControlKind::Edit, "1", 352, 62, 64, 24, kTab | ES_NUMBER),
        Spin(1137, 416, 62, 24),
        Control(1129, ControlKind::Static, "End Frame", 246, 96, 100, 22),
        Control(1132, ControlKind::Edit, "1", 352, 94, 64, 24, kTab | ES_NUMBER),
        Spin(1138, 416, 94, 24),
        Control(1128, ControlKind::Static, "Current Frame", 246, 128, 100, 22),
        Control(1133, ControlKind::Edit, "1", 352, 126, 64, 24, kTab | ES_NUMBER),
        Spin(1139, 416, 126, 24),
        Control(1134, ControlKind::CheckBox, "Repeat", 246, 158, 100, 24, kTab),
        Control(1125, ControlKind::Button, "Play", 246, 192, 96, 28, kTab),
        Control(1135, ControlKind::Button, "Load", 352, 192, 96, 28, kTab),
    };
    return t;
}

DialogTemplate WaveformColor() {
    DialogTemplate t;
    t.id = 227;
    t.caption = "Waveform Color";
    t.size = SIZE{300, 220};
    t.controls = {
        Control(1275, ControlKind::Static, "CH1 Waveform Color", 16, 18, 170, 22),
        Control(1277, ControlKind::Custom, "", 200, 14, 80, 26),
        Control(1276, ControlKind::Static, "CH2 Waveform Color", 16, 56, 170, 22),
        Control(1278, ControlKind::Custom, "", 200, 52, 80, 26),
        Control(1294, ControlKind::Static, "Math Waveform Color", 16, 94, 170, 22),
        Control(1296, ControlKind::Custom, "", 200, 90, 80, 26),
        Control(1295, ControlKind::Static, "REF Waveform Color", 16, 132, 170, 22),
        Control(1297, ControlKind::Custom, "", 200, 128, 80, 26),
        Control(1, ControlKind::Button, "OK", 104, 176, 92, 28, kTab | BS_DEFPUSHBUTTON),
    };
    return t;
}

} // namespace

void RegisterRecordDialogTemplates() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterDialogTemplate(SaveChannel());
        RegisterDialogTemplate(Record());
        RegisterDialogTemplate(WaveformColor());
    });
}

} // namespace kv
