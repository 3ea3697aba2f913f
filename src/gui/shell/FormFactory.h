#pragma once
// The problem form of each kind, made for the shell that hosts it.

#include "common/ProblemKind.h"

class QWidget;

namespace ode::app {
class FormHost;
}

namespace ode::shell {

// A new form of `kind` (frmPldif ... frmSndif), not yet shown; the caller owns it.
QWidget* CreateProblemForm(ProblemKind kind, app::FormHost& host);

} // namespace ode::shell
