// Cost of drawing the plot: a full redraw, and a navigation button from press to new picture.
#include "gui/forms/frmSingle.h"
#include "gui/plot/PlotRender.h"
#include "gui/plot/frmPTserN.h"
#include "gui/shell/Shell.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

using namespace ode::plot;

// `curves` power series of `degree`, coefficients decaying like 1/k!, about 0.
PlotSource series(int curves, int degree)
{
    PlotSource s;
    s.kind = ode::SeriesKind::Power;
    for (int j = 0; j < curves; ++j) {
        s.coefOffset.push_back(static_cast<int>(s.coef.size()));
        s.varDegree.push_back(degree);
        double c = 1.0 + j;
        for (int k = 0; k <= degree; ++k) {
            s.coef.push_back(c);
            c = -c / (k + 1);
        }
        s.depVarNames.push_back("y" + std::to_string(j));
    }
    return s;
}

void BM_FullRedraw800x600(benchmark::State& state)
{
    const PlotSource source = series(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    PlotSetupTexts texts;
    texts.windowlx = "-5";
    texts.windowgx = "5";
    texts.windowly = "-3";
    texts.windowgy = "3";
    texts.labelDivisions = texts.labelWindow = true;
    PlotPicture picture;
    picture.state = ReadPlotSetup(texts);
    picture.source = &source;
    for (auto _ : state) {
        QImage image = RenderPlotImage(800, 600, picture);
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_FullRedraw800x600)->Args({1, 23})->Args({10, 200})->Unit(benchmark::kMillisecond);

class PointSetting : public ode::shell::DecimalSeparatorSetting {
public:
    std::string read() override { return "."; }
    void write(const std::string&) override {}
};

// A zoom button from the click to the new picture shown, on the linear form's default problem.
void BM_NavigationButtonReplot(benchmark::State& state)
{
    ode::shell::Shell shell(std::make_unique<PointSetting>());
    shell.Main();
    shell.openKind(ode::ProblemKind::LinearPower);
    auto* form = static_cast<ode::forms::FrmSingle*>(shell.CurrentForm());
    form->txtOrder->setText("1");
    form->txtEquation->setText("y'-y=0");
    form->txtBC[1]->setText("y=1");
    form->txtXlower->setText("-2");
    form->txtXupper->setText("2");
    form->cmdSolve->click();
    form->cmdPlot->click();
    auto* plot = shell.plotWindow();
    QApplication::processEvents();
    int code = 5;
    for (auto _ : state) {
        plot->windowButtons[code]->click();
        QApplication::processEvents();
        code = code == 5 ? 0 : 5; // zoom in, zoom out
    }
}
BENCHMARK(BM_NavigationButtonReplot)->Unit(benchmark::kMillisecond);

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
