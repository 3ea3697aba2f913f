#include "plot/PlotGeometry.h"

#include "common/NumberFormat.h"
#include "common/Power.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace ode::plot {

namespace {

// More divisions than this in one run are never drawn: far more than a picture has pixels.
constexpr size_t kMaxDivisions = 20000;

// Liang-Barsky clipping of a segment to a rectangle; false when nothing is left.
bool clip(Segment& s, double xmin, double xmax, double ymin, double ymax)
{
    double t0 = 0, t1 = 1;
    const double dx = s.x2 - s.x1, dy = s.y2 - s.y1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {s.x1 - xmin, xmax - s.x1, s.y1 - ymin, ymax - s.y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0) {
            if (r > t1)
                return false;
            if (r > t0)
                t0 = r;
        } else {
            if (r < t0)
                return false;
            if (r < t1)
                t1 = r;
        }
    }
    const Segment o = s;
    s.x1 = o.x1 + t0 * dx;
    s.y1 = o.y1 + t0 * dy;
    s.x2 = o.x1 + t1 * dx;
    s.y2 = o.y1 + t1 * dy;
    return true;
}

// Points whose Horner chains run side by side: enough independent multiply-adds to keep the
// processor's units busy while each chain waits on its previous step.
constexpr int kLanes = 16;

// The most points whose values are computed ahead while a curve is sampled.
constexpr int kRunPoints = 256;

// Term k of the derivative of order d is terms[k] (x - C)^(k - d), k = d ... N: the factors
// PowerFirstDerivative, PowerSecondDerivative and PowerHigherDerivative apply to c[k], applied
// once, by the same operations.
std::vector<double> derivativeTerms(const SeriesView& s, int d)
{
    const int n = s.degree;
    const double* c = s.coef;
    std::vector<double> terms(static_cast<size_t>(std::max(0, n + 1)), 0.0);
    if (d == 0) {
        for (int k = n; k >= 0; --k)
            terms[k] = c[k];
    } else if (d == 1) {
        for (int k = n; k >= 1; --k)
            terms[k] = k * c[k];
    } else if (d == 2) {
        for (int k = n; k >= 2; --k)
            terms[k] = static_cast<double>((k - 1) * k) * c[k];
    } else if (n <= 170) {
        const auto& fact = Factorials();
        for (int k = n; k >= d; --k)
            terms[k] = (fact[k] / fact[k - d]) * c[k];
    } else {
        double f = 1.0;
        for (int i = n + 2 - d; i <= n + 1; ++i)
            f = f * i;
        for (int k = n; k >= d; --k) {
            f = f / (k + 1) * (k + 1 - d);
            terms[k] = f * c[k];
        }
    }
    return terms;
}

// sum = t sum + terms[k] for k = N down to d, as the one-point evaluators run it.
void hornerRuns(const std::vector<double>& terms, int d, double center, const double* xs, double* ys, int n)
{
    const int degree = static_cast<int>(terms.size()) - 1;
    for (int from = 0; from < n; from += kLanes) {
        const int count = std::min(kLanes, n - from);
        double t[kLanes], sum[kLanes];
        for (int i = 0; i < kLanes; ++i) {
            t[i] = xs[from + (i < count ? i : 0)] - center;
            sum[i] = 0.0;
        }
        for (int k = degree; k >= d; --k) {
            const double term = terms[static_cast<size_t>(k)];
            for (int i = 0; i < kLanes; ++i)
                sum[i] = t[i] * sum[i] + term;
        }
        for (int i = 0; i < count; ++i)
            ys[from + i] = sum[i];
    }
}

} // namespace

void PowerSeriesValues(const SeriesView& series, int derOrder, const double* xs, double* ys, int n)
{
    hornerRuns(derivativeTerms(series, derOrder), derOrder, series.center, xs, ys, n);
}

std::optional<std::string> ComputeScale(const PlotState& s, int width, int height, PlotScale& out)
{
    if (width <= 0 || height <= 0)
        return std::string("The plot area has no pixels to draw on.");
    const double w = static_cast<double>(s.PlotXmax) - s.PlotXmin;
    const double h = static_cast<double>(s.PlotYmax) - s.PlotYmin;
    if (!std::isfinite(w) || !std::isfinite(h) || !std::isfinite(s.AxisX0) || !std::isfinite(s.AxisY0))
        return std::string("The plot window is out of range.");
    if (!(w > 0) || !(h > 0))
        return std::string("The plot window is empty: each upper limit must exceed its lower limit.");
    out.unitsPerPixelX = w / width;
    out.xStep = out.unitsPerPixelX * s.PlotStep;
    out.unitsPerPixelY = h / height;
    out.tickX = w;
    out.tickY = h;
    if (!s.ShowGrid) {
        out.tickX /= 20;
        out.tickY /= 20;
    }
    return std::nullopt;
}

std::vector<float> DivisionRun(float start, float limit, float step)
{
    std::vector<float> run;
    if (!(step != 0) || !std::isfinite(step) || !std::isfinite(start) || !std::isfinite(limit))
        return run;
    float v = start;
    // An axis far outside the window: the run starts at the last division before the window.
    const double gap = (static_cast<double>(limit) - start) / step;
    if (gap > static_cast<double>(kMaxDivisions))
        v = static_cast<float>(start + std::floor(gap - kMaxDivisions / 2.0) * static_cast<double>(step));
    while ((step > 0 ? v <= limit : v >= limit) && run.size() < kMaxDivisions) {
        run.push_back(v);
        const float next = v + step;
        if (next == v)
            break; // the step is below the precision of the position
        v = next;
    }
    return run;
}

std::vector<Segment> TickSegments(const PlotState& s, const PlotScale& scale)
{
    std::vector<Segment> out;
    const float ex = s.DivX < scale.unitsPerPixelX ? static_cast<float>(scale.unitsPerPixelX) : s.DivX;
    const float ey = s.DivY < scale.unitsPerPixelY ? static_cast<float>(scale.unitsPerPixelY) : s.DivY;
    const double startY = s.ShowGrid ? s.PlotYmin : s.AxisY0 - scale.tickY / 2;
    for (float x : DivisionRun(s.AxisX0, s.PlotXmax, ex))
        if (x >= s.PlotXmin)
            out.push_back({x, startY, x, startY + scale.tickY});
    for (float x : DivisionRun(s.AxisX0, s.PlotXmin, -ex))
        if (x <= s.PlotXmax)
            out.push_back({x, startY, x, startY + scale.tickY});
    const double startX = s.ShowGrid ? s.PlotXmin : s.AxisX0 - scale.tickX / 2;
    for (float y : DivisionRun(s.AxisY0, s.PlotYmax, ey))
        if (y >= s.PlotYmin)
            out.push_back({startX, y, startX + scale.tickX, y});
    for (float y : DivisionRun(s.AxisY0, s.PlotYmin, -ey))
        if (y <= s.PlotYmax)
            out.push_back({startX, y, startX + scale.tickX, y});
    return out;
}

std::string DivisionFormat(const std::string& divisionText)
{
    size_t b = divisionText.find_first_not_of(' ');
    size_t e = divisionText.find_last_not_of(' ');
    const std::string t = b == std::string::npos ? std::string() : divisionText.substr(b, e - b + 1);
    const size_t point = t.find('.');
    if (point == std::string::npos)
        return "######";
    return "######." + std::string(t.size() - point - 1, '0');
}

std::string FormatDivision(double value, const std::string& format)
{
    const size_t point = format.find('.');
    const int decimals = point == std::string::npos ? 0 : static_cast<int>(format.size() - point - 1);
    const double scale = Power(10.0, decimals);
    // Digit placeholders round halves away from zero.
    const double rounded = std::round(std::fabs(value) * scale);
    if (!std::isfinite(rounded))
        return FormatNumber(value);
    const double whole = std::floor(rounded / scale);
    const double fraction = rounded - whole * scale;
    std::string text = whole > 0 ? FormatNumber(whole) : std::string();
    if (point != std::string::npos) {
        std::string digits = decimals > 0 ? FormatNumber(fraction) : std::string();
        if (static_cast<int>(digits.size()) < decimals)
            digits.insert(0, static_cast<size_t>(decimals) - digits.size(), '0');
        text += "." + digits;
    }
    if (value < 0 && rounded > 0)
        text.insert(text.begin(), '-');
    return text;
}

std::vector<Label> WindowLabels(const PlotState& s, const PlotScale& scale)
{
    const double midX = (static_cast<double>(s.PlotXmin) + s.PlotXmax) / 2;
    const double midY = (static_cast<double>(s.PlotYmin) + s.PlotYmax) / 2;
    const double upx = scale.unitsPerPixelX, upy = scale.unitsPerPixelY;
    auto text = [](float v) { return FormatSignedSingle(v); };
    auto half = [](const std::string& t) { return static_cast<double>(t.size()) / 2 + 0.5; };
    std::vector<Label> out;
    std::string t = text(s.PlotYmin);
    out.push_back({midX - half(t) * 16 * upx, s.PlotYmin + 21 * upy, t, false});
    t = text(s.PlotYmax);
    out.push_back({midX - half(t) * 16 * upx, s.PlotYmax + 0.2 * 20 * upy, t, false});
    t = text(s.PlotXmin);
    out.push_back({s.PlotXmin + 22 * upx, midY + half(t) * 16 * upy, t, true});
    t = text(s.PlotXmax);
    out.push_back({s.PlotXmax + 0.2 * 20 * upx, midY + half(t) * 16 * upy, t, true});
    return out;
}

std::vector<Label> DivisionLabels(const PlotState& s, const PlotScale& scale, const std::string& divxText,
                                  const std::string& divyText)
{
    const double upx = scale.unitsPerPixelX, upy = scale.unitsPerPixelY;
    auto spacing = [](float div, double unitsPerPixel) {
        double l = div;
        if (div < unitsPerPixel)
            l = RoundHalfEven(unitsPerPixel / div + 0.5) * div;
        return static_cast<float>(l);
    };
    const float lx = spacing(s.DivX, upx), ly = spacing(s.DivY, upy);
    std::vector<Label> out;
    if (!(lx > 0 || lx < 0) || !(ly > 0 || ly < 0))
        return out;
    const long ky = static_cast<long>(std::trunc(upy * 7 / ly + 1));
    const long kx = static_cast<long>(std::trunc(upx * 7 / lx + 1));
    const std::string fy = DivisionFormat(divyText), fx = DivisionFormat(divxText);

    long counter = 0;
    for (float y : DivisionRun(s.AxisY0 + ly, s.PlotYmax, ly)) {
        if (y >= s.PlotYmin && ky > 0 && counter % ky == 0)
            out.push_back({s.AxisX0 + 5 * 1.5 * upx, y + 7 * upy / 2, FormatDivision(y, fy), false});
        ++counter;
    }
    counter = 0;
    for (float y : DivisionRun(s.AxisY0 - ly, s.PlotYmin, -ly)) {
        if (y <= s.PlotYmax && ky > 0 && counter % ky == 0) {
            std::string t = FormatDivision(y, fy);
            out.push_back({s.AxisX0 - (static_cast<double>(t.size()) + 1.5) * 5 * upx, y + 7 * upy / 2, t, false});
        }
        ++counter;
    }
    counter = 0;
    for (float x : DivisionRun(s.AxisX0 + lx, s.PlotXmax, lx)) {
        if (x >= s.PlotXmin && kx > 0 && counter % kx == 0)
            out.push_back({x + 7 * upx / 2 + 2 * upx, s.AxisY0 - 5 * 1.5 * upy, FormatDivision(x, fx), true});
        ++counter;
    }
    counter = 0;
    for (float x : DivisionRun(s.AxisX0 - lx, s.PlotXmin, -lx)) {
        if (x <= s.PlotXmax && kx > 0 && counter % kx == 0) {
            std::string t = FormatDivision(x, fx);
            out.push_back(
                {x + 7 * upx / 2 + 2 * upx, s.AxisY0 + (static_cast<double>(t.size()) + 1.5) * 5 * upy, t, true});
        }
        ++counter;
    }
    return out;
}

CurvePath SampleCurve(const SeriesView& series, int derOrder, const PlotState& s, const PlotScale& scale)
{
    if (series.kind == SeriesKind::Power && derOrder >= 0)
        return SampleCurve([&](const double* xs, double* ys, int n) { PowerSeriesValues(series, derOrder, xs, ys, n); },
                           s, scale);
    return SampleCurve([&](double x) { return SeriesDerivative(series, derOrder, x); }, s, scale);
}

CurvePath SampleCurve(const std::function<double(double)>& f, const PlotState& s, const PlotScale& scale)
{
    return SampleCurve(
        [&](const double* xs, double* ys, int n) {
            for (int i = 0; i < n; ++i)
                ys[i] = f(xs[i]);
        },
        s, scale);
}

CurvePath SampleCurve(const CurveValues& f, const PlotState& s, const PlotScale& scale)
{
    CurvePath path;
    const double step = scale.xStep;
    if (!(step > 0))
        return path;
    const float xmax = s.PlotXmax;
    // The points come one step apart, so the values of those ahead are computed in one call:
    // the run starts at the point asked for and goes on by the same additions.
    double xs[kRunPoints], ys[kRunPoints];
    int have = 0, next = 0;
    auto value = [&](double x) {
        if (next == have || !(xs[next] == x)) {
            const double left = (static_cast<double>(xmax) - x) / step + 2;
            have = left >= kRunPoints ? kRunPoints : left > 1 ? static_cast<int>(left) : 1;
            xs[0] = x;
            for (int i = 1; i < have; ++i)
                xs[i] = xs[i - 1] + step;
            f(xs, ys, have);
            next = 0;
        }
        return ys[next++];
    };
    // Segments are kept within a wide margin of the window; the picture clips the rest.
    const double mx = 4 * (static_cast<double>(s.PlotXmax) - s.PlotXmin);
    const double my = 4 * (static_cast<double>(s.PlotYmax) - s.PlotYmin);
    const double cxmin = s.PlotXmin - mx, cxmax = s.PlotXmax + mx, cymin = s.PlotYmin - my, cymax = s.PlotYmax + my;
    auto eval = [&](double x, double& y) {
        y = value(x);
        if (std::isfinite(y))
            return true;
        ++path.badPoints;
        return false;
    };
    double x = s.PlotXmin - step;
    double y = 0;
    for (;;) {
        // Find a start point.
        for (;;) {
            if (x + step == x)
                return path;
            x = x + step;
            if (eval(x, y))
                break;
            if (!(static_cast<float>(x) < xmax))
                return path;
        }
        double penX = x, penY = y;
        path.points.push_back({x, y});
        if (x == xmax)
            return path;
        bool broken = false;
        do {
            x = x + step;
            if (!eval(x, y)) {
                if (x < xmax) {
                    broken = true;
                    break;
                }
                return path;
            }
            const bool bothAbove = y > s.PlotYmax && penY > s.PlotYmax;
            const bool bothBelow = y < s.PlotYmin && penY < s.PlotYmin;
            if (!bothAbove && !bothBelow) {
                Segment seg{penX, penY, x, y};
                if (clip(seg, cxmin, cxmax, cymin, cymax))
                    path.segments.push_back(seg);
            }
            penX = x;
            penY = y;
        } while (x < xmax);
        if (!broken)
            return path;
    }
}

SeriesView PlotSource::curve(int j) const
{
    SeriesView v;
    v.kind = kind;
    v.center = xcenter;
    v.period = period;
    if (kind == SeriesKind::Trigonometric) {
        v.coef = coef.data();
        v.degree = seriesDegree;
    } else {
        v.coef = coef.data() + coefOffset[static_cast<size_t>(j)];
        v.degree = varDegree[static_cast<size_t>(j)];
    }
    return v;
}

std::function<double(double)> PlotSource::curveFunction(int j, int derOrder) const
{
    if (!chebyshev.empty() && kind == SeriesKind::Power) {
        const size_t from = static_cast<size_t>(coefOffset[static_cast<size_t>(j)]);
        const size_t count = static_cast<size_t>(varDegree[static_cast<size_t>(j)]) + 1;
        if (from + count <= chebyshev.size()) {
            ChebyshevSeries s{xlower, xupper, {chebyshev.begin() + from, chebyshev.begin() + from + count}};
            const auto table = std::make_shared<ChebyshevDerivativeTable>(s, derOrder);
            return [table, derOrder](double x) { return (*table)(derOrder, x); };
        }
    }
    const SeriesView series = curve(j);
    return [series, derOrder](double x) { return SeriesDerivative(series, derOrder, x); };
}

CurveValues PlotSource::curveValues(int j, int derOrder) const
{
    const bool chebyshevCurve = !chebyshev.empty() && kind == SeriesKind::Power;
    if (chebyshevCurve || kind != SeriesKind::Power || derOrder < 0) {
        std::function<double(double)> one = curveFunction(j, derOrder);
        return [one](const double* xs, double* ys, int n) {
            for (int i = 0; i < n; ++i)
                ys[i] = one(xs[i]);
        };
    }
    const SeriesView series = curve(j);
    const auto terms = std::make_shared<const std::vector<double>>(derivativeTerms(series, derOrder));
    const double center = series.center;
    return [terms, derOrder, center](const double* xs, double* ys, int n) {
        hornerRuns(*terms, derOrder, center, xs, ys, n);
    };
}

Rgb CurveColour(int j)
{
    static const Rgb table[7] = {{0, 0, 0},   {0, 0, 255},   {255, 0, 255}, {255, 0, 0},
                                 {0, 255, 0}, {0, 255, 255}, {255, 255, 0}};
    return j >= 0 && j < 7 ? table[j] : Rgb{0, 0, 0};
}

} // namespace ode::plot
