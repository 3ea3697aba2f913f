#include "gui/forms/frmSystem.h"

#include "common/NumberFormat.h"
#include "equations/BoxChecks.h"
#include "equations/LinearSplit.h"
#include "gui/app/AppState.h"
#include "gui/app/ConstantsFrame.h"
#include "gui/app/FormEvents.h"
#include "gui/app/FormHost.h"
#include "gui/app/FormSupport.h"
#include "gui/app/Guard.h"
#include "gui/app/Messages.h"
#include "gui/grids/frmGridEditor.h"
#include "gui/plot/DecayView.h"
#include "linear/LinearProblem.h"
#include "plot/PlotGeometry.h"
#include "systems/SystemFiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace ode::forms {

using app::q;
using app::s;

FrmSystem::FrmSystem(bool nonlinear, app::FormHost& host) : ProblemForm(nonlinear, host)
{
    setObjectName(nonlinear ? "frmSndif" : "frmSldif");
    setWindowTitle(nonlinear ? "Nonlinear System of Differential Equations - Power Series Solution"
                             : "Linear System of Differential Equations - Power Series Solution");
    m_session = std::make_unique<SystemSession>(nonlinear, host.state().extension, messageSink());
    auto* central = new QWidget(this);
    QVBoxLayout* main = makeColumns(central);

    buildHead(main);
    buildEquationArea(main);
    buildConditionArea(main);
    buildIntervalRow(main);
    if (nonlinear)
        buildIterationRow(main);
    buildMethodRow(main);
    buildResultLists(main);
    buildEvaluation(main);
    setCentralWidget(central);
    buildMenus();
    wireBoxes();
    wireCommands();
    trackChanges();
    showAccuratePanes(false);
    fitBoxWidths();
    txtNumDE->setFocus();
    app::ResizeOnScreen(this, QSize(1180, 760));
}

void FrmSystem::buildHead(QVBoxLayout* main)
{
    const SystemTexts& d = m_session->boxes;
    // Two lines: the counts and the independent variable, then the dependent variables.
    auto* counts = new QHBoxLayout();
    auto* names = new QHBoxLayout();
    txtNumDE = makeBox("txtNumDE", q(d.numDE), "Same as the number of dependent variables");
    txtNumBC = makeBox("txtNumBC", q(d.numBC));
    txtIndepVarNam = makeBox("txtIndepVarNam", q(d.indepVarName));
    txtDepVarNams = makeBox("txtDepVarNams", q(d.depVarNames));
    counts->addWidget(makeLabel("lblNumDE", "# of differential equations:"));
    counts->addWidget(txtNumDE);
    counts->addSpacing(12);
    counts->addWidget(makeLabel("lblNumBC", "# of boundary conditions:"));
    counts->addWidget(txtNumBC);
    counts->addSpacing(12);
    counts->addWidget(makeLabel("lblIndepVarNam", "Independent variable:"));
    counts->addWidget(txtIndepVarNam);
    counts->addStretch();
    names->addWidget(makeLabel("lblDepVarNam", "Enter names of dependent variables, separated by commas:"));
    names->addWidget(txtDepVarNams, 1);
    main->addLayout(counts);
    main->addLayout(names);
}

void FrmSystem::buildEquationArea(QVBoxLayout* main)
{
    const SystemTexts& d = m_session->boxes;
    auto* fraDE = new QGroupBox("Differential equations");
    fraDE->setObjectName("fraDE");
    m_deLayout = new QGridLayout(fraDE);
    lblDENum = makeLabel("lblDENum", "1");
    m_deLayout->addWidget(makeLabel("lblDE", "D.E.#"), 0, 0);
    m_deLayout->addWidget(lblDENum, 0, 1);
    txtEquation.push_back(makeBox("txtEquation_0", q(d.equations[0]),
                                  "Must be in terms of the independent variable, the dependent variables and their "
                                  "derivatives, and the constants you define"));
    m_deLayout->addWidget(txtEquation[0], 0, 2);
    cmdNextDE = makeButton("cmdNextDE", "Next DE");
    cmdPrevDE = makeButton("cmdPrevDE", "Previous DE");
    cmdShowAllDEs = makeButton("cmdShowAllDEs", "Show all DE's");
    auto* deButtons = new QHBoxLayout();
    deButtons->addWidget(cmdPrevDE);
    deButtons->addWidget(cmdNextDE);
    deButtons->addWidget(cmdShowAllDEs);
    m_deLayout->addLayout(deButtons, 1, 0, 1, 3);
    main->addWidget(fraDE);
}

void FrmSystem::buildConditionArea(QVBoxLayout* main)
{
    const SystemTexts& d = m_session->boxes;
    auto* fraBC = new QGroupBox("Boundary conditions");
    fraBC->setObjectName("fraBC");
    m_bcLayout = new QGridLayout(fraBC);
    lblBCNum = makeLabel("lblBCNum", "1");
    m_bcLayout->addWidget(makeLabel("lblBC", "B.C.#"), 0, 0);
    m_bcLayout->addWidget(lblBCNum, 0, 1);
    txtBC = {
        nullptr,
        makeBox("txtBC_1", q(d.bcText[0]),
                "Must be in terms of the dependent variables and their derivatives, and the constants you define")};
    txtXeval = {nullptr, makeBox("txtXeval_1", q(d.bcPoint[0]), "Point of evaluation")};
    lblXeval = makeLabel("lblXeval", "Evaluated at x=");
    m_bcLayout->addWidget(txtBC[1], 0, 2);
    m_bcLayout->addWidget(lblXeval, 0, 3);
    m_bcLayout->addWidget(txtXeval[1], 0, 4);
    cmdNextBC = makeButton("cmdNextBC", "&Next BC");
    cmdPrevBC = makeButton("cmdPrevBC", "&Previous BC");
    cmdShowAllBCs = makeButton("cmdShowAllBCs", "Show all BC's");
    auto* bcButtons = new QHBoxLayout();
    bcButtons->addWidget(cmdPrevBC);
    bcButtons->addWidget(cmdNextBC);
    bcButtons->addWidget(cmdShowAllBCs);
    m_bcLayout->addLayout(bcButtons, 1, 0, 1, 5);
    main->addWidget(fraBC);
}

void FrmSystem::buildIntervalRow(QVBoxLayout* main)
{
    const SystemTexts& d = m_session->boxes;
    auto* row = new QHBoxLayout();
    auto* fraInterval = new QGroupBox("Interval");
    fraInterval->setObjectName("fraInterval");
    auto* interval = new QHBoxLayout(fraInterval);
    txtXlower = makeBox("txtXlower", q(d.xlower), "Lower limit of interval to be studied");
    txtXupper = makeBox("txtXupper", q(d.xupper), "Upper limit of interval to be studied");
    interval->addWidget(txtXlower);
    interval->addWidget(makeLabel("lblXinterval", "<=x<="));
    interval->addWidget(txtXupper);
    row->addWidget(fraInterval);
    // Beside the interval, in two lines: the centre and the degree.
    auto* series = new QGridLayout();
    series->addWidget(makeLabel("lblExpansion", "Center of expansion:"), 0, 0);
    txtExpansion = makeBox("txtExpansion", q(d.expansion), "Enter \"*\" for center of interval");
    series->addWidget(txtExpansion, 0, 1);
    series->addWidget(makeLabel("lblTerms", "Approx. degree of solution:"), 1, 0);
    txtTerms = makeBox("txtTerms", q(d.terms));
    series->addWidget(txtTerms, 1, 1);
    row->addLayout(series);
    row->addStretch();
    main->addLayout(row);
}

void FrmSystem::buildIterationRow(QVBoxLayout* main)
{
    const SystemTexts& d = m_session->boxes;
    IterationRow row;
    row.errorDLabel = "Approx. error for DE & BC's:";
    row.errorCLabel = "Approx. error for Coefficients:";
    row.errorD = d.errorD;
    row.errorC = d.errorC;
    row.maxcy = d.maxcy;
    row.approximations.assign(std::begin(kSystemApproximationItems), std::end(kSystemApproximationItems));
    addIterationRow(main, row);
}

// The accurate method: the collocation points, each variable's Chebyshev coefficients and,
// for the nonlinear systems, the passes.
void FrmSystem::buildMethodRow(QVBoxLayout* main)
{
    addMethodFrame(main,
                   QString::fromStdString("Grow the degree until every variable's Chebyshev coefficients fall below " +
                                          FormatNumber(kDefaultTolerance)),
                   "Chebyshev coefficients of each variable");
}

void FrmSystem::buildResultLists(QVBoxLayout* main)
{
    constants = addSolveRow(main);
    main->addStretch(1);
    m_side = addResultLists("Error in BC's  ( L.H.S.-R.H.S.)", {}, nullptr);
}

void FrmSystem::buildEvaluation(QVBoxLayout*)
{
    auto* eval = new QGridLayout();
    lblXestimation = makeLabel("lblXestimation", "At x=");
    txtXestimation = makeBox("txtXestimation", "0", "Point of evaluation");
    txtDerNum = makeBox("txtDerNum", "0", "Enter 0 for the function itself");
    cmdEvaluate = makeButton("cmdEvaluate", "Value=", "Compute derivative and error in DE");
    lstValue = makeList("lstValue", {});
    lstDError = makeList("lstDError", {});
    lstValue->setMaximumHeight(80);
    lstDError->setMaximumHeight(80);
    // The point and the order in two lines, the command beside them; the values beside the
    // residuals.
    eval->addWidget(lblXestimation, 0, 0);
    eval->addWidget(txtXestimation, 0, 1);
    eval->addWidget(cmdEvaluate, 0, 2);
    eval->addWidget(makeLabel("lblDerNum", "Which derivative?"), 1, 0);
    eval->addWidget(txtDerNum, 1, 1, Qt::AlignLeft);
    eval->addWidget(lstValue, 2, 0, 2, 2);
    eval->addWidget(makeLabel("lblDError", "Error in DE's ( L.H.S.-R.H.S.)"), 2, 2);
    eval->addWidget(lstDError, 3, 2);
    eval->addWidget(makeOutsideLabel(), 4, 0, 1, 3);
    eval->setColumnStretch(1, 1);
    eval->setColumnStretch(2, 1);
    m_side->addLayout(eval);
    cmdPlot = makeButton("cmdPlot", "&Plot", "Plot the solution");
    m_side->addWidget(cmdPlot, 0, Qt::AlignRight);
}

void FrmSystem::buildMenus()
{
    auto* file = menuBar()->addMenu("File");
    file->setObjectName("mnuFile");
    auto action = [&](QMenu* m, const char* name, const char* text) {
        QAction* a = m->addAction(text);
        a->setObjectName(name);
        return a;
    };
    mnuNew = action(file, "mnuNew", "New");
    connect(mnuNew, &QAction::triggered, this, app::Guarded(this, [this]() { mnuNew_Click(); }));
    mnuOpen = action(file, "mnuOpen", "Open");
    addRecentMenu(file);
    addChangeHeadItem(file);
    addNewProblemItem(file);
    addExamplesItem(file);
    mnuSave = action(file, "mnuSave", "Save All");
    mnuSaveAs = action(file, "mnuSaveAs", "Save All As");
    mnuSaveSeparate = action(file, "mnuSaveSeparate", "Save Separately");
    mnuSaveSeparateAs = action(file, "mnuSaveSeparateAs", "Save Separately As");
    addExportItem(file);
    mnuPrint = action(file, "mnuPrint", "Print");
    mnuHelp = menuBar()->addAction("Help");
    mnuHelp->setObjectName("mnuHelp");
    mnuAbout = menuBar()->addAction("About");
    mnuAbout->setObjectName("mnuAbout");
    mnuSave->setEnabled(false);
    mnuSaveAs->setEnabled(false);
    mnuPrint->setEnabled(false);
    mnuAbout->setVisible(false);
}

// The head's boxes: each is checked, then locked when left, in the order they are entered.
void FrmSystem::wireBoxes()
{
    m_events = new app::FormEvents(this);
    auto* e = m_events;
    for (QLineEdit* b : {txtNumDE, txtNumBC, txtIndepVarNam, txtDepVarNams, txtTerms, txtExpansion, txtXlower,
                         txtXupper, txtXestimation, txtDerNum})
        e->selectOnFocus(b);
    // The numbers of equations and conditions: as the order box of a single equation.
    // Each count is kept in `target` when accepted.
    auto count = [=](QLineEdit* box, int& target, const char* what) {
        e->onValidate(
            box,
            [this, box, &target]() {
                if (m_loading)
                    return true;
                if (!CheckOrderText(s(box->text())))
                    return false;
                target = static_cast<int>(ParseWholeNumber(s(box->text())));
                return true;
            },
            [what]() { return QStringLiteral("The number of %1 must be a whole number from 1 to 10.").arg(what); });
    };
    count(txtNumDE, m_numDE, "equations");
    e->onLostFocus(txtNumDE, [this]() {
        if (!txtNumDE->isEnabled() || m_loading)
            return;
        txtNumDE->setEnabled(false);
        m_host.equationsEditor()->setRowCount(m_numDE);
        if (txtNumBC->isEnabled())
            txtNumBC->setFocus();
    });
    count(txtNumBC, m_numBC, "conditions");
    e->onLostFocus(txtNumBC, [this]() {
        if (!txtNumBC->isEnabled() || m_loading)
            return;
        txtNumBC->setEnabled(false);
        m_host.conditionsEditor()->setRowCount(m_numBC);
        BuildEntryControls();
        if (txtIndepVarNam->isEnabled())
            txtIndepVarNam->setFocus();
    });
    e->onValidate(
        txtIndepVarNam, [this]() { return m_loading || IsValidName(s(txtIndepVarNam->text())); },
        [=]() { return QString::fromStdString(NameRule()); });
    e->onLostFocus(txtIndepVarNam, [this]() {
        if (!txtIndepVarNam->isEnabled() || m_loading)
            return;
        showIndependentName();
        if (txtDepVarNams->isEnabled())
            txtDepVarNams->setFocus();
        txtIndepVarNam->setEnabled(false);
    });
    e->onValidate(
        txtDepVarNams,
        [this]() {
            if (m_loading)
                return true;
            const auto names = SplitNames(s(txtDepVarNams->text()));
            if (static_cast<int>(names.size()) != m_numDE)
                return false;
            for (const auto& n : names)
                if (!IsValidName(n))
                    return false;
            // Each variable needs a name of its own.
            return NamesAreDistinct(s(txtIndepVarNam->text()), names);
        },
        [=]() {
            return QString::fromStdString(std::string("One name for each equation, separated by commas; each starts "
                                                      "with a letter, has only letters and digits, and is its own."));
        });
    e->onLostFocus(txtDepVarNams, [this]() {
        if (!txtDepVarNams->isEnabled() || m_loading)
            return;
        txtDepVarNams->setEnabled(false);
        headEntered();
        if (m_carrying)
            showCarriedProblem();
    });
    wireProblemBoxes();
}

// The boxes below the head: degree, centre, interval, bounds, equations and conditions.
void FrmSystem::wireProblemBoxes()
{
    auto* e = m_events;
    wireDegreeBox([this]() { return CheckSystemDegreeText(s(txtTerms->text())); },
                  []() { return QString::fromStdString(SystemDegreeRule()); }, cboMethod, chkAutoDegree);
    e->onValidate(
        txtExpansion, [this]() { return CheckCentreText(s(txtExpansion->text())); },
        [=]() { return QString::fromStdString(CentreRule()); });
    wireInterval();
    wireEvaluationBoxes();
    for (QLineEdit* b : {txtXlower, txtXupper, txtExpansion, txtTerms})
        e->onChange(b, [this]() { ClearResults(); });
    if (m_nonlinear) {
        wireErrorBounds();
        wireContinuation();
    }
    wireMaxDegree();
    wireEquation(0);
    wireCondition(1);
}

void FrmSystem::wireCommands()
{
    connectCommands();
    connect(cmdNextDE, &QPushButton::clicked, this, app::Guarded(this, [this]() {
                if (!m_events->validateFocused())
                    return;
                ShowDE(m_shownDE + 1 >= m_numDE ? 0 : m_shownDE + 1);
            }));
    connect(cmdPrevDE, &QPushButton::clicked, this, app::Guarded(this, [this]() {
                if (!m_events->validateFocused())
                    return;
                ShowDE(m_shownDE == 0 ? m_numDE - 1 : m_shownDE - 1);
            }));
    connect(cmdNextBC, &QPushButton::clicked, this, app::Guarded(this, [this]() {
                if (!m_events->validateFocused())
                    return;
                ShowBC(m_shownBC >= m_numBC ? 1 : m_shownBC + 1);
            }));
    connect(cmdPrevBC, &QPushButton::clicked, this, app::Guarded(this, [this]() {
                if (!m_events->validateFocused())
                    return;
                ShowBC(m_shownBC <= 1 ? m_numBC : m_shownBC - 1);
            }));
    connect(cmdShowAllDEs, &QPushButton::clicked, this, app::Guarded(this, [this]() {
                auto* editor = m_host.equationsEditor();
                for (size_t k = 0; k < txtEquation.size(); ++k)
                    editor->setCellText(static_cast<int>(k), txtEquation[k]->text());
                app::PlaceBeside(editor, this);
                editor->show();
                editor->raise();
            }));
    connect(cmdShowAllBCs, &QPushButton::clicked, this, app::Guarded(this, [this]() {
                auto* editor = m_host.conditionsEditor();
                for (size_t b = 1; b < txtBC.size(); ++b)
                    editor->setCellText(static_cast<int>(b) - 1, txtBC[b]->text());
                app::PlaceBeside(editor, this);
                editor->show();
                editor->raise();
            }));
    connect(mnuOpen, &QAction::triggered, this, app::Guarded(this, [this]() { mnuOpen_Click(); }));
    connect(mnuSave, &QAction::triggered, this, app::Guarded(this, [this]() { saveAll(false); }));
    connect(mnuSaveAs, &QAction::triggered, this, app::Guarded(this, [this]() { saveAll(true); }));
    connect(mnuSaveSeparate, &QAction::triggered, this, app::Guarded(this, [this]() { saveSeparately(false); }));
    connect(mnuSaveSeparateAs, &QAction::triggered, this, app::Guarded(this, [this]() { saveSeparately(true); }));
    m_host.equationsEditor()->setWriteBackTarget([this](int row, const QString& text) {
        const size_t e = static_cast<size_t>(row);
        if (e < txtEquation.size() && txtEquation[e]->text() != text)
            txtEquation[e]->setText(text);
    });
    m_host.conditionsEditor()->setWriteBackTarget([this](int row, const QString& text) {
        const size_t b = static_cast<size_t>(row) + 1;
        if (b < txtBC.size() && txtBC[b]->text() != text)
            txtBC[b]->setText(text);
    });
}

FrmSystem::~FrmSystem() = default;

void FrmSystem::wireEquation(int e)
{
    QLineEdit* eq = txtEquation[static_cast<size_t>(e)];
    m_events->selectOnFocus(eq);
    const std::string what = "Equation " + std::to_string(e + 1);
    m_events->onValidate(
        eq,
        [eq, what]() {
            return !eq->text().isEmpty() && eq->text().contains('=') &&
                   !FileTextRefusal(what, s(eq->text()), kSystemEquationItem);
        },
        [eq, what]() {
            const auto refusal = FileTextRefusal(what, s(eq->text()), kSystemEquationItem);
            return QString::fromStdString(refusal ? *refusal : "An equation must not be empty and needs an =.");
        });
    m_events->onChange(eq, [this, eq, e]() {
        ClearResults();
        m_host.equationsEditor()->setCellText(e, eq->text());
    });
}

void FrmSystem::wireCondition(int b)
{
    QLineEdit* bc = txtBC[static_cast<size_t>(b)];
    m_events->selectOnFocus(bc);
    m_events->selectOnFocus(txtXeval[static_cast<size_t>(b)]);
    wireNumberBox(txtXeval[static_cast<size_t>(b)], PointRule());
    const std::string what = "Condition " + std::to_string(b);
    m_events->onValidate(
        bc, [bc, what]() { return !FileTextRefusal(what, s(bc->text()), kSystemConditionItem); },
        [bc, what]() {
            const auto refusal = FileTextRefusal(what, s(bc->text()), kSystemConditionItem);
            return QString::fromStdString(refusal ? *refusal : std::string());
        });
    m_events->onChange(bc, [this, bc, b]() {
        ClearResults();
        m_host.conditionsEditor()->setCellText(b - 1, bc->text());
    });
}

void FrmSystem::headEntered()
{
    const QString names = txtDepVarNams->text();
    m_host.equationsEditor()->setVariableNames("Indep. Variable: " + txtIndepVarNam->text() +
                                               ";  Dep. Variables: " + names);
    m_host.conditionsEditor()->setVariableNames("Dep. Variables: " + names);
    mnuSave->setEnabled(true);
    mnuSaveAs->setEnabled(true);
    mnuPrint->setEnabled(true);
    mnuAbout->setVisible(true);
    if (cboApproximation)
        cboApproximation->setEnabled(true);
}

void FrmSystem::BuildEntryControls()
{
    if (m_built)
        return;
    m_built = true;
    auto* eqs = m_host.equationsEditor();
    auto* bcs = m_host.conditionsEditor();
    eqs->setRowCount(m_numDE);
    bcs->setRowCount(m_numBC);
    for (int n = 1; n <= m_numDE; ++n)
        eqs->setRowLabel(n - 1, QStringLiteral("DE #%1:").arg(n));
    for (int n = 1; n <= m_numBC; ++n)
        bcs->setRowLabel(n - 1, QStringLiteral("BC #%1:").arg(n));
    // A fresh form's later boxes hold its own problem while the names are the default ones
    // (SystemTexts), copies of the first box beyond that.
    const SystemTexts fresh;
    const bool freshNames = s(txtDepVarNams->text()) == fresh.depVarNames;
    auto freshText = [&](const std::vector<std::string>& texts, size_t at, QLineEdit* first) {
        return freshNames && at < texts.size() ? q(texts[at]) : first->text();
    };
    for (int e = static_cast<int>(txtEquation.size()); e < m_numDE; ++e) {
        auto* eq = makeBox(QStringLiteral("txtEquation_%1").arg(e),
                           freshText(fresh.equations, static_cast<size_t>(e), txtEquation[0]), txtEquation[0]->toolTip());
        eq->hide();
        m_deLayout->addWidget(eq, 0, 2);
        txtEquation.push_back(eq);
        wireEquation(e);
    }
    for (int b = static_cast<int>(txtBC.size()); b <= m_numBC; ++b) {
        const size_t at = static_cast<size_t>(b - 1);
        auto* bc = makeBox(QStringLiteral("txtBC_%1").arg(b), freshText(fresh.bcText, at, txtBC[1]), txtBC[1]->toolTip());
        auto* point = makeBox(QStringLiteral("txtXeval_%1").arg(b), freshText(fresh.bcPoint, at, txtXeval[1]),
                              txtXeval[1]->toolTip());
        bc->hide();
        point->hide();
        m_bcLayout->addWidget(bc, 0, 2);
        m_bcLayout->addWidget(point, 0, 4);
        txtBC.push_back(bc);
        txtXeval.push_back(point);
        wireCondition(b);
    }
    fitBoxWidths();
    for (size_t e = 0; e < txtEquation.size(); ++e)
        eqs->setCellText(static_cast<int>(e), txtEquation[e]->text());
    for (size_t b = 1; b < txtBC.size(); ++b)
        bcs->setCellText(static_cast<int>(b) - 1, txtBC[b]->text());
    QWidget* previous = txtEquation[0];
    for (size_t e = 1; e < txtEquation.size(); ++e) {
        QWidget::setTabOrder(previous, txtEquation[e]);
        previous = txtEquation[e];
    }
    previous = txtXeval[1];
    for (size_t b = 2; b < txtBC.size(); ++b) {
        QWidget::setTabOrder(previous, txtBC[b]);
        QWidget::setTabOrder(txtBC[b], txtXeval[b]);
        previous = txtXeval[b];
    }
}

void FrmSystem::carryProblemFrom(ProblemForm& oldForm)
{
    auto& old = static_cast<FrmSystem&>(oldForm);
    old.readBoxes();
    m_session->boxes = old.m_session->boxes;
    m_session->method = old.m_session->method;
    m_session->autoDegree = old.m_session->autoDegree;
    m_session->maxDegree = old.m_session->maxDegree;
    m_session->tolerance = old.m_session->tolerance;
    m_loading = true;
    txtNumDE->setText(old.txtNumDE->text());
    txtNumBC->setText(old.txtNumBC->text());
    txtIndepVarNam->setText(old.txtIndepVarNam->text());
    txtDepVarNams->setText(old.txtDepVarNams->text());
    m_loading = false;
    carryBoxesFrom(old);
}

// The carried problem shown under the head just entered: equations and conditions past the old
// counts as the fresh form made them, those past the new counts left out.
void FrmSystem::showCarriedProblem()
{
    m_carrying = false;
    SystemTexts& b = m_session->boxes;
    b.numDE = s(txtNumDE->text());
    b.numBC = s(txtNumBC->text());
    b.indepVarName = s(txtIndepVarNam->text());
    b.depVarNames = s(txtDepVarNams->text());
    for (size_t e = b.equations.size(); e < txtEquation.size(); ++e)
        b.equations.push_back(s(txtEquation[e]->text()));
    b.equations.resize(txtEquation.size());
    for (size_t k = b.bcText.size() + 1; k < txtBC.size(); ++k) {
        b.bcText.push_back(s(txtBC[k]->text()));
        b.bcPoint.push_back(s(txtXeval[k]->text()));
    }
    b.bcText.resize(txtBC.size() - 1);
    b.bcPoint.resize(txtBC.size() - 1);
    m_loading = true;
    showOpenedProblem();
    m_loading = false;
    setModified(true);
    txtEquation[0]->setFocus();
}

QWidget* FrmSystem::showFaultBox(const TextPlace& place)
{
    switch (place.kind) {
    case TextPlace::Kind::Constant:
        constants->cboConstants->setCurrentIndex(place.index - 1);
        return constants->cboConstants;
    case TextPlace::Kind::Equation:
        if (place.index < 1 || place.index > static_cast<int>(txtEquation.size()))
            return nullptr;
        ShowDE(place.index - 1);
        return txtEquation[static_cast<size_t>(place.index - 1)];
    case TextPlace::Kind::Condition:
        if (place.index < 1 || place.index >= static_cast<int>(txtBC.size()))
            return nullptr;
        ShowBC(place.index);
        return txtBC[static_cast<size_t>(place.index)];
    }
    return nullptr;
}

void FrmSystem::ShowDE(int index)
{
    for (QLineEdit* eq : txtEquation)
        eq->hide();
    if (index < 0 || index >= static_cast<int>(txtEquation.size()))
        index = 0;
    m_shownDE = index;
    lblDENum->setText(QString::number(index + 1));
    txtEquation[static_cast<size_t>(index)]->show();
    txtEquation[static_cast<size_t>(index)]->setFocus();
}

void FrmSystem::ShowBC(int b)
{
    for (size_t k = 1; k < txtBC.size(); ++k) {
        txtBC[k]->hide();
        txtXeval[k]->hide();
    }
    if (b < 1 || b >= static_cast<int>(txtBC.size()))
        b = 1;
    m_shownBC = b;
    lblBCNum->setText(QString::number(b));
    txtBC[static_cast<size_t>(b)]->show();
    txtXeval[static_cast<size_t>(b)]->show();
    txtXeval[static_cast<size_t>(b)]->setFocus();
}

void FrmSystem::clearOwnResults()
{
    lstValue->clear();
    lstChebyshev->clear();
    lblAccuracy->clear();
    picDecay->setSeries({}, 0);
    if (lstPasses)
        lstPasses->clear();
}

void FrmSystem::showOwnLists()
{
    app::FillList(lstChebyshev, m_session->lstChebyshev());
    std::vector<std::vector<double>> series;
    for (const ChebyshevSeries& s : m_session->chebyshev())
        series.push_back(s.coef);
    picDecay->setSeries(series, m_session->tolerance);
    // The automatic degree shows the degree it found (without clearing what it found).
    if (m_session->autoDegree && m_session->solved() && txtTerms->text() != q(m_session->boxes.terms)) {
        const bool loading = m_loading;
        m_loading = true;
        txtTerms->setText(q(m_session->boxes.terms));
        m_acceptedTerms = txtTerms->text();
        m_loading = loading;
    }
    if (lstPasses)
        app::FillList(lstPasses, m_session->lstPasses());
}

void FrmSystem::readBoxes()
{
    SystemTexts& b = m_session->boxes;
    m_session->method =
        cboMethod->currentIndex() == 1 ? CollocationMethod::Chebyshev : CollocationMethod::EquallySpaced;
    m_session->autoDegree =
        DegreeGrows(problemKind(), m_session->method == CollocationMethod::Chebyshev) && chkAutoDegree->isChecked();
    readAccurateSettings(m_session->maxDegree, m_session->tolerance);
    if (txtSweepName)
        readContinuation(m_session->continuation);
    b.numDE = s(txtNumDE->text());
    b.numBC = s(txtNumBC->text());
    b.indepVarName = s(txtIndepVarNam->text());
    b.depVarNames = s(txtDepVarNams->text());
    b.terms = s(txtTerms->text());
    b.expansion = s(txtExpansion->text());
    b.xlower = s(txtXlower->text());
    b.xupper = s(txtXupper->text());
    b.equations.clear();
    const int numDE = static_cast<int>(ParseWholeNumber(b.numDE));
    for (int e = 0; e < numDE; ++e)
        b.equations.push_back(
            s(txtEquation[static_cast<size_t>(e) < txtEquation.size() ? static_cast<size_t>(e) : 0]->text()));
    b.bcText.clear();
    b.bcPoint.clear();
    const int numBC = static_cast<int>(ParseWholeNumber(b.numBC));
    for (int k = 1; k <= numBC; ++k) {
        const size_t i = static_cast<size_t>(k) < txtBC.size() ? static_cast<size_t>(k) : 1;
        b.bcText.push_back(s(txtBC[i]->text()));
        b.bcPoint.push_back(s(txtXeval[i]->text()));
    }
    b.constants = constants->entries();
    b.xestimation = s(txtXestimation->text());
    b.derNum = s(txtDerNum->text());
    if (m_nonlinear) {
        b.errorD = s(txtErrorD->text());
        b.errorC = s(txtErrorC->text());
        b.maxcy = s(txtMaxcy->text());
        b.approximation = s(cboApproximation->currentText());
    }
}

void FrmSystem::showEvaluation()
{
    app::FillList(lstValue, m_session->lstValue());
    app::FillList(lstDError, m_session->lstDError());
}

void FrmSystem::setHeadEnabled(bool enabled)
{
    for (QLineEdit* b : {txtNumDE, txtNumBC, txtIndepVarNam, txtDepVarNams})
        b->setEnabled(enabled);
}

void FrmSystem::showOpenedProblem()
{
    // The method the problem was saved in (no clearing: a file is being shown).
    cboMethod->setCurrentIndex(m_session->method == CollocationMethod::Chebyshev ? 1 : 0);
    chkAutoDegree->setChecked(m_session->method == CollocationMethod::Chebyshev && m_session->autoDegree);
    showAccurateSettings(m_session->maxDegree, m_session->tolerance);
    const SystemTexts& b = m_session->boxes;
    m_numDE = static_cast<int>(ParseWholeNumber(b.numDE));
    m_numBC = static_cast<int>(ParseWholeNumber(b.numBC));
    BuildEntryControls();
    txtNumDE->setText(q(b.numDE));
    txtNumBC->setText(q(b.numBC));
    txtIndepVarNam->setText(q(b.indepVarName));
    txtDepVarNams->setText(q(b.depVarNames));
    txtTerms->setText(q(b.terms));
    m_acceptedTerms = txtTerms->text();
    txtXlower->setText(q(b.xlower));
    txtXupper->setText(q(b.xupper));
    txtExpansion->setText(q(b.expansion));
    showIndependentName();
    for (size_t e = 0; e < b.equations.size() && e < txtEquation.size(); ++e)
        txtEquation[e]->setText(q(b.equations[e]));
    for (size_t k = 0; k < b.bcText.size() && k + 1 < txtBC.size(); ++k) {
        txtBC[k + 1]->setText(q(b.bcText[k]));
        txtXeval[k + 1]->setText(q(b.bcPoint[k]));
    }
    constants->setEntries(b.constants);
    if (m_nonlinear) {
        txtErrorD->setText(q(b.errorD));
        txtErrorC->setText(q(b.errorC));
        txtMaxcy->setText(q(b.maxcy));
    }
    showLists();
    headEntered();
}

void FrmSystem::saveAll(bool ask)
{
    if (!mnuSave->isEnabled() || !chooseSaveName(ask))
        return;
    readBoxes();
    if (m_session->save(s(m_problemFileName)))
        saved();
}

bool FrmSystem::saveForClose()
{
    saveAll(false);
    return !m_modified;
}

void FrmSystem::saveSeparately(bool ask)
{
    if (!chooseSaveName(ask))
        return;
    readBoxes();
    m_session->saveSeparately(s(m_problemFileName));
}

} // namespace ode::forms
