#pragma once
// The application shell: start-up with the decimal-separator guard, the task chooser, the
// problem form of the chosen kind, help and About, and the shutdown that closes every window
// and restores the separator.

#include "common/ProblemKind.h"
#include "gui/app/AppState.h"
#include "gui/app/FormHost.h"
#include "gui/shell/DecimalPoint.h"
#include "session/Demos.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

namespace ode::grids {
class FrmGridEditor;
}
namespace ode::plot {
class FrmPTserN;
}

namespace ode::shell {

class FrmTask;

class Shell : public QObject, public app::FormHost {
    Q_OBJECT
public:
    explicit Shell(std::unique_ptr<DecimalSeparatorSetting> setting = PlatformDecimalSetting());
    ~Shell() override;

    // Main: creates the chooser, runs the decimal-separator guard and shows the chooser.
    // False when the user refused the change: the program ends before any window shows.
    bool Main();

    // UnloadAllForms: restores the separator, closes every window and ends the event loop.
    void UnloadAllForms() override;

    // The chooser's choice: opens the form of `kind`, hides the chooser.
    void openKind(ProblemKind kind);

    void showHelp(QWidget* from) override;
    void ShowAbout() override;

    // The plot window, loaded on first touch (and again after it was closed).
    plot::FrmPTserN* plotWindow();
    app::PlotView& plotView() override;

    AppState& state() override { return m_state; }
    DecimalPoint& decimalPoint() { return m_decimal; }
    FrmTask* task() const { return m_task; }
    QWidget* CurrentForm() const { return m_current; }
    void renewForm(QWidget* form, ProblemKind kind) override;
    void showChooser(QWidget* form) override;
    void showExamples(QWidget* from) override;
    void openProblem(QWidget* form, const QString& name, bool ofFormKind) override;
    void changeHead(QWidget* form) override;
    QStringList recentFiles() const override;
    void rememberFile(const QString& name) override;
    // How many pairs the File menu's recent files keep.
    static constexpr int kRecentFiles = 8;
    // A demo chosen from the library: the form of its kind, in place of the current window
    // (the chooser, or a form that may give way), with the demo opened in it.
    void openDemo(const Demo& demo);
    // Where the demos library is (found from the program's folder unless set first).
    std::string demoFolder;
    std::string examplesFolder();
    grids::FrmGridEditor* conditionsEditor() const override { return m_bcs; }
    grids::FrmGridEditor* equationsEditor() const override { return m_equations; }
    bool ended() const { return m_ended; }

    // How the warning box is answered; by default the box is shown to the user.
    std::function<WarningAnswer()> askDecimal;

private:
    AppState m_state;
    std::unique_ptr<DecimalSeparatorSetting> m_setting;
    DecimalPoint m_decimal;
    FrmTask* m_task = nullptr;
    QPointer<QWidget> m_current;
    QPointer<plot::FrmPTserN> m_plot;
    grids::FrmGridEditor* m_bcs = nullptr;
    grids::FrmGridEditor* m_equations = nullptr;
    bool m_ended = false;
    // `form` becomes the current window, where the current one was; the one it replaces is
    // hidden (the chooser) or deleted (a problem form).
    void putInPlace(QWidget* form);
};

// The GUI's entry point: runs the shell until the last window closes.
int RunGui(int argc, char** argv);

} // namespace ode::shell

// The entry point the program looks up when it loads the window library.
extern "C" Q_DECL_EXPORT int odeseries_run_gui(int argc, char** argv);
