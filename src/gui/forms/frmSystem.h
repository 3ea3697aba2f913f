#pragma once
// The systems forms: frmSldif (linear systems) and frmSndif (nonlinear systems). The form reads
// its boxes into a SystemSession, calls it and shows what it returns.

#include "gui/forms/ProblemForm.h"
#include "systems/SystemSession.h"

#include <memory>
#include <vector>

class QCheckBox;
class QGridLayout;

class QVBoxLayout;

namespace ode::app {
class ConstantsFrame;
}
namespace ode::plot {
class DecayView;
}

namespace ode::forms {

class FrmSystem : public ProblemForm {
    Q_OBJECT
public:
    FrmSystem(bool nonlinear, app::FormHost& host);
    ~FrmSystem() override;

    QLineEdit *txtNumDE, *txtNumBC, *txtDepVarNams;
    std::vector<QLineEdit*> txtEquation;     // 0 ... LastVar ("txtEquation_e")
    std::vector<QLineEdit*> txtBC, txtXeval; // 1 ... NumBC (element 0 not used)
    QLabel *lblDENum, *lblBCNum;
    QPushButton *cmdNextDE, *cmdPrevDE, *cmdShowAllDEs, *cmdNextBC, *cmdPrevBC, *cmdShowAllBCs;
    QListWidget* lstValue;
    QAction *mnuSaveSeparate, *mnuSaveSeparateAs;
    app::ConstantsFrame* constants;

    SystemSession& session() override { return *m_session; }
    std::optional<Solution> standingSolution() const override { return DescribeSolution(*m_session); }
    QWidget* showFaultBox(const TextPlace& place) override;
    void carryProblemFrom(ProblemForm& old) override;
    void showCarriedProblem();
    ProblemKind problemKind() const override
    {
        return m_nonlinear ? ProblemKind::NonlinearSystem : ProblemKind::LinearSystem;
    }

    void BuildEntryControls();
    void ShowDE(int index);
    void ShowBC(int b);

protected:
    void readBoxes() override;
    void clearOwnResults() override;
    void showOwnLists() override;
    void showEvaluation() override;

private:
    QVBoxLayout* m_side = nullptr; // the column beside the coefficients: errors, evaluation, Plot
    // The constructor's steps: the window's parts from top to bottom, the menus, the boxes'
    // rules and the commands.
    void buildHead(QVBoxLayout* main);
    void buildEquationArea(QVBoxLayout* main);
    void buildConditionArea(QVBoxLayout* main);
    void buildIntervalRow(QVBoxLayout* main);
    void buildIterationRow(QVBoxLayout* main);
    void buildMethodRow(QVBoxLayout* main);
    void buildResultLists(QVBoxLayout* main);
    void buildEvaluation(QVBoxLayout* main);
    void buildMenus();
    void wireBoxes();
    void wireProblemBoxes();
    void wireCommands();
    void wireEquation(int e);
    void wireCondition(int b);
    void headEntered();
    void setHeadEnabled(bool enabled) override;
    QLineEdit* firstHeadBox() override { return txtNumDE; }
    void showOpenedProblem() override;
    void saveAll(bool ask);
    bool saveForClose() override;
    void saveSeparately(bool ask);

    std::unique_ptr<SystemSession> m_session;
    QGridLayout* m_deLayout = nullptr;
    QGridLayout* m_bcLayout = nullptr;
    int m_numDE = 2, m_numBC = 1;
    int m_shownDE = 0, m_shownBC = 1;
    bool m_built = false;
};

} // namespace ode::forms
