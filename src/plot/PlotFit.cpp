#include "plot/PlotFit.h"

#include "common/NumberFormat.h"
#include "common/Power.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace ode::plot {

namespace {

// Divisions across a fitted or adapted window.
constexpr double kDivisionsAcross = 8;

bool finite(double v) { return std::isfinite(v); }

} // namespace

double NiceStep(double rough)
{
    if (!(rough > 0) || !finite(rough))
        return 1;
    const double power = Power(10.0, std::floor(std::log10(rough)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= rough * (1 - 1e-12))
            return m * power;
    return 10 * power;
}

std::optional<FittedWindow> FitWindow(const std::vector<std::function<double(double)>>& curves, double xlower,
                                      double xupper, int samples)
{
    if (!finite(xlower) || !finite(xupper) || !(xupper > xlower) || !finite(xupper - xlower) || samples < 2)
        return std::nullopt;
    double low = HUGE_VAL, high = -HUGE_VAL;
    for (const auto& f : curves) {
        for (int i = 0; i <= samples; ++i) {
            const double x = i == samples ? xupper : xlower + (xupper - xlower) * i / samples;
            const double y = f(x);
            // Values beyond single precision cannot be a window's edges.
            if (!finite(y) || std::fabs(y) > 1e37)
                continue;
            low = std::min(low, y);
            high = std::max(high, y);
        }
    }
    if (!(low <= high))
        return std::nullopt;
    FittedWindow w;
    w.xmin = xlower;
    w.xmax = xupper;
    w.divx = NiceStep((xupper - xlower) / kDivisionsAcross);
    const double size = std::max(std::fabs(low), std::fabs(high));
    if (high - low <= 1e-9 * size || high - low < 1e-30) {
        // A constant: half its size on either side, or [-1, 1] about 0.
        const double half = size > 1e-30 ? size / 2 : 1;
        low -= half;
        high += half;
    } else {
        const double margin = (high - low) / 20;
        low -= margin;
        high += margin;
    }
    w.divy = NiceStep((high - low) / kDivisionsAcross);
    // The edges at half divisions, so that the boxes hold short numbers.
    const double half = w.divy / 2;
    w.ymin = std::floor(low / half) * half;
    w.ymax = std::ceil(high / half) * half;
    if (!(w.ymax > w.ymin) || static_cast<float>(w.ymax) <= static_cast<float>(w.ymin))
        return std::nullopt;
    return w;
}

std::optional<FittedWindow> FitSource(const PlotSource& source, int derOrder)
{
    std::vector<std::function<double(double)>> curves;
    for (int j = 0; j <= source.lastVar(); ++j)
        curves.push_back(source.curveFunction(j, derOrder));
    return FitWindow(curves, source.xlower, source.xupper);
}

void ShowFitted(const FittedWindow& w, PlotSetupTexts& t)
{
    auto text = [](double v) { return FormatSignedSingle(static_cast<float>(v)); };
    t.windowlx = text(w.xmin);
    t.windowgx = text(w.xmax);
    t.windowly = text(w.ymin);
    t.windowgy = text(w.ymax);
    t.divx = text(w.divx);
    t.divy = text(w.divy);
}

double AdaptDivision(double division, double extent)
{
    const double across = extent / std::fabs(division);
    if (finite(across) && across >= 2 && across <= 50)
        return division;
    return NiceStep(extent / kDivisionsAcross);
}

void ZoomAbout(const PlotState& s, double x, double y, double factor, PlotSetupTexts& t)
{
    if (!(factor > 0) || !finite(factor))
        return;
    auto edge = [&](double e, double about) {
        return FormatSignedSingle(static_cast<float>(about + (e - about) * factor));
    };
    t.windowlx = edge(s.PlotXmin, x);
    t.windowgx = edge(s.PlotXmax, x);
    t.windowly = edge(s.PlotYmin, y);
    t.windowgy = edge(s.PlotYmax, y);
    const double w = (static_cast<double>(s.PlotXmax) - s.PlotXmin) * factor;
    const double h = (static_cast<double>(s.PlotYmax) - s.PlotYmin) * factor;
    t.divx = FormatSignedSingle(static_cast<float>(AdaptDivision(s.DivX, w)));
    t.divy = FormatSignedSingle(static_cast<float>(AdaptDivision(s.DivY, h)));
}

void PanBy(const PlotState& s, double dx, double dy, PlotSetupTexts& t)
{
    auto moved = [](float e, double d) { return FormatSignedSingle(static_cast<float>(e + d)); };
    t.windowlx = moved(s.PlotXmin, dx);
    t.windowgx = moved(s.PlotXmax, dx);
    t.windowly = moved(s.PlotYmin, dy);
    t.windowgy = moved(s.PlotYmax, dy);
}

std::string CurveName(const PlotSource& source, int j, int derOrder)
{
    std::string name = j >= 0 && static_cast<size_t>(j) < source.depVarNames.size()
                           ? source.depVarNames[static_cast<size_t>(j)]
                           : std::string("y");
    if (name.empty())
        name = "y";
    if (derOrder <= 0)
        return name;
    if (derOrder <= 3)
        return name + std::string(static_cast<size_t>(derOrder), '\'');
    return name + "^(" + std::to_string(derOrder) + ")";
}

AxisTitles TitlesOf(const PlotSource& source, int derOrder)
{
    AxisTitles t;
    t.x = source.indepVarName.empty() ? std::string("x") : source.indepVarName;
    // A system's names while they read at a glance; else what is drawn.
    constexpr size_t kLongest = 40;
    for (int j = 0; j <= source.lastVar(); ++j) {
        const std::string name = CurveName(source, j, derOrder);
        if (t.y.size() + name.size() + 2 > kLongest) {
            t.y = derOrder == 0 ? "value" : "derivative " + std::to_string(derOrder);
            break;
        }
        t.y += (t.y.empty() ? "" : ", ") + name;
    }
    if (t.y.empty())
        t.y = CurveName(source, 0, derOrder);
    return t;
}

std::string FrameNumberText(double value, int decimals)
{
    char buffer[64];
    const double size = std::fabs(value);
    if (size != 0 && (size >= 1e7 || decimals > 9)) {
        std::snprintf(buffer, sizeof buffer, "%.6g", value);
        return buffer;
    }
    std::snprintf(buffer, sizeof buffer, "%.*f", std::clamp(decimals, 0, 9), value);
    std::string text = buffer;
    // No "-0" or "-0.00".
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);
    return text;
}

std::vector<FrameNumber> FrameNumbers(double low, double high, double origin, double division, double pixelsPerUnit,
                                      double minGap)
{
    std::vector<FrameNumber> out;
    // The window keeps single-precision values: read at their seven digits, 0.2 is 0.2.
    division = RoundToSignificant(std::fabs(division), 7);
    origin = RoundToSignificant(origin, 7);
    if (!(high > low) || !(division > 0) || !finite(division) || !(pixelsPerUnit > 0) || !finite(origin))
        return out;
    // Every k-th division, k the least that keeps the numbers apart.
    const double k = std::max(1.0, std::ceil(minGap / (division * pixelsPerUnit) - 1e-9));
    const double step = k * division;
    if (!finite(step) || (high - low) / step > 1000)
        return out;
    // Decimals: as many as the step and the origin need.
    int decimals = 0;
    for (double v : {step, origin}) {
        int d = 0;
        double scaled = std::fabs(v);
        while (d < 10 && std::fabs(scaled - std::round(scaled)) > 1e-6 * std::max(1.0, scaled)) {
            scaled *= 10;
            ++d;
        }
        decimals = std::max(decimals, d);
    }
    const double first = std::ceil((low - origin) / step - 1e-9);
    for (double i = first;; ++i) {
        double v = origin + i * step;
        if (v > high + 1e-9 * step)
            break;
        if (std::fabs(v) < 1e-9 * step)
            v = 0;
        out.push_back({v, FrameNumberText(v, decimals)});
    }
    return out;
}

std::optional<CurveReading> NearestCurve(const std::vector<std::function<double(double)>>& curves, double x, double y,
                                         double unitsPerPixelY, double pixels)
{
    std::optional<CurveReading> best;
    double bestDistance = pixels;
    for (size_t j = 0; j < curves.size(); ++j) {
        const double v = curves[j](x);
        if (!finite(v))
            continue;
        const double distance = std::fabs(v - y) / unitsPerPixelY;
        if (distance <= bestDistance) {
            bestDistance = distance;
            best = CurveReading{static_cast<int>(j), v};
        }
    }
    return best;
}

std::string PointReadout(const PlotSource& source, int derOrder, double x, double y,
                         const std::optional<CurveReading>& near)
{
    const std::string xName = source.indepVarName.empty() ? std::string("x") : source.indepVarName;
    auto number = [](double v) { return FormatNumber(v == 0 ? 0.0 : RoundToSignificant(v, 7)); };
    std::string text = xName + " = " + number(x) + "   y = " + number(y);
    if (near)
        text += "   " + CurveName(source, near->curve, derOrder) + "(" + number(x) + ") = " + number(near->value);
    return text;
}

} // namespace ode::plot
