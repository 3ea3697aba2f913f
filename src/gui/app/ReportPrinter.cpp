#include "gui/app/ReportPrinter.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

namespace ode::app {

bool ReportPrinter::print(QPrinter& printer, const std::vector<std::string>& lines)
{
    SavedPrinterFont = fontName;
    fontName = QStringLiteral("Courier New");
    QPainter painter;
    if (!painter.begin(&printer)) {
        fontName = SavedPrinterFont;
        return false;
    }
    QFont font(fontName, 10);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    painter.setFont(font);
    const QFontMetrics metrics(font, &printer);
    const int lineHeight = metrics.lineSpacing();
    const QRect page = painter.viewport();
    int y = metrics.ascent();
    for (const std::string& line : lines) {
        if (y + metrics.descent() > page.height()) {
            printer.newPage();
            y = metrics.ascent();
        }
        painter.drawText(0, y, QString::fromStdString(line));
        y += lineHeight;
    }
    painter.end();
    fontName = SavedPrinterFont;
    return true;
}

} // namespace ode::app
