#pragma once
// The problem form of each kind, made for the shell that hosts it.

#include "common/ProblemKind.h"
#include "session/Demos.h"

#include <string>

class QWidget;

namespace ode::app {
class FormHost;
}

namespace ode::shell {

// A new form of `kind` (frmPldif ... frmSndif), not yet shown; the caller owns it.
QWidget* CreateProblemForm(ProblemKind kind, app::FormHost& host);

// Whether the problem form `form` may give way to another (it asks about unsaved changes).
bool FormMayGiveWay(QWidget* form);

// Opens the demo in the problem form `form`, as a problem with no file name yet, with the
// settings it opens with.
void OpenDemoInForm(QWidget* form, const Demo& demo);

} // namespace ode::shell
