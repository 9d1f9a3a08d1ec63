#include "WidgetAccess.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace kv {

void SetWidgetText(QWidget* widget, const std::string& text) {
    const QString t = QString::fromUtf8(text.c_str());
    if (auto* b = qobject_cast<QAbstractButton*>(widget))
        b->setText(t);
    else if (auto* l = qobject_cast<QLabel*>(widget))
        l->setText(t);
    else if (auto* e = qobject_cast<QLineEdit*>(widget))
        e->setText(t);
    else if (auto* g = qobject_cast<QGroupBox*>(widget))
        g->setTitle(t);
    else if (auto* c = qobject_cast<QComboBox*>(widget); c && c->isEditable())
        c->setEditText(t);
    else if (widget)
        widget->setWindowTitle(t);
}

std::string GetWidgetText(const QWidget* widget) {
    QString t;
    if (auto* b = qobject_cast<const QAbstractButton*>(widget))
        t = b->text();
    else if (auto* l = qobject_cast<const QLabel*>(widget))
        t = l->text();
    else if (auto* e = qobject_cast<const QLineEdit*>(widget))
        t = e->text();
    else if (auto* g = qobject_cast<const QGroupBox*>(widget))
        t = g->title();
    else if (auto* c = qobject_cast<const QComboBox*>(widget))
        t = c->currentText();
    else if (widget)
        t = widget->windowTitle();
    return t.toUtf8().toStdString();
}

void SetWidgetCheck(QWidget* widget, int check) {
    if (auto* b = qobject_cast<QAbstractButton*>(widget); b && b->isCheckable()) {
        const bool blocked = b->blockSignals(true); // a programmatic check sends no notification
        b->setChecked(check != 0);
        b->blockSignals(blocked);
    }
}

int GetWidgetCheck(const QWidget* widget) {
    auto* b = qobject_cast<const QAbstractButton*>(widget);
    return b && b->isChecked() ? 1 : 0;
}

void SetWidgetTextInt(QWidget* widget, int value) {
    SetWidgetText(widget, std::to_string(value));
}

} // namespace kv
