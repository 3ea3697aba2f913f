// The systems forms through their widgets.
#include "GuiTest.h"

#include "gui/forms/frmSystem.h"
#include "gui/grids/frmGridEditor.h"
#include "gui/plot/DecayView.h"
#include "gui/plot/frmPTserN.h"

using namespace guitest;
using ode::forms::FrmSystem;

class TestSystemForm : public QObject {
    Q_OBJECT

    std::unique_ptr<ode::shell::Shell> shell;
    FrmSystem* form = nullptr;

    FrmSystem* open(ode::ProblemKind kind) { return openForm<FrmSystem>(shell, kind); }

    void enterHead(const QString& numDE, const QString& numBC, const QString& names)
    {
        QVERIFY(activate(form));
        typeAndTab(form->txtNumDE, numDE);
        typeAndTab(form->txtNumBC, numBC);
        typeAndTab(form->txtIndepVarNam, "x");
        typeAndTab(form->txtDepVarNams, names);
    }

    // y' - z = 0, z' = 2, y(0) = 0, z(0) = 0 on [-1, 1]: y = x^2, z = 2x.
    void polynomialSystem()
    {
        enterHead("2", "2", "y,z");
        setTexts(form, {{"txtEquation_0", "y'-z=0"}, {"txtEquation_1", "z'=2"}, {"txtBC_1", "y=0"}});
        setTexts(form, {{"txtBC_2", "z=0"}, {"txtTerms", "3"}});
    }

private slots:
    void init() { form = open(ode::ProblemKind::LinearSystem); }
    void cleanup() { shell.reset(); }

    // The head's boxes refuse a wrong entry, keep the focus and state their rule in the status
    // bar until a right one is typed. (Names alike but for their case: the core's check.)
    void theHeadStatesItsRules_data()
    {
        const QString equations = "The number of equations must be a whole number from 1 to 10.";
        const QString conditions = "The number of conditions must be a whole number from 1 to 10.";
        const QString names = "One name for each equation, separated by commas; each starts with a letter, has only "
                              "letters and digits, and is its own.";
        addRefusalRows({
            {"no equations", "txtNumDE", "0", "", equations, "2"},
            {"too many equations", "txtNumDE", "11", "", equations, "2"},
            {"no conditions", "txtNumBC", "0", "", conditions, "3"},
            {"letters for conditions", "txtNumBC", "abc", "", conditions, "2"},
            {"a blank in the names", "txtDepVarNams", "y, z", "", names, "y,z"},
            {"a name too many", "txtDepVarNams", "y,z,w", "", names, "y,z"},
            {"a name too few", "txtDepVarNams", "y", "", names, "y,z"},
            {"names twice", "txtDepVarNams", "y,y", "", names, "y,z"},
            {"the independent variable's name", "txtDepVarNams", "x,z", "", names, "y,z"},
        });
    }
    void theHeadStatesItsRules()
    {
        refuseThenAccept(form,
                         {{"txtNumDE", "2"}, {"txtNumBC", "2"}, {"txtIndepVarNam", "x"}, {"txtDepVarNams", "y,z"}});
    }

    void theHeadIsEnteredInOrderAndChecked()
    {
        QCOMPARE(form->objectName(), QString("frmSldif"));
        QCOMPARE(textsOf(form, {"txtEquation_0", "lblDepVarNam"}),
                 (QStringList{"y''-y+x*z'=2*x^2", "Enter names of dependent variables, separated by commas:"}));
        QVERIFY(!form->mnuSave->isEnabled());
        QVERIFY(form->mnuSaveSeparate->isEnabled());
        QVERIFY(activate(form));
        typeAndTab(form->txtNumDE, "2");
        QVERIFY(!form->txtNumDE->isEnabled());
        typeAndTab(form->txtNumBC, "3");
        QVERIFY(find<QLineEdit>(form, "txtEquation_1")->isHidden());
        QVERIFY(find<QLineEdit>(form, "txtBC_3")->isHidden());
        typeAndTab(form->txtIndepVarNam, "t");
        typeAndTab(form->txtDepVarNams, "y,z");
        QVERIFY(!form->txtDepVarNams->isEnabled());
        QVERIFY(form->mnuSave->isEnabled());
        QVERIFY(form->mnuAbout->isVisible());
        QCOMPARE(form->lblXestimation->text(), QString("At t="));
        QCOMPARE(shell->equationsEditor()->grid()->item(1, 0)->text(), QString("DE #2:"));
        QCOMPARE(find<QLabel>(shell->equationsEditor(), "lblVarNams")->text(),
                 QString("Indep. Variable: t;  Dep. Variables: y,z"));
    }

    // The arrows wrap around the equations and the conditions. A fresh form solves as it
    // stands: its second equation and later conditions are its own problem's (-y + z' = 0;
    // y(0) = 0, y'(0) = 1, z(0) = 1), not copies of the first.
    void aFreshFormIsWalkedThroughAndSolvesAsItStands()
    {
        enterHead("2", "3", "y,z");
        form->cmdPrevDE->click();
        QCOMPARE(form->lblDENum->text(), QString("2"));
        QVERIFY(form->txtEquation[1]->isVisible());
        form->cmdNextDE->click();
        QCOMPARE(form->lblDENum->text(), QString("1"));
        form->cmdPrevBC->click();
        QCOMPARE(form->lblBCNum->text(), QString("3"));
        form->cmdNextBC->click();
        QCOMPARE(form->lblBCNum->text(), QString("1"));
        QCOMPARE(textsOf(form, {"txtEquation_1", "txtBC_2", "txtBC_3", "txtXeval_3"}),
                 (QStringList{"-y+z'=0", "y'=1", "z=1", "0"}));
        form->cmdSolve->click();
        QVERIFY2(form->session().solved(), qPrintable(items(form->lstCoeff).join('|')));
        QCOMPARE(items(form->lstCoeff).value(0), QString("EXPANSION COEFFICIENTS:"));
        evaluateAt(form, "0");
        QCOMPARE(items(form->lstValue).value(1), QString("z=1"));
    }

    // Solved by power series and in the accurate method (each variable's Chebyshev coefficients
    // listed, Evaluate reading them); plotted; an edit in the equations' grid clears every
    // result and the plot; Escape closes the grid, and opened again an editable cell is current.
    void solveEvaluateInBothMethodsPlotAndClear()
    {
        polynomialSystem();
        form->cmdEvaluate->click();
        QCOMPARE(form->lstValue->count(), 0); // nothing before a solve
        form->cmdSolve->click();
        const QStringList coefficients = items(form->lstCoeff);
        QCOMPARE(coefficients[0], QString("EXPANSION COEFFICIENTS:"));
        QCOMPARE(coefficients.size(), 1 + 5 + 1 + 5 + 1); // degree 3, one condition more for each
        QCOMPARE(items(form->lstBCError).size(), 2);
        evaluateAt(form, "0.5");
        QCOMPARE(items(form->lstValue), QStringList({"y=0.25", "z=1"}));
        QCOMPARE(form->lstDError->count(), 2);
        QVERIFY(form->lstDError->item(0)->text().startsWith("D.E. #1="));
        auto* method = find<QComboBox>(form, "cboMethod");
        method->setCurrentIndex(1);
        form->cmdSolve->click();
        QVERIFY(form->session().solved());
        const QStringList chebyshev = items(form->lstChebyshev);
        QCOMPARE(chebyshev[0], QString("CHEBYSHEV COEFFICIENTS ON [-1,1]:"));
        QVERIFY(chebyshev.contains("z(1)=2"));
        QVERIFY(!form->picDecay->empty()); // both variables' decay
        evaluateAt(form, "0.5");
        QCOMPARE(items(form->lstValue), QStringList({"y=0.25", "z=1"}));
        method->setCurrentIndex(0);
        QCOMPARE(form->lstChebyshev->count(), 0);
        QVERIFY(form->lstPasses == nullptr); // a linear system has no passes and no continuation
        QVERIFY(form->txtSweepName == nullptr);
        form->cmdSolve->click();
        form->cmdPlot->click();
        form->cmdEvaluate->click();
        auto* plot = shell->plotWindow();
        QVERIFY(plot->Picture2->isVisible()); // two curves: the legend, in the window shown
        // The edit made in the equations' grid, which writes back every keystroke.
        form->cmdShowAllDEs->click();
        auto* editor = shell->equationsEditor();
        QVERIFY(editor->isVisible());
        activate(editor);
        editor->grid()->setCurrentCell(1, 1);
        emit editor->grid()->cellClicked(1, 1);
        QTest::keyClick(editor->entry(), Qt::Key_End);
        QTest::keyClicks(editor->entry(), "+0");
        QCOMPARE(form->txtEquation[1]->text(), QString("z'=2+0"));
        QCOMPARE(form->lstCoeff->count() + form->lstValue->count(), 0);
        QVERIFY(!plot->PlotDrawn());
        // Escape closes the editor; opened again, an editable cell is current.
        QTest::keyClick(editor->entry(), Qt::Key_Escape);
        QVERIFY(!editor->isVisible());
        editor->setRowCount(2);
        QTest::qWait(10);
        QCOMPARE(editor->grid()->currentColumn(), 1);
    }

    // Saved as a pair and as one file a variable, printed, opened again with its solution; the
    // nonlinear form refuses the linear pair.
    void saveOpenSaveSeparatelyAndPrint()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("prob");
        polynomialSystem();
        form->cmdSolve->click();
        form->chooseFile = [&](bool) { return file; };
        form->mnuSaveAs->trigger();
        form->mnuSaveSeparate->trigger();
        QVERIFY(QFile::exists(file + ".str"));
        QVERIFY(QFile::exists(file + "_y"));
        QVERIFY(QFile::exists(file + "_z"));
        const QStringList solved = items(form->lstCoeff);
        QCOMPARE(missingFromPrint(form, {"INDEPENDENT VARIABLE: x", "DEPENDENT VARIABLES:y,z", "DIFFERENTIAL EQUATIONS:",
                                         "y'-z=0", "z'=2", "BOUNDARY CONDITION # 2 . EVALUATION POINT x=0",
                                         "INTERVAL STUDIED: [-1 , 1 ]", "EXPANSION COEFFICIENTS:"}),
                 QStringList());
        form = reopen<FrmSystem>(shell, ode::ProblemKind::LinearSystem, file);
        QCOMPARE(items(form->lstCoeff), solved);
        QCOMPARE(form->txtDepVarNams->text(), QString("y,z"));
        QVERIFY(!form->txtNumDE->isEnabled());
        QVERIFY(!form->Loading());
        evaluateAt(form, "1");
        QCOMPARE(items(form->lstValue), QStringList({"y=1", "z=2"}));

        form = open(ode::ProblemKind::NonlinearSystem);
        form->chooseFile = [&](bool) { return file; };
        QCOMPARE(answeringBoxes([&]() { form->mnuOpen->trigger(); }), QStringList{"Incompatible file"});
        QVERIFY(form->txtNumDE->isEnabled());
        QVERIFY(!form->Loading());
    }

    void theNonlinearSystemForm()
    {
        form = open(ode::ProblemKind::NonlinearSystem);
        QCOMPARE(form->objectName(), QString("frmSndif"));
        QVERIFY(!form->cboApproximation->isEnabled());
        QCOMPARE(form->cboApproximation->count(), 4);
        QCOMPARE(form->cboApproximation->itemText(3), QString("3 - Current approximation"));
        QCOMPARE(find<QLabel>(form, "lblErrorD")->text(), QString("Approx. error for DE & BC's:"));
        enterHead("2", "2", "y,z");
        QVERIFY(form->cboApproximation->isEnabled());
        setTexts(form, {{"txtEquation_0", "y'+z=0"}, {"txtEquation_1", "z'+2*y*z=0"}, {"txtBC_1", "y=1"}});
        setTexts(form, {{"txtBC_2", "z=1"}, {"txtXlower", "0"}, {"txtXupper", "1"}, {"txtTerms", "10"}});
        form->cboApproximation->setCurrentIndex(0);
        form->cmdSolve->click();
        QVERIFY(form->session().solved());
        QCOMPARE(form->lstCoeff->item(0)->text(), QString("COEFFICIENTS:   ( LAST CORRECTION: )"));
        evaluateAt(form, "1");
        QVERIFY(form->lstValue->item(0)->text().startsWith("y=0.5"));
        QVERIFY(form->lstDError->item(0)->text().startsWith("D.E. ( x =1)="));
        // The accurate method: the passes listed, y(1) = 1/2 to the last digits at degree 30.
        find<QComboBox>(form, "cboMethod")->setCurrentIndex(1);
        form->txtTerms->setText("30");
        form->cmdSolve->click();
        QVERIFY(form->session().solved());
        QVERIFY(form->lstPasses->count() >= 3);
        QVERIFY(form->lstPasses->item(form->lstPasses->count() - 1)->text().startsWith("CONVERGED AFTER "));
        form->cmdEvaluate->click();
        const double y = form->lstValue->item(0)->text().mid(2).toDouble();
        QVERIFY2(std::fabs(y - 0.5) < 1e-14, qPrintable(form->lstValue->item(0)->text()));
        // The automatic degree: the degree found goes into the degree box.
        find<QCheckBox>(form, "chkAutoDegree")->setChecked(true);
        form->cmdSolve->click();
        QVERIFY(form->session().solved());
        QVERIFY2(form->lblAccuracy->text().startsWith("CONVERGED AT DEGREE "), qPrintable(form->lblAccuracy->text()));
        QCOMPARE(form->txtTerms->text(), QString("27"));
        // Continuation boxes on the nonlinear form, refusing 0 steps (the box's check and its
        // acceptance are the nonlinear single form's continuation test).
        QVERIFY(form->txtSweepName != nullptr);
        QVERIFY(activate(form));
        typeAndTab(form->txtSweepSteps, "0");
        QVERIFY(form->txtSweepSteps->hasFocus());
    }
};

QTEST_MAIN(TestSystemForm)
#include "tst_system_form.moc"
