#pragma once
// What every problem form does, whatever its kind: the commands Solve, Evaluate, Plot and
// Print, clearing the results, filling the lists from the session, the error sink, the
// nonlinear forms' error-bound rule, the Help and About entries and closing. A kind's form
// builds its own boxes and layout and answers the few questions this skeleton asks.

#include "common/ProblemKind.h"
#include "output/Solution.h"
#include "plot/PlotGeometry.h"
#include "session/Continuation.h"
#include "session/Session.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QPrinter>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QFont;
class QHBoxLayout;
class QVBoxLayout;
class QLabel;
class QLineEdit;
class QDragEnterEvent;
class QDropEvent;
class QMenu;
class QListWidget;
class QPushButton;

namespace ode::plot {
class DecayView;
}
namespace ode::app {
class ConstantsFrame;
class FormEvents;
class FormHost;
} // namespace ode::app

namespace ode::forms {

class ProblemForm : public QMainWindow {
    Q_OBJECT
public:
    ~ProblemForm() override;

    // Controls every form has, by their design names (also their objectNames).
    QLineEdit *txtIndepVarNam = nullptr, *txtExpansion = nullptr, *txtTerms = nullptr;
    QLineEdit *txtXlower = nullptr, *txtXupper = nullptr, *txtXestimation = nullptr, *txtDerNum = nullptr;
    // The nonlinear forms only (nullptr on the linear ones).
    QLineEdit *txtErrorD = nullptr, *txtErrorC = nullptr, *txtMaxcy = nullptr;
    QComboBox* cboApproximation = nullptr;
    QLabel *lblXeval = nullptr, *lblXestimation = nullptr;
    QPushButton *cmdSolve = nullptr, *cmdEvaluate = nullptr, *cmdPlot = nullptr;
    QListWidget *lstCoeff = nullptr, *lstBCError = nullptr, *lstDError = nullptr;
    QAction *mnuOpen = nullptr, *mnuSave = nullptr, *mnuSaveAs = nullptr, *mnuPrint = nullptr;
    QAction *mnuHelp = nullptr, *mnuAbout = nullptr, *mnuNew = nullptr, *mnuExamples = nullptr;
    QAction* mnuExport = nullptr; // File > Export...: the standing solution for other programs
    // A solve that runs for more than a moment says what it is doing in the status bar, and
    // this button, in Solve's place meanwhile, stops it (Escape does too).
    QPushButton* cmdCancel = nullptr;
    // The accurate method: the collocation points' choice (power series), the automatic
    // degree (or terms), the readout, the Chebyshev coefficients, the Newton passes (nonlinear
    // power forms) and the decay plot, log10 |ck| against k (every variable's on a system).
    // nullptr where a form has none.
    QComboBox* cboMethod = nullptr;
    QCheckBox* chkAutoDegree = nullptr;
    QLabel* lblAccuracy = nullptr;
    QLabel* lblGridCheck = nullptr; // the equally spaced method's check between its grid points
    QLabel* lblOutside = nullptr;   // Evaluate's warning that its point is outside the interval
    QListWidget* lstChebyshev = nullptr;
    QListWidget* lstPasses = nullptr;
    plot::DecayView* picDecay = nullptr;
    // The automatic degree's relative tolerance (the tail of the coefficients), beside its limit.
    QLineEdit* txtTolerance = nullptr;
    // The automatic degree's limit, beside its check box.
    QLineEdit* txtMaxDegree = nullptr;
    // The nonlinear power-series forms' continuation: constant, first and last value, steps.
    QLineEdit *txtSweepName = nullptr, *txtSweepFrom = nullptr, *txtSweepTo = nullptr, *txtSweepSteps = nullptr;
    QCheckBox* chkSweepGeometric = nullptr; // equal ratios instead of equal steps

    virtual Session& session() = 0;
    bool nonlinear() const { return m_nonlinear; }
    bool Loading() const { return m_loading; }
    const QString& ProblemFileName() const { return m_problemFileName; }

    // The file dialogs: returns the chosen name, "" when cancelled (`save` for Save As).
    std::function<QString(bool save)> chooseFile;
    // Closing with unsaved changes asks "Save changes?": Save, Discard or Cancel (the message
    // box; tests answer it themselves).
    std::function<QMessageBox::StandardButton()> askSaveChanges;
    // Edited since the form opened, or since the last Open or Save.
    bool Modified() const { return m_modified; }
    // The title: the problem file's name (once it has one), the form's caption, and "*" while it
    // is modified ("myosc.str - Linear Differential Equation - Power Series Solutions*").
    void setModified(bool modified);

    // The printer dialog: true to print.
    std::function<bool(QPrinter&)> confirmPrinter;
    QPrinter& printer() { return m_printer; }

    // ClearResults: the lists and values empty, the plot cleared, no solution stands; does
    // nothing while a file is being shown.
    void ClearResults();
    void cmdSolve_Click();
    void cmdEvaluate_Click();
    void cmdPlot_Click();
    void mnuPrint_Click();
    // Open, in every state: the file dialog (one entry a pair), then the host's Open
    // (FormHost::openProblem): read here while the form holds no problem yet, with the head
    // locked while it reads (a refused file leaves the head open for another entry or another
    // file), else after the save question in a fresh form.
    void mnuOpen_Click();
    // True while the head is still open and nothing was typed: an Open reads into this form.
    bool holdsNoProblem();
    // Opens the pair `name` as Open does; false (the head open again) when it is refused.
    bool openPair(const QString& name);
    // A demo from the library: opened as a file, but with no name of its own, so that Save
    // asks where to put the user's copy; `start` chooses the initial approximation (-1: as it
    // is) and `chebyshev` the accurate method, where the form has them.
    void openDemo(const QString& path, int start = -1, bool chebyshev = false, bool autoDegree = false);
    // New: the form starts afresh (its head can be entered again), after asking about
    // unsaved changes as closing does.
    void mnuNew_Click();
    // Export...: the export window for the standing solution, or the reason there is none in
    // the status bar.
    void mnuExport_Click();
    // Unsaved changes may go: none, or the user saved or discarded them (false: Cancel, or a
    // save that did not happen).
    bool changesMayGo();
    // The kind this form solves.
    virtual ProblemKind problemKind() const = 0;
    // In a fresh form of `old`'s kind: `old`'s problem, with the head's boxes holding its head
    // and open, the focus in the first; once the head is entered again, every text that still
    // fits comes back (the equations and conditions up to the new counts, the interval, degree,
    // constants, bounds, the method and its settings) and the rest is as a fresh form has it.
    // The problem keeps its file name and counts as changed.
    virtual void carryProblemFrom(ProblemForm& old) = 0;
    // carryProblemFrom's part every form shares: the boxes no problem file keeps (the point and
    // derivative to evaluate, the continuation, the initial approximation), the file name, the
    // changed mark, the focus in the first head box.
    void carryBoxesFrom(ProblemForm& old);

protected:
    ProblemForm(bool nonlinear, app::FormHost& host);

    // The boxes into the session's texts.
    virtual void readBoxes() = 0;
    // Empties what only this kind shows (the value label, the values list).
    virtual void clearOwnResults() = 0;
    // Evaluate may go on (after readBoxes): false refuses it, with the refusal shown.
    virtual bool evaluationAccepted() { return true; }
    // Shows what Evaluate computed.
    virtual void showEvaluation() = 0;
    // The head's boxes (order or counts, names) enabled or locked.
    virtual void setHeadEnabled(bool enabled) = 0;
    // The first box of the head, where a refused Open leaves the focus.
    virtual QLineEdit* firstHeadBox() = 0;
    // Shows the problem the session has opened, with the menus it allows.
    virtual void showOpenedProblem() = 0;

    // The session's message sink: a message box over this form (the busy cursor goes first).
    std::function<void(const std::string&)> messageSink();
    // An engine error's message says where in the problem it lies, and that box is brought into
    // view, marked as a refused box is until it is edited, and given the focus (after the solve
    // when one runs): set by connectCommands.
    void placeEngineErrors();
    void markFaultBox(const TextPlace& place);
    // The box that holds `place`, shown (the equation or condition brought into view).
    virtual QWidget* showFaultBox(const TextPlace& place) = 0;
    // Fills lstCoeff, lstBCError and the readout (lblAccuracy) from the session, then what only
    // this kind lists.
    void showLists();
    // A readout's lines (lblAccuracy, lblGridCheck), wrapped in the room they are given, selectable.
    QLabel* makeReadoutLabel(const char* name);
    // lblOutside, made and kept: empty, or the warning in a colour that stands out.
    QLabel* makeOutsideLabel();
    // lblGridCheck, made and kept.
    QLabel* makeGridCheckLabel();
    virtual void showOwnLists() {}
    // The nonlinear forms' bounds: selected on focus, above 0, and a tighter bound clears the
    // results while a looser one keeps them.
    void wireErrorBounds();
    // Solve, Evaluate, Plot, Print, Help and About to their commands.
    void connectCommands();
    // File > Examples..., after Open in `file`: the demos library.
    void addExamplesItem(QMenu* file);
    // File > "Change Head..." (mnuChangeHead): the order (or the counts) and the names can be
    // typed again without retyping the problem (FormHost::changeHead).
    void addChangeHeadItem(QMenu* file);
    // File > "Recent Files" (mnuRecent), after Open in `file`: the pairs opened or saved last.
    void addRecentMenu(QMenu* file);
    // A save of the pair went through: nothing is unsaved, and the pair is a recent file.
    void saved();
    // File > "New problem...": after the save question, back to the chooser of the kind.
    void addNewProblemItem(QMenu* file);
    // File > Export..., after the save items in `file`.
    void addExportItem(QMenu* file);
    // The solution that stands, described for the exports; none before a solve.
    virtual std::optional<Solution> standingSolution() const = 0;

    // The nonlinear forms' iteration row: the two error bounds, the pass limit and the
    // initial approximation's list (the third item chosen, locked until the head is entered).
    struct IterationRow {
        QString errorDLabel, errorCLabel;
        std::string errorD, errorC, maxcy;
        std::vector<const char*> approximations;
        bool editable = false; // the list also takes a typed choice
    };
    void addIterationRow(QVBoxLayout* main, const IterationRow& row);
    // The user constants beside Solve; returns the constants' frame.
    app::ConstantsFrame* addSolveRow(QVBoxLayout* main);
    // lstCoeff beside the framed lstBCError (frame "Frame3"), in `font` where one is given.
    // The coefficient list takes the free height on the left; the conditions' errors stand on
    // the right above the returned column, where the form puts its evaluation and Plot.
    QVBoxLayout* addResultLists(const QString& frameTitle, const QString& conditionsTip, const QFont* font);
    // The form's two columns in `central`: the problem's boxes (returned) on the left, the
    // results on the right, which get the window's free width and height.
    QVBoxLayout* makeColumns(QWidget* central);
    QVBoxLayout* m_resultsColumn = nullptr;
    // The accurate method's lists, decay plot and continuation show only while it is chosen;
    // the equally spaced method leaves their room to the results.
    void showAccuratePanes(bool shown);
    // Every box as wide as what it holds: numbers about 17 digits at most, counts a few, names
    // a word, equations and conditions at least a formula. Measured in the box's font, so the
    // widths follow the screen's scaling. Again after boxes are added.
    void fitBoxWidths();
    // The name Save writes to: the file dialog when `ask` or when none is known yet (a
    // cancelled dialog forgets the name); false when there is none.
    bool chooseSaveName(bool ask);
    // The interval's rule: leaving an end with the upper one not above the lower sends the focus
    // to the other end; the status bar says why, and what an end of letters was read as.
    void wireInterval();
    // A box that takes a number and nothing else (IsNumberText), refused with `rule`; `empty`
    // says when an empty box is accepted (an optional one), none: never.
    void wireNumberBox(QLineEdit* box, std::string rule, std::function<bool()> empty = {});
    // The evaluation point and derivative boxes, and the continuation's ends.
    void wireEvaluationBoxes();
    // The automatic degree's limit box ("1000"), made here and given its rule (CheckMaxDegree;
    // a change clears the results) by wireMaxDegree.
    QLineEdit* makeMaxDegreeBox();
    // The power-series forms' "Collocation points" frame: the method, the automatic degree and
    // its limit, the readout on one line; the Chebyshev coefficients, the passes (nonlinear
    // forms), the decay plot and the continuation beneath, shown with the accurate method.
    void addMethodFrame(QVBoxLayout* main, const QString& automaticTip, const QString& chebyshevTip);
    QHBoxLayout* m_continuationRow = nullptr;
    // The degree box also takes "auto": the automatic degree is ticked (on a power form with
    // the Chebyshev points chosen) and the box gets back the degree it held, which the file
    // keeps. True when the text was "auto" and so handled.
    bool takeAutoInDegreeBox(QComboBox* method, QCheckBox* automatic);
    // The degree box's rule: "auto" as above, else `check`; `hint` says the rule.
    void wireDegreeBox(std::function<bool()> check, std::function<QString()> hint, QComboBox* method,
                       QCheckBox* automatic);
    void wireMaxDegree();
    // The limit and tolerance boxes shown from, and read into, a session's settings.
    void showAccurateSettings(int maxDegree, double tolerance);
    void readAccurateSettings(int& maxDegree, double& tolerance) const;
    // The continuation's boxes in a row, made here; wireContinuation gives them their rules
    // (a constant's name or nothing, CheckContinuationSteps; a change clears the results).
    QHBoxLayout* addContinuationBoxes();
    void wireContinuation();
    void readContinuation(Continuation& c) const;
    // The evaluation labels name the independent variable ("At x=", "Evaluated at x=").
    void showIndependentName();

    static QLineEdit* makeBox(const QString& name, const QString& text, const QString& tip = {});
    static QPushButton* makeButton(const char* name, const QString& caption, const QString& tip = {});
    static QLabel* makeLabel(const char* name, const QString& caption, const QString& tip = {});
    static QListWidget* makeList(const char* name, const QString& tip = {});

    void closeEvent(QCloseEvent* event) override;
    // A problem pair dropped on the form opens as a recent file does.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Every edit of a box, a list or a choice marks the problem as changed (after the form is
    // built; not while a file is being shown).
    void trackChanges();
    // Save (or Save As when the problem has no name yet); true when the problem was written.
    virtual bool saveForClose() = 0;
    bool m_modified = false;

    bool m_nonlinear;
    app::FormHost& m_host;
    app::FormEvents* m_events = nullptr;
    std::atomic<bool> m_cancelSolve{false}; // set by Cancel: the solve under way stops
    std::optional<TextPlace> m_faultDuringSolve;  // marked once the solve has ended
    bool m_carrying = false; // carryProblemFrom's problem waits for the head to be entered
    QPrinter m_printer;
    bool m_loading = false;
    QString m_problemFileName;
    QString m_caption; // the form's own caption, the title without the file's name
    void showTitle();

    QString m_acceptedTerms; // the degree box's last accepted text

private:
    double m_boundAtFocus = 0; // an error bound's value when its box got the focus
};

} // namespace ode::forms
