#pragma once
// Everything the plot draws, as positions in plot units, so that drawing is only painter calls:
// the frame, ticks or grid lines, axes, origin mark, window and division labels, and the
// sampled curves with their breaks. The picture's user scale puts (PlotXmin, PlotYmax) at the
// top-left corner and (PlotXmax, PlotYmin) at the bottom-right, y growing upwards.

#include "plot/PlotSetup.h"
#include "series/ChebyshevSeries.h"
#include "series/Series.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ode::plot {

struct Segment {
    double x1, y1, x2, y2;
};

// A text whose top-left corner (before turning) stands at (x, y); `turned` texts run
// downwards (turned 90 degrees clockwise).
struct Label {
    double x, y;
    std::string text;
    bool turned = false;
};

// DrawPlot's working values for a picture of `width` x `height` pixels.
struct PlotScale {
    double unitsPerPixelX = 0, unitsPerPixelY = 0, xStep = 0;
    double tickX = 0, tickY = 0;
};

// The scale, or a message when the window cannot be drawn (an extent that is zero,
// negative or not a finite number, a picture without pixels).
std::optional<std::string> ComputeScale(const PlotState& s, int width, int height, PlotScale& out);

// DrawTicks: green segments, ticks of a twentieth of the window or, with the grid, lines
// across it, at the effective division sizes (at least one pixel).
std::vector<Segment> TickSegments(const PlotState& s, const PlotScale& scale);

// The positions of one run of divisions: from `start` towards `limit` by `step` with a
// single-precision counter, as the tick and label loops run them.
std::vector<float> DivisionRun(float start, float limit, float step);

// "######" or "######." followed by as many "0" as the box text has characters after its
// first "."; and a value formatted that way, trimmed (0.5 with "######.0" gives ".5").
std::string DivisionFormat(const std::string& divisionText);
std::string FormatDivision(double value, const std::string& format);

// DrawWindowLabels: the four edge values (texts as FormatSigned gives them).
std::vector<Label> WindowLabels(const PlotState& s, const PlotScale& scale);

// DrawDivisionLabels: the numbers at every k-th division (`divxText`, `divyText`: the boxes'
// texts, which give the number formats).
std::vector<Label> DivisionLabels(const PlotState& s, const PlotScale& scale, const std::string& divxText,
                                  const std::string& divyText);

// A curve's values at n points: ys[i] = f(xs[i]) for 0 <= i < n.
using CurveValues = std::function<void(const double* xs, double* ys, int n)>;

// The derivative of order derOrder >= 0 of a power series at n points, each value bit for bit
// what SeriesDerivative gives: the Horner chains of several points run side by side, so the
// processor overlaps them instead of waiting on one multiply-add after another.
void PowerSeriesValues(const SeriesView& series, int derOrder, const double* xs, double* ys, int n);

// What a solver form hands to the plot window: the solved series and the specs it shows.
struct PlotSource {
    SeriesKind kind = SeriesKind::Power;
    std::vector<double> coef;    // Coef, one-dimensional; a linear system's rows one after another
    std::vector<int> varDegree;  // VarDegree(j)
    std::vector<int> coefOffset; // CoefOffset(j): index of curve j's power-0 coefficient
    int seriesDegree = 0;        // SeriesDegree (trigonometric: the last coefficient's index)
    double xlower = 0, xupper = 0, xcenter = 0, period = 0;
    std::string periodText = "*";
    std::vector<std::string> depVarNames; // DepVarName(j), for the legend
    std::string indepVarName = "x";       // the independent variable, the x axis's title
    // The accurate method's solution: Chebyshev coefficients on [xlower, xupper], laid out as
    // coef (curve j's at coefOffset(j), varDegree(j) + 1 of them). When given, the curves are
    // drawn from them (coef still holds the power series the window's labels speak of).
    std::vector<double> chebyshev;

    int lastVar() const { return static_cast<int>(varDegree.size()) - 1; }
    // The series of curve j.
    SeriesView curve(int j) const;
    // The derivative of order derOrder of curve j, as a function of x: from the Chebyshev
    // solution where there is one, else from the series.
    std::function<double(double)> curveFunction(int j, int derOrder) const;
    // The same at many points in one call, each value bit for bit what curveFunction gives.
    CurveValues curveValues(int j, int derOrder) const;
};

// DrawCurve of one curve: the pen's start points (single pixels) and the segments to draw,
// clipped to a margin around the window so that far-away values stay drawable. A point whose
// value is not a finite number breaks the curve, which restarts at the next good point.
struct CurvePath {
    std::vector<std::pair<double, double>> points;
    std::vector<Segment> segments;
    int badPoints = 0;
};
// The points' values are asked for a run at a time, the same points and values as one by one.
CurvePath SampleCurve(const CurveValues& f, const PlotState& s, const PlotScale& scale);
CurvePath SampleCurve(const std::function<double(double)>& f, const PlotState& s, const PlotScale& scale);
CurvePath SampleCurve(const SeriesView& series, int derOrder, const PlotState& s, const PlotScale& scale);

// The colour of curve j as (r, g, b).
struct Rgb {
    int r, g, b;
};
Rgb CurveColour(int j);

} // namespace ode::plot
