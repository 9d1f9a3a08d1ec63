#pragma once
// Driving a dialog's controls from a test the way the user would: reading and typing texts,
// clicking buttons, choosing list items and sending control notifications.
#include "framework/Controls.h"
#include "framework/Dialog.h"

namespace apptest {

// The text of control `id`.
inline CString Text(CWnd& dlg, int id) {
    CString s;
    dlg.GetDlgItemText(id, s);
    return s;
}

// Sets the text of control `id` in place of what the user would type.
inline void Type(CWnd& dlg, int id, const char* text) {
    dlg.SetDlgItemText(id, text);
}

// Clicks control `id` of a dialog.
inline void Click(CDialog& dlg, int id) {
    dlg.OnCommand(MAKEWPARAM(id, BN_CLICKED), 0);
}

// Selects `item` of the list with id `id` and tells the dialog its selection changed.
inline void Choose(CDialog& dlg, CComboBox& list, int id, int item) {
    list.SetCurSel(item);
    dlg.OnCommand(MAKEWPARAM(id, CBN_SELCHANGE), 0);
}

// Sends notification `code` from control `id`.
inline void Notify(CDialog& dlg, int id, UINT code) {
    NMHDR hdr;
    hdr.idFrom = static_cast<UINT_PTR>(id);
    hdr.code = code;
    LRESULT result = 0;
    dlg.OnNotify(static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&hdr), &result);
}

} // namespace apptest
