// Cost of drawing the plot: a full redraw, and a navigation button from press to new picture.
#include "gui/forms/frmSingle.h"
#include "gui/plot/PlotRender.h"
#include "gui/plot/frmPTserN.h"
#include "gui/shell/Shell.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QWheelEvent>

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

// `curves` power series of `degree` about 0 that swing across the window: the Taylor series of
// sin((1 + j / 3) x), which the window [-5, 5] x [-3, 3] shows as steep waves of full height.
PlotSource waves(int curves, int degree)
{
    PlotSource s;
    s.kind = ode::SeriesKind::Power;
    for (int j = 0; j < curves; ++j) {
        s.coefOffset.push_back(static_cast<int>(s.coef.size()));
        s.varDegree.push_back(degree);
        const double w = 1.0 + j / 3.0;
        double c = 2.5; // 2.5 w^k / k!
        for (int k = 0; k <= degree; ++k) {
            s.coef.push_back(k % 2 == 1 ? ((k / 2) % 2 == 0 ? c : -c) : 0.0);
            c = c * w / (k + 1);
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

// The plot window's own picture (framed: numbers, titles, legend, smooth curves of width 1.5):
// width x height pixels, `curves` curves of `degree`.
void BM_FramedRedraw(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const PlotSource source = series(static_cast<int>(state.range(2)), static_cast<int>(state.range(3)));
    PlotSetupTexts texts;
    texts.windowlx = "-5";
    texts.windowgx = "5";
    texts.windowly = "-3";
    texts.windowgy = "3";
    texts.divx = texts.divy = "0.5";
    texts.grid = texts.labelDivisions = true;
    PlotPicture picture;
    picture.state = ReadPlotSetup(texts);
    picture.source = &source;
    picture.style = PlotStyle::Framed;
    for (auto _ : state) {
        QImage image = RenderPlotImage(width, height, picture);
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_FramedRedraw)
    ->Args({800, 600, 1, 23})
    ->Args({1920, 1080, 1, 200})
    ->Args({1920, 1080, 10, 200})
    ->Unit(benchmark::kMillisecond);

// The same picture with ten steep waves across the whole height, where stroking the wide smooth
// curves costs the most.
void BM_FramedWaves(benchmark::State& state)
{
    const PlotSource source = waves(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    PlotSetupTexts texts;
    texts.windowlx = "-5";
    texts.windowgx = "5";
    texts.windowly = "-3";
    texts.windowgy = "3";
    texts.divx = texts.divy = "0.5";
    texts.grid = texts.labelDivisions = true;
    PlotPicture picture;
    picture.state = ReadPlotSetup(texts);
    picture.source = &source;
    picture.style = PlotStyle::Framed;
    for (auto _ : state) {
        QImage image = RenderPlotImage(1920, 1080, picture);
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_FramedWaves)->Args({10, 200})->Unit(benchmark::kMillisecond);

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

// A wheel notch over the plot window at 1920 x 1080, from the event to the new picture: the
// boxes written, read back and the picture drawn again (one curve, degree 30).
void BM_WheelZoomReplot(benchmark::State& state)
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
    plot->resize(1920, 1080);
    QApplication::processEvents();
    const QPointF at = plot->Picture1->area().center();
    int notches = 1;
    for (auto _ : state) {
        QWheelEvent wheel(at, plot->Picture1->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(plot->Picture1, &wheel);
        QApplication::processEvents();
        notches = -notches; // in, out
    }
}
BENCHMARK(BM_WheelZoomReplot)->Unit(benchmark::kMillisecond);

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
