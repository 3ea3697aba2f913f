// Fuzz targets for every reader of the program's files: the problem pairs of the six kinds
// (opened as their forms open them, then reported and, when solved, evaluated), the series
// files a nonlinear form loads, the scratch file AMAT.MAT and the plot window's setup texts.
// Whatever the bytes, a reader ends in a result or a refusal: never a crash, a hang, a leak
// or undefined behaviour.
//
// A problem input is the series file's text, a line "===", and the problem file's text; an
// input without that line is the problem file alone beside an empty series file.
#include "fuzz_files.h"

#include "linear/LinearSession.h"
#include "nonlinear/NonlinearSession.h"
#include "plot/PlotGeometry.h"
#include "plot/PlotSetup.h"
#include "systems/SystemFiles.h"
#include "systems/SystemSession.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// The inputs go to files in a folder of this process's own.
const std::string& folder()
{
    static const std::string path = [] {
        fs::path p = fs::temp_directory_path() / ("odeseries-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(p);
        return p.string();
    }();
    return path;
}

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// Writes the pair and returns its name.
std::string writePair(const std::string& input)
{
    const std::string name = folder() + "/p";
    const size_t cut = input.find("\n===\n");
    writeFile(name, cut == std::string::npos ? std::string() : input.substr(0, cut));
    writeFile(name + ".str", cut == std::string::npos ? input : input.substr(cut + 5));
    return name;
}

void ignore(const std::string&) {}

void openLinear(ode::SeriesKind kind, const std::string& input)
{
    std::shared_ptr<ode::script::Class1> shared;
    ode::LinearSession s(kind, shared, ignore);
    if (s.open(writePair(input))) {
        s.report();
        s.evaluate();
    }
}

void openNonlinear(ode::SeriesKind kind, const std::string& input)
{
    std::shared_ptr<ode::script::Class1> shared;
    ode::NonlinearSession s(kind, shared, ignore);
    if (s.open(writePair(input))) {
        s.report();
        s.evaluate();
    }
}

void openSystem(bool nonlinear, const std::string& input)
{
    std::shared_ptr<ode::script::Class1> shared;
    ode::SystemSession s(nonlinear, shared, ignore);
    if (s.open(writePair(input))) {
        s.report();
        s.evaluate();
    }
}

void loadSeries(const std::string& input)
{
    const std::string name = folder() + "/series";
    writeFile(name, input);
    for (ode::SeriesKind kind : {ode::SeriesKind::Power, ode::SeriesKind::Trigonometric}) {
        std::shared_ptr<ode::script::Class1> shared;
        ode::NonlinearSession s(kind, shared, ignore);
        s.loadSeries(name);
    }
}

// The first bytes choose the old and new degrees of up to three variables (0 to 31 each);
// the rest is the scratch file's text.
void readScratch(const std::string& input)
{
    if (input.size() < 4)
        return;
    const int vars = 1 + static_cast<unsigned char>(input[0]) % 3;
    std::vector<int> oldDegrees;
    ode::OrdersAndDegrees od;
    for (int j = 0; j < vars; ++j) {
        const unsigned char b = static_cast<unsigned char>(input[1 + j]);
        oldDegrees.push_back(b & 31);
        od.varDegree.push_back((b >> 3) & 31);
        od.varOrder.push_back(1);
    }
    od.numUnknowns = 0;
    for (int d : od.varDegree)
        od.numUnknowns += d + 1;
    std::vector<double> coef;
    std::string error;
    ode::ReadScratchCoefficients(input.substr(4), "AMAT.MAT", oldDegrees, od, coef, error);
}

// Nine lines: the setup boxes in the window's order; then a line of navigation codes.
void plotSetup(const std::string& input)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (lines.size() < 10) {
        const size_t end = input.find('\n', start);
        lines.push_back(input.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    lines.resize(10);
    ode::plot::PlotSetupTexts t;
    std::string* fields[9] = {&t.windowlx, &t.windowgx, &t.windowly, &t.windowgy, &t.plotStep,
                              &t.xorigin,  &t.yorigin,  &t.divx,     &t.divy};
    for (int i = 0; i < 9; ++i)
        *fields[i] = lines[static_cast<size_t>(i)];
    const std::string& codes = lines[9];
    t.grid = !codes.empty() && (codes[0] & 1);
    t.labelDivisions = !codes.empty() && (codes[0] & 2);
    t.labelWindow = !codes.empty() && (codes[0] & 4);
    auto draw = [&] {
        const ode::plot::PlotState state = ode::plot::ReadPlotSetup(t);
        ode::plot::PlotScale scale;
        if (ode::plot::ComputeScale(state, 640, 480, scale))
            return;
        ode::plot::TickSegments(state, scale);
        ode::plot::WindowLabels(state, scale);
        ode::plot::DivisionLabels(state, scale, t.divx, t.divy);
        const std::vector<double> coef = {1, -0.5, 0.25};
        ode::SeriesView series;
        series.coef = coef.data();
        series.degree = 2;
        ode::plot::SampleCurve(series, 0, state, scale);
    };
    draw();
    for (size_t i = 0; i < codes.size() && i < 8; ++i) {
        ode::plot::ChangeWindow(static_cast<unsigned char>(codes[i]) % 14, t);
        draw();
    }
}

} // namespace

namespace ode::fuzz {

const char* const kReaders[kReaderCount] = {"pldif", "tldif", "pndif", "tndif", "sldif",
                                            "sndif", "series", "amat", "plot"};

int ReadInput(int reader, const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    switch (reader) {
    case 0:
        openLinear(SeriesKind::Power, input);
        break;
    case 1:
        openLinear(SeriesKind::Trigonometric, input);
        break;
    case 2:
        openNonlinear(SeriesKind::Power, input);
        break;
    case 3:
        openNonlinear(SeriesKind::Trigonometric, input);
        break;
    case 4:
        openSystem(false, input);
        break;
    case 5:
        openSystem(true, input);
        break;
    case 6:
        loadSeries(input);
        break;
    case 7:
        readScratch(input);
        break;
    case 8:
        plotSetup(input);
        break;
    default:
        break;
    }
    return 0;
}

} // namespace ode::fuzz

#ifdef ODESERIES_FUZZ_READER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return ode::fuzz::ReadInput(ODESERIES_FUZZ_READER, data, size);
}
#endif
