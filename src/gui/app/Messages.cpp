#include "gui/app/Messages.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QSpacerItem>

#include <algorithm>

namespace ode::app {

const char* const kApplicationTitle = "ODE Series";

void ShowMessage(QWidget* parent, const QString& text)
{
    // A long path has no blank to wrap at: a zero-width space after each slash of a run of more
    // than 40 characters without a blank lets it break there, so that no part of it is cut off.
    QString shown;
    int run = 0;
    for (const QChar c : text) {
        shown += c;
        run = c.isSpace() ? 0 : run + 1;
        if (c == QChar('/') && run > 40)
            shown += QChar(0x200B);
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kApplicationTitle), shown, QMessageBox::Ok, parent);
    box.setObjectName("msgBox");
    box.setTextFormat(Qt::PlainText); // a problem's text is shown as typed, never read as markup
    // As wide as the text needs, at least enough for the title (a narrow box shows it as "..."),
    // at most a readable measure of about 70 characters; the rest wraps.
    const QFontMetrics metrics(box.font());
    const int least = metrics.horizontalAdvance(QString::fromLatin1(kApplicationTitle)) + 160;
    const int most = std::max(least, metrics.averageCharWidth() * 70);
    const int measure = std::clamp(metrics.horizontalAdvance(text) + 2 * metrics.averageCharWidth(), least, most);
    if (auto* label = box.findChild<QLabel*>("qt_msgbox_label")) {
        label->setWordWrap(true);
        label->setMinimumWidth(measure);
    }
    // The box sizes itself to its layout: a spacer the measure wide keeps it from shrinking the
    // label back.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(measure, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
    box.exec();
}

} // namespace ode::app
