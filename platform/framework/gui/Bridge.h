#pragma once
// Qt widgets whose events become a CWnd's handlers.
#include <QEvent>
#include <QMainWindow>
#include <QWidget>

class CWnd;

namespace kv::bridge {
// Delivers one Qt event to the widget's CWnd; true when it was consumed.
bool Dispatch(QWidget* widget, QEvent* event);
// Runs OnPaint and shows what it drew in one copy; false to let Qt paint the default.
bool Paint(QWidget* widget);
// The virtual-key code of a Qt key, 0 when there is none.
unsigned VirtualKey(int qtKey);
// Key state as MK_ flags.
unsigned MouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
} // namespace kv::bridge

template <class Base> class BridgedWidget : public Base {
public:
    using Base::Base;

protected:
    bool event(QEvent* e) override {
        if (kv::bridge::Dispatch(this, e))
            return true;
        return Base::event(e);
    }
    void paintEvent(QPaintEvent* e) override {
        if (!kv::bridge::Paint(this))
            Base::paintEvent(e);
    }
};
