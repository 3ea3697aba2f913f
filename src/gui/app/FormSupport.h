#pragma once
// Small pieces every problem form uses the same way: filling a list from the core's lines, the
// busy cursor of a command, the file and printer dialogs, and printing a report.

#include <QString>

#include <string>
#include <vector>

class QListWidget;
class QPrinter;
class QWidget;

namespace ode::app {

void FillList(QListWidget* list, const std::vector<std::string>& lines);

// The hourglass for the life of a command; a message box on the way may have restored it.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// Opens `child` beside `parent` (to its right, else to its left, else over it), within the
// screen's free area; once it has been placed the user's own placement stands.
void PlaceBeside(QWidget* child, QWidget* parent);

// The platform's open or save dialog: the chosen name, "" when cancelled.
QString ChooseFileWithDialog(QWidget* parent, bool save);
// The printer dialog: true to print.
bool ConfirmPrinterWithDialog(QWidget* parent, QPrinter& printer);

// Prints a report's lines after `confirmed`; a printer that cannot start is reported.
void PrintReport(QWidget* form, QPrinter& printer, bool confirmed, const std::vector<std::string>& lines);

} // namespace ode::app
