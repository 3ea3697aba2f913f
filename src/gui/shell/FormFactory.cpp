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

} // namespace ode::shell
