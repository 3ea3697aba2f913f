#include "common/NumberFormat.h"
#include "plot/CoefficientDecay.h"
#include "plot/PlotGeometry.h"
#include "plot/PlotSetup.h"

#include <gtest/gtest.h>

#include <cmath>

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

struct ChangeCase {
    int code;
    const char* lx;
    const char* gx;
    const char* ly;
    const char* gy;
    friend void PrintTo(const ChangeCase& c, std::ostream* os) { *os << "code " << c.code; }
};

class ChangeWindowTest : public testing::TestWithParam<ChangeCase> {};

// From the window [-4, 4] x [-2, 6].
TEST_P(ChangeWindowTest, MovesTheEdgesAsTheButtonSays)
{
    const ChangeCase& c = GetParam();
    PlotSetupTexts t = window("-4", "4", "-2", "6");
    ChangeWindow(c.code, t);
    EXPECT_EQ(t.windowlx, c.lx);
    EXPECT_EQ(t.windowgx, c.gx);
    EXPECT_EQ(t.windowly, c.ly);
    EXPECT_EQ(t.windowgy, c.gy);
}

INSTANTIATE_TEST_SUITE_P(AllFourteen, ChangeWindowTest,
                         testing::Values(ChangeCase{0, "-8", " 8", "-6", " 10"}, ChangeCase{1, " 0", " 4", " 2", " 6"},
                                         ChangeCase{2, "-4", " 0", " 2", " 6"}, ChangeCase{3, "-4", " 0", "-2", " 2"},
                                         ChangeCase{4, " 0", " 4", "-2", " 2"}, ChangeCase{5, "-2", " 2", " 0", " 4"},
                                         ChangeCase{6, "-2", " 6", "-2", " 6"}, ChangeCase{7, "-4", " 4", " 0", " 8"},
                                         ChangeCase{8, "-6", " 2", "-2", " 6"}, ChangeCase{9, "-4", " 4", "-4", " 4"},
                                         ChangeCase{10, "-6", " 6", "-2", " 6"},
                                         ChangeCase{11, "-2.666667", " 2.666667", "-2", " 6"},
                                         ChangeCase{12, "-4", " 4", "-4", " 8"},
                                         ChangeCase{13, "-4", " 4", "-.666667", " 4.666667"}));

TEST(ChangeWindow, ZoomInThenOutRestoresTheWindowAndWidthsComeBackToRounding)
{
    PlotSetupTexts t = window("-5.5", "3.25", "-1", "7");
    const PlotSetupTexts start = t;
    ChangeWindow(5, t);
    ChangeWindow(0, t);
    EXPECT_EQ(ode::ParseNumber(t.windowlx), -5.5);
    EXPECT_EQ(ode::ParseNumber(t.windowgx), 3.25);
    EXPECT_EQ(ode::ParseNumber(t.windowly), -1);
    EXPECT_EQ(ode::ParseNumber(t.windowgy), 7);
    ChangeWindow(10, t);
    ChangeWindow(11, t);
    EXPECT_NEAR(ode::ParseNumber(t.windowlx), -5.5, 1e-5);
    EXPECT_NEAR(ode::ParseNumber(t.windowgx), 3.25, 1e-5);
    (void)start;
}

TEST(ClickAndTooltip, TheClickedPointBecomesTheCentre)
{
    PlotState shown = ReadPlotSetup(window("-4", "4", "-2", "6"));
    PlotSetupTexts t;
    CenterWindowOn(1.5f, -2, shown, t);
    EXPECT_EQ(t.windowlx, "-2.5");
    EXPECT_EQ(t.windowgx, " 5.5");
    EXPECT_EQ(t.windowly, "-6");
    EXPECT_EQ(t.windowgy, " 2");
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
    ode::SeriesView v;
    v.coef = c.data();
    v.degree = 600;
    PlotState s = ReadPlotSetup(window("0", "4", "-1", "10"));
    const PlotScale scale = scaleOf(s, 400, 300);
    const CurvePath path = SampleCurve(v, 0, s, scale);
    EXPECT_GT(path.badPoints, 0) << "values beyond the double range break the curve";
    EXPECT_EQ(path.points.size(), 1u) << "no good point follows the overflow here";
    for (const Segment& seg : path.segments)
        EXPECT_FALSE(seg.y1 > 10 && seg.y2 > 10) << "both ends above the window: not drawn";

    // A constant above the window: only the start point, no segment.
    std::vector<double> high = {20};
    v.coef = high.data();
    v.degree = 0;
    const CurvePath above = SampleCurve(v, 0, s, scale);
    EXPECT_EQ(above.points.size(), 1u);
    EXPECT_TRUE(above.segments.empty());

    // A line: one start point, then a segment for every step up to the right edge.
    std::vector<double> line = {0, 1};
    v.coef = line.data();
    v.degree = 1;
    const CurvePath straight = SampleCurve(v, 0, s, scale);
    EXPECT_EQ(straight.points.size(), 1u);
    EXPECT_NEAR(static_cast<double>(straight.segments.size()), 400, 1);
    s.PlotStep = 10;
    EXPECT_NEAR(static_cast<double>(SampleCurve(v, 0, s, scaleOf(s, 400, 300)).segments.size()), 40, 1);
}

TEST(Curves, AGapLeavesAFreshStartAfterIt)
{
    // Tan-like blow-up in the middle: a power series that overflows only near one point is
    // hard to build, so use the trigonometric derivative of huge order at one harmonic: a
    // curve whose value is finite everywhere has no gap; the break rule is exercised above.
    std::vector<double> c = {0, 1};
    ode::SeriesView v;
    v.kind = ode::SeriesKind::Trigonometric;
    v.coef = c.data();
    v.degree = 1;
    v.period = ode::TwoPi();
    PlotState s = ReadPlotSetup(window("-3", "3", "-2", "2"));
    const CurvePath path = SampleCurve(v, 0, s, scaleOf(s));
    EXPECT_EQ(path.badPoints, 0);
    EXPECT_EQ(path.points.size(), 1u);
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
