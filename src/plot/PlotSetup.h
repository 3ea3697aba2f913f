#pragma once
// The plot window's setup and navigation as arithmetic: the boxes' texts, the plot-state
// values read from them (single precision, as the window keeps them), the fourteen window
// changes, click-to-centre and the coordinate tooltip.

#include <string>

namespace ode::plot {

// The nine setup boxes and four check boxes of the plot window.
struct PlotSetupTexts {
    std::string windowlx = "-20"; // txtWindowlx: PlotXmin
    std::string windowgx = "20";  // txtWindowgx: PlotXmax
    std::string windowly = "-15"; // txtWindowly: PlotYmin
    std::string windowgy = "15";  // txtWindowgy: PlotYmax
    std::string plotStep = "1";   // txtPlotStep
    std::string xorigin = "0";    // txtXorigin: AxisX0
    std::string yorigin = "0";    // txtYorigin: AxisY0
    std::string divx = "1";       // txtDivx
    std::string divy = "1";       // txtDivy
    bool grid = false;            // chkGrid
    bool persist = false;         // chkPersist
    bool labelDivisions = false;  // chkDivisions
    bool labelWindow = false;     // chkWindow
    bool keepWindow = false;      // chkKeepWindow: a new solution keeps the y-window (else it is fitted)
};

// The plot-state globals.
struct PlotState {
    float PlotXmin = -20, PlotXmax = 20, PlotYmin = -15, PlotYmax = 15;
    float AxisX0 = 0, AxisY0 = 0, DivX = 1, DivY = 1;
    int PlotStep = 1;
    bool ShowGrid = false, PersistPlot = false, LabelWindowFlag = false, LabelDivisionsFlag = false;
    bool KeepWindow = false; // a new solution keeps the last window's y range and setup
};

// ReadPlotSetup: the boxes' numbers (ParseNumber, kept single precision), the step rounded.
PlotState ReadPlotSetup(const PlotSetupTexts& texts);

// The setup of a picture of the window [xmin, xmax] x [ymin, ymax] drawn without the window (the
// command line's --plot): the other boxes at their defaults, a grid instead of ticks and labels at
// the edges and divisions when asked for.
PlotState PictureState(double xmin, double xmax, double ymin, double ymax, bool grid, bool labels);

// The boxes as the window restores them from the stored state (FormatSigned of each value).
PlotSetupTexts SetupTextsFrom(const PlotState& state);

// The fourteen window changes, by code:
// 0 zoom out, 1-4 quadrants, 5 zoom in, 6 pan right, 7 pan up, 8 pan left, 9 pan down,
// 10 wider x, 11 narrower x, 12 wider y, 13 narrower y.
// Reads the four window boxes and writes the new edges back into them.
void ChangeWindow(int code, PlotSetupTexts& texts);

// Picture1_MouseDown at (x, y): the point becomes the window's centre, the size stays.
void CenterWindowOn(float x, float y, const PlotState& shown, PlotSetupTexts& texts);

// Picture1_MouseMove's tooltip: "( 1.5 ,-2): Click to center graph here" style.
std::string CoordinateTip(float x, float y);

// The setup boxes' checks, each of a whole text that is a number (never its leading digits):
// the plot step a whole number from 1 to kMaxPlotStep, a division not 0, a window end or an
// origin any number.
bool CheckPlotStep(const std::string& text);
bool CheckDivision(const std::string& text);
bool CheckPlotNumber(const std::string& text);
std::string PlotNumberRule();

// The rules the setup boxes hold to, as their refusal hints state them; `axis` "x" or "y".
std::string PlotStepRule();
std::string DivisionRule(const char* axis);
std::string WindowRule(const char* axis);

// The derivative order of a cboDerivative text ("Function" 0, "3rd.derivative" 3).
int DerivativeOrderOf(const std::string& text);

// The texts of cboDerivative.
extern const char* const kDerivativeItems[10];

} // namespace ode::plot
