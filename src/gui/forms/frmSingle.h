#pragma once
// The forms of a single equation, linear or nonlinear, in a power or a trigonometric
// series: frmPldif, frmTldif, frmPndif and frmTndif. The form reads its boxes into its
// session (LinearSession or NonlinearSession), calls it, and shows what it returns.

#include "gui/forms/ProblemForm.h"
#include "single/ProblemSession.h"

#include <memory>
#include <vector>

class QGridLayout;
class QMenu;

class QCheckBox;
class QVBoxLayout;

namespace ode {
class LinearSession;
class NonlinearSession;
} // namespace ode
namespace ode::app {
class ConstantsFrame;
}
namespace ode::plot {
class DecayView;
}

namespace ode::forms {

// The form of a single equation: frmPldif, frmTldif (linear) and frmPndif, frmTndif
// (nonlinear, with the Newton iteration's boxes and the initial approximation).
class FrmSingle : public ProblemForm {
    Q_OBJECT
public:
    FrmSingle(SeriesKind kind, bool nonlinear, app::FormHost& host);
    ~FrmSingle() override;

    // Controls of this form, by their design names (txtBC(k) is "txtBC_k").
    QLineEdit *txtOrder, *txtDepVarNam, *txtEquation;
    std::vector<QLineEdit*> txtBC, txtXeval; // elements 1 ... n (element 0 is not used)
    QLineEdit* txtPeriod = nullptr;          // the trigonometric forms only
    QLabel *lblEquation, *lblConditions, *lblBCNum, *lblValue;
    QComboBox* cboConstants;
    QPushButton *cmdAddCons, *cmdRemCons, *cmdNextBC, *cmdPrevBC, *cmdShowAllBCs;
    QMenu* mnuFile;

    ProblemSession& session() override { return *m_session; }
    std::optional<Solution> standingSolution() const override { return DescribeSolution(*m_session); }
    ProblemKind problemKind() const override;
    QWidget* showFaultBox(const TextPlace& place) override;
    void carryProblemFrom(ProblemForm& old) override;
    void showCarriedProblem();
    int NumBC() const { return m_numBC; }

    void ShowBC(int k);
    void BuildConditionControls();

    void cmdNextBC_Click();
    void cmdPrevBC_Click();
    void cmdShowAllBCs_Click();
    void mnuSave_Click();
    void mnuSaveAs_Click();
    // cboApproximation_LostFocus: choice 3 loads a series file.
    void cboApproximation_LostFocus();

protected:
    void readBoxes() override;
    void clearOwnResults() override;
    void showOwnLists() override;
    bool evaluationAccepted() override;
    void showEvaluation() override;

private:
    // The constructor's steps: the window's parts from top to bottom, and the menus.
    void buildHead(QVBoxLayout* main);
    void buildConditionArea(QVBoxLayout* main);
    void buildIntervalRow(QVBoxLayout* main);
    void buildMethodRow(QVBoxLayout* main);
    void buildTermsRow(QVBoxLayout* main);
    void buildIterationRow(QVBoxLayout* main);
    void buildResultLists(QVBoxLayout* main);
    void buildMenus();
    void wireEvents();
    void wireProblemBoxes();
    void wireCondition(int k);
    void ShowProblem();
    void SaveProblem();
    bool saveForClose() override;
    void setHeadEnabled(bool enabled) override;
    QLineEdit* firstHeadBox() override { return txtOrder; }
    void showOpenedProblem() override;
    void headEntered();
    QString depDerivative(int order) const;

    SeriesKind m_kind;
    std::unique_ptr<ProblemSession> m_session;
    NonlinearSession* m_newton = nullptr; // m_session on the nonlinear forms
    app::ConstantsFrame* m_constantsFrame = nullptr;
    QGridLayout* m_bcLayout = nullptr;
    int m_order = 2;   // n, as the order box was accepted
    int m_numBC = 1;   // NumBC
    int m_shownBC = 1; // lblBCNum
    bool m_conditionControlsBuilt = false;
};

} // namespace ode::forms
