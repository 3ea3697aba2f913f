#pragma once
// Small pieces every problem form uses the same way: filling a list from the core's lines, the
// busy cursor of a command, the file and printer dialogs, and printing a report.

#include <QColor>
#include <QSize>
#include <QString>

#include <string>
#include <vector>

class QAction;
class QListWidget;
class QMenu;
class QPrinter;
class QWidget;

namespace ode::app {

// A path between the windows and the core: the core's paths are UTF-8 on Windows (it turns them
// into UTF-16 itself) and the file system's own bytes elsewhere (QFile's encoding of names).
std::string CorePath(const QString& path);
QString QtPath(const std::string& path);

// A text between a box and the core: Qt's UTF-16 and the core's UTF-8.
inline QString q(const std::string& text) { return QString::fromStdString(text); }
inline std::string s(const QString& text) { return text.toStdString(); }

void FillList(QListWidget* list, const std::vector<std::string>& lines);

// The hourglass for the life of a command; a message box on the way may have restored it.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// Opens `child` beside `parent` (to its right, else to its left, else over the parent against the
// screen's edge on its roomier side), within the screen's free area; once it has been placed the
// user's own placement stands.
void PlaceBeside(QWidget* child, QWidget* parent);

// Puts `child` centred over `parent`, within the screen's free area.
void CentreOn(QWidget* child, QWidget* parent);

// Gives `window` the size `wanted`, or as much of it as the screen's free area holds (never
// less than the window's minimum size).
void ResizeOnScreen(QWidget* window, QSize wanted);

// Disabled text (a locked head, an unavailable choice) in a grey that still reads: two
// thirds of the way from the background to the normal text, for every colour group of the
// application's palette.
void UseReadableDisabledText();

// The contrast ratio of two colours (1 to 21), as accessibility guidelines measure it.
double ContrastRatio(const QColor& a, const QColor& b);

// The platform's open or save dialog, showing the problem files (NAME.str, one entry a pair)
// or every file: the chosen name, "" when cancelled.
QString ChooseFileWithDialog(QWidget* parent, bool save);
// The keys a desktop program answers to, given to a window's menu items (any may be null):
// Ctrl+N New, Ctrl+O Open, Ctrl+S Save, Ctrl+Shift+S Save As, Ctrl+P Print, F1 Help, Alt+F the
// File menu, and Ctrl+Q, which closes every window as closing the problem's form does (a
// problem not saved asks first). Enter presses a focused button, as Space does.
struct StandardItems {
    QMenu* file = nullptr;
    QAction *newItem = nullptr, *open = nullptr, *save = nullptr, *saveAs = nullptr, *print = nullptr;
    QAction* help = nullptr;
};
void GiveStandardKeys(QWidget* window, const StandardItems& items);

// The printer dialog: true to print.
bool ConfirmPrinterWithDialog(QWidget* parent, QPrinter& printer);

// Prints a report's lines after `confirmed`; a printer that cannot start is reported.
void PrintReport(QWidget* form, QPrinter& printer, bool confirmed, const std::vector<std::string>& lines);

} // namespace ode::app
