#include "gui/app/FormSupport.h"

#include "gui/app/Messages.h"
#include "gui/app/ReportPrinter.h"

#include <QApplication>
#include <QFileDialog>
#include <QListWidget>
#include <QPrintDialog>
#include <QScreen>

#include <algorithm>

namespace ode::app {

void FillList(QListWidget* list, const std::vector<std::string>& lines)
{
    list->clear();
    for (const auto& line : lines)
        list->addItem(QString::fromStdString(line));
}

BusyCursor::BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

BusyCursor::~BusyCursor()
{
    if (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void PlaceBeside(QWidget* child, QWidget* parent)
{
    if (!child || !parent || child->isVisible() || child->property("placed").toBool())
        return;
    child->setProperty("placed", true);
    const QScreen* screen = parent->screen();
    const QRect free = screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
    const QRect p = parent->frameGeometry();
    const QSize size = child->frameGeometry().size();
    QPoint at(p.right() + 8, p.top());
    if (at.x() + size.width() > free.right())
        at.setX(p.left() - 8 - size.width());
    if (at.x() < free.left())
        at.setX(p.left() + (p.width() - size.width()) / 2);
    at.setX(std::clamp(at.x(), free.left(), std::max(free.left(), free.right() - size.width())));
    at.setY(std::clamp(at.y(), free.top(), std::max(free.top(), free.bottom() - size.height())));
    child->move(at);
}

QString ChooseFileWithDialog(QWidget* parent, bool save)
{
    return save ? QFileDialog::getSaveFileName(parent) : QFileDialog::getOpenFileName(parent);
}

bool ConfirmPrinterWithDialog(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void PrintReport(QWidget* form, QPrinter& printer, bool confirmed, const std::vector<std::string>& lines)
{
    if (!confirmed)
        return;
    ReportPrinter report;
    if (!report.print(printer, lines))
        ShowMessage(form, "The printer cannot be started.");
}

} // namespace ode::app
