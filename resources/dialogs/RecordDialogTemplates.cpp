#include "resources/dialogs/RecordDialogTemplates.h"

#include "resources/Resource.h"
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
    t.id = IDD_SAVE_CHANNEL;
    t.caption = "Save";
    t.size = SIZE{220, 150};
    t.controls = {
        Control(IDC_SAVE_CHANNEL_FRAME, ControlKind::GroupBox, "Channel", 12, 10, 196, 80),
        Control(IDC_RADIO_SAVE_CH1, ControlKind::RadioButton, "CH1", 32, 34, 70, 24, kFirstRadio),
        Control(IDC_RADIO_SAVE_CH2, ControlKind::RadioButton, "CH2", 116, 34, 70, 24, kRadio),
        Control(IDC_SAVE_CHANNEL_OK, ControlKind::Button, "OK", 64, 104, 92, 28, kTab | BS_DEFPUSHBUTTON),
    };
    return t;
}

DialogTemplate Record() {
    DialogTemplate t;
    t.id = IDD_RECORD;
    t.caption = "Record And Play Back";
    t.size = SIZE{460, 300};
    t.controls = {
        // Recording.
        Control(IDC_RECORD_SOURCE_LABEL, ControlKind::Static, "Source", 16, 16, 100, 22),
        Control(IDC_RECORD_SOURCE, ControlKind::ComboBox, "", 124, 14, 90, 24, kTab),
        Control(IDC_RECORD_END_LABEL, ControlKind::Static, "End Frame", 16, 50, 100, 22),
        Control(IDC_RECORD_END_FRAME, ControlKind::Edit, "1000", 124, 48, 72, 24, kTab | ES_NUMBER),
        Spin(IDC_SPIN_RECORD_END, 196, 48, 24),
        Control(IDC_RECORD_INTERVAL_LABEL, ControlKind::Static, "Time Interval", 16, 84, 100, 22),
        Control(IDC_RECORD_INTERVAL, ControlKind::Edit, "1", 124, 82, 72, 24, kTab | ES_NUMBER),
        Spin(IDC_SPIN_RECORD_INTERVAL, 196, 82, 24),
        Control(IDC_RECORD_MS_LABEL, ControlKind::Static, "(ms)", 218, 84, 40, 22),
        Control(IDC_RECORD_COUNT_LABEL, ControlKind::Static, "Record :", 16, 118, 100, 22),
        Control(IDC_RECORD_COUNT, ControlKind::Static, "0", 124, 118, 90, 22),
        Control(IDC_BUTTON_RECORD, ControlKind::Button, "Start", 16, 152, 96, 28, kTab),
        Control(IDC_BUTTON_RECORD_SAVE, ControlKind::Button, "Save", 124, 152, 96, 28, kTab),
        // Play-back.
        Control(IDC_PLAY_INTERVAL_LABEL, ControlKind::Static, "Time Interval", 246, 16, 100, 22),
        Control(IDC_PLAY_INTERVAL, ControlKind::Edit, "1", 352, 14, 64, 24, kTab | ES_NUMBER),
        Spin(IDC_SPIN_PLAY_INTERVAL, 416, 14, 24),
        Control(IDC_PLAY_MS_LABEL, ControlKind::Static, "(ms)", 352, 40, 40, 20),
        Control(IDC_PLAY_START_LABEL, ControlKind::Static, "Start Frame", 246, 64, 100, 22),
        Control(IDC_PLAY_START_FRAME, ControlKind::Edit, "1", 352, 62, 64, 24, kTab | ES_NUMBER),
        Spin(IDC_SPIN_PLAY_START, 416, 62, 24),
        Control(IDC_PLAY_END_LABEL, ControlKind::Static, "End Frame", 246, 96, 100, 22),
        Control(IDC_PLAY_END_FRAME, ControlKind::Edit, "1", 352, 94, 64, 24, kTab | ES_NUMBER),
        Spin(IDC_SPIN_PLAY_END, 416, 94, 24),
        Control(IDC_PLAY_CURRENT_LABEL, ControlKind::Static, "Current Frame", 246, 128, 100, 22),
        Control(IDC_PLAY_CURRENT_FRAME, ControlKind::Edit, "1", 352, 126, 64, 24, kTab | ES_NUMBER),
        Spin(IDC_SPIN_PLAY_CURRENT, 416, 126, 24),
        Control(IDC_PLAY_REPEAT, ControlKind::CheckBox, "Repeat", 246, 158, 100, 24, kTab),
        Control(IDC_BUTTON_PLAY, ControlKind::Button, "Play", 246, 192, 96, 28, kTab),
        Control(IDC_BUTTON_RECORD_LOAD, ControlKind::Button, "Load", 352, 192, 96, 28, kTab),
    };
    return t;
}

DialogTemplate WaveformColor() {
    DialogTemplate t;
    t.id = IDD_WAVEFORM_COLOR;
    t.caption = "Waveform Color";
    t.size = SIZE{300, 220};
    t.controls = {
        Control(IDC_CH1_COLOR_LABEL, ControlKind::Static, "CH1 Waveform Color", 16, 18, 170, 22),
        Control(IDC_CH1_COLOR, ControlKind::Custom, "", 200, 14, 80, 26, kTab),
        Control(IDC_CH2_COLOR_LABEL, ControlKind::Static, "CH2 Waveform Color", 16, 56, 170, 22),
        Control(IDC_CH2_COLOR, ControlKind::Custom, "", 200, 52, 80, 26, kTab),
        Control(IDC_MATH_COLOR_LABEL, ControlKind::Static, "Math Waveform Color", 16, 94, 170, 22),
        Control(IDC_MATH_COLOR, ControlKind::Custom, "", 200, 90, 80, 26, kTab),
        Control(IDC_REF_COLOR_LABEL, ControlKind::Static, "REF Waveform Color", 16, 132, 170, 22),
        Control(IDC_REF_COLOR, ControlKind::Custom, "", 200, 128, 80, 26, kTab),
        Control(IDOK, ControlKind::Button, "OK", 104, 176, 92, 28, kTab | BS_DEFPUSHBUTTON),
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
