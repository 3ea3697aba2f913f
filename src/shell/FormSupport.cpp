#include "shell/FormSupport.h"

#include "common/NumberFormat.h"
#include "plot/frmPTserN.h"
#include "shell/Messages.h"
#include "shell/ReportPrinter.h"
#include "shell/Shell.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintDialog>

namespace ode::shell {

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

void HandOverToPlot(Shell& shell, plot::PlotSource source, const QString& lowerText, const QString& upperText)
{
    shell.state().plotSource = std::move(source);
    auto* window = shell.plotWindow();
    window->ShowSeriesSpecs();
    window->txtWindowlx->setText(QString::fromStdString(FormatSigned(ParseNumber(lowerText.toStdString()))));
    window->txtWindowgx->setText(QString::fromStdString(FormatSigned(ParseNumber(upperText.toStdString()))));
    window->cmdPlot_Click();
}

} // namespace ode::shell
