#pragma once
// Printing of a report's lines: one document in the fixed-pitch font "Courier New" (a
// metric-compatible substitute where it is missing), new pages where a page is full.

#include <QString>

#include <string>
#include <vector>

class QPrinter;

namespace ode::app {

class ReportPrinter {
public:
    // The printer's font name outside a report.
    QString fontName = QStringLiteral("Arial");
    // The font name saved while a report prints (SavedPrinterFont).
    QString SavedPrinterFont;

    // Prints `lines` on `printer` and ends the document. False when the printer cannot start.
    bool print(QPrinter& printer, const std::vector<std::string>& lines);
};

} // namespace ode::app
