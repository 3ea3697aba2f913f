#include "gui/shell/FormFactory.h"

#include "gui/forms/frmSingle.h"
#include "gui/forms/frmSystem.h"

namespace ode::shell {

QWidget* CreateProblemForm(ProblemKind kind, app::FormHost& host)
{
    if (IsSystem(kind))
        return new forms::FrmSystem(IsNonlinear(kind), host);
    const SeriesKind series = IsPowerSeries(kind) ? SeriesKind::Power : SeriesKind::Trigonometric;
    return new forms::FrmSingle(series, IsNonlinear(kind), host);
}

bool FormMayGiveWay(QWidget* form)
{
    auto* problem = qobject_cast<forms::ProblemForm*>(form);
    return !problem || problem->changesMayGo();
}

void OpenDemoInForm(QWidget* form, const Demo& demo)
{
    if (auto* problem = qobject_cast<forms::ProblemForm*>(form))
        problem->openDemo(QString::fromStdString(demo.path), demo.start, demo.chebyshev, demo.autoDegree);
}

std::optional<ProblemKind> FormKind(QWidget* form)
{
    if (auto* problem = qobject_cast<forms::ProblemForm*>(form))
        return problem->problemKind();
    return std::nullopt;
}

bool FormHoldsNoProblem(QWidget* form)
{
    auto* problem = qobject_cast<forms::ProblemForm*>(form);
    return problem && problem->holdsNoProblem();
}

void CarryProblem(QWidget* from, QWidget* to)
{
    auto* old = qobject_cast<forms::ProblemForm*>(from);
    auto* fresh = qobject_cast<forms::ProblemForm*>(to);
    if (old && fresh)
        fresh->carryProblemFrom(*old);
}

bool OpenPairInForm(QWidget* form, const QString& name)
{
    auto* problem = qobject_cast<forms::ProblemForm*>(form);
    return problem && problem->openPair(name);
}

} // namespace ode::shell
