#pragma once
// Message boxes as the program shows them: OK only, the application's title, no icon.

#include <QString>

class QWidget;

namespace ode::app {

extern const char* const kApplicationTitle;

void ShowMessage(QWidget* parent, const QString& text);

} // namespace ode::app
