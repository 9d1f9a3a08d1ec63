#pragma once
// Text and check state of the Qt widgets behind windows and controls.
#include <QWidget>

#include <string>

namespace kv {
void SetWidgetText(QWidget* widget, const std::string& text);
std::string GetWidgetText(const QWidget* widget);
void SetWidgetCheck(QWidget* widget, int check);
int GetWidgetCheck(const QWidget* widget);
void SetWidgetTextInt(QWidget* widget, int value);
} // namespace kv
