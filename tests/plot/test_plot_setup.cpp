#include "common/NumberFormat.h"
#include "plot/CoefficientDecay.h"
#include "plot/PlotGeometry.h"
#include "plot/PlotSetup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace ode::plot;

PlotSetupTexts window(const char* lx, const char* gx, const char* ly, const char* gy)
{
    PlotSetupTexts t;
    t.windowlx = lx;
    t.windowgx = gx;
    t.windowly = ly;
    t.windowgy = gy;
    return t;
}

// The window's four edges as the boxes show them.
std::vector<std::string> edges(const PlotSetupTexts& t) { return {t.windowlx, t.windowgx, t.windowly, t.windowgy}; }
using Texts = std::vector<std::string>;

// The power series of the coefficients given about `center`.
ode::SeriesView powerSeries(const std::vector<double>& coef, double center = 0)
{
    ode::SeriesView v;
    v.coef = coef.data();
    v.degree = static_cast<int>(coef.size()) - 1;
    v.center = center;
    return v;
}

// Each of the fourteen buttons from the window [-4, 4] x [-2, 6]; then zooming in and out, and
// widening and narrowing, come back to the window (the widths to rounding).
TEST(ChangeWindow, MovesTheEdgesAsTheButtonSaysAndZoomsBack)
{
    const struct {
        int code;
        const char *lx, *gx, *ly, *gy;
    } cases[] = {{0, "-8", " 8", "-6", " 10"}, {1, " 0", " 4", " 2", " 6"},
                 {2, "-4", " 0", " 2", " 6"},  {3, "-4", " 0", "-2", " 2"},
                 {4, " 0", " 4", "-2", " 2"},  {5, "-2", " 2", " 0", " 4"},
                 {6, "-2", " 6", "-2", " 6"},  {7, "-4", " 4", " 0", " 8"},
                 {8, "-6", " 2", "-2", " 6"},  {9, "-4", " 4", "-4", " 4"},
                 {10, "-6", " 6", "-2", " 6"}, {11, "-2.666667", " 2.666667", "-2", " 6"},
                 {12, "-4", " 4", "-4", " 8"}, {13, "-4", " 4", "-.666667", " 4.666667"}};
    for (const auto& c : cases) {
        PlotSetupTexts t = window("-4", "4", "-2", "6");
        ChangeWindow(c.code, t);
        EXPECT_EQ(edges(t), Texts({c.lx, c.gx, c.ly, c.gy})) << "code " << c.code;
    }
    PlotSetupTexts t = window("-5.5", "3.25", "-1", "7");
    ChangeWindow(5, t);
    ChangeWindow(0, t);
    EXPECT_EQ(std::vector<double>({ode::ParseNumber(t.windowlx), ode::ParseNumber(t.windowgx),
                                   ode::ParseNumber(t.windowly), ode::ParseNumber(t.windowgy)}),
              std::vector<double>({-5.5, 3.25, -1, 7}));
    ChangeWindow(10, t);
    ChangeWindow(11, t);
    EXPECT_NEAR(ode::ParseNumber(t.windowlx), -5.5, 1e-5);
    EXPECT_NEAR(ode::ParseNumber(t.windowgx), 3.25, 1e-5);
}

TEST(ClickAndTooltip, TheClickedPointBecomesTheCentre)
{
    PlotState shown = ReadPlotSetup(window("-4", "4", "-2", "6"));
    PlotSetupTexts t;
    CenterWindowOn(1.5f, -2, shown, t);
    EXPECT_EQ(edges(t), Texts({"-2.5", " 5.5", "-6", " 2"}));
    CenterWindowOn(0, 2, shown, t);
    EXPECT_EQ(ReadPlotSetup(t).PlotXmin, shown.PlotXmin) << "a click on the centre keeps the window";
    EXPECT_EQ(ReadPlotSetup(t).PlotYmax, shown.PlotYmax);
    EXPECT_EQ(CoordinateTip(1.5f, -2), "( 1.5, -2): Click to center graph here");
    EXPECT_EQ(CoordinateTip(0.1f, 0), "( .1,  0): Click to center graph here");
}

TEST(SetupBoxes, ChecksAndDerivativeOrders)
{
    for (const char* good : {"1", "80", "7", " 3 "})
        EXPECT_TRUE(CheckPlotStep(good)) << good;
    for (const char* bad : {"0", "81", "2.5", "x", "-1"})
        EXPECT_FALSE(CheckPlotStep(bad)) << bad;
    EXPECT_TRUE(CheckDivision("0.5"));
    EXPECT_FALSE(CheckDivision("0"));
    EXPECT_FALSE(CheckDivision("abc"));
    EXPECT_EQ(DerivativeOrderOf("Function"), 0);
    EXPECT_EQ(DerivativeOrderOf("3rd.derivative"), 3);
    EXPECT_EQ(DerivativeOrderOf(kDerivativeItems[9]), 9);
    PlotState s = ReadPlotSetup(window("-1", "1", "-2", "2"));
    s.PlotStep = 3;
    s.ShowGrid = true;
    PlotSetupTexts back = SetupTextsFrom(s);
    EXPECT_EQ(back.windowlx, "-1");
    EXPECT_EQ(back.plotStep, " 3");
    EXPECT_TRUE(back.grid);
}

TEST(DivisionNumbers, FollowTheFormatOfTheDivisionBox)
{
    EXPECT_EQ(DivisionFormat("0.25"), "######.00");
    EXPECT_EQ(DivisionFormat(" 2 "), "######");
    EXPECT_EQ(DivisionFormat(".5"), "######.0");
    EXPECT_EQ(FormatDivision(0.5, "######.0"), ".5");
    EXPECT_EQ(FormatDivision(2, "######.00"), "2.00");
    EXPECT_EQ(FormatDivision(12.345, "######.00"), "12.35");
    EXPECT_EQ(FormatDivision(-1.5, "######.0"), "-1.5");
    EXPECT_EQ(FormatDivision(3, "######"), "3");
    EXPECT_EQ(FormatDivision(-7, "######"), "-7");
    EXPECT_EQ(FormatDivision(0.05, "######.00"), ".05");
}

PlotScale scaleOf(const PlotState& s, int w = 400, int h = 300)
{
    PlotScale scale;
    EXPECT_FALSE(ComputeScale(s, w, h, scale));
    return scale;
}

TEST(Geometry, EmptyOrReversedWindowsAreRefused)
{
    PlotScale scale;
    EXPECT_TRUE(ComputeScale(ReadPlotSetup(window("1", "1", "-1", "1")), 400, 300, scale));
    EXPECT_TRUE(ComputeScale(ReadPlotSetup(window("-1", "1", "2", "1")), 400, 300, scale));
    EXPECT_TRUE(ComputeScale(ReadPlotSetup(window("-1E39", "1E39", "-1", "1")), 400, 300, scale));
    EXPECT_FALSE(ComputeScale(ReadPlotSetup(window("-1", "1", "-1", "1")), 400, 300, scale));
}

TEST(Geometry, TicksAtEachDivisionAndOnePixelApartAtLeast)
{
    PlotState s = ReadPlotSetup(window("-4", "4", "-3", "3"));
    const PlotScale scale = scaleOf(s);
    // x: -4 ... 4 (AxisX0 visited by both runs: 9 + 1), y: -3 ... 3 (7 + 1).
    EXPECT_EQ(TickSegments(s, scale).size(), 18u);
    s.DivX = 0.001f; // far below a pixel (0.02): ticks one pixel apart
    const auto dense = TickSegments(s, scaleOf(s));
    EXPECT_NEAR(static_cast<double>(dense.size()), 400 + 2 + 8, 3);
    // Without the grid, ticks are a twentieth of the window centred on the axis.
    const std::vector<Segment> ticks = TickSegments(ReadPlotSetup(window("-4", "4", "-3", "3")), scale);
    const Segment& first = ticks[0];
    EXPECT_DOUBLE_EQ(first.y2 - first.y1, 6.0 / 20);
    EXPECT_DOUBLE_EQ(first.y1, -6.0 / 40);
    // An axis far outside the window does not make the runs endless.
    s = ReadPlotSetup(window("0", "1", "0", "1"));
    s.AxisX0 = -1e6f;
    s.DivX = 0.001f;
    EXPECT_LT(TickSegments(s, scaleOf(s)).size(), 2000u);
}

TEST(Geometry, DivisionLabelsEveryKthAndFormatted)
{
    PlotState s = ReadPlotSetup(window("-4", "4", "-3", "3"));
    s.LabelDivisionsFlag = true;
    const PlotScale scale = scaleOf(s);
    auto labels = DivisionLabels(s, scale, "1", "0.5");
    // y: 1 2 3 above, -1 -2 -3 below; x: 1 ... 4 and -1 ... -4.
    ASSERT_EQ(labels.size(), 14u);
    EXPECT_EQ(labels[0].text, "1.0");
    EXPECT_FALSE(labels[0].turned);
    EXPECT_DOUBLE_EQ(labels[0].x, 5 * 1.5 * scale.unitsPerPixelX);
    EXPECT_EQ(labels[3].text, "-1.0");
    EXPECT_DOUBLE_EQ(labels[3].x, -(4 + 1.5) * 5 * scale.unitsPerPixelX);
    EXPECT_EQ(labels[6].text, "1");
    EXPECT_TRUE(labels[6].turned);
    // Divisions smaller than a pixel: spacing at the rounded multiple of the division, and
    // only every k-th labelled so that numbers stand at least 7 pixels apart.
    s.DivY = 0.001f;
    const auto fine = DivisionLabels(s, scale, "1", "0.001");
    std::vector<double> ys;
    for (const Label& l : fine)
        if (!l.turned && l.x > 0)
            ys.push_back(l.y);
    ASSERT_GT(ys.size(), 10u);
    for (size_t i = 1; i < ys.size(); ++i)
        EXPECT_GE(ys[i] - ys[i - 1], 7 * scale.unitsPerPixelY * 0.999) << i;
    EXPECT_LE(ys[1] - ys[0], 9 * scale.unitsPerPixelY) << "but not much farther";
    EXPECT_EQ(fine[0].text, ".020") << "the first labelled division, at 20 times the division size";
}

TEST(Geometry, WindowLabelsSitInsideTheEdges)
{
    PlotState s = ReadPlotSetup(window("-4", "4", "-3", "3"));
    const PlotScale scale = scaleOf(s);
    const auto labels = WindowLabels(s, scale);
    ASSERT_EQ(labels.size(), 4u);
    EXPECT_EQ(labels[0].text, "-3");
    EXPECT_DOUBLE_EQ(labels[0].y, -3 + 21 * scale.unitsPerPixelY);
    EXPECT_DOUBLE_EQ(labels[0].x, -(1.0 + 0.5) * 16 * scale.unitsPerPixelX);
    EXPECT_EQ(labels[1].text, " 3");
    EXPECT_TRUE(labels[2].turned);
    EXPECT_DOUBLE_EQ(labels[2].x, -4 + 22 * scale.unitsPerPixelX);
    EXPECT_DOUBLE_EQ(labels[3].x, 4 + 4 * scale.unitsPerPixelX);
}

TEST(Curves, BadPointsBreakTheCurveAndSegmentsAboveAreSkipped)
{
    // 1 + x + ... + x^600 overflows the double range beyond x = 3.26.
    std::vector<double> c(601, 1.0);
    ode::SeriesView v = powerSeries(c);
    PlotState s = ReadPlotSetup(window("0", "4", "-1", "10"));
    const PlotScale scale = scaleOf(s, 400, 300);
    const CurvePath path = SampleCurve(v, 0, s, scale);
    EXPECT_GT(path.badPoints, 0) << "values beyond the double range break the curve";
    EXPECT_EQ(path.points.size(), 1u) << "no good point follows the overflow here";
    for (const Segment& seg : path.segments)
        EXPECT_FALSE(seg.y1 > 10 && seg.y2 > 10) << "both ends above the window: not drawn";

    // A constant above the window: only the start point, no segment.
    std::vector<double> high = {20};
    v = powerSeries(high);
    const CurvePath above = SampleCurve(v, 0, s, scale);
    EXPECT_EQ(above.points.size(), 1u);
    EXPECT_TRUE(above.segments.empty());

    // A line: one start point, then a segment for every step up to the right edge.
    std::vector<double> line = {0, 1};
    v = powerSeries(line);
    const CurvePath straight = SampleCurve(v, 0, s, scale);
    EXPECT_EQ(straight.points.size(), 1u);
    EXPECT_NEAR(static_cast<double>(straight.segments.size()), 400, 1);
    s.PlotStep = 10;
    EXPECT_NEAR(static_cast<double>(SampleCurve(v, 0, s, scaleOf(s, 400, 300)).segments.size()), 40, 1);

    // A trigonometric curve finite everywhere: no break, so a single start point.
    v.kind = ode::SeriesKind::Trigonometric;
    v.period = ode::TwoPi();
    s = ReadPlotSetup(window("-3", "3", "-2", "2"));
    const CurvePath trig = SampleCurve(v, 0, s, scaleOf(s));
    EXPECT_EQ(trig.badPoints, 0);
    EXPECT_EQ(trig.points.size(), 1u);
    EXPECT_EQ(CurveColour(1).b, 255);
    EXPECT_EQ(CurveColour(9).r, 0);
}

TEST(Curves, TheAccurateSolutionIsDrawnFromItsChebyshevCoefficients)
{
    // y = T3(s) on [1, 3] (s = x - 2): 4s^3 - 3s. Its power series about 2 stands beside it
    // in coef; curve 0 follows the Chebyshev coefficients, any other curve its series.
    PlotSource src;
    src.xlower = 1;
    src.xupper = 3;
    src.xcenter = 2;
    src.coef = {0, -3, 0, 4, 7};
    src.varDegree = {3, 0};
    src.coefOffset = {0, 4};
    src.chebyshev = {0, 0, 0, 1};
    for (double x : {1.0, 1.3, 2.0, 2.71, 3.0}) {
        const double t = x - 2;
        EXPECT_NEAR(src.curveFunction(0, 0)(x), 4 * t * t * t - 3 * t, 1e-14) << x;
        EXPECT_NEAR(src.curveFunction(0, 1)(x), 12 * t * t - 3, 1e-13) << x;
        EXPECT_NEAR(src.curveFunction(0, 2)(x), 24 * t, 1e-13) << x;
        EXPECT_EQ(src.curveFunction(0, 4)(x), 0.0) << x;
        EXPECT_EQ(src.curveFunction(1, 0)(x), 7.0) << "the second curve keeps its series";
    }
    // Without Chebyshev coefficients curve 0 is its series, bit for bit.
    src.chebyshev.clear();
    src.coef[0] = 0.1;
    EXPECT_EQ(src.curveFunction(0, 1)(1.3), ode::SeriesDerivative(src.curve(0), 1, 1.3));
}

// The same value bit for bit, NaN matching NaN.
bool sameBits(double a, double b)
{
    return a == b ? std::signbit(a) == std::signbit(b) : std::isnan(a) && std::isnan(b);
}

// Power series of several degrees (past 170!, where the factorials end) about several centres,
// with mixed signs, zeros and decay, evaluated at many points in one call against the one-point
// evaluator, bit for bit.
TEST(Curves, PowerSeriesValuesMatchOneAtATimeBitForBit)
{
    const struct {
        int degree, derOrder;
        double center;
    } cases[] = {{0, 0, 0},    {0, 1, 0},  {1, 1, 0.5}, {2, 2, -1},    {2, 3, 0},   {7, 0, 0.25},  {23, 1, 0},
                 {23, 2, 1.5}, {23, 5, 0}, {170, 9, 0}, {171, 3, 0.1}, {200, 0, 0}, {200, 4, -0.3}};
    // 37 points: not a whole number of the evaluator's runs; the edges of the double range too.
    std::vector<double> xs;
    for (int i = 0; i < 33; ++i)
        xs.push_back(-2.5 + 0.153 * i);
    for (double x : {1e6, -1e300, std::numeric_limits<double>::infinity(), std::nan("")})
        xs.push_back(x);
    const int n = static_cast<int>(xs.size());
    for (const auto& c : cases) {
        SCOPED_TRACE("degree " + std::to_string(c.degree) + ", derivative " + std::to_string(c.derOrder) + ", centre " +
                     std::to_string(c.center));
        std::vector<double> coef;
        double v = 1.7;
        for (int k = 0; k <= c.degree; ++k) {
            coef.push_back(k % 5 == 3 ? 0.0 : v);
            v = -v * 1.3 / (k + 1);
        }
        const ode::SeriesView series = powerSeries(coef, c.center);
        std::vector<double> ys(xs.size(), -7.0);
        PowerSeriesValues(series, c.derOrder, xs.data(), ys.data(), n);
        for (int i = 0; i < n; ++i)
            EXPECT_TRUE(sameBits(ys[i], ode::SeriesDerivative(series, c.derOrder, xs[i])))
                << "x = " << xs[i] << ": " << ys[i] << " against " << ode::SeriesDerivative(series, c.derOrder, xs[i]);
        // Fewer points than a run, and none.
        PowerSeriesValues(series, c.derOrder, xs.data() + 5, ys.data(), 3);
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(sameBits(ys[i], ode::SeriesDerivative(series, c.derOrder, xs[5 + i])));
        ys.assign(1, -7.0);
        PowerSeriesValues(series, c.derOrder, xs.data(), ys.data(), 0);
        EXPECT_EQ(ys[0], -7.0);
    }
}

// Every source's curves in one call against the one-point functions: the series, the
// trigonometric series and the accurate method's Chebyshev coefficients.
TEST(Curves, EverySourceGivesTheSameValuesInOneCall)
{
    PlotSource power;
    power.xcenter = 0.5;
    power.coef = {1, -2, 0.5, 0, 0.25, 3, -1, 0.125, 2};
    power.varDegree = {8, 3};
    power.coefOffset = {0, 5};
    PlotSource trig = power;
    trig.kind = ode::SeriesKind::Trigonometric;
    trig.period = 3;
    trig.seriesDegree = 8;
    PlotSource chebyshev = power;
    chebyshev.xlower = -1;
    chebyshev.xupper = 2;
    chebyshev.chebyshev = {0.5, 1, -0.25, 0.125, 0.0625, 2, 1, -1, 0.5};
    std::vector<double> xs;
    for (int i = 0; i < 21; ++i)
        xs.push_back(-1.2 + 0.17 * i);
    std::vector<double> ys(xs.size());
    for (const PlotSource* src : {&power, &trig, &chebyshev})
        for (int j = 0; j <= src->lastVar(); ++j)
            for (int d : {0, 1, 2, 3, 6}) {
                src->curveValues(j, d)(xs.data(), ys.data(), static_cast<int>(xs.size()));
                const auto one = src->curveFunction(j, d);
                for (size_t i = 0; i < xs.size(); ++i)
                    EXPECT_TRUE(sameBits(ys[i], one(xs[i])))
                        << "kind " << static_cast<int>(src->kind) << (src->chebyshev.empty() ? "" : " (Chebyshev)")
                        << ", curve " << j << ", derivative " << d << ", x = " << xs[i];
            }
}

// The sampler asks for the values of the points ahead in one call: each segment still joins
// two of the curve's points one step apart, a value that is not a number still breaks the curve
// there, and no value is asked for twice.
TEST(Curves, ValuesAskedForAheadLandOnTheirPoints)
{
    PlotState s = ReadPlotSetup(window("-3", "3", "-3", "3"));
    for (int step : {1, 3, 80}) {
        s.PlotStep = static_cast<float>(step);
        const PlotScale scale = scaleOf(s, 1000, 300);
        // 2 sin 3x, not a number on (-1.1, -0.6) and on (2.05, 2.2).
        auto f = [](double x) {
            return (x > -1.1 && x < -0.6) || (x > 2.05 && x < 2.2) ? std::nan("") : 2 * std::sin(3 * x);
        };
        std::vector<double> asked;
        int calls = 0;
        const CurvePath path = SampleCurve(
            [&](const double* xs, double* ys, int n) {
                ++calls;
                for (int i = 0; i < n; ++i) {
                    asked.push_back(xs[i]);
                    ys[i] = f(xs[i]);
                }
            },
            s, scale);
        // The points one by one, as the sampler walks them: x grows by the step from the left edge.
        std::vector<double> walk;
        int bad = 0, starts = 0;
        bool inGap = true;
        for (double x = s.PlotXmin - scale.xStep + scale.xStep;; x = x + scale.xStep) {
            walk.push_back(x);
            const bool good = std::isfinite(f(x));
            bad += good ? 0 : 1;
            starts += good && inGap ? 1 : 0;
            inGap = !good;
            if (!(x < s.PlotXmax))
                break;
        }
        EXPECT_EQ(path.badPoints, bad) << "step " << step;
        EXPECT_EQ(static_cast<int>(path.points.size()), starts) << "step " << step;
        ASSERT_GE(asked.size(), walk.size());
        for (size_t i = 0; i < walk.size(); ++i)
            ASSERT_EQ(asked[i], walk[i]) << "point " << i << ", step " << step;
        EXPECT_LE(asked.size(), walk.size() + 3) << "a few points beyond the right edge at most";
        EXPECT_LT(calls, static_cast<int>(walk.size()) / 20 + 4) << "the values come in runs";
        for (const Segment& seg : path.segments) {
            // The clipping recomputes the far end as x1 + (x2 - x1): within rounding of it.
            EXPECT_EQ(seg.y1, f(seg.x1));
            EXPECT_NEAR(seg.y2, f(seg.x2), 1e-12);
            EXPECT_NEAR(seg.x2 - seg.x1, scale.xStep, 1e-12);
        }
        // The series' own sampler gives the same path as its one-point function.
        std::vector<double> coef = {0.5, -1, 0.25, 0.75, -0.125, 0.0625};
        const ode::SeriesView v = powerSeries(coef, 0.25);
        const CurvePath fast = SampleCurve(v, 1, s, scale);
        const CurvePath slow = SampleCurve(
            std::function<double(double)>([&](double x) { return ode::SeriesDerivative(v, 1, x); }), s, scale);
        ASSERT_EQ(fast.segments.size(), slow.segments.size());
        for (size_t i = 0; i < fast.segments.size(); ++i) {
            EXPECT_EQ(fast.segments[i].y1, slow.segments[i].y1);
            EXPECT_EQ(fast.segments[i].y2, slow.segments[i].y2);
        }
        EXPECT_EQ(fast.points, slow.points);
    }
}

TEST(CoefficientDecayPicture, DecadesFloorAndTarget)
{
    using ode::plot::CoefficientDecay;
    // 1, 1E-3, 0, 1E-9, -1E-12: the zero sits at the floor, a decade below the target 1E-13.
    const auto d = CoefficientDecay({1, 1e-3, 0, 1e-9, -1e-12}, 1e-13);
    ASSERT_EQ(d.points.size(), 5u);
    EXPECT_EQ(d.points[1], (std::pair<double, double>{1, -3}));
    EXPECT_EQ(d.points[4].second, -12);
    EXPECT_EQ(d.ymax, 1);
    EXPECT_EQ(d.target, -13);
    EXPECT_EQ(d.ymin, -14);
    EXPECT_EQ(d.points[2].second, d.ymin);
    EXPECT_EQ(d.kmax, 4);
    // The target follows the scale of the largest coefficient.
    const auto scaled = CoefficientDecay({250, 2.5}, 1e-10);
    EXPECT_NEAR(scaled.target, std::log10(250) - 10, 1e-12);
    EXPECT_EQ(scaled.ymax, 3);
    // A subnormal coefficient does not squash the picture; no coefficient at all gives none.
    EXPECT_GE(CoefficientDecay({1, 4.9e-324}, 1e-13).ymin, -330);
    EXPECT_TRUE(CoefficientDecay({0, 0}, 1e-13).points.empty());
}

} // namespace
