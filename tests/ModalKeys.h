#pragma once
// Driving modal windows and keys through Qt's own event path, shared by the window and key tests.
#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace kvtest {

// Runs `action` once, on the next modal window of any kind (file dialogs and message boxes
// included), from inside its own event loop.
class OnNextModal {
public:
    explicit OnNextModal(std::function<void(QWidget*)> action) : m_action(std::move(action)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible())
                return;
            m_timer.stop();
            ++seen;
            m_action(modal);
            // A key that missed the box would leave its loop waiting for ever: fail instead.
            QPointer<QWidget> open(modal);
            QTimer::singleShot(10000, [open] {
                if (open && open->isVisible() && QApplication::activeModalWidget() == open) {
                    ADD_FAILURE() << "the modal window was still open 10 s after the key";
                    open->close();
                }
            });
        });
        m_timer.start(5);
    }
    int seen = 0;

private:
    std::function<void(QWidget*)> m_action;
    QTimer m_timer;
};

// A key as the platform delivers it: to the window, which hands it to its focus widget.
inline void Press(QWidget* inWindow, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    // A window just shown becomes active a moment later on a busy machine.
    (void)QTest::qWaitFor([inWindow] { return QApplication::activeWindow() == inWindow->window(); }, 2000);
    QTest::keyClick(inWindow->window()->windowHandle(), key, modifiers);
}

} // namespace kvtest
