#pragma once
// The forms of a single equation, linear or nonlinear, in a power or a trigonometric
// series: frmPldif, frmTldif, frmPnldif and frmTnldif. The form reads its boxes into its
// session (LinearSession or NonlinearSession), calls it, and shows what it returns.

#include "linear/ProblemSession.h"

#include <QMainWindow>
#include <QPrinter>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;

namespace ode::app {
class ConstantsFrame;
class FormEvents;
class FormHost;
} // namespace ode::app

namespace ode::forms {

// The form of a single equation: frmPldif, frmTldif (linear) and frmPndif, frmTndif
// (nonlinear, with the Newton iteration's boxes and the initial approximation).
class FrmSingle : public QMainWindow {
    Q_OBJECT
public:
    FrmSingle(SeriesKind kind, bool nonlinear, app::FormHost& host);
    ~FrmSingle() override;

    // Controls, by their design names (also their objectNames; txtBC(k) is "txtBC_k").
    QLineEdit *txtOrder, *txtIndepVarNam, *txtDepVarNam, *txtEquation;
    std::vector<QLineEdit*> txtBC, txtXeval; // elements 1 ... n (element 0 is not used)
    QLineEdit *txtXlower, *txtXupper, *txtExpansion, *txtTerms, *txtPeriod = nullptr;
    QLineEdit *txtXestimation, *txtDerNum;
    // The nonlinear forms only (nullptr on the linear ones).
    QLineEdit *txtErrorD = nullptr, *txtErrorC = nullptr, *txtMaxcy = nullptr;
    QComboBox* cboApproximation = nullptr;
    QLabel *lblEquation, *lblConditions, *lblBCNum, *lblXeval, *lblXestimation, *lblValue;
    QComboBox* cboConstants;
    QPushButton *cmdAddCons, *cmdRemCons, *cmdNextBC, *cmdPrevBC, *cmdShowAllBCs;
    QPushButton *cmdSolve, *cmdEvaluate, *cmdPlot;
    QListWidget *lstCoeff, *lstBCError, *lstDError;
    QMenu* mnuFile;
    QAction *mnuOpen, *mnuSave, *mnuSaveAs, *mnuPrint, *mnuHelp, *mnuAbout;

    ProblemSession& session() { return *m_session; }
    bool nonlinear() const { return m_nonlinear; }
    bool Loading() const { return m_loading; }
    int NumBC() const { return m_numBC; }
    const QString& ProblemFileName() const { return m_problemFileName; }

    // The file dialogs: returns the chosen name, "" when cancelled (`save` for Save As).
    std::function<QString(bool save)> chooseFile;
    // The printer dialog: true to print.
    std::function<bool(QPrinter&)> confirmPrinter;
    QPrinter& printer() { return m_printer; }

    void ClearResults();
    void ShowBC(int k);
    void BuildConditionControls();

    void cmdSolve_Click();
    void cmdEvaluate_Click();
    void cmdPlot_Click();
    void cmdNextBC_Click();
    void cmdPrevBC_Click();
    void cmdShowAllBCs_Click();
    void mnuOpen_Click();
    void mnuSave_Click();
    void mnuSaveAs_Click();
    void mnuPrint_Click();
    // cboApproximation_LostFocus: choice 3 loads a series file.
    void cboApproximation_LostFocus();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLineEdit* box(const char* name, const QString& text, const QString& tip = {});
    void wireEvents();
    void wireCondition(int k);
    void readBoxes();
    void showLists();
    void ShowProblem();
    void SaveProblem();
    void setHeadEnabled(bool enabled);
    void headEntered();
    QString depDerivative(int order) const;

    SeriesKind m_kind;
    bool m_nonlinear;
    app::FormHost& m_host;
    std::unique_ptr<ProblemSession> m_session;
    double m_boundAtFocus = 0; // an error bound's value when its box got the focus
    app::FormEvents* m_events;
    app::ConstantsFrame* m_constantsFrame = nullptr;
    QPrinter m_printer;
    QGridLayout* m_bcLayout = nullptr;
    int m_order = 2;   // n, as the order box was accepted
    int m_numBC = 1;   // NumBC
    int m_shownBC = 1; // lblBCNum
    bool m_loading = false;
    bool m_conditionControlsBuilt = false;
    QString m_problemFileName;
};

} // namespace ode::forms
