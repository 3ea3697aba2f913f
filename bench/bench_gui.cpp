// The windows' response times, measured by driving the widgets offscreen.
#include "gui/forms/frmSingle.h"
#include "gui/shell/Shell.h"
#include "gui/shell/frmTask.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

class PointSetting : public ode::shell::DecimalSeparatorSetting {
public:
    std::string read() override { return "."; }
    void write(const std::string&) override {}
};

// Start-up in process: the shell, the guard, the chooser shown and painted.
void BM_StartupToShownChooser(benchmark::State& state)
{
    for (auto _ : state) {
        ode::shell::Shell shell(std::make_unique<PointSetting>());
        shell.Main();
        QApplication::processEvents();
        benchmark::DoNotOptimize(shell.task()->isVisible());
    }
}
BENCHMARK(BM_StartupToShownChooser)->Unit(benchmark::kMillisecond);

// The whole program: process start, window library loaded, chooser shown, closed at once.
void BM_ProgramStartAndClose(benchmark::State& state)
{
    const char* exe = ODESERIES_EXECUTABLE;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("ODESERIES_AUTOCLOSE_MS", "0", 1);
    for (auto _ : state) {
        pid_t pid;
        char* argv[] = {const_cast<char*>(exe), nullptr};
        if (posix_spawn(&pid, exe, nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("cannot start odeseries");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
    }
    unsetenv("ODESERIES_AUTOCLOSE_MS");
}
BENCHMARK(BM_ProgramStartAndClose)->Unit(benchmark::kMillisecond)->UseRealTime();

// Opening a problem form from the chooser (Compute solution).
void BM_OpenLinearForm(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto shell = std::make_unique<ode::shell::Shell>(std::make_unique<PointSetting>());
        shell->Main();
        QApplication::processEvents();
        state.ResumeTiming();
        shell->task()->cmdOK->click();
        QApplication::processEvents();
        benchmark::DoNotOptimize(shell->CurrentForm()->isVisible());
        state.PauseTiming();
        shell.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenLinearForm)->Unit(benchmark::kMillisecond);

// Solve of the default problem, from the click to the filled and painted lists.
void BM_SolveClickToFilledLists(benchmark::State& state)
{
    ode::shell::Shell shell(std::make_unique<PointSetting>());
    shell.Main();
    shell.openKind(ode::ProblemKind::LinearPower);
    auto* form = static_cast<ode::forms::FrmSingle*>(shell.CurrentForm());
    form->activateWindow();
    QApplication::setActiveWindow(form);
    QApplication::processEvents();
    form->txtOrder->setFocus();
    form->txtIndepVarNam->setFocus(); // leaving the order builds the conditions
    if (form->txtBC.size() < 3) {
        state.SkipWithError("the conditions were not built");
        return;
    }
    form->txtBC[2]->setText("y=0");
    form->txtXeval[2]->setText("1");
    QApplication::processEvents();
    for (auto _ : state) {
        form->cmdSolve->click();
        QApplication::processEvents();
        if (form->lstCoeff->count() != 25)
            state.SkipWithError("the lists were not filled");
    }
}
BENCHMARK(BM_SolveClickToFilledLists)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
