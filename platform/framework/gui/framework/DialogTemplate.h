#pragma once
// Dialog templates: a dialog's id, caption, window style, client size in pixels and its controls,
// each with id, kind, text, rectangle, style and (for lists) initial items. Registered by id before
// a dialog or form view asks for them.
#include "framework/CString.h"
#include "framework/WinDef.h"

#include <vector>

enum class ControlKind {
    Static,      // text label
    Picture,     // image label
    Button,      // push button
    CheckBox,    // check box (auto)
    RadioButton, // radio button; BS_AUTORADIOBUTTON makes a group exclusive
    GroupBox,    // frame with a caption
    Edit,        // one-line edit
    ComboBox,    // drop-down list
    ListBox,     // list
    Slider,      // track bar
    Spin,        // up-down arrows with an optional buddy edit
    TabControl,  // tab strip that hosts child windows
    Custom,      // plain window for custom drawing (bound later through DDX_Control)
};

// Control styles that change behaviour.
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
constexpr DWORD BS_AUTORADIOBUTTON = 0x0009;
constexpr DWORD ES_NUMBER = 0x2000;
constexpr DWORD ES_READONLY = 0x0800;
constexpr DWORD TBS_VERT = 0x0002;
constexpr DWORD UDS_SETBUDDYINT = 0x0002;
constexpr DWORD UDS_AUTOBUDDY = 0x0010;
constexpr DWORD SS_NOTIFY = 0x0100;

struct DialogControlTemplate {
    UINT id = 0;
    ControlKind kind = ControlKind::Static;
    CString text;
    RECT rect;
    DWORD style = WS_VISIBLE;
    std::vector<CString> items;
};

struct DialogTemplate {
    UINT id = 0;
    CString caption;
    // Without WS_CHILD the dialog is a window of its own (framed and titled with WS_CAPTION, with a
    // close button with WS_SYSMENU) owned by the top-level window of the window it is made for;
    // with WS_CHILD a modeless dialog is a panel inside the window it is made for.
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    SIZE size;
    std::vector<DialogControlTemplate> controls;
};

void RegisterDialogTemplate(DialogTemplate dialogTemplate);
const DialogTemplate* FindDialogTemplate(UINT id);

class CWnd;
namespace kv {
// Creates the template's controls as children of the window; their notifications go to it.
void BuildDialogControls(CWnd* owner, const DialogTemplate& dialogTemplate);
// The template a window's controls were built from, or nullptr.
const DialogTemplate* TemplateOf(const CWnd* owner);
} // namespace kv
