#include "gui/app/Messages.h"

#include <QMessageBox>

namespace ode::app {

const char* const kApplicationTitle = "ODE Series";

void ShowMessage(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kApplicationTitle), text, QMessageBox::Ok, parent);
    box.setObjectName("msgBox");
    // Wide enough for its title and a line of text (a narrow box shows its title as "...").
    box.setStyleSheet("QLabel { min-width: 260px; }");
    box.exec();
}

} // namespace ode::app
