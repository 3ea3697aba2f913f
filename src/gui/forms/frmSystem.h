#pragma once
// The systems forms: frmSldif (linear systems) and frmSndif (nonlinear systems). The form reads
// its boxes into a SystemSession, calls it and shows what it returns.

#include "systems/SystemSession.h"

#include <QMainWindow>
#include <QPrinter>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace ode::app {
class ConstantsFrame;
class FormEvents;
class FormHost;
} // namespace ode::app

namespace ode::forms {

class FrmSystem : public QMainWindow {
    Q_OBJECT
public:
    FrmSystem(bool nonlinear, app::FormHost& host);
    ~FrmSystem() override;

    QLineEdit *txtNumDE, *txtNumBC, *txtIndepVarNam, *txtDepVarNams, *txtTerms, *txtExpansion;
    QLineEdit *txtXlower, *txtXupper, *txtXestimation, *txtDerNum;
    std::vector<QLineEdit*> txtEquation;     // 0 ... LastVar ("txtEquation_e")
    std::vector<QLineEdit*> txtBC, txtXeval; // 1 ... NumBC (element 0 not used)
    QLineEdit *txtErrorD = nullptr, *txtErrorC = nullptr, *txtMaxcy = nullptr;
    QComboBox* cboApproximation = nullptr;
    QLabel *lblDENum, *lblBCNum, *lblXeval, *lblXestimation;
    QPushButton *cmdNextDE, *cmdPrevDE, *cmdShowAllDEs, *cmdNextBC, *cmdPrevBC, *cmdShowAllBCs;
    QPushButton *cmdSolve, *cmdEvaluate, *cmdPlot;
    QListWidget *lstCoeff, *lstBCError, *lstValue, *lstDError;
    QAction *mnuOpen, *mnuSave, *mnuSaveAs, *mnuSaveSeparate, *mnuSaveSeparateAs, *mnuPrint, *mnuHelp, *mnuAbout;
    app::ConstantsFrame* constants;

    SystemSession& session() { return *m_session; }
    bool Loading() const { return m_loading; }
    std::function<QString(bool save)> chooseFile;
    std::function<bool(QPrinter&)> confirmPrinter;

    void ClearResults();
    void BuildEntryControls();
    void ShowDE(int index);
    void ShowBC(int b);
    void cmdSolve_Click();
    void cmdEvaluate_Click();
    void cmdPlot_Click();
    void mnuOpen_Click();
    void mnuPrint_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLineEdit* box(const QString& name, const QString& text, const QString& tip = {});
    void wireEquation(int e);
    void wireCondition(int b);
    void headEntered();
    void readBoxes();
    void showLists();
    void setHeadEnabled(bool enabled);
    void saveAll(bool ask);
    void saveSeparately(bool ask);
    bool chooseName(bool ask);

    bool m_nonlinear;
    app::FormHost& m_host;
    std::unique_ptr<SystemSession> m_session;
    app::FormEvents* m_events;
    QGridLayout* m_deLayout = nullptr;
    QGridLayout* m_bcLayout = nullptr;
    QPrinter m_printer;
    int m_numDE = 2, m_numBC = 1;
    int m_shownDE = 0, m_shownBC = 1;
    double m_boundAtFocus = 0;
    bool m_loading = false;
    bool m_built = false;
    QString m_problemFileName;
};

} // namespace ode::forms
