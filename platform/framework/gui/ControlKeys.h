#pragma once
// Which keys a focused control uses itself: those reach the control before any accelerator of
// its window, so Space toggles the focused check box and the arrows step the focused list.
#include "framework/WinDef.h"

class QWidget;

namespace kv {

// Whether `control` uses the key of a key-down message (virtual key `vk`, modifiers as the
// accelerator tables read them from lParam).
bool ControlUsesKey(QWidget* control, UINT vk, LPARAM modifiers);
// The control a key message is for: the focus widget when it lies in the message's window,
// else that window itself.
QWidget* KeyTarget(const MSG& msg);

} // namespace kv
