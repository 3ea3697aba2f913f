#pragma once
// The task chooser: the first window, offering the six kinds of problem.

#include <QMainWindow>

#include <vector>

class QAction;
class QPushButton;
class QRadioButton;

namespace ode::shell {

class Shell;

class FrmTask : public QMainWindow {
    Q_OBJECT
public:
    explicit FrmTask(Shell& shell);

    // The captions of OptTask(0 ... 5).
    static const char* const kKindCaptions[6];

    std::vector<QRadioButton*> OptTask;
    QPushButton* cmdOK;
    QPushButton* cmdExamples;
    QAction* mnuHelp;
    QAction* mnuAbout;

    // cmdOK_Click: opens the lowest selected kind (kind 0 when none is selected).
    void cmdOK_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Shell& m_shell;
};

} // namespace ode::shell
