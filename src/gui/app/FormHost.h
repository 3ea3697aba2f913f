#pragma once
// What a problem form needs from the application around it: the shared state, the grid
// editors, the plot window, help, About and the shutdown. The shell implements it; a form
// knows only this interface, so the forms and the shell do not include each other.

#include "common/ProblemKind.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace ode {
struct AppState;
}
namespace ode::grids {
class FrmGridEditor;
}
namespace ode::plot {
struct PlotSource;
}

namespace ode::app {

// The plot window as the problem forms see it.
class PlotView {
public:
    virtual ~PlotView() = default;
    // Clears the picture; a new solution is on the way.
    virtual void ClearPlot() = 0;
    // The Plot button: `source` becomes the solution shown, the x-window boxes get the
    // form's interval texts (as numbers), and the plot command runs.
    virtual void showSolution(plot::PlotSource source, const QString& lowerText, const QString& upperText) = 0;
    // The window, to open beside the form that asks for it.
    virtual QWidget* plotWindowWidget() = 0;
};

class FormHost {
public:
    virtual ~FormHost() = default;
    virtual AppState& state() = 0;
    virtual grids::FrmGridEditor* conditionsEditor() const = 0;
    virtual grids::FrmGridEditor* equationsEditor() const = 0;
    // The plot window, loaded on first touch (and again after it was closed).
    virtual PlotView& plotView() = 0;
    virtual void showHelp(QWidget* from) = 0;
    virtual void ShowAbout() = 0;
    // Closes every window and ends the program.
    virtual void UnloadAllForms() = 0;
    // File > New: `form` gives way to a fresh form of the same kind at the same place.
    virtual void renewForm(QWidget* form, ProblemKind kind) = 0;
    // File > New problem...: `form` gives way to the chooser of the problem's kind.
    virtual void showChooser(QWidget* form) = 0;
    // File > Examples...: the demos library, beside `from`; a chosen demo opens in the form
    // of its kind, in place of the current one.
    virtual void showExamples(QWidget* from) = 0;
    // Opens the pair `name` from `form` (File > Open, a recent file, a dropped file). A form that
    // holds no problem yet opens it itself; otherwise, after the save question, a fresh form
    // takes the form's place and opens it. `ofFormKind`: the pair is meant for the form's kind
    // (File > Open says "Incompatible file" otherwise); else it opens in the form of its own
    // kind. A pair that cannot be opened is said in a box over `form`, and the problem in the
    // form stays.
    virtual void openProblem(QWidget* form, const QString& name, bool ofFormKind) = 0;
    // File > "Change Head...": `form`'s problem goes on in a fresh form of its kind, its head
    // open for change (FormFactory's CarryProblem).
    virtual void changeHead(QWidget* form) = 0;
    // The pairs opened or saved last, the newest first, kept in the user's settings.
    virtual QStringList recentFiles() const = 0;
    virtual void rememberFile(const QString& name) = 0;
};

} // namespace ode::app
