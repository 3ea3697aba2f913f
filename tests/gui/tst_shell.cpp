// Start-up, the decimal-separator guard, the task chooser, help, About and shutdown.
#include "GuiTest.h"

#include "gui/app/FormSupport.h"
#include "gui/app/Messages.h"
#include "gui/app/frmExport.h"
#include "gui/forms/ProblemForm.h"
#include "gui/shell/HelpWindow.h"
#include "gui/shell/frmAbout.h"
#include "gui/shell/frmExamples.h"
#include "gui/shell/frmTask.h"
#include "nonlinear/NonlinearSession.h"
#include "session/Demos.h"
#include "systems/SystemSession.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QRadioButton>
#include <QScrollArea>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QUrl>

#include <clocale>

using namespace guitest;
using ode::shell::DecimalSeparatorSetting;
using ode::shell::Shell;
using ode::shell::WarningAnswer;

namespace {

// A user setting held in memory, recording what the program wrote.
class FakeSetting : public DecimalSeparatorSetting {
public:
    explicit FakeSetting(std::string value) : value(std::move(value)) {}
    std::string value;
    std::vector<std::string> writes;
    std::string read() override { return value + std::string(2, '\0'); }
    void write(const std::string& s) override
    {
        writes.push_back(s);
        value = s;
    }
};

// The demo `name` from the examples folder, opened in `shell`'s form of its kind.
ode::forms::ProblemForm* openDemo(Shell& shell, const QString& name)
{
    const ode::DemoLibrary library = ode::LoadDemoLibrary(shell.examplesFolder());
    const ode::Demo* demo = ode::FindDemo(library, name.toStdString());
    if (!demo)
        qFatal("no demo named %s", qPrintable(name));
    shell.openDemo(*demo);
    return qobject_cast<ode::forms::ProblemForm*>(shell.CurrentForm());
}

} // namespace

class TestShell : public QObject {
    Q_OBJECT

    std::unique_ptr<Shell> shell;

    // A shell started with the point already in use.
    bool start()
    {
        shell = std::make_unique<Shell>(std::make_unique<FakeSetting>("."));
        return shell->Main();
    }

private slots:
    void cleanup() { shell.reset(); }

    // Tab and Shift+Tab follow the form's visual order, through the condition shown (its text,
    // then its point) to the buttons beside it, and Shift+Tab retraces Tab's way exactly.
    void tabFollowsTheVisualOrderBothWays_data()
    {
        QTest::addColumn<QString>("demo");
        QTest::addColumn<QStringList>("order"); // the way Tab takes from the first box, in part
        const QStringList single{"txtEquation", "txtBC_2", "txtXeval_2", "cmdPrevBC", "cmdNextBC", "cmdShowAllBCs",
                                 "txtXlower", "txtXupper", "txtExpansion"};
        const QStringList system{"txtEquation_0", "cmdPrevDE", "cmdNextDE", "cmdShowAllDEs", "txtBC_2", "txtXeval_2",
                                 "cmdPrevBC", "cmdNextBC", "cmdShowAllBCs", "txtXlower", "txtXupper"};
        QTest::newRow("linear") << "airy" << single;
        QTest::newRow("linear-trig") << "forced-oscillator" << single;
        QTest::newRow("nonlinear") << "bratu" << single;
        QTest::newRow("nonlinear-trig, one condition")
            << "nonlinear-trig" << QStringList{"txtEquation", "txtBC_1", "txtXeval_1", "cmdPrevBC"};
        QTest::newRow("system") << "coupled-oscillators" << system;
        QTest::newRow("nonlinear-system") << "predator-prey" << system;
    }
    void tabFollowsTheVisualOrderBothWays()
    {
        QFETCH(QString, demo);
        QFETCH(QStringList, order);
        QVERIFY(start());
        auto* form = openDemo(*shell, demo);
        QVERIFY(form && activate(form));
        find<QPushButton>(form, "cmdNextBC")->click();
        QWidget* first = find<QWidget>(form, order[0]);
        first->setFocus(Qt::TabFocusReason);
        auto chain = [&](Qt::Key key, Qt::KeyboardModifiers mod) {
            QStringList names{QApplication::focusWidget()->objectName()};
            for (int i = 0; i < 60; ++i) {
                QTest::keyClick(QApplication::focusWidget(), key, mod);
                if (QApplication::focusWidget() == first)
                    break;
                names << QApplication::focusWidget()->objectName();
            }
            return names;
        };
        const QStringList forward = chain(Qt::Key_Tab, Qt::NoModifier);
        QStringList backward = chain(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(forward.mid(0, order.size()), order);
        std::reverse(backward.begin() + 1, backward.end());
        QCOMPARE(backward, forward);
    }

    // A point starts without a question; a comma asks, and Yes switches to the point (the comma
    // written back at exit) while No and Cancel do not start and write nothing.
    void theSeparatorAtStartDecides_data()
    {
        QTest::addColumn<QString>("separator");
        QTest::addColumn<int>("answer"); // -1: not asked
        QTest::newRow("point") << "." << -1;
        QTest::newRow("comma, Yes") << "," << int(WarningAnswer::Yes);
        QTest::newRow("comma, No") << "," << int(WarningAnswer::No);
        QTest::newRow("comma, Cancel") << "," << int(WarningAnswer::Cancel);
    }
    void theSeparatorAtStartDecides()
    {
        QFETCH(QString, separator);
        QFETCH(int, answer);
        auto setting = std::make_unique<FakeSetting>(separator.toStdString());
        FakeSetting* s = setting.get();
        Shell shell(std::move(setting));
        int asked = 0;
        shell.askDecimal = [&]() {
            ++asked;
            return answer < 0 ? WarningAnswer::No : WarningAnswer(answer);
        };
        const bool started = shell.Main();
        QCOMPARE(asked, answer < 0 ? 0 : 1);
        if (answer >= 0 && WarningAnswer(answer) != WarningAnswer::Yes) {
            QVERIFY(!started);
            QVERIFY(!shell.task()->isVisible());
            QVERIFY(s->writes.empty());
            return;
        }
        QVERIFY(started);
        QCOMPARE(s->value, std::string("."));
        QCOMPARE(shell.decimalPoint().SavedDecimalSeparator(), separator.toStdString());
        QVERIFY(shell.task()->isVisible());
        shell.task()->close();
        QVERIFY(shell.ended());
        QCOMPARE(s->writes, (answer < 0 ? std::vector<std::string>{"."} : std::vector<std::string>{".", ","}));
    }

    void theWarningBoxHasItsTitleLinesAndButtons()
    {
        auto setting = std::make_unique<FakeSetting>(",");
        Shell shell(std::move(setting));
        QString title, text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QTimer::singleShot(50, [&]() {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            buttons = box->standardButtons();
            icon = box->icon();
            box->button(QMessageBox::Cancel)->click();
        });
        QVERIFY(!shell.Main());
        QCOMPARE(title, QString("Decimal Comma Warning!"));
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        const QStringList lines = text.split('\n');
        QCOMPARE(lines.size(), 8);
        QCOMPARE(lines[0], QString("Proper operation of this application requires the use of the DECIMAL POINT."));
        QCOMPARE(lines[2], QString());
        QVERIFY(lines[5].endsWith("for instructions on how to change MANUALLY)"));
        QCOMPARE(lines[7], QString("Press YES to change."));
    }

    // A message box is as wide as its text needs, up to a readable measure, and wraps the rest:
    // every word of a long message is shown, short ones stay small.
    void messagesAreShownWhole_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("short") << "Nothing to solve.";
        QTest::newRow("long") << "The differential equation has a derivative of y of order 3, above the order 2 "
                                 "given in the head; change the order or the equation.";
        QTest::newRow("path") << "The file /home/someone/Documents/ode-series/problems/coupled-oscillators-with-"
                                 "damping/myosc.str.str does not exist.";
    }
    void messagesAreShownWhole()
    {
        QFETCH(QString, text);
        bool whole = false;
        int width = 0;
        QTimer::singleShot(50, [&]() {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            auto* label = find<QLabel>(box, "qt_msgbox_label");
            QCOMPARE(label->text().remove(QChar(0x200B)), text); // a path may break after its slashes
            // The label's text laid out in the label's width takes no more height than it has,
            // and no line is wider than the label.
            const QRect needed = label->fontMetrics().boundingRect(QRect(0, 0, label->width(), 100000),
                                                                    Qt::TextWordWrap, label->text());
            whole = needed.height() <= label->height() && needed.width() <= label->width();
            width = box->width();
            box->accept();
        });
        ode::app::ShowMessage(nullptr, text);
        QVERIFY(whole);
        QVERIFY2(width <= 700, qPrintable(QString::number(width)));
    }

    // The real setting of this platform, with a German numeric locale in the environment.
    void theProcessSwitchesToThePointAndBack()
    {
        if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
            QSKIP("the de_DE.UTF-8 locale is not installed");
        std::setlocale(LC_NUMERIC, "C");
        qputenv("LC_ALL", "de_DE.UTF-8");
        std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
        auto setting = ode::shell::PlatformDecimalSetting();
        ode::shell::DecimalPoint guard(*setting);
        QVERIFY(guard.CheckDecimalPoint([]() { return WarningAnswer::Yes; }));
        QCOMPARE(guard.SavedDecimalSeparator(), std::string(","));
        QCOMPARE(std::string(std::localeconv()->decimal_point), std::string("."));
        QCOMPARE(QLocale().decimalPoint(), QString("."));
        guard.RestoreDecimalSeparator();
        QCOMPARE(std::string(std::localeconv()->decimal_point), std::string(","));
        qunsetenv("LC_ALL");
        std::setlocale(LC_NUMERIC, "C");
    }

    void theChooserStartsOnTheFirstKindAndTheArrowsChoose()
    {
        QVERIFY(start());
        auto* task = shell->task();
        QCOMPARE(task->windowTitle(), QString("ODE Series"));
        QCOMPARE(find<QPushButton>(task, "cmdOK")->text(), QString("Compute solution"));
        QCOMPARE(find<QRadioButton>(task, "OptTask_3")->text(),
                 QString("Single nonlinear ordinary differential equation - Trigonometric series solution"));
        // The first kind is chosen from the start; the arrow keys move the choice, and Enter
        // opens the kind chosen.
        auto* first = find<QRadioButton>(task, "OptTask_0");
        QVERIFY(first->isChecked());
        QVERIFY(activate(task));
        first->setFocus();
        QTest::keyClick(first, Qt::Key_Down);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QVERIFY(find<QRadioButton>(task, "OptTask_2")->isChecked());
        QVERIFY(!first->isChecked());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(shell->CurrentForm()->objectName(), QString("frmPndif"));
        // File > New problem... goes back to the chooser, and from there to another kind.
        shell->CurrentForm()->findChild<QAction*>("mnuNewProblem")->trigger();
        QCOMPARE(shell->CurrentForm(), static_cast<QWidget*>(task));
        QVERIFY(task->isVisible());
        QVERIFY(!shell->ended());
        find<QRadioButton>(task, "OptTask_4")->setChecked(true);
        task->cmdOK->click();
        QCOMPARE(shell->CurrentForm()->objectName(), QString("frmSldif"));

        QVERIFY(task->isHidden());
        shell->CurrentForm()->close();
        QVERIFY(shell->ended());
        QVERIFY(!shell->CurrentForm()->isVisible());
    }

    void everyKindOpensItsForm_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("form");
        QTest::addColumn<bool>("power");
        const char* forms[6] = {"frmPldif", "frmTldif", "frmPndif", "frmTndif", "frmSldif", "frmSndif"};
        for (int i = 0; i < 6; ++i)
            QTest::newRow(forms[i]) << i << QString(forms[i]) << (i != 1 && i != 3);
    }
    void everyKindOpensItsForm()
    {
        QFETCH(int, kind);
        QFETCH(QString, form);
        QFETCH(bool, power);
        QVERIFY(start());
        find<QRadioButton>(shell->task(), QStringLiteral("OptTask_%1").arg(kind))->setChecked(true);
        shell->task()->cmdOK->click();
        QCOMPARE(shell->CurrentForm()->objectName(), form);
        // Only the trigonometric forms have a period box.
        QCOMPARE(shell->CurrentForm()->findChild<QLineEdit*>("txtPeriod") == nullptr, power);
    }

    // The first window's Examples..., a double-click on a demo, Solve: a first solution in
    // three clicks, for a demo of every kind. File > Export... is refused with a reason before
    // the solve; afterwards its window writes the kind chosen, closes and the form's status bar
    // names the files; a target that cannot be written is explained in the window, which stays.
    void aDemoOfEveryKindSolvesInThreeClicksAndExports_data()
    {
        QTest::addColumn<QString>("demo");
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<int>("kind");         // exported, -1 for none
        QTest::addColumn<QString>("file");     // written, relative to the folder
        QTest::addColumn<QString>("contains"); // a piece of its text
        const QString linear = "EXPANSION COEFFICIENTS:", newton = "COEFFICIENTS:   ( LAST CORRECTION: )";
        QTest::newRow("Pldif csv") << "harmonic-oscillator" << "frmPldif" << linear << int(ode::ExportKind::Csv)
                                   << "out.csv" << "variable,index,coefficient";
        QTest::newRow("Tldif json") << "forced-oscillator" << "frmTldif" << linear << int(ode::ExportKind::Json)
                                    << "out.json" << "\"kind\": \"Tldif\"";
        QTest::newRow("Pndif latex") << "logistic" << "frmPndif" << newton << int(ode::ExportKind::Latex) << "out.tex"
                                     << "\\begin{align*}";
        QTest::newRow("Tndif python") << "periodic-cubic" << "frmTndif" << "COEFFICIENTS:                 LAST CORRECTION:"
                                      << int(ode::ExportKind::Python) << "out.py" << "def y(x, derivative=0):";
        QTest::newRow("Sldif c") << "rotation" << "frmSldif" << linear << int(ode::ExportKind::C) << "out.c"
                                 << "double z(double x, int derivative)";
        QTest::newRow("Sndif octave") << "rotation-nonlinear" << "frmSndif" << newton << int(ode::ExportKind::Octave)
                                      << "out/z.m" << "function value = z(x, derivative)";
        // Opens in the accurate method (and with its automatic degree, which sweeps eps to find the shock).
        QTest::newRow("Pndif Chebyshev") << "bratu" << "frmPndif" << newton << -1 << QString() << QString();
        QTest::newRow("Pndif automatic degree") << "viscous-shock"
                                                << "frmPndif" << newton << -1 << QString() << QString();
    }
    void aDemoOfEveryKindSolvesInThreeClicksAndExports()
    {
        QFETCH(QString, demo);
        QFETCH(QString, form);
        QFETCH(QString, firstLine);
        QFETCH(int, kind);
        QFETCH(QString, file);
        QFETCH(QString, contains);
        QVERIFY(start());
        QVERIFY(activate(shell->task()));
        QTest::mouseClick(find<QPushButton>(shell->task(), "cmdExamples"), Qt::LeftButton);
        auto* examples = shell->task()->findChild<ode::shell::FrmExamples*>("frmExamples");
        QVERIFY(examples && examples->isVisible());
        QVERIFY(examples->lstExamples->topLevelItemCount() >= 24);
        const auto found = examples->lstExamples->findItems(demo, Qt::MatchExactly, 0);
        QCOMPARE(found.size(), 1);
        QTreeWidget* list = examples->lstExamples;
        list->scrollToItem(found[0]);
        const QPoint at = list->visualItemRect(found[0]).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(examples->lblExampleDescription->text(), found[0]->toolTip(0)); // the chosen one's description
        if (const QString shots = qEnvironmentVariable("ODESERIES_SCREENSHOTS"); !shots.isEmpty())
            examples->grab().save(shots + "/frmExamples.png");
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        auto* opened = qobject_cast<ode::forms::ProblemForm*>(shell->CurrentForm());
        QVERIFY(opened);
        QCOMPARE(opened->objectName(), form);
        QVERIFY(shell->task()->isHidden());
        // The user's copy has no name yet: Save will ask where to put it, not overwrite the demo.
        QCOMPARE(opened->ProblemFileName(), QString());
        QVERIFY(!opened->Modified());
        // The nonlinear demos open with the zero start, which converges every time.
        if (opened->cboApproximation)
            QCOMPARE(opened->cboApproximation->currentIndex(), 0);
        if (kind >= 0) {
            opened->mnuExport->trigger();
            QVERIFY(opened->findChild<ode::app::FrmExport*>() == nullptr);
            QCOMPARE(opened->statusBar()->currentMessage(),
                     QString("Solve the problem first: no solution stands to export."));
        }
        if (auto* single = dynamic_cast<ode::NonlinearSession*>(&opened->session()))
            single->seedRandom(1);
        if (auto* system = dynamic_cast<ode::SystemSession*>(&opened->session()))
            system->seedRandom(1);
        QTest::mouseClick(opened->cmdSolve, Qt::LeftButton);
        if (const QString shots = qEnvironmentVariable("ODESERIES_SCREENSHOTS"); !shots.isEmpty())
            opened->grab().save(shots + "/solved-" + demo + ".png");
        QVERIFY(opened->lstCoeff->count() > 3);
        QCOMPARE(opened->lstCoeff->item(0)->text(), firstLine);
        if (demo == "bratu" || demo == "viscous-shock") {
            QCOMPARE(opened->cboMethod->currentIndex(), 1);
            QCOMPARE(opened->chkAutoDegree->isChecked(), demo == "viscous-shock");
            QVERIFY(opened->lblAccuracy->text().startsWith("CONVERGED AT DEGREE"));
        }
        if (demo == "viscous-shock")
            QCOMPARE(opened->lstPasses->item(0)->text(),
                     QString("NO CONVERGED SOLUTION FROM THE START: THE LAYER PARAMETER eps WAS SWEPT FROM 1 TO 0.01, "
                             "THEN:"));
        if (kind < 0)
            return;
        opened->mnuExport->trigger();
        QPointer<ode::app::FrmExport> window = opened->findChild<ode::app::FrmExport*>("frmExport");
        QVERIFY(window && window->isVisible());
        window->cboExportKind->setCurrentIndex(window->cboExportKind->findData(kind));
        QVERIFY(window->txtExportPath->text().startsWith("solution")); // a demo has no file name of its own
        if (const QString shots = qEnvironmentVariable("ODESERIES_SCREENSHOTS"); !shots.isEmpty())
            window->grab().save(shots + "/frmExport-" + opened->objectName() + ".png");
        QTemporaryDir dir;
        // A folder that does not exist: explained in the window, nothing closes.
        window->txtExportPath->setText(dir.filePath("missing/folder/" + QFileInfo(file).fileName()));
        if (kind == int(ode::ExportKind::Octave))
            window->txtExportPath->setText("/proc/version"); // a file where a folder is needed
        window->cmdExport->click();
        QVERIFY(window && window->isVisible());
        QVERIFY(!window->lblExportStatus->text().isEmpty());
        const QString target = dir.filePath(kind == int(ode::ExportKind::Octave) ? "out" : file);
        window->txtExportPath->setText(target);
        if (kind == int(ode::ExportKind::Csv)) {
            window->txtExportGrid->setText("-1");
            window->cmdExport->click();
            QVERIFY(window->lblExportStatus->text().startsWith("The grid is a whole number"));
            window->txtExportGrid->setText("10");
        }
        window->cmdExport->click();
        QTRY_VERIFY(window.isNull());
        QFile written(dir.filePath(file));
        QVERIFY2(written.open(QIODevice::ReadOnly), qPrintable(dir.filePath(file)));
        QVERIFY(QString::fromUtf8(written.readAll()).contains(contains));
        QVERIFY(opened->statusBar()->currentMessage().startsWith("Exported: " + target));
        if (kind == int(ode::ExportKind::Csv))
            QVERIFY(QFile::exists(dir.filePath("out-grid.csv")));
    }

    // A form with unsaved changes is asked before a demo replaces it; Cancel keeps it.
    // File > "Change Head...": the head's boxes open again in a fresh form holding the problem;
    // once the new head is entered, every text that fits is back, later conditions as a fresh
    // form has them; the same head gives the same solution.
    void changingTheHeadKeepsTheProblem_data()
    {
        QTest::addColumn<QString>("demo");
        QTest::addColumn<QStringList>("head");        // typed into the head's boxes in order
        QTest::addColumn<QStringList>("conditions");  // txtBC_1 ... afterwards
        QTest::newRow("same order") << "airy" << QStringList{"2", "x", "y"}
                                    << QStringList{"y=0.355028053887817", "y'=-0.258819403792807"};
        QTest::newRow("higher order") << "airy" << QStringList{"3", "x", "y"}
                                      << QStringList{"y=0.355028053887817", "y'=-0.258819403792807", "y''=0"};
        QTest::newRow("lower order") << "airy" << QStringList{"1", "x", "y"} << QStringList{"y=0.355028053887817"};
        QTest::newRow("system, same head") << "coupled-oscillators" << QStringList{"2", "4", "t", "u,v"}
                                           << QStringList{"u=1", "u'=0", "v=1", "v'=0"};
    }
    void changingTheHeadKeepsTheProblem()
    {
        QFETCH(QString, demo);
        QFETCH(QStringList, head);
        QFETCH(QStringList, conditions);
        QVERIFY(start());
        auto* form = openDemo(*shell, demo);
        QVERIFY(form && activate(form));
        form->cmdSolve->click();
        const QStringList solved = items(form->lstCoeff);
        const QString equation = find<QLineEdit>(form, head.size() == 3 ? "txtEquation" : "txtEquation_0")->text();
        find<QAction>(form, "mnuChangeHead")->trigger();
        auto* fresh = qobject_cast<ode::forms::ProblemForm*>(shell->CurrentForm());
        QVERIFY(fresh && fresh != form && activate(fresh));
        QVERIFY(fresh->Modified());
        const QStringList headBoxes = head.size() == 3 ? QStringList{"txtOrder", "txtIndepVarNam", "txtDepVarNam"}
                                                       : QStringList{"txtNumDE", "txtNumBC", "txtIndepVarNam",
                                                                     "txtDepVarNams"};
        for (int i = 0; i < head.size(); ++i) {
            auto* box = find<QLineEdit>(fresh, headBoxes[i]);
            QVERIFY(box->isEnabled());
            typeAndTab(box, head[i]);
            QVERIFY(!box->isEnabled());
        }
        QCOMPARE(find<QLineEdit>(fresh, head.size() == 3 ? "txtEquation" : "txtEquation_0")->text(), equation);
        for (int k = 1; k <= conditions.size(); ++k)
            QCOMPARE(find<QLineEdit>(fresh, QString("txtBC_%1").arg(k))->text(), conditions[k - 1]);
        QVERIFY(fresh->findChild<QLineEdit*>(QString("txtBC_%1").arg(conditions.size() + 1)) == nullptr);
        QVERIFY(fresh->Modified());
        if (QTest::currentDataTag() == QString("same order") || QTest::currentDataTag() == QString("system, same head")) {
            fresh->cmdSolve->click();
            QCOMPARE(items(fresh->lstCoeff), solved);
        }
    }

    // A pair replaces a form that holds a problem only when its changes may go, whichever way
    // it comes: a demo, File > Open (NAME.str picked in the dialog stands for the pair), a
    // recent file, a drop; the pair opens in the form of its kind, under its name.
    void aPairReplacesAFormOnlyWhenItsChangesMayGo_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<int>("answer");
        for (const QString way : {"demo", "Open", "recent", "drop"}) {
            QTest::newRow(qPrintable(way + ", Cancel")) << way << int(QMessageBox::Cancel);
            QTest::newRow(qPrintable(way + ", Discard")) << way << int(QMessageBox::Discard);
        }
    }
    void aPairReplacesAFormOnlyWhenItsChangesMayGo()
    {
        QFETCH(QString, way);
        QFETCH(int, answer);
        const bool replaced = answer == QMessageBox::Discard;
        const QString examples = QString(ODESERIES_SOURCE_DIR) + "/examples/";
        auto* form = openForm<ode::forms::ProblemForm>(shell, ode::ProblemKind::LinearPower);
        QPointer<QWidget> guard(form);
        form->openDemo(examples + "airy");
        find<QLineEdit>(form, "txtXupper")->setText("3"); // an edit: the problem is changed
        QVERIFY(form->Modified());
        int asked = 0;
        form->askSaveChanges = [&]() {
            ++asked;
            return QMessageBox::StandardButton(answer);
        };
        // File > Open stays with the form's kind; the other ways open the pair's own.
        const QString pair = examples + (way == "Open" ? "harmonic-oscillator" : "rotation");
        const QString kind = way == "Open" ? "frmPldif" : "frmSldif";
        if (way == "demo") {
            form->mnuExamples->trigger();
            auto* library = find<ode::shell::FrmExamples>(form, "frmExamples");
            library->lstExamples->setCurrentItem(library->lstExamples->findItems("rotation", Qt::MatchExactly)[0]);
            library->cmdOpenExample->click();
        } else if (way == "Open") {
            form->chooseFile = [&](bool) { return pair + ".str"; };
            QTest::keyClick(form, Qt::Key_O, Qt::ControlModifier);
        } else if (way == "recent") {
            shell->rememberFile(pair);
            auto* recent = find<QMenu>(form, "mnuRecent");
            emit recent->aboutToShow();
            find<QAction>(recent, "mnuRecent_1")->trigger();
        } else {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(pair + ".str")});
            QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(form, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(form, &drop);
            QTest::qWait(10);
        }
        QCOMPARE(asked, 1);
        QCOMPARE(shell->CurrentForm() == form, !replaced);
        if (!replaced)
            return;
        QCOMPARE(shell->CurrentForm()->objectName(), kind);
        if (way != "demo") {
            QVERIFY2(shell->CurrentForm()->windowTitle().startsWith(QFileInfo(pair).fileName() + " - "),
                     qPrintable(shell->CurrentForm()->windowTitle()));
            QCOMPARE(shell->recentFiles().value(0), pair);
        }
        QTRY_VERIFY(guard.isNull());
    }

    // The examples window's find box narrows the list to the demos holding every word.
    void theExamplesCanBeFoundByWords_data()
    {
        QTest::addColumn<QString>("words");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("name") << "bessel" << QStringList{"bessel-j0", "bessel-j1"};
        QTest::newRow("kind and word") << "nonlinear system rotation" << QStringList{"rotation-nonlinear"};
        QTest::newRow("description") << "Lotka" << QStringList{"predator-prey"};
        QTest::newRow("none") << "quantum gravity" << QStringList{};
    }
    void theExamplesCanBeFoundByWords()
    {
        QFETCH(QString, words);
        QFETCH(QStringList, shown);
        QVERIFY(start());
        shell->showExamples(shell->task());
        auto* examples = find<ode::shell::FrmExamples>(shell->task(), "frmExamples");
        typeInto(examples->txtExamplesFilter, words);
        QStringList visible;
        for (int row = 0; row < examples->lstExamples->topLevelItemCount(); ++row)
            if (!examples->lstExamples->topLevelItem(row)->isHidden())
                visible << examples->lstExamples->topLevelItem(row)->text(0);
        QCOMPARE(visible, shown);
        QCOMPARE(examples->cmdOpenExample->isEnabled(), !shown.isEmpty());
        if (shown.isEmpty())
            QCOMPARE(examples->lblExampleDescription->text(), QString("No example holds those words."));
        else
            QCOMPARE(examples->lstExamples->currentItem()->text(0), shown.first());
        examples->txtExamplesFilter->clear();
        QVERIFY(examples->cmdOpenExample->isEnabled());
        examples->close();
    }

    // A program without its examples folder says so instead of offering an empty list.
    void aMissingLibraryIsExplained()
    {
        QVERIFY(start());
        shell->demoFolder = "/nonexistent/examples";
        shell->showExamples(shell->task());
        auto* examples = find<ode::shell::FrmExamples>(shell->task(), "frmExamples");
        QCOMPARE(examples->lstExamples->topLevelItemCount(), 0);
        QVERIFY(!examples->cmdOpenExample->isEnabled());
        QVERIFY(examples->lblExampleDescription->text().startsWith("No examples are installed: "));
        QCOMPARE(ode::shell::FrmAbout::lines("", 0).last(), QString("Help: the Help menu. No examples are installed."));
        const QStringList pointer = ode::shell::FrmAbout::lines("/opt/odeseries/examples", 32);
        QCOMPARE(pointer.last(), QString("and File > Examples... in every form (from /opt/odeseries/examples)."));
        QVERIFY(pointer[pointer.size() - 2].contains("32 ready examples"));
    }

    // Every form at its default and at its minimum size: the result lists have the room,
    // nothing is clipped, the locked head reads. Checked on a laptop's screen (1366x768, and
    // at 200 % on a 3840x2160 one: the tst_shell_layout tests); with ODESERIES_SCREENSHOTS=DIR
    // each form is also saved there as NAME-default.png and NAME-minimum.png.
    void theFormsGiveTheResultsRoom_data()
    {
        QTest::addColumn<QString>("demo");
        for (const char* demo : {"airy", "forced-oscillator", "nonlinear-reciprocal", "bratu", "periodic-cubic",
                                 "coupled-oscillators", "predator-prey"})
            QTest::newRow(demo) << demo;
    }
    void theFormsGiveTheResultsRoom()
    {
        QFETCH(QString, demo);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        if (!qEnvironmentVariableIsSet("ODESERIES_LAYOUT_SCREEN"))
            QSKIP("the layout is checked on screens of their own (the tst_shell_layout tests)");
        QVERIFY(start());
        auto* form = openDemo(*shell, demo);
        QVERIFY(form && activate(form));
        const int width = form->width();
        form->cmdSolve->click();
        QTest::qWait(20);
        QCOMPARE(form->width(), width); // a solve never widens the window
        const QString dir = qEnvironmentVariable("ODESERIES_SCREENSHOTS");
        if (!dir.isEmpty())
            form->grab().save(dir + "/" + form->objectName() + "-default.png");
        // The default size: on the screen with its title bar, with 20 lines of coefficients in view
        // (8 on a low screen, where the problem's column scrolls and Solve is in reach).
        QVERIFY(screen.contains(form->frameGeometry()));
        const int line = form->lstCoeff->fontMetrics().lineSpacing();
        const int lines = screen.height() >= 760 ? 20 : 8;
        auto* column = find<QScrollArea>(form, "scrProblem");
        column->ensureWidgetVisible(form->cmdSolve);
        QVERIFY(form->cmdSolve->visibleRegion().boundingRect().size() == form->cmdSolve->size());
        QVERIFY2(form->lstCoeff->viewport()->height() >= lines * line,
                 qPrintable(QString("%1 lines of coefficients").arg(form->lstCoeff->viewport()->height() / line)));
        // The locked head reads: disabled text keeps a contrast of at least 4.5 to 1.
        auto* head = form->findChild<QLineEdit*>(form->objectName().startsWith("frmS") ? "txtNumDE" : "txtOrder");
        QVERIFY(head && !head->isEnabled());
        const QPalette& colours = head->palette();
        QVERIFY(ode::app::ContrastRatio(colours.color(QPalette::Disabled, QPalette::Text),
                                        colours.color(QPalette::Disabled, QPalette::Base)) >= 4.5);
        // The minimum size fits the screen, and at it every box, label and button keeps the
        // room its text needs.
        QVERIFY(screen.size().expandedTo(form->minimumSizeHint()) == screen.size());
        form->resize(form->minimumSizeHint());
        QTest::qWait(20);
        if (!dir.isEmpty())
            form->grab().save(dir + "/" + form->objectName() + "-minimum.png");
        for (QWidget* w : form->findChildren<QWidget*>()) {
            if (!w->isVisible() ||
                !(qobject_cast<QLineEdit*>(w) || qobject_cast<QLabel*>(w) || qobject_cast<QPushButton*>(w)))
                continue;
            const int needed = qobject_cast<QLineEdit*>(w) ? w->minimumWidth() : w->minimumSizeHint().width();
            QVERIFY2(w->width() >= needed,
                     qPrintable(w->objectName() + QString(" is %1 wide, needs %2").arg(w->width()).arg(needed)));
        }
    }

    void helpShowsTheCompiledContents()
    {
        ode::shell::HelpWindow help;
        QVERIFY(help.openFile(QStringLiteral(ODESERIES_BUILD_DIR "/dif.chm")));
        QCOMPARE(help.contents()->topLevelItemCount(), 9);
        QCOMPARE(help.contents()->topLevelItem(0)->text(0), QString("Welcome to ODE Series"));
        QVERIFY(help.browser()->toPlainText().contains("finite series"));
        // The pages of the accurate method, the examples library, the exports, the expressions and the forms.
        const std::pair<const char*, const char*> pages[] = {{"accurate.html", "CONVERGED AT DEGREE d"},
                                                             {"examples.html", "Examples..."},
                                                             {"files.html", "File > Export..."},
                                                             {"plot.html", "Export Picture..."},
                                                             {"expressions.html", "binds tighter than the power"},
                                                             {"forms.html", "Show all BC's"}};
        for (const auto& [page, words] : pages) {
            help.browser()->setSource(QUrl(page));
            QVERIFY2(help.browser()->toPlainText().contains(words), page);
        }
        // Back and Forward, and the contents following the page shown.
        auto* back = find<QPushButton>(&help, "cmdBack");
        auto* forward = find<QPushButton>(&help, "cmdForward");
        QVERIFY(back->isEnabled());
        QVERIFY(!forward->isEnabled());
        back->click();
        QVERIFY(help.browser()->toPlainText().contains("binds tighter than the power"));
        QVERIFY(forward->isEnabled());
        QVERIFY(help.contents()->currentItem() != nullptr);
        QVERIFY(help.contents()->currentItem()->data(0, Qt::UserRole).toString().contains("expressions.html"));
        forward->click();
        QVERIFY(help.browser()->toPlainText().contains("Show all BC's"));
        // Escape closes it.
        help.show();
        QVERIFY(QTest::qWaitForWindowExposed(&help));
        help.activateWindow();
        QTest::keyClick(&help, Qt::Key_Escape);
        QVERIFY(!help.isVisible());
        // Opened from a window, Help comes up beside it and on screen.
        QWidget owner;
        owner.setGeometry(100, 100, 300, 200);
        owner.show();
        ode::shell::ShowHelp(&owner);
        QWidget* shown = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "frmHelp" && w->isVisible())
                shown = w;
        QVERIFY(shown != nullptr);
        QVERIFY(owner.screen()->availableGeometry().contains(shown->frameGeometry().topLeft()));
        shown->close();
        ode::shell::HelpWindow missing;
        QVERIFY(!missing.openFile("/nonexistent/dif.chm"));
        QVERIFY(missing.browser()->toPlainText().contains("cannot be read"));
    }

    // About opens centred over the current window, names the examples and closes on a click
    // or on Escape; the examples window opens on screen beside the chooser and Escape closes it.
    void aboutAndExamplesOpenOverTheirWindowAndClose_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("click") << false;
        QTest::newRow("Escape") << true;
    }
    void aboutAndExamplesOpenOverTheirWindowAndClose()
    {
        QFETCH(bool, escape);
        QVERIFY(start());
        QVERIFY(activate(shell->task()));
        shell->ShowAbout();
        QPointer<QWidget> about;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "frmAbout" && w->isVisible())
                about = w;
        QVERIFY(about);
        QVERIFY((about->frameGeometry().center() - shell->task()->frameGeometry().center()).manhattanLength() < 40 ||
                !shell->task()->screen()->availableGeometry().contains(shell->task()->frameGeometry()));
        const QString text = find<QLabel>(about, "lblAbout")->text();
        QVERIFY(text.contains("ORDINARY DIFFERENTIAL EQUATIONS"));
        QVERIFY(text.contains("ready examples: Examples... on the first window"));
        if (escape)
            QTest::keyClick(about, Qt::Key_Escape);
        else
            QTest::mouseClick(about, Qt::LeftButton);
        QTRY_VERIFY(about.isNull());

        shell->showExamples(shell->task());
        QPointer<ode::shell::FrmExamples> examples = shell->task()->findChild<ode::shell::FrmExamples*>("frmExamples");
        QVERIFY(examples && examples->isVisible());
        QVERIFY(shell->task()->screen()->availableGeometry().contains(examples->frameGeometry().topLeft()));
        if (escape)
            QTest::keyClick(examples->lstExamples, Qt::Key_Escape);
        else
            examples->cmdCancel->click();
        QTRY_VERIFY(examples.isNull());
        QCOMPARE(shell->CurrentForm(), static_cast<QWidget*>(shell->task())); // nothing opened
    }

    // A window opened from another goes to its right, else its left; with room on neither side it
    // lies against the screen's edge on the roomier side, reaching past the parent rather than
    // centred inside it (where it would hide the middle of the form).
    void childWindowsOpenBesideOrAgainstTheRoomierEdge()
    {
        QWidget probe;
        const QRect free = probe.screen()->availableGeometry();
        const struct {
            QRect parent;
            const char* where;
        } rows[] = {
            {QRect(free.left(), free.top() + 10, free.width() / 3, 200), "right"},
            {QRect(free.right() - free.width() / 3, free.top() + 10, free.width() / 3, 200), "left"},
            {QRect(free.left() + 5, free.top() + 10, free.width() - 60, 300), "right edge"},
            {QRect(free.left() + 55, free.top() + 10, free.width() - 60, 300), "left edge"},
        };
        for (const auto& row : rows) {
            QWidget parent, child;
            parent.setGeometry(row.parent);
            child.resize(free.width() / 2, 150);
            ode::app::PlaceBeside(&child, &parent);
            const QRect p = parent.frameGeometry(), c = child.frameGeometry();
            const QString where = row.where;
            if (where == "right")
                QVERIFY2(c.left() > p.right(), row.where);
            else if (where == "left")
                QVERIFY2(c.right() < p.left(), row.where);
            else if (where == "right edge")
                QVERIFY2(c.right() > p.right() && c.right() <= free.right() && c.left() > p.left(), row.where);
            else
                QVERIFY2(c.left() == free.left() && c.left() < p.left() && c.right() < p.right(), row.where);
            QCOMPARE(c.top(), p.top());
        }
    }

    // The real program starts its windows and ends when the chooser is closed.
    void theProgramStartsAndStops()
    {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("ODESERIES_AUTOCLOSE_MS", "200");
        env.insert("ODESERIES_REPORT_SEPARATOR", "1");
        program.setProcessEnvironment(env);
        program.start(ODESERIES_EXECUTABLE, {});
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY2(program.readAllStandardError().contains("decimal separator at exit: . (saved .)"),
                 "separator restored");
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
