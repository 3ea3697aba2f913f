#include "plot/PlotSetup.h"

#include "common/Limits.h"
#include "common/NumberFormat.h"

#include <cmath>

namespace ode::plot {

const char* const kDerivativeItems[10] = {
    "Function",       "1st.derivative", "2nd.derivative", "3rd.derivative", "4th.derivative",
    "5th.derivative", "6th.derivative", "7th.derivative", "8th.derivative", "9th.derivative",
};

namespace {

float single(const std::string& text) { return static_cast<float>(ParseNumber(text)); }

// A single-precision value turned into its decimal text and read back as a double.
double throughText(float v) { return RoundToSignificant(static_cast<double>(v), 7); }

} // namespace

PlotState ReadPlotSetup(const PlotSetupTexts& t)
{
    PlotState s;
    s.PlotXmin = single(t.windowlx);
    s.PlotXmax = single(t.windowgx);
    s.PlotYmin = single(t.windowly);
    s.PlotYmax = single(t.windowgy);
    s.AxisX0 = single(t.xorigin);
    s.AxisY0 = single(t.yorigin);
    s.DivX = single(t.divx);
    s.DivY = single(t.divy);
    s.PlotStep = static_cast<int>(ParseWholeNumber(t.plotStep));
    s.ShowGrid = t.grid;
    s.PersistPlot = t.persist;
    s.LabelWindowFlag = t.labelWindow;
    s.LabelDivisionsFlag = t.labelDivisions;
    s.KeepWindow = t.keepWindow;
    return s;
}

PlotState PictureState(double xmin, double xmax, double ymin, double ymax, bool grid, bool labels)
{
    PlotState s;
    s.PlotXmin = static_cast<float>(xmin);
    s.PlotXmax = static_cast<float>(xmax);
    s.PlotYmin = static_cast<float>(ymin);
    s.PlotYmax = static_cast<float>(ymax);
    s.ShowGrid = grid;
    s.LabelWindowFlag = s.LabelDivisionsFlag = labels;
    return s;
}

PlotSetupTexts SetupTextsFrom(const PlotState& s)
{
    PlotSetupTexts t;
    t.windowlx = FormatSignedSingle(s.PlotXmin);
    t.windowgx = FormatSignedSingle(s.PlotXmax);
    t.windowly = FormatSignedSingle(s.PlotYmin);
    t.windowgy = FormatSignedSingle(s.PlotYmax);
    t.plotStep = FormatSigned(s.PlotStep);
    t.xorigin = FormatSignedSingle(s.AxisX0);
    t.yorigin = FormatSignedSingle(s.AxisY0);
    t.divx = FormatSignedSingle(s.DivX);
    t.divy = FormatSignedSingle(s.DivY);
    t.grid = s.ShowGrid;
    t.persist = s.PersistPlot;
    t.labelDivisions = s.LabelDivisionsFlag;
    t.labelWindow = s.LabelWindowFlag;
    t.keepWindow = s.KeepWindow;
    return t;
}

void ChangeWindow(int code, PlotSetupTexts& t)
{
    float xmin = single(t.windowlx), xmax = single(t.windowgx);
    float ymin = single(t.windowly), ymax = single(t.windowgy);
    const float midX = (xmax + xmin) / 2, midY = (ymax + ymin) / 2;
    const float halfW = (xmax - xmin) / 2, halfH = (ymax - ymin) / 2;
    // Codes 10 to 13 work on the decimal texts of the single values, in double precision.
    auto wider = [](float edge, float amount, int sign) {
        return FormatSigned(throughText(edge) + sign * throughText(amount));
    };
    std::string lx = FormatSignedSingle(xmin), gx = FormatSignedSingle(xmax);
    std::string ly = FormatSignedSingle(ymin), gy = FormatSignedSingle(ymax);
    auto set = [](std::string& text, float v) { text = FormatSignedSingle(v); };
    switch (code) {
    case 0:
        set(lx, xmin - halfW);
        set(gx, xmax + halfW);
        set(ly, ymin - halfH);
        set(gy, ymax + halfH);
        break;
    case 1:
    case 2:
    case 3:
    case 4:
        if (code < 3)
            set(ly, midY);
        else
            set(gy, midY);
        if (code % 4 < 2)
            set(lx, midX);
        else
            set(gx, midX);
        break;
    case 5:
        set(lx, (midX + xmin) / 2);
        set(gx, (midX + xmax) / 2);
        set(ly, (midY + ymin) / 2);
        set(gy, (midY + ymax) / 2);
        break;
    case 6:
        set(lx, xmin + halfW / 2);
        set(gx, xmax + halfW / 2);
        break;
    case 7:
        set(ly, ymin + halfH / 2);
        set(gy, ymax + halfH / 2);
        break;
    case 8:
        set(lx, xmin - halfW / 2);
        set(gx, xmax - halfW / 2);
        break;
    case 9:
        set(ly, ymin - halfH / 2);
        set(gy, ymax - halfH / 2);
        break;
    case 10:
        lx = wider(xmin, halfW / 2, -1);
        gx = wider(xmax, halfW / 2, +1);
        break;
    case 11:
        lx = wider(xmin, halfW / 3, +1);
        gx = wider(xmax, halfW / 3, -1);
        break;
    case 12:
        ly = wider(ymin, halfH / 2, -1);
        gy = wider(ymax, halfH / 2, +1);
        break;
    case 13:
        ly = wider(ymin, halfH / 3, +1);
        gy = wider(ymax, halfH / 3, -1);
        break;
    default:
        return;
    }
    t.windowlx = lx;
    t.windowgx = gx;
    t.windowly = ly;
    t.windowgy = gy;
}

void CenterWindowOn(float x, float y, const PlotState& s, PlotSetupTexts& t)
{
    const float w = s.PlotXmax - s.PlotXmin, h = s.PlotYmax - s.PlotYmin;
    t.windowlx = FormatSignedSingle(x - w / 2);
    t.windowgx = FormatSignedSingle(x + w / 2);
    t.windowly = FormatSignedSingle(y - h / 2);
    t.windowgy = FormatSignedSingle(y + h / 2);
}

std::string CoordinateTip(float x, float y)
{
    return "(" + FormatSignedSingle(x) + ", " + FormatSignedSingle(y) + "): Click to center graph here";
}

bool CheckPlotStep(const std::string& text)
{
    double v = 0;
    return ParseNumberText(text, v, true) && v == std::trunc(v) && v >= 1 && v <= kMaxPlotStep;
}

bool CheckDivision(const std::string& text)
{
    double v = 0;
    return ParseNumberText(text, v, true) && v != 0.0;
}

bool CheckPlotNumber(const std::string& text)
{
    double v = 0;
    return ParseNumberText(text, v, true);
}

std::string PlotNumberRule() { return "A window end or an origin must be a number."; }

std::string PlotStepRule()
{
    return "The plot step is a whole number of pixels from 1 to " + std::to_string(kMaxPlotStep) + ".";
}

std::string DivisionRule(const char* axis)
{
    return std::string("The divisions on the ") + axis + " axis need a size other than 0.";
}

std::string WindowRule(const char* axis)
{
    return std::string("The window's greatest ") + axis + " must be above its least " + axis + ".";
}

int DerivativeOrderOf(const std::string& text) { return static_cast<int>(std::trunc(ParseNumber(text))); }

} // namespace ode::plot
