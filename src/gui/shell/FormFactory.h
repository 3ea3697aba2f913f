#pragma once
// The problem form of each kind, made for the shell that hosts it.

#include "common/ProblemKind.h"
#include "session/Demos.h"

#include <QString>

#include <optional>
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

// The kind of the problem form `form`; none for another window.
std::optional<ProblemKind> FormKind(QWidget* form);
// True when `form` holds no problem yet: its head is still open and nothing was typed.
bool FormHoldsNoProblem(QWidget* form);
// The problem of `from` into the fresh form `to` of the same kind, its head open for change
// (ProblemForm::carryProblemFrom).
void CarryProblem(QWidget* from, QWidget* to);
// Opens the pair `name` in the problem form `form` (File > Open's reading); false when it did
// not open (the form said why).
bool OpenPairInForm(QWidget* form, const QString& name);

} // namespace ode::shell
