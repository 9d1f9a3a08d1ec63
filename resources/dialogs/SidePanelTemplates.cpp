#include "resources/dialogs/SidePanelTemplates.h"

#include "resources/Resource.h"
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
    t.id = IDD_SIDEBAR;
    t.caption = "";
    t.style = WS_CHILD; // a panel inside the view's tab control
    t.size = SIZE{188, 492};
    std::vector<DialogControlTemplate>& c = t.controls;

    c.push_back(Control(IDC_CHANNEL_FRAME, ControlKind::GroupBox, "Channel", 2, 2, 184, 220));
    AddChannel(c, 18, IDC_CH1_ON, "CH1", IDC_CH1_VOLTDIV, IDC_CH1_COUPLING, IDC_CH1_PROBE, IDC_KNOB_CH1);
    AddChannel(c, 118, IDC_CH2_ON, "CH2", IDC_CH2_VOLTDIV, IDC_CH2_COUPLING, IDC_CH2_PROBE, IDC_KNOB_CH2);

    c.push_back(Control(IDC_HORIZONTAL_FRAME, ControlKind::GroupBox, "Horizontal", 2, 226, 184, 104));
    c.push_back(Control(IDC_TIMEDIV_LABEL, ControlKind::Static, "Time / DIV", kListX, 242, kListW, 18));
    c.push_back(Control(IDC_TIMEDIV, ControlKind::ComboBox, "", kListX, 260, kListW, kRowH, kTab));
    c.push_back(Control(IDC_FORMAT_LABEL, ControlKind::Static, "Format", kListX, 284, kListW, 18));
    c.push_back(Control(IDC_FORMAT, ControlKind::ComboBox, "", kListX, 302, kListW, kRowH, kTab,
                        {"Y - T", "Roll", "X - Y"}));
    c.push_back(Control(IDC_KNOB_TIME, ControlKind::Custom, "", kKnobX, 240, kKnobW, kKnobH));

    constexpr int kLabelW = 92;
    constexpr int kComboX = 104;
    constexpr int kComboW = 76;
    c.push_back(Control(IDC_TRIGGER_FRAME, ControlKind::GroupBox, "Trigger", 2, 334, 184, 154));
    c.push_back(
        Control(IDC_TRIGGER_MODE_LABEL, ControlKind::Static, "Trigger Mode", kListX, 354, kLabelW, 18));
    c.push_back(Control(IDC_TRIGGER_MODE, ControlKind::ComboBox, "", kComboX, 352, kComboW, kRowH, kTab));
    c.push_back(Control(IDC_SWEEP_LABEL, ControlKind::Static, "Trigger Sweep", kListX, 380, kLabelW, 18));
    c.push_back(Control(IDC_TRIGGER_SWEEP, ControlKind::ComboBox, "", kComboX, 378, kComboW, kRowH, kTab));
    c.push_back(
        Control(IDC_TRIGGER_SOURCE_LABEL, ControlKind::Static, "Trigger Source", kListX, 406, kLabelW, 18));
    c.push_back(Control(IDC_TRIGGER_SOURCE, ControlKind::ComboBox, "", kComboX, 404, kComboW, kRowH, kTab));
    // The slope caption reads "When Pulse Width" in Pulse mode: two lines, centred on its list.
    c.push_back(Control(IDC_SLOPE_LABEL, ControlKind::Static, "Trigger Slope", kListX, 426, kLabelW, 30));
    c.push_back(Control(IDC_TRIGGER_SLOPE, ControlKind::ComboBox, "", kComboX, 430, kComboW, kRowH, kTab));
    c.push_back(Control(IDC_PULSE_WIDTH_LABEL, ControlKind::Static, "Pulse Width", kListX, 458, kLabelW, 18));
    // The pulse width shows on a flat button so that a click reaches the panel as a command.
    c.push_back(Control(IDC_PULSE_WIDTH, ControlKind::Button, "10.0nS", kComboX, 456, kComboW, kRowH, kTab));
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
