#include "gui/forms/ProblemForm.h"

#include "common/NumberFormat.h"
#include "equations/BoxChecks.h"
#include "gui/app/BackgroundSolve.h"
#include "gui/app/ConstantsFrame.h"
#include "gui/app/FormEvents.h"
#include "gui/app/FormHost.h"
#include "gui/app/FormSupport.h"
#include "gui/app/Guard.h"
#include "gui/app/Messages.h"
#include "gui/app/frmExport.h"
#include "gui/plot/DecayView.h"
#include "session/ProblemFiles.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>

namespace ode::forms {

using app::s;

ProblemForm::ProblemForm(bool nonlinear, app::FormHost& host) : m_nonlinear(nonlinear), m_host(host)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAcceptDrops(true);
    chooseFile = [this](bool save) { return app::ChooseFileWithDialog(this, save); };
    confirmPrinter = [this](QPrinter& printer) { return app::ConfirmPrinterWithDialog(this, printer); };
    askSaveChanges = [this]() {
        QMessageBox box(QMessageBox::Question, m_caption.isEmpty() ? windowTitle() : m_caption, "Save changes?",
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
        box.setDefaultButton(QMessageBox::Save);
        return static_cast<QMessageBox::StandardButton>(box.exec());
    };
}

ProblemForm::~ProblemForm() = default;

std::function<void(const std::string&)> ProblemForm::messageSink()
{
    return [this](const std::string& m) {
        // A solve's message comes from the solving thread: the box opens on the window's.
        app::ForwardMessage(this,
                            [this](const QString& text) {
                                if (!app::SolveRunning() && QApplication::overrideCursor())
                                    QApplication::restoreOverrideCursor();
                                app::ShowMessage(this, text);
                            },
                            m);
    };
}

void ProblemForm::placeEngineErrors()
{
    session().setPlacedMessages([this](const std::string& m, const std::optional<PlacedFault>& fault) {
        const std::string text = fault ? m + "\n\n" + FaultPlaceLine(*fault) : m;
        const std::optional<TextPlace> place = fault ? std::optional<TextPlace>(fault->place) : std::nullopt;
        app::ForwardMessage(this,
                            [this, place](const QString& shown) {
                                if (!app::SolveRunning() && QApplication::overrideCursor())
                                    QApplication::restoreOverrideCursor();
                                app::ShowMessage(this, shown);
                                if (place && app::SolveRunning())
                                    m_faultDuringSolve = place;
                                else if (place)
                                    markFaultBox(*place);
                            },
                            text);
    });
}

void ProblemForm::markFaultBox(const TextPlace& place)
{
    QWidget* box = showFaultBox(place);
    if (!box)
        return;
    box->setStyleSheet(app::kRefusedBoxStyle);
    box->setFocus(Qt::OtherFocusReason);
    const auto unmark = [box]() { box->setStyleSheet(QString()); };
    if (auto* line = qobject_cast<QLineEdit*>(box))
        connect(line, &QLineEdit::textEdited, box, unmark, Qt::SingleShotConnection);
    else if (auto* combo = qobject_cast<QComboBox*>(box))
        connect(combo, &QComboBox::currentTextChanged, box, unmark, Qt::SingleShotConnection);
}

void ProblemForm::addIterationRow(QVBoxLayout* main, const IterationRow& r)
{
    // Two lines: the two bounds, then the iterations and the start.
    auto* iteration = new QGridLayout();
    iteration->addWidget(makeLabel("lblErrorD", r.errorDLabel), 0, 0);
    txtErrorD = makeBox("txtErrorD", QString::fromStdString(r.errorD), "Error MUST be >0");
    iteration->addWidget(txtErrorD, 0, 1);
    iteration->addWidget(makeLabel("lblErrorC", r.errorCLabel), 0, 2);
    txtErrorC = makeBox("txtErrorC", QString::fromStdString(r.errorC), "Error MUST be >0");
    iteration->addWidget(txtErrorC, 0, 3);
    iteration->addWidget(makeLabel("lblMaxcy", "Max. # of iterations:"), 1, 0);
    txtMaxcy = makeBox("txtMaxcy", QString::fromStdString(r.maxcy), "Limits number of main loop iterations");
    iteration->addWidget(txtMaxcy, 1, 1);
    auto* fraApproximation = new QGroupBox("Initial approximation");
    fraApproximation->setObjectName("fraApproximation");
    auto* approximation = new QHBoxLayout(fraApproximation);
    cboApproximation = new QComboBox();
    cboApproximation->setObjectName("cboApproximation");
    cboApproximation->setToolTip("Select initial approximation from list");
    if (r.editable) {
        cboApproximation->setEditable(true);
        cboApproximation->setInsertPolicy(QComboBox::NoInsert);
    }
    for (const char* item : r.approximations)
        cboApproximation->addItem(item);
    cboApproximation->setCurrentIndex(2);
    cboApproximation->setEnabled(false);
    approximation->addWidget(cboApproximation);
    iteration->addWidget(fraApproximation, 1, 2, 1, 2);
    iteration->setColumnStretch(4, 1);
    main->addLayout(iteration);
}

app::ConstantsFrame* ProblemForm::addSolveRow(QVBoxLayout* main)
{
    auto* lower = new QHBoxLayout();
    auto* frame = new app::ConstantsFrame([this](const std::string& st) { session().host().execute(st); },
                                          [this]() {
                                              if (!m_loading)
                                                  setModified(true);
                                              ClearResults();
                                          });
    lower->addWidget(frame);
    cmdSolve = makeButton("cmdSolve", "Solve", "Compute solution");
    lower->addWidget(cmdSolve);
    cmdCancel = makeButton("cmdCancel", "Cancel", "Stop the solve (Esc): the best found so far is kept");
    cmdCancel->hide();
    lower->addWidget(cmdCancel);
    main->addLayout(lower);
    return frame;
}

namespace {
// The problem's column: as wide and high as its boxes want where the screen has the room, and
// scrolled where it has not (a small or scaled screen), so that the window always fits and
// Solve is always reachable. A plain scroll area would ask for a fixed, smaller size.
class ProblemColumn : public QScrollArea {
public:
    QSize sizeHint() const override { return widget()->sizeHint() + QSize(bar(), 0); }
    QSize minimumSizeHint() const override
    {
        // The full width while the screen holds it; below that the column scrolls sideways.
        const QSize content = widget()->minimumSizeHint();
        const QScreen* screen = this->screen();
        const int room = screen ? screen->availableGeometry().width() / 2 : content.width();
        return QSize(std::min(content.width(), room) + bar(), 120);
    }

private:
    int bar() const { return verticalScrollBar()->sizeHint().width(); }
};
} // namespace

QVBoxLayout* ProblemForm::makeColumns(QWidget* central)
{
    auto* columns = new QHBoxLayout(central);
    auto* scroll = new ProblemColumn();
    scroll->setObjectName("scrProblem");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto* column = new QWidget();
    column->setObjectName("fraProblem");
    auto* problem = new QVBoxLayout(column);
    problem->setContentsMargins(0, 0, 0, 0);
    scroll->setWidget(column);
    m_resultsColumn = new QVBoxLayout();
    columns->addWidget(scroll, 0);
    columns->addLayout(m_resultsColumn, 1); // the window's extra width goes to the results
    return problem;
}

QVBoxLayout* ProblemForm::addResultLists(const QString& frameTitle, const QString& conditionsTip, const QFont* font)
{
    lstCoeff = makeList("lstCoeff", "Expansion coefficients");
    m_resultsColumn->addWidget(lstCoeff, 1); // and the extra height
    auto* frame3 = new QGroupBox(frameTitle);
    frame3->setObjectName("Frame3");
    auto* frame3Layout = new QVBoxLayout(frame3);
    lstBCError = makeList("lstBCError", conditionsTip);
    frame3Layout->addWidget(lstBCError);
    m_resultsColumn->addWidget(frame3);
    if (font) {
        lstCoeff->setFont(*font);
        lstBCError->setFont(*font);
    }
    // Six lines of condition errors (a condition takes four) before the list scrolls.
    lstBCError->setMaximumHeight(lstBCError->fontMetrics().lineSpacing() * 6 + 8);
    return m_resultsColumn;
}

void ProblemForm::showAccuratePanes(bool shown)
{
    for (QWidget* pane :
         {static_cast<QWidget*>(lstChebyshev), static_cast<QWidget*>(picDecay), static_cast<QWidget*>(lstPasses)})
        if (pane)
            pane->setVisible(shown);
    if (m_continuationRow)
        for (int i = 0; i < m_continuationRow->count(); ++i)
            if (QWidget* w = m_continuationRow->itemAt(i)->widget())
                w->setVisible(shown);
}

void ProblemForm::fitBoxWidths()
{
    struct Width {
        QString name;    // a name ending in "_" stands for the whole control array
        int least, most; // in digits; most 0: no limit
    };
    static const Width kWidths[] = {
        {"txtXlower", 6, 17},    {"txtXupper", 6, 17},    {"txtExpansion", 6, 17}, {"txtXestimation", 6, 17},
        {"txtXeval_", 6, 17},    {"txtPeriod", 6, 17},    {"txtErrorD", 6, 12},    {"txtErrorC", 6, 12},
        {"txtSweepFrom", 5, 12}, {"txtSweepTo", 5, 12},   {"txtTerms", 4, 7},      {"txtDerNum", 3, 6},
        {"txtMaxcy", 3, 7},      {"txtMaxDegree", 4, 7},  {"txtTolerance", 5, 8},  {"txtSweepSteps", 3, 6},
        {"txtOrder", 3, 5},      {"txtNumDE", 3, 5},      {"txtNumBC", 3, 5},      {"txtIndepVarNam", 4, 12},
        {"txtDepVarNam", 4, 12}, {"txtDepVarNams", 8, 0}, {"txtSweepName", 5, 12}, {"txtEquation", 24, 0},
        {"txtEquation_", 24, 0}, {"txtBC_", 16, 0},
    };
    for (QLineEdit* box : findChildren<QLineEdit*>()) {
        for (const Width& w : kWidths) {
            const bool array = w.name.endsWith('_');
            if (array ? !box->objectName().startsWith(w.name) : box->objectName() != w.name)
                continue;
            const QFontMetrics metrics(box->font());
            const int frame = 2 * metrics.horizontalAdvance('0') + 8; // the frame and text margins
            box->setMinimumWidth(w.least * metrics.horizontalAdvance('0') + frame);
            if (w.most > 0)
                box->setMaximumWidth(w.most * metrics.horizontalAdvance('0') + frame);
            break;
        }
    }
}

void ProblemForm::addMethodFrame(QVBoxLayout* main, const QString& automaticTip, const QString& chebyshevTip)
{
    auto* frame = new QGroupBox("Collocation points");
    frame->setObjectName("fraMethod");
    auto* layout = new QVBoxLayout(frame);
    cboMethod = new QComboBox();
    cboMethod->setObjectName("cboMethod");
    cboMethod->addItem("Equally spaced");
    cboMethod->addItem("Chebyshev");
    cboMethod->setToolTip("Collocation points: Chebyshev keeps its digits at high degrees");
    chkAutoDegree = new QCheckBox("Automatic degree");
    chkAutoDegree->setObjectName("chkAutoDegree");
    chkAutoDegree->setToolTip(automaticTip);
    chkAutoDegree->setEnabled(false);
    lblAccuracy = makeReadoutLabel("lblAccuracy");
    lstChebyshev = makeList("lstChebyshev", chebyshevTip);
    lstChebyshev->setMaximumHeight(90);
    // One line of choices, the readout's lines beneath it, then the accurate method's panes.
    auto* choices = new QHBoxLayout();
    choices->addWidget(cboMethod);
    choices->addWidget(chkAutoDegree);
    choices->addWidget(makeLabel("lblMaxDegree", "at most"));
    choices->addWidget(makeMaxDegreeBox());
    choices->addWidget(makeLabel("lblTolerance", "tolerance"));
    txtTolerance = makeBox("txtTolerance", QString::fromStdString(FormatNumber(kDefaultTolerance)),
                           "The automatic degree stops when the last coefficients are below this "
                           "fraction of the largest: above 0 and below 1");
    choices->addWidget(txtTolerance);
    choices->addStretch(1);
    layout->addLayout(choices);
    layout->addWidget(lblAccuracy);
    layout->addWidget(makeGridCheckLabel());
    auto* panes = new QHBoxLayout();
    panes->addWidget(lstChebyshev, 1);
    if (m_nonlinear) {
        // The accurate Newton iteration's passes, each with its correction and residual norms.
        lstPasses = makeList("lstPasses", "Newton passes: largest correction, largest residual, step");
        lstPasses->setMaximumHeight(90);
        panes->addWidget(lstPasses, 1);
    }
    picDecay = new plot::DecayView();
    panes->addWidget(picDecay);
    layout->addLayout(panes);
    if (TakesContinuation(problemKind(), true))
        layout->addLayout(addContinuationBoxes());
    main->addWidget(frame);
    connect(cboMethod, qOverload<int>(&QComboBox::currentIndexChanged), this, app::Guarded(this, [this](int index) {
                chkAutoDegree->setEnabled(index == 1);
                showAccuratePanes(index == 1);
                ClearResults();
            }));
    connect(chkAutoDegree, &QCheckBox::toggled, this, app::Guarded(this, [this]() { ClearResults(); }));
}

QLineEdit* ProblemForm::makeMaxDegreeBox()
{
    txtMaxDegree = makeBox(
        "txtMaxDegree", QString::number(DefaultAutoDegreeLimit(problemKind())),
        QString("The largest degree the automatic degree may reach, %1 to %2").arg(kMinAutoDegree).arg(kMaxAutoDegree));
    return txtMaxDegree;
}

bool ProblemForm::takeAutoInDegreeBox(QComboBox* method, QCheckBox* automatic)
{
    if (!automatic || txtTerms->text().trimmed().compare("auto", Qt::CaseInsensitive) != 0)
        return false;
    if (method)
        method->setCurrentIndex(1);
    automatic->setChecked(true);
    txtTerms->setText(m_acceptedTerms);
    return true;
}

void ProblemForm::wireDegreeBox(std::function<bool()> check, std::function<QString()> hint, QComboBox* method,
                                QCheckBox* automatic)
{
    m_acceptedTerms = txtTerms->text();
    m_events->onValidate(
        txtTerms,
        [this, check, method, automatic]() {
            if (takeAutoInDegreeBox(method, automatic))
                return true;
            if (!check())
                return false;
            m_acceptedTerms = txtTerms->text();
            return true;
        },
        std::move(hint));
}

void ProblemForm::wireNumberBox(QLineEdit* box, std::string rule, std::function<bool()> empty)
{
    m_events->onValidate(
        box,
        [box, empty]() {
            const std::string text = s(box->text());
            return IsNumberText(text) || (empty && text.find_first_not_of(' ') == std::string::npos && empty());
        },
        [rule]() { return QString::fromStdString(rule); });
}

void ProblemForm::wireEvaluationBoxes()
{
    wireNumberBox(txtXestimation, PointRule());
    m_events->onValidate(
        txtDerNum, [this]() { return CheckDerivativeOrderText(s(txtDerNum->text())); },
        []() { return QString::fromStdString(DerivativeOrderRule()); });
    // Enter in either box evaluates, as the button does (after the box's check).
    for (QLineEdit* box : {txtXestimation, txtDerNum})
        connect(box, &QLineEdit::returnPressed, cmdEvaluate, &QPushButton::click);
}

void ProblemForm::wireInterval()
{
    for (QLineEdit* end : {txtXlower, txtXupper})
        m_events->onValidate(
            end, [end]() { return IsNumberText(s(end->text())); },
            [end, this]() {
                return QString::fromStdString(end == txtXlower ? IntervalRule(s(end->text()), "1")
                                                               : IntervalRule("0", s(end->text())));
            });
    auto rule = [this](QLineEdit* other) {
        const std::string lower = s(txtXlower->text()), upper = s(txtXupper->text());
        const std::string hint = IntervalRule(lower, upper);
        if (hint.empty())
            statusBar()->clearMessage();
        else
            statusBar()->showMessage(QString::fromStdString(hint));
        if (!CheckIntervalTexts(lower, upper))
            other->setFocus();
    };
    m_events->onLostFocus(txtXlower, [=]() { rule(txtXupper); });
    m_events->onLostFocus(txtXupper, [=]() { rule(txtXlower); });
}

void ProblemForm::wireMaxDegree()
{
    m_events->selectOnFocus(txtMaxDegree);
    m_events->onValidate(
        txtMaxDegree, [this]() { return CheckMaxDegreeText(s(txtMaxDegree->text())); },
        [=]() { return QString::fromStdString(MaxDegreeRule()); });
    m_events->onChange(txtMaxDegree, [this]() { ClearResults(); });
    if (!txtTolerance)
        return;
    m_events->selectOnFocus(txtTolerance);
    m_events->onValidate(
        txtTolerance, [this]() { return CheckToleranceText(s(txtTolerance->text())); },
        [=]() { return QString::fromStdString(ToleranceRule()); });
    m_events->onChange(txtTolerance, [this]() { ClearResults(); });
}

void ProblemForm::showAccurateSettings(int maxDegree, double tolerance)
{
    txtMaxDegree->setText(QString::fromStdString(FormatNumber(maxDegree)));
    if (txtTolerance)
        txtTolerance->setText(QString::fromStdString(FormatNumber(tolerance)));
}

void ProblemForm::readAccurateSettings(int& maxDegree, double& tolerance) const
{
    maxDegree = static_cast<int>(ParseWholeNumber(s(txtMaxDegree->text())));
    if (txtTolerance)
        tolerance = ParseNumber(s(txtTolerance->text()));
}

QHBoxLayout* ProblemForm::addContinuationBoxes()
{
    // Continuation: a user constant swept in steps, each solve from the last solution.
    auto* sweep = new QHBoxLayout();
    sweep->addWidget(makeLabel("lblSweep", "Continuation of the constant"));
    txtSweepName = makeBox("txtSweepName", QString(), "A user constant to sweep; empty for none");
    txtSweepFrom = makeBox("txtSweepFrom", "0", "The constant's first value");
    txtSweepTo = makeBox("txtSweepTo", "1", "The constant's last value");
    txtSweepSteps =
        makeBox("txtSweepSteps", "10", QString("Whole number of steps, 1 to %1").arg(kMaxContinuationSteps));
    sweep->addWidget(txtSweepName);
    sweep->addWidget(makeLabel("lblSweepFrom", "from"));
    sweep->addWidget(txtSweepFrom);
    sweep->addWidget(makeLabel("lblSweepTo", "to"));
    sweep->addWidget(txtSweepTo);
    sweep->addWidget(makeLabel("lblSweepSteps", "in steps:"));
    sweep->addWidget(txtSweepSteps);
    chkSweepGeometric = new QCheckBox("Geometric");
    chkSweepGeometric->setObjectName("chkSweepGeometric");
    chkSweepGeometric->setToolTip("Steps of equal ratio, for a constant that spans decades");
    sweep->addWidget(chkSweepGeometric);
    sweep->addStretch();
    m_continuationRow = sweep;
    return sweep;
}

void ProblemForm::wireContinuation()
{
    auto* e = m_events;
    e->onValidate(
        txtSweepName, [this]() { return txtSweepName->text().isEmpty() || IsValidName(s(txtSweepName->text())); },
        [=]() { return QString::fromStdString(NameRule() + " (or nothing, for no continuation)"); });
    e->onValidate(
        txtSweepSteps,
        [this]() { return CheckContinuationStepsText(s(txtSweepSteps->text())); },
        [=]() { return QString::fromStdString(ContinuationStepsRule()); });
    for (QLineEdit* end : {txtSweepFrom, txtSweepTo})
        wireNumberBox(end, "The values the constant goes from and to must be numbers.",
                      [this]() { return txtSweepName->text().isEmpty(); });
    for (QLineEdit* b : {txtSweepName, txtSweepFrom, txtSweepTo, txtSweepSteps}) {
        e->selectOnFocus(b);
        e->onChange(b, [this]() { ClearResults(); });
    }
    connect(chkSweepGeometric, &QCheckBox::toggled, this, app::Guarded(this, [this]() { ClearResults(); }));
}

void ProblemForm::readContinuation(Continuation& c) const
{
    c.name = s(txtSweepName->text());
    c.from = ParseNumber(s(txtSweepFrom->text()));
    c.to = ParseNumber(s(txtSweepTo->text()));
    c.steps = static_cast<int>(ParseWholeNumber(s(txtSweepSteps->text())));
    c.geometric = chkSweepGeometric->isChecked();
}

bool ProblemForm::chooseSaveName(bool ask)
{
    if (ask || m_problemFileName.isEmpty())
        m_problemFileName = QString::fromStdString(PairName(s(chooseFile(true))));
    return !m_problemFileName.isEmpty();
}

void ProblemForm::showIndependentName()
{
    const QString name = txtIndepVarNam->text();
    lblXeval->setText("Evaluated at " + name + "=");
    lblXestimation->setText("At " + name + "=");
}

QLineEdit* ProblemForm::makeBox(const QString& name, const QString& text, const QString& tip)
{
    auto* edit = new QLineEdit(text);
    edit->setObjectName(name);
    if (!tip.isEmpty())
        edit->setToolTip(tip);
    return edit;
}

QPushButton* ProblemForm::makeButton(const char* name, const QString& caption, const QString& tip)
{
    auto* b = new QPushButton(caption);
    b->setObjectName(name);
    if (!tip.isEmpty())
        b->setToolTip(tip);
    return b;
}

QLabel* ProblemForm::makeLabel(const char* name, const QString& caption, const QString& tip)
{
    auto* l = new QLabel(caption);
    l->setObjectName(name);
    if (!tip.isEmpty())
        l->setToolTip(tip);
    return l;
}

QListWidget* ProblemForm::makeList(const char* name, const QString& tip)
{
    auto* l = new QListWidget();
    l->setObjectName(name);
    if (!tip.isEmpty())
        l->setToolTip(tip);
    return l;
}

void ProblemForm::wireErrorBounds()
{
    for (QLineEdit* bound : {txtErrorD, txtErrorC}) {
        m_events->selectOnFocus(bound);
        m_events->onGotFocus(bound, [this, bound]() { m_boundAtFocus = ParseNumber(s(bound->text())); });
        m_events->onValidate(
            bound, [bound]() { return CheckErrorBoundText(s(bound->text())); },
            [=]() { return QString::fromStdString(ErrorBoundRule()); });
        m_events->onLostFocus(bound, [this, bound]() {
            if (ParseNumber(s(bound->text())) < m_boundAtFocus)
                ClearResults();
        });
    }
    m_events->selectOnFocus(txtMaxcy);
    wireNumberBox(txtMaxcy, "The most iterations must be a number.");
}

void ProblemForm::connectCommands()
{
    connect(cmdSolve, &QPushButton::clicked, this, app::Guarded(this, [this]() { cmdSolve_Click(); }));
    connect(cmdEvaluate, &QPushButton::clicked, this, app::Guarded(this, [this]() { cmdEvaluate_Click(); }));
    connect(cmdPlot, &QPushButton::clicked, this, app::Guarded(this, [this]() { cmdPlot_Click(); }));
    connect(mnuPrint, &QAction::triggered, this, app::Guarded(this, [this]() { mnuPrint_Click(); }));
    connect(mnuHelp, &QAction::triggered, this, app::Guarded(this, [this]() { m_host.showHelp(this); }));
    connect(mnuAbout, &QAction::triggered, this, app::Guarded(this, [this]() { m_host.ShowAbout(); }));
    placeEngineErrors();
    app::GiveStandardKeys(this, {menuBar()->findChild<QMenu*>("mnuFile"), mnuNew, mnuOpen, mnuSave, mnuSaveAs,
                                 mnuPrint, mnuHelp});
}

void ProblemForm::ClearResults()
{
    if (m_loading)
        return;
    lstCoeff->clear();
    lstBCError->clear();
    lstDError->clear();
    if (lblGridCheck)
        lblGridCheck->clear();
    if (lblOutside)
        lblOutside->clear();
    clearOwnResults();
    m_host.plotView().ClearPlot();
    session().clearResults();
}

QLabel* ProblemForm::makeReadoutLabel(const char* name)
{
    // The readout's lines wrap in the room they are given: they never widen the form.
    QLabel* label = makeLabel(name, QString());
    label->setWordWrap(true);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QLabel* ProblemForm::makeOutsideLabel()
{
    lblOutside = makeReadoutLabel("lblOutside");
    QPalette palette = lblOutside->palette();
    palette.setColor(QPalette::WindowText, QColor(0xb0, 0x20, 0x00));
    lblOutside->setPalette(palette);
    return lblOutside;
}

QLabel* ProblemForm::makeGridCheckLabel()
{
    // The equally spaced method's check of itself, under the method's readout.
    lblGridCheck = makeReadoutLabel("lblGridCheck");
    lblGridCheck->setToolTip("How well the equation holds between the grid points, where the collocation did not "
                             "force it");
    return lblGridCheck;
}

void ProblemForm::showLists()
{
    app::FillList(lstCoeff, session().lstCoeff());
    app::FillList(lstBCError, session().lstBCError());
    if (lblGridCheck)
        lblGridCheck->setText(QString::fromStdString(session().gridCheckLine()));
    if (lblAccuracy) {
        QStringList lines;
        for (const std::string& line : session().accuracyLines())
            lines << QString::fromStdString(line);
        lblAccuracy->setText(lines.join('\n'));
    }
    showOwnLists();
}

void ProblemForm::cmdSolve_Click()
{
    if (!m_events->validateFocused())
        return;
    ClearResults();
    readBoxes();
    session().setCancelFlag(&m_cancelSolve);
    const auto showProgress = [this](const QString& line) {
        if (line.isEmpty())
            statusBar()->clearMessage();
        else
            statusBar()->showMessage(line);
    };
    app::RunInBackground({showProgress, cmdCancel, cmdSolve}, m_cancelSolve, [this](const ProgressCallback& report) {
        session().setProgressCallback(report);
        session().solve();
    });
    session().setProgressCallback({});
    if (m_faultDuringSolve) {
        markFaultBox(*m_faultDuringSolve);
        m_faultDuringSolve.reset();
    }
    if (session().beepAfterSolve())
        QApplication::beep();
    showLists();
}

void ProblemForm::cmdEvaluate_Click()
{
    if (!m_events->validateFocused() || !session().solved())
        return;
    readBoxes();
    if (!evaluationAccepted())
        return;
    session().evaluate();
    showEvaluation();
    if (lblOutside)
        lblOutside->setText(QString::fromStdString(session().evaluationWarning()));
}

void ProblemForm::cmdPlot_Click()
{
    if (!m_events->validateFocused() || !session().solved())
        return;
    const std::optional<Solution> solution = standingSolution();
    if (!solution)
        return;
    app::PlaceBeside(m_host.plotView().plotWindowWidget(), this);
    m_host.plotView().showSolution(PlotSourceOf(*solution), txtXlower->text(), txtXupper->text());
}

void ProblemForm::mnuPrint_Click()
{
    readBoxes();
    const auto lines = session().report();
    app::PrintReport(this, m_printer, confirmPrinter(m_printer), lines);
}

bool ProblemForm::changesMayGo()
{
    // Only a problem that can be saved is asked about (Save is offered once the head is in).
    if (!m_modified || !mnuSave || !mnuSave->isEnabled())
        return true;
    switch (askSaveChanges()) {
    case QMessageBox::Save:
        return saveForClose(); // not written (a cancelled dialog, a refused file): nothing is lost
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

void ProblemForm::closeEvent(QCloseEvent* event)
{
    if (!changesMayGo()) {
        event->ignore();
        return;
    }
    event->accept();
    m_host.UnloadAllForms();
}

void ProblemForm::mnuNew_Click()
{
    if (changesMayGo())
        m_host.renewForm(this, problemKind());
}

void ProblemForm::setModified(bool modified)
{
    m_modified = modified;
    showTitle();
}

void ProblemForm::showTitle()
{
    if (m_caption.isEmpty())
        return;
    const QString name = QFileInfo(m_problemFileName).fileName();
    setWindowTitle((name.isEmpty() ? QString() : name + " - ") + m_caption + "[*]");
    setWindowModified(m_modified);
}

void ProblemForm::trackChanges()
{
    m_caption = windowTitle();
    showTitle();
    auto changed = [this]() {
        if (!m_loading && !m_modified)
            setModified(true);
    };
    // The evaluation point and derivative are not part of the problem file: typing them
    // changes nothing a save would keep.
    for (QLineEdit* box : findChildren<QLineEdit*>())
        if (box != txtXestimation && box != txtDerNum)
            connect(box, &QLineEdit::textChanged, this, app::Guarded(this, changed));
    for (QComboBox* list : findChildren<QComboBox*>())
        connect(list, qOverload<int>(&QComboBox::currentIndexChanged), this, app::Guarded(this, changed));
    for (QCheckBox* check : findChildren<QCheckBox*>())
        connect(check, &QCheckBox::toggled, this, app::Guarded(this, changed));
}

void ProblemForm::mnuOpen_Click()
{
    const QString name = chooseFile(false);
    if (!name.isEmpty())
        m_host.openProblem(this, QString::fromStdString(PairName(s(name))), true);
}

bool ProblemForm::holdsNoProblem() { return firstHeadBox()->isEnabled() && !m_modified; }

namespace {
// The pair a drag carries: one local file of a pair (its series file or NAME.str), or "".
QString DroppedPair(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return {};
    const std::string name = PairName(data->urls().first().toLocalFile().toStdString());
    return QFileInfo::exists(QString::fromStdString(name + kProblemFileSuffix)) ? QString::fromStdString(name)
                                                                                 : QString();
}
} // namespace

void ProblemForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedPair(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void ProblemForm::dropEvent(QDropEvent* event)
{
    const QString name = DroppedPair(event->mimeData());
    if (name.isEmpty())
        return;
    event->acceptProposedAction();
    // After the drop has ended: the save question is a box of its own.
    QTimer::singleShot(0, this, app::Guarded(this, [this, name]() { m_host.openProblem(this, name, false); }));
}

void ProblemForm::carryBoxesFrom(ProblemForm& old)
{
    m_loading = true;
    const auto copy = [](QLineEdit* to, const QLineEdit* from) {
        if (to && from)
            to->setText(from->text());
    };
    copy(txtXestimation, old.txtXestimation);
    copy(txtDerNum, old.txtDerNum);
    copy(txtSweepName, old.txtSweepName);
    copy(txtSweepFrom, old.txtSweepFrom);
    copy(txtSweepTo, old.txtSweepTo);
    copy(txtSweepSteps, old.txtSweepSteps);
    if (cboApproximation && old.cboApproximation)
        cboApproximation->setCurrentText(old.cboApproximation->currentText());
    m_loading = false;
    m_problemFileName = old.m_problemFileName;
    m_carrying = true;
    setModified(true);
    firstHeadBox()->setFocus();
    firstHeadBox()->selectAll();
}

void ProblemForm::addChangeHeadItem(QMenu* file)
{
    QAction* item = file->addAction("Change Head...");
    item->setObjectName("mnuChangeHead");
    item->setToolTip("Type the order or the counts and the names again; the rest of the problem stays");
    connect(item, &QAction::triggered, this, app::Guarded(this, [this]() {
                if (firstHeadBox()->isEnabled())
                    firstHeadBox()->setFocus();
                else if (m_events->validateFocused())
                    m_host.changeHead(this);
            }));
}

void ProblemForm::addRecentMenu(QMenu* file)
{
    QMenu* recent = file->addMenu("Recent Files");
    recent->setObjectName("mnuRecent");
    // Made anew each time it opens: another form may have saved meanwhile.
    connect(recent, &QMenu::aboutToShow, this, [this, recent]() {
        recent->clear();
        const QStringList files = m_host.recentFiles();
        for (int i = 0; i < files.size(); ++i) {
            // "&1 myosc  (/home/user/problems)": the number is the key.
            const QFileInfo info(files[i]);
            QString label = info.fileName() + "  (" + info.absolutePath() + ")";
            label.replace('&', "&&");
            QAction* item = recent->addAction(QStringLiteral("&%1 ").arg(i + 1) + label);
            item->setObjectName(QStringLiteral("mnuRecent_%1").arg(i + 1));
            const QString name = files[i];
            connect(item, &QAction::triggered, this,
                    app::Guarded(this, [this, name]() { m_host.openProblem(this, name, false); }));
        }
        if (files.isEmpty())
            recent->addAction("(none yet)")->setEnabled(false);
    });
}

void ProblemForm::saved()
{
    setModified(false);
    m_host.rememberFile(m_problemFileName);
}

bool ProblemForm::openPair(const QString& name)
{
    m_problemFileName = name;
    m_loading = true;
    setHeadEnabled(false);
    if (!session().open(name.toStdString())) {
        // The form stays usable: the head can still be entered or another file opened.
        setHeadEnabled(true);
        m_loading = false;
        firstHeadBox()->setFocus();
        return false;
    }
    showOpenedProblem();
    m_loading = false;
    setModified(false);
    // Not on a box with its text selected, where one keystroke would replace the equation.
    cmdSolve->setFocus();
    return true;
}

void ProblemForm::openDemo(const QString& path, int start, bool chebyshev, bool autoDegree)
{
    if (!openPair(path))
        return;
    m_problemFileName.clear();
    showTitle();
    // The demo's own settings are part of it, not edits of the user's.
    m_loading = true;
    if (start >= 0 && cboApproximation && start < cboApproximation->count())
        cboApproximation->setCurrentIndex(start);
    if (chebyshev && cboMethod)
        cboMethod->setCurrentIndex(1);
    if (autoDegree && chkAutoDegree && chkAutoDegree->isEnabled())
        chkAutoDegree->setChecked(true);
    m_loading = false;
}

void ProblemForm::addExportItem(QMenu* file)
{
    mnuExport = file->addAction("Export...");
    mnuExport->setObjectName("mnuExport");
    mnuExport->setToolTip("Write the solution as CSV, JSON, LaTeX, Python, C or Octave");
    connect(mnuExport, &QAction::triggered, this, app::Guarded(this, [this]() { mnuExport_Click(); }));
}

void ProblemForm::mnuExport_Click()
{
    std::optional<Solution> solution = standingSolution();
    if (!solution) {
        statusBar()->showMessage("Solve the problem first: no solution stands to export.");
        return;
    }
    QString base = m_problemFileName;
    auto* window = new app::FrmExport(std::move(*solution), base, this);
    window->exported = [this](const QStringList& files) { statusBar()->showMessage("Exported: " + files.join(", ")); };
    window->setWindowModality(Qt::WindowModal);
    window->show();
    app::CentreOn(window, this);
}

void ProblemForm::addNewProblemItem(QMenu* file)
{
    QAction* item = file->addAction("New problem...");
    item->setObjectName("mnuNewProblem");
    item->setToolTip("Choose another kind of problem");
    connect(item, &QAction::triggered, this, app::Guarded(this, [this]() {
                if (changesMayGo())
                    m_host.showChooser(this);
            }));
}

void ProblemForm::addExamplesItem(QMenu* file)
{
    mnuExamples = file->addAction("Examples...");
    mnuExamples->setObjectName("mnuExamples");
    connect(mnuExamples, &QAction::triggered, this, app::Guarded(this, [this]() { m_host.showExamples(this); }));
}

} // namespace ode::forms
