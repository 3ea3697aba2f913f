// The linear problem forms driven through their widgets, as a user drives them.
#include "GuiTest.h"

#include "equations/BoxChecks.h"
#include "gui/app/Guard.h"
#include "gui/forms/frmSingle.h"
#include "gui/grids/frmGridEditor.h"
#include "gui/plot/DecayView.h"
#include "gui/shell/frmTask.h"
#include "single/SingleFiles.h"

#include <QElapsedTimer>

#include <stdexcept>

using namespace guitest;
using ode::forms::FrmSingle;

class TestLinearForm : public QObject {
    Q_OBJECT

    std::unique_ptr<ode::shell::Shell> shell;
    FrmSingle* form = nullptr;

    FrmSingle* open(ode::ProblemKind kind) { return openForm<FrmSingle>(shell, kind); }
    FrmSingle* reopen(const QString& file) { return guitest::reopen<FrmSingle>(shell, ode::ProblemKind::LinearPower, file); }

    void enterHead(const QString& order = "2") { guitest::enterHead(form, order); }

    // The head, and the default Bessel equation's second condition made y(1) = 0: a problem
    // that solves.
    void enterSolvableProblem()
    {
        enterHead();
        typeAll(form, {{"txtBC_2", "y=0"}, {"txtXeval_2", "1"}});
    }

    // y'' + y = 0, y(0) = 0, y'(0) = 1: the sine.
    void enterSine()
    {
        enterHead();
        typeAll(form, {{"txtEquation", "y''+y=0"}, {"txtBC_1", "y=0"}, {"txtXeval_1", "0"}, {"txtBC_2", "y'=1"},
                       {"txtXeval_2", "0"}});
    }

private slots:
    void init() { form = open(ode::ProblemKind::LinearPower); }
    void cleanup()
    {
        shell.reset();
        form = nullptr;
    }

    // A fresh form shows its designed texts; each head box locks as it is left and the labels
    // and conditions follow the head. It then solves as it stands: its later conditions are
    // conditions of their own (y(0) = 0 beside y'(0) = 0.5: Bessel's J1), not copies of the
    // first; of order 4, y, y'' and y''' follow.
    void aFreshFormLocksItsHeadAndSolvesAsItStands()
    {
        QCOMPARE(form->objectName(), QString("frmPldif"));
        QCOMPARE(textsOf(form, {"txtOrder", "txtEquation", "txtBC_1", "txtTerms", "lblTerms", "lblValue"}),
                 (QStringList{"2", "x*x*y''+x*y'+(x*x-1)*y=0", "y'=0.5", "23", "Degree of solution:", "Derivative"}));
        QCOMPARE(form->txtOrder->toolTip(), QString("1 for a 1st order equation, 2 for a 2nd order equation, etc."));
        QCOMPARE(form->cboConstants->toolTip(), QString("Example: a=2.37"));
        QVERIFY(!form->mnuSave->isEnabled() && !form->mnuPrint->isVisible() && form->mnuOpen->isEnabled());
        QVERIFY(shell->task()->isHidden());
        enterHead();
        QVERIFY(!form->txtOrder->isEnabled() && !form->txtIndepVarNam->isEnabled() && !form->txtDepVarNam->isEnabled());
        QVERIFY(form->mnuOpen->isEnabled() && form->mnuSave->isEnabled() && form->mnuPrint->isVisible());
        QCOMPARE(textsOf(form, {"lblEquation", "lblConditions"}),
                 (QStringList{"In terms of x and of y and its derivatives up to y''",
                              "In terms of y and its derivatives up to y'"}));
        QCOMPARE(form->NumBC(), 2);
        auto* second = find<QLineEdit>(form, "txtBC_2");
        QCOMPARE(second->text(), QString("y=0"));
        QVERIFY(second->isHidden());
        QCOMPARE(form->txtXeval[2]->text(), form->txtXeval[1]->text());
        QCOMPARE(shell->conditionsEditor()->grid()->rowCount(), 2);
        QCOMPARE(shell->conditionsEditor()->grid()->item(1, 0)->text(), QString("BC #2:"));
        form->cmdSolve->click();
        QVERIFY(form->session().solved());
        QCOMPARE(items(form->lstCoeff).value(2), QString("y(1)=0.5"));
        QCOMPARE(ode::DefaultConditionText("u", "u'=0.5", 4), std::string("u'''=0"));
        QCOMPARE(ode::DefaultConditionText("u", "u'=0.5", 3), std::string("u''=0"));
        QCOMPARE(ode::DefaultConditionText("u", "u = 1", 2), std::string("u'=0"));
        QCOMPARE(ode::DefaultConditionText("u", "2*u+u'=1", 2), std::string("u=0"));
    }

    void solveListsCoefficientsAndResiduals()
    {
        enterHead();
        form->cmdEvaluate->click();
        QCOMPARE(form->lblValue->text(), QString("Derivative")); // Evaluate does nothing before a solve
        typeAll(form, {{"txtBC_2", "y=0"}, {"txtXeval_2", "1"}});
        form->cmdSolve->click();
        const QStringList coefficients = items(form->lstCoeff);
        QCOMPARE(coefficients.size(), 25);
        QCOMPARE(coefficients[0], QString("EXPANSION COEFFICIENTS:"));
        QCOMPARE(coefficients[2], QString("y(1)=0.499999999999997"));
        QCOMPARE(items(form->lstBCError).size(), 8);
        QCOMPARE(items(form->lstBCError)[4], QString("B.C. #2"));
        evaluateAt(form, "1", "1");
        QCOMPARE(form->lblValue->text(), QString("0.0083711241994831"));
        QCOMPARE(items(form->lstDError), QStringList({"LHS=0.138289676904823", "RHS=0", "LHS-RHS=0.138289676904823"}));
        QVERIFY(form->lblOutside->text().isEmpty());
        // Outside the interval the value comes with a warning that stands out, gone on the
        // next evaluation inside and with the results.
        const QString upper = form->txtXupper->text();
        evaluateAt(form, "40");
        QCOMPARE(form->lblOutside->text(),
                 QString("x=40 IS OUTSIDE THE INTERVAL [%1,%2]: THE SERIES IS NOT THE SOLUTION THERE")
                     .arg(form->txtXlower->text(), upper));
        QVERIFY(form->lblOutside->isVisible());
        typeInto(form->txtXestimation, "1");
        QTest::keyClick(form->txtXestimation, Qt::Key_Return); // Enter evaluates
        QVERIFY(form->lblOutside->text().isEmpty());
        QCOMPARE(form->lblValue->text(), QString("0.0083711241994831"));
        // Any edit of an input clears every result.
        typeInto(form->txtXupper, "4");
        QCOMPARE(items(form->lstCoeff) + items(form->lstBCError) + items(form->lstDError), QStringList());
        QCOMPARE(form->lblValue->text(), QString());
        QVERIFY(!form->session().solved());
    }

    // An engine error says which text holds it and where; that box is shown (a condition out of
    // view brought back), marked until it is edited, and given the focus.
    void scriptErrorsShowTheirMessageTheirPlaceAndNoCoefficients()
    {
        enterHead("1");
        typeAll(form, {{"txtEquation", "y'+Sinn(x)*y=0"}, {"txtBC_1", "y=1"}});
        const QStringList boxes = answeringBoxes([&]() { form->cmdSolve->click(); });
        QCOMPARE(boxes, QStringList{"Type mismatch: 'sinn'\n\nIn the equation, at column 4: y'+Sinn(x)*y=0"});
        QCOMPARE(form->focusWidget(), form->txtEquation); // the window's focus, once the box has closed
        QCOMPARE(form->txtEquation->styleSheet(), QString(ode::app::kRefusedBoxStyle));
        QCOMPARE(form->lstCoeff->count(), 0);
        typeAll(form,
                {{"txtEquation", "y'+1/(x-1)*y=0"}, {"txtXlower", "0"}, {"txtXupper", "2"}, {"txtTerms", "5"}});
        QCOMPARE(answeringBoxes([&]() { form->cmdSolve->click(); }), QStringList{"division by zero"});
        QVERIFY(!QApplication::overrideCursor());
        form = open(ode::ProblemKind::LinearPower);
        enterSolvableProblem();
        typeInto(form->txtBC[2], "y=(1");
        form->cmdPrevBC->click();
        QCOMPARE(answeringBoxes([&]() { form->cmdSolve->click(); }),
                 QStringList{"Expected ')'\n\nIn condition 2, at column 4: y=(1"});
        QVERIFY(form->txtBC[2]->isVisible());
        QCOMPARE(form->focusWidget(), form->txtBC[2]);
        QCOMPARE(form->txtBC[2]->styleSheet(), QString(ode::app::kRefusedBoxStyle));
        QTest::keyClicks(form->txtBC[2], ")");
        QCOMPARE(form->txtBC[2]->styleSheet(), QString());
    }

    // Constants are added with Enter or Add, a name given again replaces its value, a wrong one
    // is not added, Remove takes the chosen one; a constant the problem file could not give back
    // is refused where it is typed, with the reason.
    void constantsAreAddedReplacedRemovedOrRefused()
    {
        auto* edit = form->cboConstants->lineEdit();
        typeInto(edit, "a=2");
        QTest::keyClick(edit, Qt::Key_Return);
        typeInto(edit, "b=a*2");
        form->cmdAddCons->click();
        typeInto(edit, "a=3");
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(form->cboConstants->count(), 2);
        QCOMPARE(form->cboConstants->itemText(0), QString("b=a*2"));
        QCOMPARE(form->cboConstants->itemText(1), QString("a=3"));
        QCOMPARE(edit->text(), QString());
        typeInto(edit, "2a=1");
        form->cmdAddCons->click();
        QCOMPARE(form->cboConstants->count(), 2);
        form->cmdRemCons->click(); // nothing of the list is selected
        QCOMPARE(form->cboConstants->count(), 2);
        form->cboConstants->setCurrentIndex(1);
        form->cmdRemCons->click();
        QCOMPARE(form->cboConstants->count(), 1);
        double a = -1;
        QVERIFY(form->session().host().evaluate("a", a));
        QCOMPARE(a, 0.0);
        typeInto(edit, "k=\"a,b\"");
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(form->cboConstants->count(), 1);
        QVERIFY(form->statusBar()->currentMessage().startsWith("The constant k cannot hold the character \""));
        typeInto(edit, "k=\"ab\"");
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(form->cboConstants->count(), 2);
        QVERIFY(form->statusBar()->currentMessage().isEmpty());
    }

    // Saved and opened again, the problem comes back with its solution, unmodified: closing it
    // asks nothing, and the focus is not on the equation (one keystroke must not replace it).
    void saveThenOpenRestoresTheProblemAndItsSolution()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("bessel");
        enterSolvableProblem();
        typeInto(form->cboConstants->lineEdit(), "k=2.37");
        form->cmdAddCons->click();
        form->cmdSolve->click();
        // The title: the caption alone and modified before the first save, the file's name and
        // unmodified after it, modified again with the next edit.
        const QString caption = "Linear Differential Equation - Power Series Solutions";
        QCOMPARE(form->windowTitle(), caption + "[*]");
        QVERIFY(form->isWindowModified());
        form->chooseFile = [&](bool save) { return save ? file : QString(); };
        form->mnuSave->trigger();
        QVERIFY(QFile::exists(file));
        QVERIFY(QFile::exists(file + ".str"));
        QCOMPARE(form->windowTitle(), "bessel - " + caption + "[*]");
        QVERIFY(!form->isWindowModified());
        typeInto(form->txtXestimation, "0.25"); // not kept in the file: no change to save
        typeInto(form->txtDerNum, "1");
        QVERIFY(!form->isWindowModified());
        QVERIFY(!form->Modified());
        const QString upper = form->txtXupper->text();
        typeInto(form->txtXupper, upper + "1");
        QVERIFY(form->isWindowModified());
        typeInto(form->txtXupper, upper);
        form->cmdSolve->click(); // the edits cleared the solution
        form->mnuSave->trigger();
        QVERIFY(!form->isWindowModified());
        const QStringList solved = items(form->lstCoeff);
        auto* second = reopen(file);
        QVERIFY(second->cmdSolve->hasFocus());
        QCOMPARE(second->windowTitle(), "bessel - " + caption + "[*]");
        QVERIFY(!second->isWindowModified());
        QCOMPARE(items(second->lstCoeff), solved);
        QCOMPARE(items(second->lstBCError).size(), 8); // recomputed from the coefficients as kept
        QCOMPARE(second->txtBC[2]->text(), QString("y=0"));
        QCOMPARE(second->cboConstants->itemText(0), QString("k=2.37"));
        // The head locked; another pair may follow (after the save question); printing offered.
        QVERIFY(!second->txtOrder->isEnabled() && second->mnuOpen->isEnabled() && second->mnuPrint->isVisible());
        QVERIFY(!second->Loading());
        evaluateAt(second, "1", "1");
        // The file keeps 15 digits of each coefficient.
        QVERIFY(second->lblValue->text().startsWith("0.00837112419948"));
        int asked = 0;
        second->askSaveChanges = [&]() {
            ++asked;
            return QMessageBox::Cancel;
        };
        second->close();
        QCOMPARE(asked, 0);
    }

    // The trigonometric form's automatic number of terms: the periodic solution of the
    // default equation is found with 17 terms, and the box shows them.
    void theTrigonometricFormGrowsItsTerms()
    {
        form = open(ode::ProblemKind::LinearTrig);
        auto* automatic = find<QCheckBox>(form, "chkAutoDegree");
        QVERIFY(automatic->isEnabled());
        enterHead();
        typeAll(form, {{"txtBC_1", "y=1"}, {"txtXeval_1", "0"}, {"txtBC_2", "y'=-6"}, {"txtXeval_2", "0"}});
        automatic->setChecked(true);
        form->cmdSolve->click();
        QVERIFY(form->session().solved());
        QVERIFY2(form->lblAccuracy->text().startsWith("CONVERGED AT 17 TERMS: ESTIMATED ERROR "),
                 qPrintable(form->lblAccuracy->text()));
        QCOMPARE(form->txtTerms->text(), QString("17"));
        evaluateAt(form, "1");
        const double exact = 2 - std::cos(1.0) - 3 * std::sin(2.0);
        QVERIFY2(std::fabs(form->lblValue->text().toDouble() - exact) < 1e-13, qPrintable(form->lblValue->text()));
        automatic->setChecked(false);
        QVERIFY(form->lblAccuracy->text().isEmpty());
    }

    // No lost work: closing or File > New with unsaved changes asks "Save changes?"; Cancel
    // keeps the form, Save writes the problem first (and a cancelled dialog keeps it open),
    // Discard goes on. File > New gives a fresh form whose head is entered again.
    void unsavedChangesAreAskedAbout()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("asked");
        int asked = 0;
        QMessageBox::StandardButton answer = QMessageBox::Cancel;
        const auto ask = [&]() {
            ++asked;
            return answer;
        };
        form->askSaveChanges = ask;
        form->close(); // a fresh form: nothing to lose
        QCOMPARE(asked, 0);
        form = open(ode::ProblemKind::LinearPower);
        form->askSaveChanges = ask;
        enterHead();
        typeInto(form->txtEquation, "y''+y=0");
        QVERIFY(form->Modified());
        form->mnuNew->trigger();
        QCOMPARE(shell->CurrentForm(), static_cast<QWidget*>(form)); // Cancel: nothing happens
        form->close();
        QCOMPARE(asked, 2);
        QVERIFY(!shell->ended()); // Cancel: the form stays, with its text
        QCOMPARE(form->txtEquation->text(), QString("y''+y=0"));
        answer = QMessageBox::Save;
        form->chooseFile = [](bool) { return QString(); }; // the dialog cancelled
        form->close();
        QVERIFY(!shell->ended()); // not written: not closed
        answer = QMessageBox::Discard;
        form->mnuNew->trigger();
        auto* fresh = qobject_cast<FrmSingle*>(shell->CurrentForm());
        QVERIFY(fresh && fresh != form);
        QVERIFY(fresh->isVisible() && fresh->txtOrder->isEnabled() && fresh->txtIndepVarNam->isEnabled());
        QCOMPARE(fresh->objectName(), QString("frmPldif"));
        QVERIFY(!shell->ended());
        form = fresh;
        form->askSaveChanges = ask;
        enterHead();
        QVERIFY(!form->txtOrder->isEnabled());
        answer = QMessageBox::Save;
        form->chooseFile = [&](bool save) { return save ? file : QString(); };
        form->close();
        QVERIFY(QFile::exists(file));
        QVERIFY(shell->ended());
    }

    // Each box routes its text through the core's check and says the core's rule (the checks'
    // edge cases and the rules' wording are the core's tests); a wrong interval sends the focus
    // to the lower end. The head boxes before the one tried are entered rightly (2, x, y).
    void refusedBoxesSayWhyAndKeepTheFocus_data()
    {
        using namespace ode;
        auto q = [](const std::string& text) { return QString::fromStdString(text); };
        const QString quoted = "y''+y=0*Len(\"a\")", condition = "y=Len(\"a,b\")-3";
        addRefusalRows({
            {"order 0", "txtOrder", "0", "", q(OrderRule(false)), "10"},
            {"name 1x", "txtIndepVarNam", "1x", "", q(NameRule()), "t"},
            {"names alike", "txtDepVarNam", "x", "",
             "The dependent variable needs a name of its own, not the independent variable's.", "y"},
            {"degree at the order", "txtTerms", "2", "", q(TermsRule(2, SeriesKind::Power)), "2.4"},
            {"centre with a comma", "txtExpansion", "1,5", "", q(CentreRule()), "*"},
            {"equation of order 1", "txtEquation", "y'+y=0", "", q(EquationRule("y", 2)), "y''+y=0"},
            {"equation with a quote", "txtEquation", quoted, "",
             q(*FileTextRefusal("The equation", quoted.toStdString(), kEquationItem)), "y''+y=0"},
            // A quote the file keeps passes.
            {"condition with a quoted comma", "txtBC_1", condition, "",
             q(*FileTextRefusal("Condition 1", condition.toStdString(), kConditionItem)), "y=Len(\"ab\")-2"},
            {"upper end at the lower", "txtXupper", "-5", "txtXlower", q(IntervalRule("-5", "-5")), "5"},
            {"upper end in letters", "txtXupper", "abc", "", q(IntervalRule("0", "abc")), "5"},
            {"lower end 1 0", "txtXlower", "- 1", "", q(IntervalRule("- 1", "1")), "-1"},
            {"condition point 0o", "txtXeval_1", "0o", "", q(PointRule()), "0"},
            {"evaluation point 1x", "txtXestimation", "1x", "", q(PointRule()), "1E-1"},
            {"derivative 1.5", "txtDerNum", "1.5", "", q(DerivativeOrderRule()), "1"},
        });
    }
    void refusedBoxesSayWhyAndKeepTheFocus()
    {
        refuseThenAccept(form, {{"txtOrder", "2"}, {"txtIndepVarNam", "x"}, {"txtDepVarNam", "y"}});
        if (QString(QTest::currentDataTag()) == "name 1x")
            QCOMPARE(form->lblXestimation->text(), QString("At t="));
    }

    // An exception escaping a command ends the command with a message; the form goes on.
    void anUnexpectedErrorEndsOnlyTheCommand()
    {
        auto* trap = new QPushButton("trap", form);
        connect(trap, &QPushButton::clicked, form, ode::app::Guarded(form, []() {
                    QApplication::setOverrideCursor(Qt::WaitCursor);
                    throw std::runtime_error("a fault in the command");
                }));
        QCOMPARE(answeringBoxes([&]() { trap->click(); }),
                 QStringList{"An unexpected error stopped this command (a fault in the command). The window keeps "
                             "what it showed before."});
        QVERIFY(!QApplication::overrideCursor());
        enterSolvableProblem();
        QVERIFY(answeringBoxes([&]() { form->cmdSolve->click(); }).isEmpty());
        QCOMPARE(items(form->lstCoeff).value(2), QString("y(1)=0.499999999999997"));
    }

    // A pair of another kind, a missing or cancelled file and a pair of binary bytes: each ends
    // in one message box (a cancelled dialog in none) at once, and the form can still be entered
    // and solved afterwards. (What else a broken disk can hand every kind, truncated, huge, a
    // folder, a FIFO, a wild degree, is the sessions' HostileFiles test.)
    void filesTheFormCannotTakeLeaveItUsable()
    {
        QTemporaryDir dir;
        auto* trig = open(ode::ProblemKind::LinearTrig);
        QCOMPARE(trig->objectName(), QString("frmTldif"));
        QCOMPARE(textsOf(trig, {"txtExpansion", "txtPeriod", "txtTerms"}), (QStringList{"*", "*", "15"}));
        trig->chooseFile = [&](bool) { return dir.filePath("trig"); };
        form = trig;
        enterHead();
        trig->mnuSaveAs->trigger();
        form = open(ode::ProblemKind::LinearPower);
        QByteArray binary(4096, '\0');
        for (int i = 0; i < binary.size(); ++i)
            binary[i] = static_cast<char>((i * 7919) % 251);
        for (const QString name : {"binary", "binary.str"}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(binary) == binary.size());
        }
        for (const QString name : {"trig", "missing", "", "binary"}) {
            form->chooseFile = [&](bool) { return name.isEmpty() ? QString() : dir.filePath(name); };
            QElapsedTimer clock;
            clock.start();
            const QStringList boxes = answeringBoxes([&]() { form->mnuOpen->trigger(); });
            QCOMPARE(boxes.size(), name.isEmpty() ? 0 : 1);
            if (name == "trig")
                QCOMPARE(boxes, QStringList{"Incompatible file"});
            QVERIFY2(clock.elapsed() < 5000, qPrintable(name));
            QVERIFY2(form->txtOrder->isEnabled() && form->txtIndepVarNam->isEnabled() && !form->Loading(),
                     qPrintable(name));
        }
        enterSolvableProblem();
        form->cmdSolve->click();
        QVERIFY(form->session().solved());
    }

    // The keys a desktop program answers to reach their commands, and Enter presses a focused
    // button; each command's own question is answered "no" by the test.
    void standardKeysReachTheirCommands_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("reached");
        QTest::newRow("Open") << "Ctrl+O" << "open dialog";
        QTest::newRow("Save") << "Ctrl+S" << "save dialog";
        QTest::newRow("Save As") << "Ctrl+Shift+S" << "save dialog";
        QTest::newRow("Print") << "Ctrl+P" << "printer";
        QTest::newRow("New") << "Ctrl+N" << "save question";
        QTest::newRow("Quit") << "Ctrl+Q" << "save question";
        QTest::newRow("Enter on a button") << "Return" << "next condition";
    }
    void standardKeysReachTheirCommands()
    {
        QFETCH(QString, keys);
        QFETCH(QString, reached);
        enterHead();
        QVERIFY(form->Modified());
        QStringList seen;
        form->chooseFile = [&](bool save) {
            seen << (save ? "save dialog" : "open dialog");
            return QString();
        };
        form->confirmPrinter = [&](QPrinter&) {
            seen << "printer";
            return false;
        };
        form->askSaveChanges = [&]() {
            seen << "save question";
            return QMessageBox::Cancel;
        };
        form->cmdNextBC->setFocus();
        if (keys == "Return")
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        else
            QTest::keySequence(form, QKeySequence(keys));
        if (find<QLabel>(form, "lblBCNum")->text() == "2")
            seen << "next condition";
        QCOMPARE(seen, QStringList{reached});
        QVERIFY(form->isVisible());
    }

    // A long solve runs off the window's thread: its progress and Cancel show, input to the
    // boxes is held back, and Cancel, Escape or closing the window stop it with the stopped line
    // listed; the form solves again afterwards.
    void aLongSolveShowsItsProgressAndCanBeStopped_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << "Cancel";
        QTest::newRow("Escape") << "Escape";
        QTest::newRow("close") << "close";
    }
    void aLongSolveShowsItsProgressAndCanBeStopped()
    {
        QFETCH(QString, how);
        enterSine();
        // |x| is not smooth: the collocation solves, O(N^3) (the banded form would be done at once).
        typeInto(form->txtEquation, "y''+abs(x)*y=0");
        find<QComboBox>(form, "cboMethod")->setCurrentIndex(1);
        typeAndTab(form->txtTerms, "4000");
        QString progress;
        QTimer watch;
        watch.setInterval(20);
        connect(&watch, &QTimer::timeout, [&]() {
            if (!form->cmdCancel->isVisible() || !progress.isEmpty())
                return;
            progress = form->statusBar()->currentMessage();
            QTest::keyClicks(form->txtEquation, "zz"); // held back: the solve reads the problem it started with
            if (how == "Cancel")
                QTest::mouseClick(form->cmdCancel, Qt::LeftButton);
            else if (how == "Escape")
                QTest::keyClick(form->txtEquation, Qt::Key_Escape);
            else
                QVERIFY(!form->close());
        });
        watch.start();
        form->cmdSolve->click();
        watch.stop();
        QVERIFY2(progress.startsWith("Solving"), qPrintable(progress));
        QVERIFY2(items(form->lstCoeff).value(0).startsWith("STOPPED BY THE USER"), qPrintable(items(form->lstCoeff).join('|')));
        QCOMPARE(form->txtEquation->text(), QString("y''+abs(x)*y=0"));
        QVERIFY(form->isVisible() && form->cmdCancel->isHidden() && form->cmdSolve->isVisible());
        QCOMPARE(form->statusBar()->currentMessage(), QString());
        typeAndTab(form->txtTerms, "30");
        form->cmdSolve->click();
        QVERIFY(form->session().solved());
    }

    // The accurate method from the window: the method chosen, the degree grown automatically,
    // the readout and the Chebyshev list shown, the degree box updated, and Evaluate using it.
    void theAccurateMethodWithAutomaticDegree()
    {
        QVERIFY(!form->chkAutoDegree->isEnabled());
        // The accurate panes give their room to the results until the method is chosen.
        QVERIFY(form->lstChebyshev->isHidden() && form->picDecay->isHidden());
        enterSine();
        typeAll(form, {{"txtXlower", "-10"}, {"txtXupper", "10"}});
        // "auto" typed in the degree box chooses the Chebyshev points and the automatic
        // degree; the box keeps its number for the file.
        typeAndTab(form->txtTerms, "auto");
        QCOMPARE(form->cboMethod->currentIndex(), 1);
        QVERIFY(form->chkAutoDegree->isEnabled());
        QVERIFY(form->chkAutoDegree->isChecked());
        QVERIFY(form->lstChebyshev->isVisible() && form->picDecay->isVisible());
        QCOMPARE(form->txtTerms->text(), QString("23"));
        form->cmdSolve->click();
        QVERIFY(form->session().solved());
        QVERIFY2(form->lblAccuracy->text().startsWith("CONVERGED AT DEGREE "), qPrintable(form->lblAccuracy->text()));
        const int degree = form->txtTerms->text().toInt();
        QVERIFY(degree >= 16 && degree <= 128);
        QCOMPARE(form->lstChebyshev->count(), degree + 2);
        QCOMPARE(form->lstCoeff->count(), degree + 2);
        evaluateAt(form, "9.5", "0");
        // Near the end of the interval, to the rounding level of the accurate solution.
        const double shown = form->lblValue->text().toDouble(), error = std::fabs(shown - std::sin(9.5));
        QVERIFY2(error < 1e-13, qPrintable(form->lblValue->text()));
        // A limit below the degree needed: said, with the best solution shown; 1 is refused.
        typeAndTab(form->txtMaxDegree, "1");
        QVERIFY(form->txtMaxDegree->hasFocus());
        typeAndTab(form->txtMaxDegree, "32");
        form->cmdSolve->click();
        QVERIFY2(form->lblAccuracy->text().startsWith("NOT CONVERGED BY DEGREE 32: ESTIMATED ERROR "),
                 qPrintable(form->lblAccuracy->text()));
        // The tolerance: refused outside (0, 1) with its rule; a looser one stops at a lower degree.
        typeAndTab(form->txtMaxDegree, "1000");
        typeAndTab(form->txtTolerance, "0");
        QVERIFY(form->txtTolerance->hasFocus());
        QCOMPARE(form->statusBar()->currentMessage(),
                 QString("The tolerance is a number above 0 and below 1 (1E-13 by default)."));
        typeAndTab(form->txtTolerance, "1E-6");
        QVERIFY(!form->txtTolerance->hasFocus());
        form->cmdSolve->click();
        QVERIFY2(form->lblAccuracy->text().startsWith("CONVERGED AT DEGREE "), qPrintable(form->lblAccuracy->text()));
        QCOMPARE(form->session().tolerance, 1e-6);
        QVERIFY(form->txtTerms->text().toInt() < degree);
        // Saved and opened again, the settings come back with the method.
        QTemporaryDir dir;
        const QString name = dir.filePath("sine");
        form->chooseFile = [&](bool) { return name; };
        form->mnuSaveAs->trigger();
        auto* again = reopen(name);
        QCOMPARE(again->cboMethod->currentIndex(), 1);
        QVERIFY(again->chkAutoDegree->isChecked());
        QCOMPARE(textsOf(again, {"txtTolerance", "txtMaxDegree"}), (QStringList{"1E-06", "1000"}));
        again->cboMethod->setCurrentIndex(0);
        QVERIFY(!again->session().solved());
        QCOMPARE(again->lstChebyshev->count(), 0);
        QVERIFY(again->lblAccuracy->text().isEmpty());
        QVERIFY(open(ode::ProblemKind::LinearTrig)->findChild<QComboBox*>("cboMethod") == nullptr);
    }

    void printingWritesTheReportLines()
    {
        enterHead("1");
        typeAll(form, {{"txtEquation", "y'-y=0"}, {"txtBC_1", "y=1"}, {"txtXlower", "0"}, {"txtXupper", "1"},
                       {"txtTerms", "3"}});
        form->cmdSolve->click();
        QCOMPARE(missingFromPrint(form, {"DEPENDENT VARIABLE: y", "INDEPENDENT VARIABLE: x", "DIFFERENTIAL EQUATION:",
                                         "y'-y=0", "BOUNDARY CONDITION # 1 . EVALUATION POINT x=0", "ORDER: 1",
                                         "DEGREE OF SOLUTION: 3", "INTERVAL STUDIED: [ 0 , 1 ]",
                                         "CENTER OF EXPANSION: 0", "EXPANSION COEFFICIENTS:", "y( 0 )= 1"}),
                 QStringList());
    }

    // The conditions of an order 3 problem: the arrows wrap around them; the grid of all of
    // them opens beside the form on the screen and writes back every keystroke.
    void theConditionsAreReachedByTheArrowsAndTheGrid()
    {
        enterHead("3");
        typeInto(form->txtEquation, "y'''=0"); // the order 2 equation would be refused on leaving
        auto* label = form->findChild<QLabel*>("lblBCNum");
        form->cmdPrevBC->click();
        QCOMPARE(label->text(), QString("3"));
        QVERIFY(find<QLineEdit>(form, "txtBC_3")->isVisible());
        QVERIFY(form->txtBC[1]->isHidden());
        QVERIFY(find<QLineEdit>(form, "txtXeval_3")->hasFocus());
        form->cmdNextBC->click();
        QCOMPARE(label->text(), QString("1"));
        form->cmdNextBC->click();
        QCOMPARE(label->text(), QString("2"));
        form->cmdShowAllBCs->click();
        auto* editor = shell->conditionsEditor();
        QVERIFY(editor->isVisible());
        QVERIFY(form->screen()->availableGeometry().contains(editor->frameGeometry().topLeft()));
        QVERIFY(editor->property("placed").toBool());
        activate(editor);
        auto* grid = editor->grid();
        grid->setCurrentCell(1, 1);
        emit grid->cellClicked(1, 1);
        QVERIFY(editor->editing());
        QCOMPARE(editor->entry()->text(), QString("y=0"));
        QTest::keyClick(editor->entry(), Qt::Key_End);
        QTest::keyClicks(editor->entry(), "5");
        QCOMPARE(textsOf(form, {"txtBC_2", "txtBC_1"}), (QStringList{"y=05", "y'=0.5"}));
        // Arrow navigation from row 1: Down from the last row goes to row 0, Up back; Right from
        // column 1 goes to the next row's, Left to the row before's. The cell reached is (row, column).
        const std::pair<Qt::Key, QPoint> moves[] = {{Qt::Key_Down, {2, 1}}, {Qt::Key_Down, {0, 1}},
                                                    {Qt::Key_Up, {2, 1}},   {Qt::Key_Right, {0, 1}},
                                                    {Qt::Key_Left, {2, 1}}};
        for (const auto& [key, cell] : moves) {
            QTest::keyClick(editor->entry(), key);
            QCOMPARE(QPoint(grid->currentRow(), grid->currentColumn()), cell);
        }
        // A character typed on the grid replaces the cell's text and keeps it.
        grid->setFocus();
        grid->setCurrentCell(0, 1);
        editor->entry()->hide();
        QTest::keyClicks(grid, "y");
        QTest::keyClicks(editor->entry(), "=2");
        QCOMPARE(form->txtBC[1]->text(), QString("y=2"));
        // A change in the form rewrites the grid cell.
        form->txtBC[3]->setText("y''=7");
        QCOMPARE(grid->item(2, 1)->text(), QString("y''=7"));
        find<QPushButton>(editor, "cmdExit")->click();
        QVERIFY(!editor->isVisible());
        QVERIFY(!editor->editing());
        // The user's own placement stands from then on.
        const QPoint placed = editor->pos() + QPoint(5, 5);
        editor->move(placed);
        form->cmdShowAllBCs->click();
        QCOMPARE(editor->pos(), placed);
    }
};

QTEST_MAIN(TestLinearForm)
#include "tst_linear_form.moc"
