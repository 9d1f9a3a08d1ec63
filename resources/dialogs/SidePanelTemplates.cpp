#include "resources/dialogs/SidePanelTemplates.h"

#include "resources/dialogs/TemplateBuilder.h"

namespace kv {

namespace {

using namespace dialog_build;

// Lists in the left column, knob (88 x 86) in the right one.
constexpr int kListX = 10;
constexpr int kListW = 80;
constexpr int kRowH = 22;
constexpr int kKnobX = 92;
constexpr int kKnobW = 88;
constexpr int kKnobH = 86;

void AddChannel(std::vector<DialogControlTemplate>& out, int top, UINT onId, const char* name, UINT voltId,
                UINT couplingId, UINT probeId, UINT knobId) {
    out.push_back(Control(onId, ControlKind::CheckBox, name, kListX, top, kListW, 20, kTab));
    out.push_back(Control(voltId, ControlKind::ComboBox, "", kListX, top + 22, kListW, kRowH, kTab));
    out.push_back(Control(couplingId, ControlKind::ComboBox, "", kListX, top + 48, kListW, kRowH, kTab));
    out.push_back(Control(probeId, ControlKind::ComboBox, "", kListX, top + 74, kListW, kRowH, kTab,
                          {"x 1", "x 10", "x 100", "x 1000"}));
    out.push_back(Control(knobId, ControlKind::Custom, "", kKnobX, top + 6, kKnobW, kKnobH));
}

DialogTemplate SidePanel() {
    DialogTemplate t;
    t.id = 178;
    t.caption = "";
    t.style = WS_CHILD; // a panel inside the view's tab control
    t.size = SIZE{188, 492};
    std::vector<DialogControlTemplate>& c = t.controls;

    c.push_back(Control(1104, ControlKind::GroupBox, "Channel", 2, 2, 184, 220));
    AddChannel(c, 18, 1040, "CH1", 1047, 1048, 1043, 1082);
    AddChannel(c, 118, 1045, "CH2", 1051, 1052, 1050, 1083);

    c.push_back(Control(1095, ControlKind::GroupBox, "Horizontal", 2, 226, 184, 104));
    c.push_back(Control(1232, ControlKind::Static, "Time / DIV", kListX, 242, kListW, 18));
    c.push_back(Control(1058, ControlKind::ComboBox, "", kListX, 260, kListW, kRowH, kTab));
    c.push_back(Control(1233, ControlKind::Static, "Format", kListX, 284, kListW, 18));
    c.push_back(Control(1059, ControlKind::ComboBox, "", kListX, 302, kListW, kRowH, kTab,
                        {"Y - T", "Roll", "X - Y"}));
    c.push_back(Control(1081, ControlKind::Custom, "", kKnobX, 240, kKnobW, kKnobH));

    constexpr int kLabelW = 92;
    constexpr int kComboX = 104;
    constexpr int kComboW = 76;
    c.push_back(Control(1072, ControlKind::GroupBox, "Trigger", 2, 334, 184, 154));
    c.push_back(Control(1067, ControlKind::Static, "Trigger Mode", kListX, 354, kLabelW, 18));
    c.push_back(Control(1107, ControlKind::ComboBox, "", kComboX, 352, kComboW, kRowH, kTab));
    c.push_back(Control(1066, ControlKind::Static, "Trigger Sweep", kListX, 380, kLabelW, 18));
    c.push_back(Control(1108, ControlKind::ComboBox, "", kComboX, 378, kComboW, kRowH, kTab));
    c.push_back(Control(1074, ControlKind::Static, "Trigger Source", kListX, 406, kLabelW, 18));
    c.push_back(Control(1073, ControlKind::ComboBox, "", kComboX, 404, kComboW, kRowH, kTab));
    // The slope caption reads "When Pulse Width" in Pulse mode: two lines, centred on its list.
    c.push_back(Control(1075, ControlKind::Static, "Trigger Slope", kListX, 426, kLabelW, 30));
    c.push_back(Control(1076, ControlKind::ComboBox, "", kComboX, 430, kComboW, kRowH, kTab));
    c.push_back(Control(1077, ControlKind::Static, "Pulse Width", kListX, 458, kLabelW, 18));
    // The pulse width shows on a flat button so that a click reaches the panel as a command.
    c.push_back(Control(1302, ControlKind::Button, "10.0nS", kComboX, 456, kComboW, kRowH, kTab));
    return t;
}

} // namespace

void RegisterSidePanelTemplates() {
    static const bool registered = [] {
        RegisterDialogTemplate(SidePanel());
        return true;
    }();
    (void)registered;
}

} // namespace kv
