#include "gui/app/FormSupport.h"

#include "gui/app/Messages.h"
#include "gui/app/ReportPrinter.h"

#include <QApplication>
#include <QFileDialog>
#include <QListWidget>
#include <QPrintDialog>

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
