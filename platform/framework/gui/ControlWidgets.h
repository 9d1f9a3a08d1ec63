#pragma once
// Qt widgets for the controls that Qt lacks in this shape: up-down arrows and a tab strip
// that hosts child windows.
#include "framework/DialogTemplate.h"

#include <QPointer>
#include <QTabBar>
#include <QWidget>

class QToolButton;

namespace kv {

class SpinButton : public QWidget {
public:
    SpinButton(UINT id, DWORD style, QWidget* parent);
    // Up (+1 toward the upper bound) or down; asks the owner first through UDN_DELTAPOS.
    void Step(bool up);
    int lower = 100; // the default range runs from 100 down to 0
    int upper = 0;
    int pos = 0;
    DWORD style = 0;
    QPointer<QWidget> buddy;
    void SetPos(int p);

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    UINT m_id;
    QToolButton* m_up;
    QToolButton* m_down;
};

class TabControlWidget : public QWidget {
public:
    explicit TabControlWidget(QWidget* parent);
    QTabBar* tabs;

protected:
    void resizeEvent(QResizeEvent*) override;
};

// Sends a control notification (WM_COMMAND) from a control widget to its dialog.
void NotifyCommand(QWidget* control, UINT code);

} // namespace kv
