// The nonlinear forms: the linear forms' design with the Newton iteration's inputs.
#include "GuiTest.h"

#include "equations/BoxChecks.h"
#include "gui/forms/frmSingle.h"
#include "gui/plot/DecayView.h"
#include "nonlinear/NonlinearSession.h"

using namespace guitest;
using ode::forms::FrmSingle;

class TestNonlinearForm : public QObject {
    Q_OBJECT

    std::unique_ptr<ode::shell::Shell> shell;
    FrmSingle* form = nullptr;

    FrmSingle* open(ode::ProblemKind kind) { return openForm<FrmSingle>(shell, kind); }

    void enterHead() { guitest::enterHead(form); }

    // The form's own problem as it stands: y'' = 2y^3, y'(3) + y(3)^2 = 0 and y(1) = 1, whose
    // solution is 1/x; from unit coefficients.
    void reciprocalProblem()
    {
        enterHead();
        QCOMPARE(textsOf(form, {"txtBC_2", "txtXeval_2"}), (QStringList{"y=1", "1"}));
        form->cboApproximation->setCurrentIndex(1);
    }

private slots:
    void init() { form = open(ode::ProblemKind::NonlinearPower); }
    void cleanup() { shell.reset(); }

    // The forms' own defaults: the power form's problem (its texts as the printed report gives
    // them back) and the start, chosen once the head is entered; the trigonometric form's labels.
    void theFormsShowAndPrintTheirOwnDefaults()
    {
        QCOMPARE(form->objectName(), QString("frmPndif"));
        QCOMPARE(textsOf(form, {"txtBC_1", "txtXeval_1", "txtExpansion", "lblErrorD", "cmdEvaluate"}),
                 (QStringList{"y'+y^2=0", "3", "*", "Approx. error bound for DE & BC's:", "Value="}));
        QCOMPARE(form->txtErrorD->toolTip(), QString("Error MUST be >0"));
        QCOMPARE(form->cboApproximation->currentText(), QString("2 - Random coefficients"));
        QCOMPARE(form->cboApproximation->count(), 5);
        QVERIFY(!form->cboApproximation->isEnabled());
        QVERIFY(!form->mnuPrint->isEnabled());
        QVERIFY(form->mnuPrint->isVisible());
        QVERIFY(!form->findChild<QLabel*>("lblValSer"));
        reciprocalProblem();
        QVERIFY(form->cboApproximation->isEnabled());
        QVERIFY(form->mnuPrint->isEnabled());
        form->cmdSolve->click();
        QCOMPARE(missingFromPrint(form, {"DIFFERENTIAL EQUATION:", "y''-2*y^3=0", "ORDER: 2", "DEGREE OF EXPANSION: 22",
                                         "MAXIMUM ERROR IN DE & BC'S: .01", "MAXIMUM # OF ITERATIONS: 10",
                                         "INTERVAL STUDIED: [ 1 , 3 ]", "CENTER OF EXPANSION: 2",
                                         "EXPANSION COEFFICIENTS:"}),
                 QStringList());
        form = open(ode::ProblemKind::NonlinearTrig);
        QCOMPARE(form->objectName(), QString("frmTndif"));
        QCOMPARE(textsOf(form, {"txtEquation", "txtTerms", "lblTerms", "lblPeriod", "lblErrorC"}),
                 (QStringList{"exp(x)*y''-y*y'+y=exp(x)", "23",
                              "Number of terms:", "Desired period:", "Appx. error for Coeffs:"}));
    }

    // The order stops at 9 (the derivative variables stop at Y9) and a bound must be above 0, in
    // the core's words.
    void orderTenAndZeroBoundsAreRefused_data()
    {
        addRefusalRows({
            {"order 10", "txtOrder", "10", "", QString::fromStdString(ode::OrderRule(true)), "2"},
            {"error bound 0", "txtErrorD", "0", "", QString::fromStdString(ode::ErrorBoundRule()), ".01"},
        });
    }
    void orderTenAndZeroBoundsAreRefused()
    {
        refuseThenAccept(form, {{"txtOrder", "2"}, {"txtIndepVarNam", "x"}, {"txtDepVarNam", "y"}});
    }

    // The accurate method on the nonlinear power form: Chebyshev points, the pass list with
    // both norms, the Chebyshev coefficients, and Evaluate reading the Chebyshev solution.
    void theAccurateMethodListsItsPasses()
    {
        reciprocalProblem();
        typeAll(form, {{"txtErrorD", "1E-9"}, {"txtErrorC", "1E-9"}, {"txtMaxcy", "40"}, {"txtTerms", "30"}});
        form->cboMethod->setCurrentIndex(1);
        form->cmdSolve->click();
        QVERIFY(form->session().solved());
        auto* passes = find<QListWidget>(form, "lstPasses");
        QVERIFY(passes->count() >= 3);
        QVERIFY(passes->item(0)->text().startsWith("PASS 1: CORRECTION "));
        QVERIFY2(passes->item(passes->count() - 1)->text().startsWith("CONVERGED AFTER "),
                 qPrintable(passes->item(passes->count() - 1)->text()));
        QCOMPARE(form->lstChebyshev->count(), 32);
        QCOMPARE(form->picDecay->picture().points.size(), size_t(31)); // the decay of c0 ... c30
        evaluateAt(form, "2", "1");
        QVERIFY2(std::fabs(form->lblValue->text().toDouble() + 0.25) < 1e-13, qPrintable(form->lblValue->text()));
        // Saved in the accurate method, it reopens in it with its Chebyshev solution.
        QTemporaryDir dir;
        const QString file = dir.filePath("reciprocal");
        form->chooseFile = [&](bool save) { return save ? file : QString(); };
        form->mnuSave->trigger();
        QVERIFY(QFile::exists(file + ".acc"));
        const QStringList chebyshev = items(form->lstChebyshev);
        const QString value = form->lblValue->text();
        form->cboMethod->setCurrentIndex(0);
        QCOMPARE(passes->count(), 0);
        QVERIFY(form->picDecay->empty());
        auto* second = reopen<FrmSingle>(shell, ode::ProblemKind::NonlinearPower, file);
        QCOMPARE(find<QComboBox>(second, "cboMethod")->currentIndex(), 1);
        QCOMPARE(items(second->lstChebyshev), chebyshev);
        evaluateAt(second, "2", "1");
        QCOMPARE(second->lblValue->text(), value);
        QVERIFY(open(ode::ProblemKind::NonlinearTrig)->findChild<QListWidget*>("lstPasses") == nullptr);
    }

    // Continuation from the window: Bratu's problem reached from lambda = 0.5 in three steps;
    // a step count of 0 is refused and keeps the focus.
    void continuationSweepsAConstant()
    {
        enterHead();
        typeAll(form, {{"txtEquation", "y''+lambda*exp(y)=0"}, {"txtBC_1", "y=0"}, {"txtXeval_1", "0"},
                       {"txtBC_2", "y=0"}, {"txtXeval_2", "1"}, {"txtXlower", "0"}, {"txtXupper", "1"},
                       {"txtTerms", "40"}, {"txtErrorD", "1E-11"}, {"txtErrorC", "1E-11"}, {"txtMaxcy", "40"}});
        form->cboApproximation->setCurrentIndex(0);
        typeInto(form->cboConstants->lineEdit(), "lambda=1");
        form->cmdAddCons->click();
        find<QComboBox>(form, "cboMethod")->setCurrentIndex(1);
        typeAll(form, {{"txtSweepName", "lambda"}, {"txtSweepFrom", "0.5"}, {"txtSweepTo", "3.5"},
                       {"txtSweepSteps", "0"}});
        pressTab();
        QVERIFY(form->txtSweepSteps->hasFocus());
        typeAndTab(form->txtSweepSteps, "3");
        QVERIFY(!form->txtSweepSteps->hasFocus());
        form->cmdSolve->click();
        QVERIFY(form->session().solved());
        auto* passes = find<QListWidget>(form, "lstPasses");
        QCOMPARE(passes->item(0)->text(), QString("STEP 0: lambda=0.5"));
        QCOMPARE(passes->item(passes->count() - 1)->text(), QString("CONTINUATION ENDED AT lambda=3.5"));
        evaluateAt(form, "0.5", "0");
        QVERIFY2(std::fabs(form->lblValue->text().toDouble() - 1.0851589) < 1e-6, qPrintable(form->lblValue->text()));
    }

    // The iteration listed and saved; a looser bound keeps the results, a tighter one clears
    // them. The saved series then starts another form's iteration.
    void solveListsTheIterationAndItsSeriesStartsAnother()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("recip");
        reciprocalProblem();
        form->cmdSolve->click();
        QVERIFY(form->session().solved());
        QCOMPARE(form->lstCoeff->item(0)->text(), QString("COEFFICIENTS:   ( LAST CORRECTION: )"));
        QVERIFY(form->lstCoeff->item(1)->text().startsWith("y(0)=0.5"));
        QCOMPARE(form->lstBCError->count(), 2);
        evaluateAt(form, "2");
        QVERIFY(form->lblValue->text().startsWith("0.5"));
        QCOMPARE(form->lstDError->count(), 1);
        QVERIFY(form->lstDError->item(0)->text().startsWith("LHS-RHS="));
        form->chooseFile = [&](bool) { return file; };
        form->mnuSaveAs->trigger();
        // A looser bound keeps the results, a tighter one clears them.
        typeAndTab(form->txtErrorD, ".1");
        QVERIFY(form->lstCoeff->count() > 0);
        typeAndTab(form->txtErrorD, ".001");
        QCOMPARE(form->lstCoeff->count(), 0);
        // A condition point's change keeps the results on this form.
        form->cmdSolve->click();
        QVERIFY(form->lstCoeff->count() > 0);
        form->txtXeval[2]->setText("3");
        QVERIFY(form->lstCoeff->count() > 0);

        form = open(ode::ProblemKind::NonlinearPower);
        reciprocalProblem();
        typeInto(form->txtTerms, "10");
        form->chooseFile = [&](bool) { return file; };
        form->cboApproximation->setCurrentIndex(3);
        form->cboApproximation->setFocus();
        QTest::qWait(1);
        form->txtXestimation->setFocus(); // leaving the combo loads the series
        QCOMPARE(textsOf(form, {"txtTerms", "txtExpansion"}), (QStringList{"22", "2"}));
        form->cmdSolve->click();
        QVERIFY(form->session().solved());
        QVERIFY(static_cast<ode::NonlinearSession&>(form->session()).lastReport().passes <= 2);
        // The file the start came from is not the problem's: Save asks for a name.
        int asked = 0;
        form->chooseFile = [&](bool save) {
            asked += save;
            return dir.filePath("own");
        };
        form->mnuSave->trigger();
        QCOMPARE(asked, 1);
        QVERIFY(QFile::exists(dir.filePath("own.str")));

        // A series without coefficients falls back to random coefficients.
        form->chooseFile = [&](bool) { return dir.filePath("none"); };
        form->cboApproximation->setCurrentIndex(3);
        form->cboApproximation->setFocus();
        QTest::qWait(1);
        const QStringList seen = answeringBoxes([&]() { form->txtXestimation->setFocus(); });
        QCOMPARE(seen.size(), 1);
        QCOMPARE(form->cboApproximation->currentText(), QString("2 Random coefficients"));
    }
};

QTEST_MAIN(TestNonlinearForm)
#include "tst_nonlinear_form.moc"
