#include "gui/app/FormSupport.h"

#include "gui/app/Messages.h"
#include "gui/app/ReportPrinter.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QKeySequence>
#include <QListWidget>
#include <QMenu>
#include <QPrintDialog>
#include <QPushButton>
#include <QScreen>

#include <QPalette>

#include <algorithm>
#include <cmath>

namespace ode::app {

std::string CorePath(const QString& path)
{
#ifdef _WIN32
    return path.toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

QString QtPath(const std::string& path)
{
#ifdef _WIN32
    return QString::fromStdString(path);
#else
    return QFile::decodeName(QByteArray::fromStdString(path));
#endif
}

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

void ResizeOnScreen(QWidget* window, QSize wanted)
{
    if (const QScreen* screen = window->screen()) {
        const QSize room = screen->availableGeometry().size() - QSize(16, 48); // frame and title bar
        wanted = wanted.boundedTo(room);
    }
    window->resize(wanted.expandedTo(window->minimumSizeHint()));
}

namespace {

QColor Between(const QColor& from, const QColor& to, double share)
{
    return QColor::fromRgbF(static_cast<float>(from.redF() + (to.redF() - from.redF()) * share),
                            static_cast<float>(from.greenF() + (to.greenF() - from.greenF()) * share),
                            static_cast<float>(from.blueF() + (to.blueF() - from.blueF()) * share));
}

double Luminance(const QColor& c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

void UseReadableDisabledText()
{
    QPalette palette = QApplication::palette();
    const struct {
        QPalette::ColorRole text, background;
    } pairs[] = {{QPalette::Text, QPalette::Base},
                 {QPalette::WindowText, QPalette::Window},
                 {QPalette::ButtonText, QPalette::Button}};
    for (const auto& p : pairs)
        palette.setColor(QPalette::Disabled, p.text,
                         Between(palette.color(QPalette::Disabled, p.background),
                                 palette.color(QPalette::Active, p.text), 2.0 / 3.0));
    QApplication::setPalette(palette);
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
    // No room on either side: against the screen's edge on the side with more room, where it
    // hides the least of the parent (centred over it, it would hide the middle of the form).
    if (at.x() < free.left())
        at.setX(free.right() - p.right() >= p.left() - free.left() ? free.right() - size.width() : free.left());
    at.setX(std::clamp(at.x(), free.left(), std::max(free.left(), free.right() - size.width())));
    at.setY(std::clamp(at.y(), free.top(), std::max(free.top(), free.bottom() - size.height())));
    child->move(at);
}

void GiveStandardKeys(QWidget* window, const StandardItems& items)
{
    const auto give = [](QAction* item, const QKeySequence& keys) {
        if (item)
            item->setShortcut(keys);
    };
    give(items.newItem, QKeySequence(Qt::CTRL | Qt::Key_N));
    give(items.open, QKeySequence(Qt::CTRL | Qt::Key_O));
    give(items.save, QKeySequence(Qt::CTRL | Qt::Key_S));
    give(items.saveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    give(items.print, QKeySequence(Qt::CTRL | Qt::Key_P));
    give(items.help, QKeySequence(Qt::Key_F1));
    if (items.file && !items.file->title().contains('&'))
        items.file->setTitle('&' + items.file->title());
    auto* quit = new QAction(QStringLiteral("Quit"), window);
    quit->setObjectName("actQuit");
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    window->addAction(quit);
    QObject::connect(quit, &QAction::triggered, window, []() { QApplication::closeAllWindows(); });
    for (QPushButton* button : window->findChildren<QPushButton*>())
        button->setAutoDefault(true);
}

QString ChooseFileWithDialog(QWidget* parent, bool save)
{
    QFileDialog dialog(parent, save ? QStringLiteral("Save As") : QStringLiteral("Open"));
    dialog.setObjectName("dlgFile");
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // A pair is two files, NAME and NAME.str: one entry stands for it (the caller takes either
    // as the pair's name).
    dialog.setNameFilters({QStringLiteral("Problems (*.str)"), QStringLiteral("All files (*)")});
    // Wide enough for the name, size, type and date columns, but within the screen.
    ResizeOnScreen(&dialog, QSize(860, 520));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

void CentreOn(QWidget* child, QWidget* parent)
{
    if (!child || !parent)
        return;
    const QScreen* screen = parent->screen();
    QRect frame(QPoint(), child->frameGeometry().size());
    frame.moveCenter(parent->frameGeometry().center());
    if (screen) {
        const QRect free = screen->availableGeometry();
        frame.moveLeft(std::clamp(frame.left(), free.left(), std::max(free.left(), free.right() - frame.width())));
        frame.moveTop(std::clamp(frame.top(), free.top(), std::max(free.top(), free.bottom() - frame.height())));
    }
    child->move(frame.topLeft());
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
