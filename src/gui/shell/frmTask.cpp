#include "gui/shell/frmTask.h"

#include "gui/app/FormSupport.h"
#include "gui/app/Guard.h"
#include "gui/app/Messages.h"
#include "gui/shell/Shell.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>

namespace ode::shell {

const char* const FrmTask::kKindCaptions[6] = {
    "Single linear ordinary differential equation - Power series solution",
    "Single linear ordinary differential equation - Trigonometric series solution",
    "Single nonlinear ordinary differential equation - Power series solution",
    "Single nonlinear ordinary differential equation - Trigonometric series solution",
    "System of linear ordinary differential equations - Power series solution",
    "System of nonlinear ordinary differential equations - Power series solution",
};

FrmTask::FrmTask(Shell& shell) : m_shell(shell)
{
    setObjectName("frmTask");
    setWindowTitle(app::kApplicationTitle);
    auto* central = new QWidget(this);
    auto* layout = new QGridLayout(central);
    auto label = [&](const char* name, const char* caption, int row, int column, int span = 1) {
        auto* l = new QLabel(caption, central);
        l->setObjectName(name);
        layout->addWidget(l, row, column, 1, span);
        return l;
    };
    label("Label1", "Select type of problem to solve:", 0, 0, 3);
    label("lblSingle", "Single equation:", 1, 0, 3);
    label("lblSingleLinear", "Linear:", 2, 1);
    label("lblSingleNonlinear", "Nonlinear:", 4, 1);
    label("lblSystem", "System of equations:", 6, 0, 3);
    label("lblSystemLinear", "Linear:", 7, 1);
    label("lblSystemNonlinear", "Nonlinear:", 8, 1);
    const int rows[6] = {2, 3, 4, 5, 7, 8};
    for (int i = 0; i < 6; ++i) {
        auto* option = new QRadioButton(kKindCaptions[i], central);
        option->setObjectName(QStringLiteral("OptTask_%1").arg(i));
        layout->addWidget(option, rows[i], 2);
        OptTask.push_back(option);
    }
    // One kind is chosen from the start, so that the arrow keys move the choice (radio buttons
    // move it only from a checked one) and Enter opens the kind the user sees chosen.
    OptTask.front()->setChecked(true);
    cmdOK = new QPushButton("Compute solution", central);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    // The demos library, for a first solution without typing anything.
    cmdExamples = new QPushButton("Examples...", central);
    cmdExamples->setObjectName("cmdExamples");
    cmdExamples->setToolTip("Open a ready problem of any kind");
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(cmdExamples);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    layout->addLayout(buttons, 9, 0, 1, 3);
    setCentralWidget(central);

    mnuHelp = menuBar()->addAction("Help");
    mnuHelp->setObjectName("mnuHelp");
    mnuAbout = menuBar()->addAction("About");
    mnuAbout->setObjectName("mnuAbout");
    connect(mnuHelp, &QAction::triggered, this, app::Guarded(this, [this]() { m_shell.showHelp(this); }));
    connect(mnuAbout, &QAction::triggered, this, app::Guarded(this, [this]() { m_shell.ShowAbout(); }));
    connect(cmdOK, &QPushButton::clicked, this, app::Guarded(this, [this]() { cmdOK_Click(); }));
    connect(cmdExamples, &QPushButton::clicked, this, app::Guarded(this, [this]() { m_shell.showExamples(this); }));
    // Enter presses the default button, "Compute solution"; F1 is Help and Ctrl+Q quits, as in
    // every window.
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* enter = new QShortcut(QKeySequence(key), this);
        connect(enter, &QShortcut::activated, cmdOK, &QPushButton::click);
    }
    app::StandardItems items;
    items.help = mnuHelp;
    app::GiveStandardKeys(this, items);
}

void FrmTask::cmdOK_Click()
{
    // The options stand in the order of the kinds (the first is checked from the start).
    ProblemKind chosen = kProblemKinds[0];
    for (size_t i = 0; i < OptTask.size(); ++i)
        if (OptTask[i]->isChecked()) {
            chosen = kProblemKinds[i];
            break;
        }
    m_shell.openKind(chosen);
}

void FrmTask::closeEvent(QCloseEvent* event)
{
    event->accept();
    m_shell.UnloadAllForms();
}

} // namespace ode::shell
