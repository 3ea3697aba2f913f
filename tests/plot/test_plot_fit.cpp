// The view a person steers: the fit, zoom about a point, panning, the frame's numbers, the axis
// titles and the readout of the curve under the mouse.
#include "plot/PlotFit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace ode::plot;
using Curves = std::vector<std::function<double(double)>>;
using Texts = std::vector<std::string>;
const double nan = std::numeric_limits<double>::quiet_NaN();

// The window's edges and divisions as the boxes show them.
Texts boxes(const PlotSetupTexts& t) { return {t.windowlx, t.windowgx, t.windowly, t.windowgy, t.divx, t.divy}; }

TEST(NiceStep, OneTwoOrFiveTimesAPowerOfTen)
{
    const struct {
        double rough, nice;
    } cases[] = {{0.7, 1},   {1, 1},      {1.2, 2}, {3, 5},  {7, 10}, {0.013, 0.02},
                 {250, 500}, {0.25, 0.5}, {0, 1},   {-1, 1}, {nan, 1}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(NiceStep(c.rough), c.nice) << c.rough;
}

// The fitted window of each set of curves: every curve inside it, and together across at least
// three quarters of its height (a constant excepted: it stands in the middle).
TEST(FitWindow, TheCurvesFillMostOfTheHeight)
{
    const struct {
        const char* name;
        Curves curves;
        double xlower, xupper;
        double ymin, ymax, divx, divy;
    } cases[] = {
        // clang-format off
        {"sine", {[](double x) { return std::sin(x); }}, 0, 6, -1.25, 1.25, 1, 0.5},
        {"exponential", {[](double x) { return std::exp(x); }}, -2, 2, -0.5, 8, 0.5, 1},
        {"constant", {[](double) { return 3.0; }}, -1, 1, 1.5, 4.5, 0.5, 0.5},
        {"zero", {[](double) { return 0.0; }}, 0, 10, -1, 1, 2, 0.5},
        {"half undefined", {[](double x) { return x < 0 ? nan : x; }}, -1, 1, -0.1, 1.1, 0.5, 0.2},
        {"two curves", {[](double x) { return std::sin(x); }, [](double x) { return 2 * std::cos(x); }},
         0, 3, -2.5, 2.5, 0.5, 1},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto w = FitWindow(c.curves, c.xlower, c.xupper);
        ASSERT_TRUE(w);
        EXPECT_DOUBLE_EQ(w->xmin, c.xlower);
        EXPECT_DOUBLE_EQ(w->xmax, c.xupper);
        EXPECT_NEAR(w->ymin, c.ymin, 1e-12);
        EXPECT_NEAR(w->ymax, c.ymax, 1e-12);
        EXPECT_DOUBLE_EQ(w->divx, c.divx);
        EXPECT_DOUBLE_EQ(w->divy, c.divy);
        double low = HUGE_VAL, high = -HUGE_VAL;
        for (const auto& f : c.curves) {
            for (int i = 0; i <= 100; ++i) {
                const double y = f(c.xlower + (c.xupper - c.xlower) * i / 100);
                if (std::isfinite(y)) {
                    low = std::min(low, y);
                    high = std::max(high, y);
                }
            }
        }
        EXPECT_GT(low, w->ymin);
        EXPECT_LT(high, w->ymax);
        if (high > low) {
            EXPECT_GE((high - low) / (w->ymax - w->ymin), 0.75);
        }
    }
}

TEST(FitWindow, NothingToFitGivesNoWindow)
{
    EXPECT_FALSE(FitWindow({[](double) { return nan; }}, 0, 1));
    EXPECT_FALSE(FitWindow({[](double) { return HUGE_VAL; }}, 0, 1));
    EXPECT_FALSE(FitWindow({[](double x) { return x; }}, 1, 1));
    EXPECT_FALSE(FitWindow({[](double x) { return x; }}, 2, 1));
    EXPECT_FALSE(FitWindow({}, 0, 1));
}

TEST(FitWindow, TheBoxesShowTheFittedNumbers)
{
    PlotSetupTexts t;
    ShowFitted(FittedWindow{0, 6, -1.25, 1.25, 1, 0.5}, t);
    EXPECT_EQ(boxes(t), Texts({" 0", " 6", "-1.25", " 1.25", " 1", " .5"}));
}

TEST(FitSource, FitsTheDerivativeDrawn)
{
    // y = 1 + x + x^2/2 on [-1, 1]; its second derivative is the constant 1.
    PlotSource s;
    s.coef = {1, 1, 0.5};
    s.varDegree = {2};
    s.coefOffset = {0};
    s.xlower = -1;
    s.xupper = 1;
    const auto value = FitSource(s, 0);
    ASSERT_TRUE(value);
    EXPECT_NEAR(value->ymin, 0.25, 1e-12);
    EXPECT_NEAR(value->ymax, 2.75, 1e-12);
    const auto second = FitSource(s, 2);
    ASSERT_TRUE(second);
    EXPECT_NEAR(second->ymin, 0.5, 1e-12);
    EXPECT_NEAR(second->ymax, 1.5, 1e-12);
}

TEST(ZoomAndPan, ThePointUnderTheMouseStays)
{
    PlotSetupTexts start;
    start.windowlx = "-4";
    start.windowgx = "4";
    start.windowly = "-2";
    start.windowgy = "6";
    const PlotState shown = ReadPlotSetup(start);
    const struct {
        double x, y, factor;
        const char *lx, *gx, *ly, *gy, *divx, *divy;
    } cases[] = {
        {2, 2, 0.5, "-1", " 3", " 0", " 4", " 1", " 1"},                // closer: the divisions still fit
        {0, 2, 0.01, "-.04", " .04", " 1.96", " 2.04", " .01", " .01"}, // much closer: finer divisions
        {0, 2, 2, "-8", " 8", "-6", " 10", " 1", " 1"},                 // farther
        {0, 2, 100, "-400", " 400", "-398", " 402", " 100", " 100"},    // much farther: coarser divisions
    };
    for (const auto& c : cases) {
        PlotSetupTexts t = start;
        ZoomAbout(shown, c.x, c.y, c.factor, t);
        EXPECT_EQ(boxes(t), Texts({c.lx, c.gx, c.ly, c.gy, c.divx, c.divy})) << c.factor;
    }
    PlotSetupTexts t = start;
    PanBy(shown, 1.5, -2, t);
    EXPECT_EQ(boxes(t), Texts({"-2.5", " 5.5", "-4", " 4", "1", start.divy})) << "a pan keeps the divisions";
}

TEST(AxisTitles, TheVariablesAndTheDerivativeDrawn)
{
    PlotSource single;
    single.varDegree = {3};
    single.depVarNames = {"y"};
    single.indepVarName = "t";
    PlotSource system = single;
    system.varDegree = {3, 3};
    system.depVarNames = {"prey", "predator"};
    PlotSource many = single;
    many.varDegree.assign(8, 1);
    many.depVarNames = {"alpha", "beta", "gamma", "delta", "epsilon", "zeta", "eta", "theta"};
    const struct {
        const PlotSource* source;
        int derOrder;
        const char *x, *y;
    } cases[] = {
        {&single, 0, "t", "y"},
        {&single, 2, "t", "y''"},
        {&single, 4, "t", "y^(4)"},
        {&system, 0, "t", "prey, predator"},
        {&system, 1, "t", "prey', predator'"},
        {&many, 0, "t", "value"},
        {&many, 3, "t", "derivative 3"},
    };
    for (const auto& c : cases) {
        const AxisTitles titles = TitlesOf(*c.source, c.derOrder);
        EXPECT_EQ(titles.x, c.x);
        EXPECT_EQ(titles.y, c.y);
    }
}

std::string joined(const std::vector<FrameNumber>& numbers)
{
    std::string out;
    for (const FrameNumber& n : numbers)
        out += (out.empty() ? "" : " ") + n.text;
    return out;
}

TEST(FrameNumbers, EveryKthDivisionWithTheDecimalsItNeeds)
{
    const struct {
        double low, high, origin, division, pixelsPerUnit, minGap;
        const char* numbers;
    } cases[] = {
        {-1.25, 1.25, 0, 0.5, 100, 20, "-1.0 -0.5 0.0 0.5 1.0"}, // 50 pixels apart
        {-1.25, 1.25, 0, 0.5, 100, 60, "-1 0 1"},                // every second
        {-1.25, 1.25, 0, 0.5, 100, 120, "0.0"},                  // every third: 1.5 apart
        {0, 3, 0.25, 1, 50, 20, "0.25 1.25 2.25"},               // from an origin off the divisions
        {-2, 8, 0, 1, 1, 20, "0"},                               // a division a pixel: every twentieth
        {1e8, 5e8, 0, 1e8, 1e-6, 20, "1e+08 2e+08 3e+08 4e+08 5e+08"},
        {0, 1, 0, 0, 100, 20, ""}, // no divisions
        {1, 0, 0, 1, 100, 20, ""}, // no range
    };
    for (const auto& c : cases)
        EXPECT_EQ(joined(FrameNumbers(c.low, c.high, c.origin, c.division, c.pixelsPerUnit, c.minGap)), c.numbers)
            << c.low << " " << c.high << " " << c.division;
    EXPECT_EQ(FrameNumberText(-0.0001, 2), "0.00");
    EXPECT_EQ(FrameNumberText(-2.5, 1), "-2.5");
}

TEST(Readout, TheNearestCurveWithinAFewPixels)
{
    PlotSource s;
    s.coef = {0, 1, 0, -1}; // y = x, v = -x
    s.varDegree = {1, 1};
    s.coefOffset = {0, 2};
    s.depVarNames = {"u", "v"};
    const Curves curves = {s.curveFunction(0, 0), s.curveFunction(1, 0)};
    const struct {
        double x, y;
        int curve; // -1: none near
        const char* text;
    } cases[] = {
        {1.5, 1.52, 0, "x = 1.5   y = 1.52   u(1.5) = 1.5"},
        {1.5, -1.45, 1, "x = 1.5   y = -1.45   v(1.5) = -1.5"},
        {1.5, 0.5, -1, "x = 1.5   y = 0.5"},
        {0, 0.03, 1, "x = 0   y = 0.03   v(0) = 0"}, // both as near: the later one
    };
    for (const auto& c : cases) {
        const auto near = NearestCurve(curves, c.x, c.y, 0.01, 6);
        EXPECT_EQ(near ? near->curve : -1, c.curve) << c.text;
        EXPECT_EQ(PointReadout(s, 0, c.x, c.y, near), c.text);
    }
    EXPECT_EQ(PointReadout(s, 2, 1, 2, CurveReading{0, 0}), "x = 1   y = 2   u''(1) = 0");
}

} // namespace
