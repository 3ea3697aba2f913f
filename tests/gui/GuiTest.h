#pragma once
// Helpers of the window tests: widgets by name, typing with focus changes, and message boxes
// answered (and recorded) by the test instead of blocking it.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMessageBox>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <cmath>
#include <functional>

#include "gui/app/FormEvents.h"
#include "gui/shell/DecimalPoint.h"
#include "gui/shell/Shell.h"

#include <memory>

namespace guitest {

// The user's settings (recent files) in the test folders of the platform, not the user's own.
inline void KeepSettingsApart() { QStandardPaths::setTestModeEnabled(true); }
Q_COREAPP_STARTUP_FUNCTION(KeepSettingsApart)

// A user setting that already uses the point: no warning box in the windows' tests.
class PointSetting : public ode::shell::DecimalSeparatorSetting {
public:
    std::string read() override { return "."; }
    void write(const std::string&) override {}
};

template <typename T> T* find(QWidget* root, const QString& name)
{
    T* w = root->findChild<T*>(name);
    if (!w)
        qFatal("no widget named %s", qPrintable(name));
    return w;
}

// Runs `action`; every message box that opens meanwhile is recorded and answered with
// `answer` (OK by default).
inline QStringList answeringBoxes(const std::function<void()>& action,
                                  QMessageBox::StandardButton answer = QMessageBox::Ok)
{
    QStringList seen;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&]() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen << box->text().remove(QChar(0x200B)); // the break points a path is given on screen
        QAbstractButton* button = box->button(answer);
        if (!button)
            button = box->buttons().value(0);
        button->click();
    });
    timer.start();
    action();
    QTest::qWait(20);
    timer.stop();
    return seen;
}

// Puts the focus into `box` and types `text` over its content, as a user does after clicking.
inline void typeInto(QWidget* box, const QString& text)
{
    box->setFocus(Qt::MouseFocusReason);
    QTest::qWait(1);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
}

inline void pressTab()
{
    QWidget* focus = QApplication::focusWidget();
    if (!focus)
        qFatal("no widget has the focus");
    QTest::keyClick(focus, Qt::Key_Tab);
}

// Types `text` over the box's content and leaves the box with Tab, as a user enters a value.
inline void typeAndTab(QWidget* box, const QString& text)
{
    typeInto(box, text);
    pressTab();
}

// The text of a PDF file, one trimmed line per line (poppler's pdftotext -layout).
inline QStringList pdfLines(const QString& pdf)
{
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    text.waitForFinished(10000);
    QStringList lines;
    for (const QString& line : QString::fromUtf8(text.readAllStandardOutput()).split('\n'))
        lines << line.trimmed();
    return lines;
}

// Makes `window` the active window so that focus moves as it does for a user.
inline bool activate(QWidget* window)
{
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

// A fresh shell (decimal point already in use) with the form of kind `kind` open and active.
template <typename Form> Form* openForm(std::unique_ptr<ode::shell::Shell>& shell, ode::ProblemKind kind)
{
    shell = std::make_unique<ode::shell::Shell>(std::make_unique<PointSetting>());
    shell->Main();
    shell->openKind(kind);
    auto* form = qobject_cast<Form*>(shell->CurrentForm());
    activate(form);
    return form;
}

// The head of a single equation's form typed in order, each box left with Tab.
template <typename Form>
void enterHead(Form* form, const QString& order = "2", const QString& indep = "x", const QString& dep = "y")
{
    QVERIFY(activate(form));
    typeAndTab(form->txtOrder, order);
    typeAndTab(form->txtIndepVarNam, indep);
    typeAndTab(form->txtDepVarNam, dep);
}

// Types each text into the box of that name in turn, as a user does; a condition's or an
// equation's box out of view is first brought into view with its Next button.
inline void typeAll(QWidget* form, const QList<std::pair<QString, QString>>& entries)
{
    for (const auto& [name, text] : entries) {
        auto* box = find<QWidget>(form, name);
        const QString next = name.startsWith("txtEquation_") ? "cmdNextDE" : "cmdNextBC";
        for (int i = 0; i < 10 && !box->isVisible(); ++i)
            find<QPushButton>(form, next)->click();
        typeInto(box, text);
    }
}

// Puts each text into the box of that name directly, as a program does: no focus, no checks.
inline void setTexts(QWidget* form, const QList<std::pair<QString, QString>>& entries)
{
    for (const auto& [name, text] : entries)
        find<QLineEdit>(form, name)->setText(text);
}

// Types the point (and the derivative's order, when one is given) and presses Evaluate.
template <typename Form> void evaluateAt(Form* form, const QString& x, const QString& derivative = QString())
{
    typeInto(form->txtXestimation, x);
    if (!derivative.isNull())
        typeInto(form->txtDerNum, derivative);
    form->cmdEvaluate->click();
}

// A fresh form of `kind` (in a fresh shell) that opens the pair `file` through File > Open.
template <typename Form>
Form* reopen(std::unique_ptr<ode::shell::Shell>& shell, ode::ProblemKind kind, const QString& file)
{
    Form* form = openForm<Form>(shell, kind);
    form->chooseFile = [file](bool) { return file; };
    form->mnuOpen->trigger();
    return form;
}

// Which of the `expected` lines the form's printed report (File > Print into a PDF) lacks.
template <typename Form> QStringList missingFromPrint(Form* form, const QStringList& expected)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("report.pdf");
    form->confirmPrinter = [pdf](QPrinter& printer) { // the printer dialog answered: print into the file
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    form->mnuPrint->trigger();
    const QStringList lines = pdfLines(pdf);
    QStringList missing;
    for (const QString& line : expected)
        if (!lines.contains(line))
            missing << line;
    return missing;
}

// One refused text of a box, and the text that then passes. `focus` is where the refusal sends
// the focus ("" for the box itself); `message` the status bar's line, in the core's words where
// the core states the rule.
struct Refusal {
    const char* tag;
    QString box, bad, focus, message, good;
};

// The columns and rows of a refusal table.
inline void addRefusalRows(const QList<Refusal>& rows)
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("bad");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("good");
    for (const Refusal& r : rows)
        QTest::newRow(r.tag) << r.box << r.bad << (r.focus.isEmpty() ? r.box : r.focus) << r.message << r.good;
}

// The row's bad text typed into its box of `window` and the box left with Tab: the status bar
// says why, the focus stays (or goes where the rule sends it) and a box keeping it is marked,
// nothing selected for retyping. Then the good text passes: mark and message go, the focus moves
// on, and a box of `head` (the boxes entered in order, each with its right text) locks. The
// head boxes before the row's box are entered rightly first, all of them for a box after the head.
inline void refuseThenAccept(QMainWindow* window, const QList<std::pair<QString, QString>>& head = {})
{
    QFETCH(QString, box);
    QFETCH(QString, bad);
    QFETCH(QString, focus);
    QFETCH(QString, message);
    QFETCH(QString, good);
    QVERIFY(activate(window));
    bool inHead = false;
    for (const auto& [name, right] : head) {
        if ((inHead = name == box))
            break;
        typeAndTab(find<QLineEdit>(window, name), right);
    }
    auto* edit = find<QLineEdit>(window, box);
    typeAndTab(edit, bad);
    QCOMPARE(window->statusBar()->currentMessage(), message);
    QVERIFY(find<QLineEdit>(window, focus)->hasFocus());
    QVERIFY(edit->isEnabled());
    if (focus == box) {
        QCOMPARE(edit->styleSheet(), QString(ode::app::kRefusedBoxStyle));
        QCOMPARE(edit->selectedText(), QString());
    }
    typeInto(edit, good);
    edit->setFocus();
    pressTab();
    QVERIFY(!edit->hasFocus());
    QCOMPARE(window->statusBar()->currentMessage(), QString());
    QCOMPARE(edit->styleSheet(), QString());
    QCOMPARE(edit->isEnabled(), !inHead);
}

// The texts of the boxes, labels or buttons of those names, in order.
inline QStringList textsOf(QWidget* root, const QStringList& names)
{
    QStringList out;
    for (const QString& name : names)
        out << find<QWidget>(root, name)->property("text").toString();
    return out;
}

// The lines of a list, in order.
inline QStringList items(QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

} // namespace guitest
