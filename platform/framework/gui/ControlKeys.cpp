#include "ControlKeys.h"

#include "framework/Accelerator.h"
#include "framework/Wnd.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QWidget>

namespace kv {

namespace {

bool IsArrow(UINT vk) {
    return vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN;
}

bool IsPaging(UINT vk) {
    return vk == VK_PRIOR || vk == VK_NEXT || vk == VK_HOME || vk == VK_END;
}

} // namespace

bool ControlUsesKey(QWidget* control, UINT vk, LPARAM modifiers) {
    if (!control || !control->isEnabled() || (modifiers & KV_KEY_CONTROL))
        return false;
    const bool alt = (modifiers & KV_KEY_ALT) != 0;
    if (qobject_cast<QComboBox*>(control)) {
        // Alt with an arrow opens the list; the arrows, paging keys and F4 choose in it.
        if (alt)
            return vk == VK_UP || vk == VK_DOWN;
        return IsArrow(vk) || IsPaging(vk) || vk == VK_F1 + 3;
    }
    if (alt)
        return false;
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        if (vk == VK_SPACE)
            return true;
        if (vk == VK_RETURN)
            return qobject_cast<QPushButton*>(button) != nullptr;
        // The arrows move the choice within a group of radio buttons.
        return IsArrow(vk) && qobject_cast<QRadioButton*>(button) != nullptr;
    }
    if (qobject_cast<QAbstractSlider*>(control))
        return IsArrow(vk) || IsPaging(vk);
    if (qobject_cast<QAbstractItemView*>(control))
        return IsArrow(vk) || IsPaging(vk) || vk == VK_SPACE;
    if (qobject_cast<QTabBar*>(control))
        return vk == VK_LEFT || vk == VK_RIGHT;
    // A window of the program's own says what it uses.
    CWnd* wnd = CWnd::FromWidget(control);
    if (!wnd)
        return false;
    const UINT code = wnd->OnGetDlgCode();
    if ((code & DLGC_BUTTON) && vk == VK_SPACE)
        return true;
    return (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) && vk == VK_RETURN;
}

QWidget* KeyTarget(const MSG& msg) {
    QWidget* window = msg.hwnd ? msg.hwnd->GetWidget() : nullptr;
    QWidget* focus = QApplication::focusWidget();
    if (window && focus && (focus == window || window->isAncestorOf(focus)))
        return focus;
    return window;
}

} // namespace kv
