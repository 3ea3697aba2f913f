#pragma once
// The plot window's view as a person steers it: the window fitted to the interval and the curves,
// zoom about a point, panning by a distance, the divisions at round sizes, the axis titles, the
// numbers along the frame and the curve nearest the mouse.

#include "plot/PlotGeometry.h"
#include "plot/PlotSetup.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ode::plot {

// The smallest of 1, 2 or 5 times a power of ten that is at least `rough` (1 for a rough size
// that is not a positive finite number).
double NiceStep(double rough);

// A window and its divisions.
struct FittedWindow {
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    double divx = 1, divy = 1;
};

// The window that shows the curves over [xlower, xupper]: x the interval, y the least and
// greatest values the curves take there (sampled at `samples` points each) with a twentieth of
// their range added above and below; a constant curve gets half its size on either side (1 when
// it is 0). Divisions at round sizes, about eight across. Nothing when no curve has a finite
// value on the interval or the interval is not a finite range.
std::optional<FittedWindow> FitWindow(const std::vector<std::function<double(double)>>& curves, double xlower,
                                      double xupper, int samples = 400);

// The same for derivative `derOrder` of every curve of `source`.
std::optional<FittedWindow> FitSource(const PlotSource& source, int derOrder);

// Writes a fitted window into the four window boxes and the two division boxes.
void ShowFitted(const FittedWindow& fitted, PlotSetupTexts& texts);

// The division for a window of extent `extent`: `division` when it gives from 2 to 50 divisions
// across, else a round size that gives about eight.
double AdaptDivision(double division, double extent);

// The window `shown` zoomed by `factor` (below 1 closer) about the point (x, y), which stays
// where it is; the divisions adapted to the new extents. Written into the boxes.
void ZoomAbout(const PlotState& shown, double x, double y, double factor, PlotSetupTexts& texts);

// The window `shown` moved by (dx, dy) plot units, written into the four window boxes.
void PanBy(const PlotState& shown, double dx, double dy, PlotSetupTexts& texts);

// What the axes show: the independent variable, and the curves' names with the derivative
// drawn ("y", "y''", "y^(4)"; a system's names joined by commas while they are short).
struct AxisTitles {
    std::string x, y;
};
AxisTitles TitlesOf(const PlotSource& source, int derOrder);

// The name of curve j with the derivative drawn: "y", "y'", "y'''", "y^(4)".
std::string CurveName(const PlotSource& source, int j, int derOrder);

// The numbers along one side of the frame: values from `low` to `high` at every k-th division
// (divisions of `division` from `origin`), k the least that puts the numbers `minGap` pixels apart
// (`pixelsPerUnit` the scale); the division and origin read at the seven digits of the window's
// single-precision values. Each with its text, written with the decimals its step needs.
struct FrameNumber {
    double value;
    std::string text;
};
std::vector<FrameNumber> FrameNumbers(double low, double high, double origin, double division, double pixelsPerUnit,
                                      double minGap);

// A value as the frame's numbers write it with `decimals` digits after the point ("-0" as "0";
// very large or very small values in exponent form).
std::string FrameNumberText(double value, int decimals);

// The curve nearest the point (x, y) in the picture, when one passes within `pixels` of it
// vertically (`unitsPerPixelY` the scale): its index and its value at x.
struct CurveReading {
    int curve;
    double value;
};
std::optional<CurveReading> NearestCurve(const std::vector<std::function<double(double)>>& curves, double x, double y,
                                         double unitsPerPixelY, double pixels);

// The status bar's text for the point (x, y): "x = 1.5   y = -2", and when a curve is near,
// "   y'(1.5) = -1.98" after it.
std::string PointReadout(const PlotSource& source, int derOrder, double x, double y,
                         const std::optional<CurveReading>& near);

} // namespace ode::plot
