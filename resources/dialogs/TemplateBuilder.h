#pragma once

// Small helpers shared by the files that build the dialog templates: one control from its id,
// kind, text and rectangle (left, top, width, height), plus the styles most controls use.

#include "framework/DialogTemplate.h"

#include <utility>
#include <vector>

namespace kv::dialog_build {

// A control that takes part in Tab navigation.
constexpr DWORD kTab = WS_VISIBLE | WS_TABSTOP;
// An automatic radio button; the first of a group also carries WS_GROUP.
constexpr DWORD kRadio = WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON;
constexpr DWORD kFirstRadio = kRadio | WS_GROUP;
// Id of the labels that keep their text in every language.
constexpr UINT kUnnamed = 0xFFFF;

inline DialogControlTemplate Control(UINT id, ControlKind kind, const char* text, int x, int y, int cx,
                                     int cy, DWORD style = WS_VISIBLE, std::vector<CString> items = {}) {
    DialogControlTemplate c;
    c.id = id;
    c.kind = kind;
    c.text = text;
    c.rect = RECT{x, y, x + cx, y + cy};
    c.style = style;
    c.items = std::move(items);
    return c;
}

} // namespace kv::dialog_build
