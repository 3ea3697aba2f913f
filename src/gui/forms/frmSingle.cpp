#include "gui/forms/frmSingle.h"

#include "common/NumberFormat.h"
#include "equations/BoxChecks.h"
#include "equations/LinearSplit.h"
#include "gui/app/AppState.h"
#include "gui/app/ConstantsFrame.h"
#include "gui/app/FormEvents.h"
#include "gui/app/FormHost.h"
#include "gui/app/FormSupport.h"
#include "gui/app/Guard.h"
#include "session/ProblemFiles.h"
#include "gui/app/Messages.h"
#include "gui/grids/frmGridEditor.h"
#include "gui/plot/DecayView.h"
#include "linear/LinearFiles.h"
#include "linear/LinearSession.h"
#include "nonlinear/NonlinearSession.h"
#include "plot/PlotGeometry.h"

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

#include <cmath>

namespace ode::forms {

using app::q;
using app::s;

namespace {

QFont verdana()
{
    QFont f(QStringLiteral("Verdana"));
    f.setStyleHint(QFont::SansSerif);
    return f;
}

} // namespace

FrmSingle::FrmSingle(SeriesKind kind, bool nonlinear, app::FormHost& host) : ProblemForm(nonlinear, host), m_kind(kind)
{
    const bool power = kind == SeriesKind::Power;
    if (nonlinear) {
        setObjectName(power ? "frmPndif" : "frmTndif");
        setWindowTitle(power ? "Nonlinear Differential Equation - Power Series Solution"
                             : "Nonlinear Differential Equation - Trigonometric Series Solution");
    } else {
        setObjectName(power ? "frmPldif" : "frmTldif");
        setWindowTitle(power ? "Linear Differential Equation - Power Series Solutions"
                             : "Linear Differential Equation - Trigonometric Series Solutions");
    }
    if (nonlinear) {
        auto session = std::make_unique<NonlinearSession>(kind, host.state().extension, messageSink());
        m_newton = session.get();
        m_session = std::move(session);
    } else {
        auto session = std::make_unique<LinearSession>(kind, host.state().extension, messageSink());
        m_session = std::move(session);
    }

    auto* central = new QWidget(this);
    QVBoxLayout* main = makeColumns(central);
    buildHead(main);
    buildConditionArea(main);
    buildIntervalRow(main);
    if (nonlinear)
        buildIterationRow(main);
    if (TakesAccurateMethod(problemKind()))
        buildMethodRow(main);
    else
        buildTermsRow(main);
    buildResultLists(main);
    setCentralWidget(central);
    buildMenus();
    m_events = new app::FormEvents(this);
    wireEvents();
    trackChanges();
    if (power)
        showAccuratePanes(false);
    fitBoxWidths();
    txtOrder->setFocus();
    app::ResizeOnScreen(this, QSize(1180, 720));
}

void FrmSingle::buildHead(QVBoxLayout* main)
{
    const SingleTexts& defaults = m_session->texts();
    // The head: order and names.
    auto* head = new QHBoxLayout();
    txtOrder = makeBox("txtOrder", "2", "1 for a 1st order equation, 2 for a 2nd order equation, etc.");
    txtIndepVarNam = makeBox("txtIndepVarNam", "x");
    txtDepVarNam = makeBox("txtDepVarNam", "y");
    head->addWidget(makeLabel("lblOrder", "Enter order:"));
    head->addWidget(txtOrder);
    head->addWidget(makeLabel("lblIndepVarNam", "Name of independent variable:"));
    head->addWidget(txtIndepVarNam);
    head->addWidget(makeLabel("lblDepVarNam", "Name of dependent variable:"));
    head->addWidget(txtDepVarNam);
    head->addStretch();
    main->addLayout(head);

    main->addWidget(makeLabel("lblDE", "Enter differential equation:"));
    txtEquation = makeBox("txtEquation", q(defaults.equation),
                          "Must be in terms of the independent variable, the dependent variable and its "
                          "derivatives, and the constants you define");
    txtEquation->setFont(verdana());
    main->addWidget(txtEquation);
    lblEquation = makeLabel("lblEquation", QString());
    main->addWidget(lblEquation);
}

void FrmSingle::buildConditionArea(QVBoxLayout* main)
{
    const SingleTexts& defaults = m_session->texts();
    // Boundary conditions.
    auto* frame1 = new QGroupBox("Boundary conditions");
    frame1->setObjectName("Frame1");
    m_bcLayout = new QGridLayout(frame1);
    lblBCNum = makeLabel("lblBCNum", "1");
    m_bcLayout->addWidget(makeLabel("lblBC", "B.C.#"), 0, 0);
    m_bcLayout->addWidget(lblBCNum, 0, 1);
    txtBC.assign(2, nullptr);
    txtXeval.assign(2, nullptr);
    txtBC[1] = makeBox("txtBC_1", q(defaults.bcText[0]),
                       "Must be in terms of the dependent variable and its derivatives, and the constants you define");
    txtBC[1]->setFont(verdana());
    txtXeval[1] = makeBox("txtXeval_1", q(defaults.bcPoint[0]), "Point of evaluation");
    lblXeval = makeLabel("lblXeval", "Evaluated at x=");
    m_bcLayout->addWidget(txtBC[1], 0, 2);
    m_bcLayout->addWidget(lblXeval, 0, 3);
    m_bcLayout->addWidget(txtXeval[1], 0, 4);
    lblConditions = makeLabel("lblConditions", QString());
    m_bcLayout->addWidget(lblConditions, 1, 0, 1, 5);
    cmdPrevBC = makeButton("cmdPrevBC", "&Previous BC", "Display previous BC");
    cmdNextBC = makeButton("cmdNextBC", "&Next BC", "Display next BC");
    cmdShowAllBCs = makeButton("cmdShowAllBCs", "Show all BC's", "Next equation");
    auto* bcButtons = new QHBoxLayout();
    bcButtons->addWidget(cmdPrevBC);
    bcButtons->addWidget(cmdNextBC);
    bcButtons->addWidget(cmdShowAllBCs);
    m_bcLayout->addLayout(bcButtons, 2, 0, 1, 5);
    main->addWidget(frame1);
}

void FrmSingle::buildIntervalRow(QVBoxLayout* main)
{
    const bool power = m_kind == SeriesKind::Power;
    const SingleTexts& defaults = m_session->texts();
    // Interval, centre, degree (or terms and period).
    auto* row = new QHBoxLayout();
    auto* fraInterval = new QGroupBox("Interval");
    fraInterval->setObjectName("fraInterval");
    auto* interval = new QHBoxLayout(fraInterval);
    txtXlower = makeBox("txtXlower", q(defaults.xlower), "Lower limit of interval to be studied");
    txtXupper = makeBox("txtXupper", q(defaults.xupper), "Upper limit of interval to be studied");
    interval->addWidget(txtXlower);
    interval->addWidget(makeLabel("lblXinterval", "<=x<=", "Defines interval to be studied"));
    interval->addWidget(txtXupper);
    row->addWidget(fraInterval);
    // Beside the interval, in two lines: the centre and the period, the degree or terms.
    auto* series = new QGridLayout();
    series->addWidget(makeLabel("lblExpansion", "Center of expansion:"), 0, 0);
    txtExpansion = makeBox("txtExpansion", q(defaults.expansion), "Enter \"*\" for center of interval");
    series->addWidget(txtExpansion, 0, 1);
    if (power) {
        series->addWidget(makeLabel("lblTerms", "Degree of solution:"), 1, 0);
        txtTerms = makeBox("txtTerms", q(defaults.terms));
    } else {
        series->addWidget(makeLabel("lblTerms", m_nonlinear ? "Number of terms:" : "# of terms:"), 1, 0);
        txtTerms = makeBox("txtTerms", q(defaults.terms), "Desired number of terms");
        series->addWidget(makeLabel("lblPeriod", m_nonlinear ? "Desired period:" : "Period:"), 0, 2);
        txtPeriod = makeBox("txtPeriod", "*", "Enter \"*\" for a period of 2*pi");
        series->addWidget(txtPeriod, 0, 3);
    }
    series->addWidget(txtTerms, 1, 1);
    row->addLayout(series);
    row->addStretch();
    main->addLayout(row);
}

// The accurate method beside the equally spaced one: Chebyshev polynomials at Chebyshev points,
// optionally with the degree grown until the coefficients' tail is rounding noise.
void FrmSingle::buildMethodRow(QVBoxLayout* main)
{
    addMethodFrame(main,
                   QString::fromStdString("Grow the degree until the Chebyshev coefficients fall below " +
                                          FormatNumber(kDefaultTolerance)),
                   "Chebyshev coefficients");
}

// The trigonometric forms are spectral on their grid already: the automatic number of terms
// and its readout.
void FrmSingle::buildTermsRow(QVBoxLayout* main)
{
    auto* frame = new QGroupBox("Number of terms");
    frame->setObjectName("fraMethod");
    auto* rows = new QVBoxLayout(frame);
    auto* layout = new QHBoxLayout();
    rows->addLayout(layout);
    chkAutoDegree = new QCheckBox("Automatic number of terms");
    chkAutoDegree->setObjectName("chkAutoDegree");
    chkAutoDegree->setToolTip(QString::fromStdString("Grow the terms until the last harmonics fall below " +
                                                     FormatNumber(kDefaultTolerance) + " of the largest coefficient"));
    lblAccuracy = makeReadoutLabel("lblAccuracy");
    layout->addWidget(chkAutoDegree);
    layout->addWidget(makeLabel("lblMaxDegree", "at most (degree)"));
    layout->addWidget(makeMaxDegreeBox());
    layout->addStretch(1);
    rows->addWidget(lblAccuracy);
    rows->addWidget(makeGridCheckLabel());
    main->addWidget(frame);
    connect(chkAutoDegree, &QCheckBox::toggled, this, app::Guarded(this, [this]() { ClearResults(); }));
}

void FrmSingle::buildIterationRow(QVBoxLayout* main)
{
    const bool power = m_kind == SeriesKind::Power;
    // The Newton iteration's inputs. A doubled ampersand of the design shows as one.
    const NonlinearTexts& n = m_newton->boxes;
    IterationRow row;
    row.errorDLabel = power ? "Approx. error bound for DE & BC's:" : "Appx. error for DE & BC's:";
    row.errorCLabel = power ? "Approx. error bound for Coefficients:" : "Appx. error for Coeffs:";
    row.errorD = n.errorD;
    row.errorC = n.errorC;
    row.maxcy = n.maxcy;
    row.approximations.assign(std::begin(kApproximationItems), std::end(kApproximationItems));
    row.editable = true;
    addIterationRow(main, row);
}

void FrmSingle::buildResultLists(QVBoxLayout* main)
{
    m_constantsFrame = addSolveRow(main);
    cboConstants = m_constantsFrame->cboConstants;
    cmdAddCons = m_constantsFrame->cmdAddCons;
    cmdRemCons = m_constantsFrame->cmdRemCons;
    const QFont font = verdana();
    main->addStretch(1);
    QVBoxLayout* side = addResultLists("Error in B.C.'s  ( L.H.S.-R.H.S.)", "Error in BC's", &font);

    auto* frame2 = new QGroupBox("Evaluations");
    frame2->setObjectName("Frame2");
    auto* eval = new QGridLayout(frame2);
    lblXestimation = makeLabel("lblXestimation", "At x=");
    txtXestimation = makeBox("txtXestimation", "0", "Point of evaluation");
    txtDerNum = makeBox("txtDerNum", "0", "Enter 0 for the function itself");
    lblValue = makeLabel("lblValue", "Derivative");
    lblValue->setFont(verdana());
    cmdEvaluate = makeButton("cmdEvaluate", "Evaluate", "Compute derivative and error in DE");
    lstDError = makeList("lstDError", "Error in DE");
    lstDError->setFont(verdana());
    lstDError->setMaximumHeight(lstDError->fontMetrics().lineSpacing() * 4 + 8);
    // The point and the order in two lines, the command beside them; the value, the residual.
    eval->addWidget(lblXestimation, 0, 0);
    eval->addWidget(txtXestimation, 0, 1);
    eval->addWidget(makeLabel("lblDerNum", "Which derivative?"), 1, 0);
    eval->addWidget(txtDerNum, 1, 1, Qt::AlignLeft);
    if (m_nonlinear)
        cmdEvaluate->setText("Value="); // the button carries the caption; no separate label
    else
        eval->addWidget(makeLabel("lblValSer", "Value="), 2, 0);
    eval->addWidget(lblValue, 2, 1, 1, 2);
    eval->addWidget(cmdEvaluate, 0, 2);
    eval->addWidget(makeLabel("lblDError", m_nonlinear ? "Error in D.E.:" : "Error in D.E."), 3, 0);
    eval->addWidget(lstDError, 3, 1, 1, 2);
    eval->addWidget(makeOutsideLabel(), 4, 0, 1, 3);
    eval->setColumnStretch(1, 1);
    side->addWidget(frame2);
    cmdPlot = makeButton("cmdPlot", "&Plot", "Plot the solution");
    side->addWidget(cmdPlot, 0, Qt::AlignRight);
}

void FrmSingle::buildMenus()
{
    // Menus.
    mnuFile = menuBar()->addMenu("File");
    mnuFile->setObjectName("mnuFile");
    mnuNew = mnuFile->addAction("New");
    mnuNew->setObjectName("mnuNew");
    connect(mnuNew, &QAction::triggered, this, app::Guarded(this, [this]() { mnuNew_Click(); }));
    mnuOpen = mnuFile->addAction("Open");
    mnuOpen->setObjectName("mnuOpen");
    addRecentMenu(mnuFile);
    addChangeHeadItem(mnuFile);
    addNewProblemItem(mnuFile);
    addExamplesItem(mnuFile);
    mnuFile->addSeparator()->setObjectName("mnuFileBar1");
    mnuSave = mnuFile->addAction("Save");
    mnuSave->setObjectName("mnuSave");
    mnuSaveAs = mnuFile->addAction("Save As");
    mnuSaveAs->setObjectName("mnuSaveAs");
    addExportItem(mnuFile);
    mnuFile->addSeparator()->setObjectName("mnuFileBar2");
    mnuPrint = mnuFile->addAction("Print");
    mnuPrint->setObjectName("mnuPrint");
    mnuHelp = menuBar()->addAction("Help");
    mnuHelp->setObjectName("mnuHelp");
    mnuAbout = menuBar()->addAction("About");
    mnuAbout->setObjectName("mnuAbout");

    // Form_Load: engine prepared by the session; menus as before any entry.
    mnuSave->setEnabled(false);
    mnuSaveAs->setEnabled(false);
    if (m_nonlinear)
        mnuPrint->setEnabled(false);
    else
        mnuPrint->setVisible(false);
    mnuAbout->setVisible(false);
}

FrmSingle::~FrmSingle() = default;

ProblemKind FrmSingle::problemKind() const { return m_session->problemKind(); }

QString FrmSingle::depDerivative(int order) const { return txtDepVarNam->text() + QString(order, '\''); }

void FrmSingle::wireEvents()
{
    auto* e = m_events;
    for (QLineEdit* b : {txtOrder, txtIndepVarNam, txtDepVarNam, txtEquation, txtXlower, txtXupper, txtExpansion,
                         txtTerms, txtXestimation, txtDerNum})
        e->selectOnFocus(b);
    if (txtPeriod)
        e->selectOnFocus(txtPeriod);

    // The head, entered once in this order; each box locks when left.
    e->onValidate(
        txtOrder,
        [this]() {
            const std::string order = s(txtOrder->text());
            if (!(m_nonlinear ? CheckNonlinearOrderText(order) : CheckOrderText(order)))
                return false;
            m_order = static_cast<int>(ParseWholeNumber(s(txtOrder->text())));
            m_numBC = m_order;
            return true;
        },
        [=]() { return QString::fromStdString(OrderRule(m_nonlinear)); });
    e->onLostFocus(txtOrder, [this]() {
        if (!txtOrder->isEnabled() || m_loading)
            return;
        txtOrder->setEnabled(false);
        m_host.conditionsEditor()->setRowCount(m_numBC);
        BuildConditionControls();
        if (txtIndepVarNam->isEnabled())
            txtIndepVarNam->setFocus();
    });
    auto nameCheck = [this](QLineEdit* b) { return m_loading || IsValidName(s(b->text())); };
    e->onValidate(
        txtIndepVarNam, [=]() { return nameCheck(txtIndepVarNam); },
        [=]() { return QString::fromStdString(NameRule()); });
    e->onLostFocus(txtIndepVarNam, [this]() {
        if (!txtIndepVarNam->isEnabled() || m_loading)
            return;
        showIndependentName();
        if (txtDepVarNam->isEnabled())
            txtDepVarNam->setFocus();
        txtIndepVarNam->setEnabled(false);
    });
    // The dependent variable may not take the independent variable's name.
    e->onValidate(
        txtDepVarNam,
        [=]() {
            return nameCheck(txtDepVarNam) &&
                   (m_loading || NamesAreDistinct(s(txtIndepVarNam->text()), {s(txtDepVarNam->text())}));
        },
        [=]() {
            return QString::fromStdString(
                IsValidName(s(txtDepVarNam->text()))
                    ? std::string("The dependent variable needs a name of its own, not the independent variable's.")
                    : NameRule());
        });
    e->onLostFocus(txtDepVarNam, [this]() {
        if (!txtDepVarNam->isEnabled() || m_loading)
            return;
        txtDepVarNam->setEnabled(false);
        headEntered();
        if (m_carrying)
            showCarriedProblem();
    });
    wireProblemBoxes();
}

// The boxes below the head, the commands and the conditions' editor.
void FrmSingle::wireProblemBoxes()
{
    auto* e = m_events;
    // The other checks.
    wireDegreeBox([this]() { return CheckTermsText(s(txtTerms->text()), m_order, m_kind); },
                  [this]() { return QString::fromStdString(TermsRule(m_order, m_kind)); }, cboMethod, chkAutoDegree);
    e->onValidate(
        txtExpansion, [this]() { return CheckCentreText(s(txtExpansion->text())); },
        [=]() { return QString::fromStdString(CentreRule()); });
    if (txtPeriod)
        e->onValidate(
            txtPeriod, [this]() { return CheckCentreText(s(txtPeriod->text())); },
            [=]() { return QString::fromStdString(PeriodRule()); });
    e->onValidate(
        txtEquation,
        [this]() {
            return CheckEquationText(s(txtEquation->text()), s(txtDepVarNam->text()), m_order) &&
                   !FileTextRefusal("The equation", s(txtEquation->text()), kEquationItem);
        },
        [=]() {
            const auto refusal = FileTextRefusal("The equation", s(txtEquation->text()), kEquationItem);
            return QString::fromStdString(refusal ? *refusal : EquationRule(s(txtDepVarNam->text()), m_order));
        });
    wireInterval();
    wireEvaluationBoxes();

    if (m_nonlinear) {
        wireErrorBounds();
        e->onLostFocus(cboApproximation, [this]() { cboApproximation_LostFocus(); });
    }

    // Every change of an input clears the results.
    for (QLineEdit* b : {txtExpansion, txtTerms, txtXlower, txtXupper, txtEquation})
        e->onChange(b, [this]() { ClearResults(); });
    if (txtPeriod)
        e->onChange(txtPeriod, [this]() { ClearResults(); });
    wireCondition(1);
    if (txtSweepName)
        wireContinuation();
    if (txtMaxDegree)
        wireMaxDegree();

    connectCommands();
    connect(cmdNextBC, &QPushButton::clicked, this, app::Guarded(this, [this]() { cmdNextBC_Click(); }));
    connect(cmdPrevBC, &QPushButton::clicked, this, app::Guarded(this, [this]() { cmdPrevBC_Click(); }));
    connect(cmdShowAllBCs, &QPushButton::clicked, this, app::Guarded(this, [this]() { cmdShowAllBCs_Click(); }));
    connect(mnuOpen, &QAction::triggered, this, app::Guarded(this, [this]() { mnuOpen_Click(); }));
    connect(mnuSave, &QAction::triggered, this, app::Guarded(this, [this]() { mnuSave_Click(); }));
    connect(mnuSaveAs, &QAction::triggered, this, app::Guarded(this, [this]() { mnuSaveAs_Click(); }));

    m_host.conditionsEditor()->setWriteBackTarget([this](int row, const QString& text) {
        const size_t k = static_cast<size_t>(row) + 1;
        if (k < txtBC.size() && txtBC[k] && txtBC[k]->text() != text)
            txtBC[k]->setText(text);
    });
}

void FrmSingle::wireCondition(int k)
{
    QLineEdit* bc = txtBC[static_cast<size_t>(k)];
    QLineEdit* point = txtXeval[static_cast<size_t>(k)];
    m_events->selectOnFocus(bc);
    m_events->selectOnFocus(point);
    wireNumberBox(point, PointRule());
    // A condition the problem file could not keep is refused on every form; the linear forms
    // also refuse an empty one.
    const std::string what = "Condition " + std::to_string(k);
    m_events->onValidate(
        bc,
        [bc, what, linear = !m_nonlinear]() {
            return (!linear || CheckConditionText(s(bc->text()))) &&
                   !FileTextRefusal(what, s(bc->text()), kConditionItem);
        },
        [bc, what]() {
            const auto refusal = FileTextRefusal(what, s(bc->text()), kConditionItem);
            return QString::fromStdString(refusal ? *refusal : ConditionRule());
        });
    if (!m_nonlinear)
        m_events->onChange(point, [this]() { ClearResults(); });
    m_events->onChange(bc, [this, bc, k]() {
        ClearResults();
        m_host.conditionsEditor()->setCellText(k - 1, bc->text());
    });
}

void FrmSingle::headEntered()
{
    const QString indep = txtIndepVarNam->text(), dep = txtDepVarNam->text();
    m_host.conditionsEditor()->setVariableNames("Dep. Variables: " + dep);
    lblEquation->setText("In terms of " + indep + " and of " + dep + " and its derivatives up to " +
                         depDerivative(m_order));
    QString conditions = "In terms of " + dep;
    if (m_order > 1)
        conditions += " and its derivatives up to " + depDerivative(m_order - 1);
    lblConditions->setText(conditions);
    mnuSave->setEnabled(true);
    mnuSaveAs->setEnabled(true);
    mnuPrint->setVisible(true);
    mnuPrint->setEnabled(true);
    mnuAbout->setVisible(true);
    if (cboApproximation)
        cboApproximation->setEnabled(true);
}

void FrmSingle::BuildConditionControls()
{
    if (m_conditionControlsBuilt)
        return;
    m_conditionControlsBuilt = true;
    auto* editor = m_host.conditionsEditor();
    editor->setRowCount(m_numBC);
    for (int k = 1; k <= m_numBC; ++k)
        editor->setRowLabel(k - 1, QStringLiteral("BC #%1:").arg(k));
    // Elements 2 ... n are made like element 1, hidden until shown, each with a condition of its
    // own at the same point (DefaultConditionText), so that a fresh form solves as it stands.
    txtBC.resize(static_cast<size_t>(m_numBC) + 1, nullptr);
    txtXeval.resize(static_cast<size_t>(m_numBC) + 1, nullptr);
    for (int k = 2; k <= m_numBC; ++k) {
        const auto [text, at] =
            FreshCondition(m_nonlinear ? DefaultNonlinearTexts(m_kind) : DefaultSingleTexts(m_kind),
                           s(txtDepVarNam->text()), s(txtBC[1]->text()), s(txtXeval[1]->text()), k);
        auto* bc = makeBox(QStringLiteral("txtBC_%1").arg(k), q(text), txtBC[1]->toolTip());
        bc->setFont(txtBC[1]->font());
        auto* point = makeBox(QStringLiteral("txtXeval_%1").arg(k), q(at), txtXeval[1]->toolTip());
        bc->hide();
        point->hide();
        m_bcLayout->addWidget(bc, 0, 2);
        m_bcLayout->addWidget(point, 0, 4);
        txtBC[static_cast<size_t>(k)] = bc;
        txtXeval[static_cast<size_t>(k)] = point;
        wireCondition(k);
    }
    fitBoxWidths();
    for (int k = 1; k <= m_numBC; ++k)
        editor->setCellText(k - 1, txtBC[static_cast<size_t>(k)]->text());
    // Tab goes as the eye does: each condition's text, then its point, then the next
    // condition's (only the one shown takes the focus), then on to the buttons beside them.
    QWidget* previous = txtXeval[1];
    for (int k = 2; k <= m_numBC; ++k) {
        QWidget::setTabOrder(previous, txtBC[static_cast<size_t>(k)]);
        QWidget::setTabOrder(txtBC[static_cast<size_t>(k)], txtXeval[static_cast<size_t>(k)]);
        previous = txtXeval[static_cast<size_t>(k)];
    }
}

void FrmSingle::ShowBC(int k)
{
    for (int i = 1; i <= m_numBC && i < static_cast<int>(txtBC.size()); ++i) {
        txtBC[static_cast<size_t>(i)]->hide();
        txtXeval[static_cast<size_t>(i)]->hide();
    }
    txtBC[static_cast<size_t>(k)]->show();
    txtXeval[static_cast<size_t>(k)]->show();
    txtXeval[static_cast<size_t>(k)]->setFocus();
}

void FrmSingle::carryProblemFrom(ProblemForm& oldForm)
{
    auto& old = static_cast<FrmSingle&>(oldForm);
    old.readBoxes();
    if (m_newton && old.m_newton)
        m_newton->boxes = old.m_newton->boxes;
    else
        m_session->texts() = old.m_session->texts();
    m_session->method = old.m_session->method;
    m_session->autoDegree = old.m_session->autoDegree;
    m_session->maxDegree = old.m_session->maxDegree;
    m_session->tolerance = old.m_session->tolerance;
    m_loading = true;
    txtOrder->setText(old.txtOrder->text());
    txtIndepVarNam->setText(old.txtIndepVarNam->text());
    txtDepVarNam->setText(old.txtDepVarNam->text());
    m_loading = false;
    carryBoxesFrom(old);
}

// The carried problem shown under the head just entered: conditions past the old count as the
// fresh form made them, those past the new count left out.
void FrmSingle::showCarriedProblem()
{
    m_carrying = false;
    SingleTexts& b = m_session->texts();
    b.order = s(txtOrder->text());
    b.indepVarName = s(txtIndepVarNam->text());
    b.depVarName = s(txtDepVarNam->text());
    for (int k = static_cast<int>(b.bcText.size()) + 1; k <= m_numBC; ++k) {
        b.bcText.push_back(s(txtBC[static_cast<size_t>(k)]->text()));
        b.bcPoint.push_back(s(txtXeval[static_cast<size_t>(k)]->text()));
    }
    b.bcText.resize(static_cast<size_t>(m_numBC));
    b.bcPoint.resize(static_cast<size_t>(m_numBC));
    m_loading = true;
    showOpenedProblem();
    m_loading = false;
    setModified(true);
    txtEquation->setFocus();
}

QWidget* FrmSingle::showFaultBox(const TextPlace& place)
{
    switch (place.kind) {
    case TextPlace::Kind::Constant:
        cboConstants->setCurrentIndex(place.index - 1);
        return cboConstants;
    case TextPlace::Kind::Equation:
        return txtEquation;
    case TextPlace::Kind::Condition:
        if (place.index < 1 || place.index >= static_cast<int>(txtBC.size()))
            return nullptr;
        m_shownBC = place.index;
        lblBCNum->setText(QString::number(m_shownBC));
        ShowBC(m_shownBC);
        return txtBC[static_cast<size_t>(place.index)];
    }
    return nullptr;
}

void FrmSingle::cmdNextBC_Click()
{
    if (!m_events->validateFocused())
        return;
    m_shownBC = m_shownBC >= m_numBC ? 1 : m_shownBC + 1;
    lblBCNum->setText(QString::number(m_shownBC));
    ShowBC(m_shownBC);
}

void FrmSingle::cmdPrevBC_Click()
{
    if (!m_events->validateFocused())
        return;
    m_shownBC = m_shownBC <= 1 ? m_numBC : m_shownBC - 1;
    lblBCNum->setText(QString::number(m_shownBC));
    ShowBC(m_shownBC);
}

void FrmSingle::cmdShowAllBCs_Click()
{
    auto* editor = m_host.conditionsEditor();
    for (int k = 1; k <= m_numBC && k < static_cast<int>(txtBC.size()); ++k)
        editor->setCellText(k - 1, txtBC[static_cast<size_t>(k)]->text());
    app::PlaceBeside(editor, this);
    editor->show();
    editor->raise();
}

void FrmSingle::clearOwnResults()
{
    lblValue->setText(QString());
    if (lstChebyshev)
        lstChebyshev->clear();
    if (lblAccuracy)
        lblAccuracy->clear();
    if (lstPasses)
        lstPasses->clear();
    if (picDecay)
        picDecay->setCoefficients({}, 0);
}

void FrmSingle::showOwnLists()
{
    if (!lblAccuracy)
        return;
    const ProblemSession& session = *m_session;
    if (lstChebyshev)
        app::FillList(lstChebyshev, session.lstChebyshev());
    if (lstPasses)
        app::FillList(lstPasses, session.lstPasses());
    if (picDecay)
        picDecay->setCoefficients(session.chebyshev() ? session.chebyshev()->coef : std::vector<double>{},
                                  session.tolerance);
    // The automatic degree shows the degree it found (without clearing what it found).
    const std::string& terms = m_session->texts().terms;
    if (session.autoDegree && session.solved() && txtTerms->text() != q(terms)) {
        const bool loading = m_loading;
        m_loading = true;
        txtTerms->setText(q(terms));
        m_acceptedTerms = txtTerms->text();
        m_loading = loading;
    }
}

void FrmSingle::readBoxes()
{
    SingleTexts& b = m_session->texts();
    if (cboMethod)
        m_session->method =
            cboMethod->currentIndex() == 1 ? ProblemSession::Method::Chebyshev : ProblemSession::Method::EquallySpaced;
    if (chkAutoDegree)
        m_session->autoDegree = DegreeGrows(problemKind(), m_session->method == ProblemSession::Method::Chebyshev) &&
                                chkAutoDegree->isChecked();
    if (txtMaxDegree)
        readAccurateSettings(m_session->maxDegree, m_session->tolerance);
    if (m_newton && txtSweepName)
        readContinuation(m_newton->continuation);
    if (m_newton) {
        NonlinearTexts& n = m_newton->boxes;
        n.errorD = s(txtErrorD->text());
        n.errorC = s(txtErrorC->text());
        n.maxcy = s(txtMaxcy->text());
        n.approximation = s(cboApproximation->currentText());
    }
    b.order = s(txtOrder->text());
    b.indepVarName = s(txtIndepVarNam->text());
    b.depVarName = s(txtDepVarNam->text());
    b.equation = s(txtEquation->text());
    b.bcText.clear();
    b.bcPoint.clear();
    const int n = static_cast<int>(ParseWholeNumber(b.order));
    for (int k = 1; k <= n; ++k) {
        const size_t i = static_cast<size_t>(k) < txtBC.size() ? static_cast<size_t>(k) : 1;
        b.bcText.push_back(s(txtBC[i]->text()));
        b.bcPoint.push_back(s(txtXeval[i]->text()));
    }
    b.xlower = s(txtXlower->text());
    b.xupper = s(txtXupper->text());
    b.expansion = s(txtExpansion->text());
    b.terms = s(txtTerms->text());
    if (txtPeriod)
        b.period = s(txtPeriod->text());
    b.constants = m_constantsFrame->entries();
    b.xestimation = s(txtXestimation->text());
    b.derNum = s(txtDerNum->text());
}

bool FrmSingle::evaluationAccepted()
{
    if (ParseWholeNumber(m_session->texts().derNum) >= 0)
        return true;
    QApplication::beep();
    txtDerNum->setFocus();
    txtDerNum->selectAll();
    return false;
}

void FrmSingle::showEvaluation()
{
    lblValue->setText(q(m_session->lblValue()));
    app::FillList(lstDError, m_session->lstDError());
}

void FrmSingle::setHeadEnabled(bool enabled)
{
    txtOrder->setEnabled(enabled);
    txtIndepVarNam->setEnabled(enabled);
    txtDepVarNam->setEnabled(enabled);
}

void FrmSingle::showOpenedProblem()
{
    if (cboMethod) { // the method the problem was saved in (no clearing: a file is being shown)
        const bool accurate = m_session->method == ProblemSession::Method::Chebyshev;
        cboMethod->setCurrentIndex(accurate ? 1 : 0);
        chkAutoDegree->setChecked(accurate && m_session->autoDegree);
    }
    if (txtMaxDegree)
        showAccurateSettings(m_session->maxDegree, m_session->tolerance);
    ShowProblem();
    mnuSave->setEnabled(true);
    mnuSaveAs->setEnabled(true);
    mnuPrint->setVisible(true);
    mnuAbout->setVisible(true);
}

void FrmSingle::ShowProblem()
{
    const SingleTexts& b = m_session->texts();
    if (m_newton) {
        const NonlinearTexts& n = m_newton->boxes;
        txtErrorD->setText(q(n.errorD));
        txtErrorC->setText(q(n.errorC));
        txtMaxcy->setText(q(n.maxcy));
    }
    m_constantsFrame->setEntries(b.constants);
    m_order = static_cast<int>(ParseWholeNumber(b.order));
    m_numBC = m_order;
    txtOrder->setText(q(b.order));
    txtTerms->setText(q(b.terms));
    m_acceptedTerms = txtTerms->text();
    txtXlower->setText(q(b.xlower));
    txtXupper->setText(q(b.xupper));
    txtExpansion->setText(q(b.expansion));
    if (txtPeriod)
        txtPeriod->setText(q(b.period));
    txtEquation->setText(q(b.equation));
    txtIndepVarNam->setText(q(b.indepVarName));
    txtDepVarNam->setText(q(b.depVarName));
    showIndependentName();
    headEntered();
    BuildConditionControls();
    for (int k = 1; k <= m_numBC; ++k) {
        txtBC[static_cast<size_t>(k)]->setText(q(b.bcText[static_cast<size_t>(k - 1)]));
        txtXeval[static_cast<size_t>(k)]->setText(q(b.bcPoint[static_cast<size_t>(k - 1)]));
    }
    showLists();
}

void FrmSingle::SaveProblem()
{
    readBoxes();
    if (m_session->save(s(m_problemFileName)))
        saved();
}

bool FrmSingle::saveForClose()
{
    mnuSave_Click();
    return !m_modified;
}

void FrmSingle::mnuSaveAs_Click()
{
    if (mnuSaveAs->isEnabled() && chooseSaveName(true))
        SaveProblem();
}

void FrmSingle::mnuSave_Click()
{
    if (mnuSave->isEnabled() && chooseSaveName(false))
        SaveProblem();
}

void FrmSingle::cboApproximation_LostFocus()
{
    if (static_cast<int>(ParseNumber(s(cboApproximation->currentText()))) != 3)
        return;
    // The series picked is a start, not this problem's file: Save still asks for a name, and
    // never writes over the file the start came from.
    const QString name = QString::fromStdString(PairName(s(chooseFile(false))));
    if (name.isEmpty())
        return;
    NonlinearSession& session = *m_newton;
    readBoxes();
    if (!session.loadSeries(s(name))) {
        cboApproximation->setEditText(q(session.boxes.approximation));
        return;
    }
    txtExpansion->setText(q(session.boxes.expansion));
    txtTerms->setText(q(session.boxes.terms));
    if (txtPeriod)
        txtPeriod->setText(q(session.boxes.period));
}

} // namespace ode::forms
