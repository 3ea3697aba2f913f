// Fuzz targets for every reader of the program's files: the problem pairs of the six kinds
// (opened as their forms open them, then reported and, when solved, evaluated), the series
// files a nonlinear form loads, the scratch file AMAT.MAT, the plot window's setup texts, the
// accurate method's NAME.acc, and the exports of whatever solution a pair opens with.
// Whatever the bytes, a reader ends in a result or a refusal: never a crash, a hang, a leak
// or undefined behaviour.
//
// A problem input is the series file's text, a line "===", and the problem file's text; an
// input without that line is the problem file alone beside an empty series file. The exports'
// input may add a second line "===" and the text of NAME.acc.
#include "fuzz_files.h"

#include "collocation/AccurateFile.h"
#include "common/PrivateFolder.h"
#include "equations/BoxChecks.h"
#include "linear/LinearSession.h"
#include "nonlinear/NonlinearSession.h"
#include "output/ExportParts.h"
#include "output/ExportText.h"
#include "output/Exports.h"
#include "plot/PlotGeometry.h"
#include "plot/PlotSetup.h"
#include "systems/SystemFiles.h"
#include "systems/SystemSession.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// The inputs go to files in a folder of this process's own, made and cleared as the program's
// scratch folders are: removed at exit, or by the next run when this one was killed.
const std::string& folder()
{
    static const ode::PrivateFolder made("odeseries-fuzz");
    if (made.path().empty())
        std::abort();
    return made.path();
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

// A property every input must keep: a broken one ends the run as a crash would.
void require(bool holds)
{
    if (!holds)
        std::abort();
}

// NAME.acc: read, or refused with a reason; what was read writes back to a text that reads
// the same.
void readAccurate(const std::string& input)
{
    ode::AccurateSettings settings, again;
    std::string why;
    if (!ode::ReadAccurateFile(input, settings, why)) {
        require(!why.empty());
        return;
    }
    require(ode::ReadAccurateFile(ode::AccurateFileText(settings), again, why));
    require(again.autoDegree == settings.autoDegree && again.maxDegree == settings.maxDegree &&
            again.tolerance == settings.tolerance && again.solution.size() == settings.solution.size());
    for (size_t j = 0; j < settings.solution.size(); ++j)
        require(again.solution[j].a == settings.solution[j].a && again.solution[j].b == settings.solution[j].b &&
                again.solution[j].coef == settings.solution[j].coef);
}

// An identifier of ours: a name's checked form, perhaps with "_".
bool isIdentifier(const std::string& id, const std::string& name)
{
    const std::string checked = ode::CheckedName(name);
    return id == checked || id == checked + "_";
}

// Every export of a standing solution, built without writing: valid UTF-8 with no control
// character but the line ends, JSON that parses, identifiers only from the checked names, and
// Octave's files inside their folder.
void checkExports(const ode::Solution& s)
{
    using ode::ExportKind;
    // No kind lets a solution stand under names that are not valid.
    require(ode::IsValidName(s.indepVarName));
    for (const ode::SolvedVariable& v : s.variables)
        require(ode::IsValidName(v.name));
    const std::string folder = "/nonexistent-odeseries-fuzz/e";
    for (ExportKind kind : {ExportKind::Csv, ExportKind::Json, ExportKind::Latex, ExportKind::Python, ExportKind::C,
                            ExportKind::Octave}) {
        ode::FileTexts files;
        std::string error;
        ode::ExportOptions options;
        options.gridIntervals = 2;
        if (!ode::ExportFiles(s, kind, folder, options, files, error)) {
            require(!error.empty() && files.empty());
            continue;
        }
        for (const auto& [name, text] : files) {
            require(ode::ValidUtf8(text) == text);
            for (size_t i = 0; i < text.size(); ++i) {
                const auto b = static_cast<unsigned char>(text[i]);
                require((b >= 0x20 || b == '\n') && b != 0x7F);
                require(!(b == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F));
            }
            if (kind == ExportKind::Octave)
                require(fs::path(name).parent_path() == fs::path(folder));
        }
        if (kind == ExportKind::Json)
            require(!nlohmann::json::parse(files[0].second, nullptr, false).is_discarded());
        std::vector<std::string> identifiers;
        if (kind == ExportKind::Python || kind == ExportKind::C || kind == ExportKind::Octave) {
            require(ode::exportparts::CodeIdentifiers(s, kind, identifiers, error));
            for (size_t j = 0; j < identifiers.size(); ++j)
                require(isIdentifier(identifiers[j], s.variables[j].name));
        }
        // Every function the Python module defines is a variable's or an evaluator's.
        if (kind == ExportKind::Python) {
            std::istringstream lines(files[0].second);
            for (std::string line; std::getline(lines, line);)
                if (line.rfind("def ", 0) == 0) {
                    const std::string name = line.substr(4, line.find('(') - 4);
                    require(name[0] == '_' ||
                            std::find(identifiers.begin(), identifiers.end(), name) != identifiers.end());
                }
        }
    }
}

template <typename S> void describeAndExport(const S& session)
{
    if (std::optional<ode::Solution> s = ode::DescribeSolution(session))
        checkExports(*s);
}

// The pair (and NAME.acc when the input has a second "===") opened by every kind; a solution
// that stands is described and exported.
void openAndExport(const std::string& input)
{
    const size_t first = input.find("\n===\n");
    const size_t second = first == std::string::npos ? first : input.find("\n===\n", first + 5);
    const std::string name = writePair(second == std::string::npos ? input : input.substr(0, second));
    std::error_code ec;
    fs::remove(name + ".acc", ec);
    if (second != std::string::npos)
        writeFile(name + ".acc", input.substr(second + 5));
    std::shared_ptr<ode::script::Class1> shared;
    for (ode::SeriesKind kind : {ode::SeriesKind::Power, ode::SeriesKind::Trigonometric}) {
        ode::LinearSession linear(kind, shared, ignore);
        if (linear.open(name))
            describeAndExport(linear);
        ode::NonlinearSession nonlinear(kind, shared, ignore);
        if (nonlinear.open(name))
            describeAndExport(nonlinear);
    }
    for (bool nonlinear : {false, true}) {
        ode::SystemSession system(nonlinear, shared, ignore);
        if (system.open(name))
            describeAndExport(system);
    }
}

} // namespace

namespace ode::fuzz {

const char* const kReaders[kReaderCount] = {"pldif",  "tldif", "pndif", "tndif", "sldif",  "sndif",
                                            "series", "amat",  "plot",  "acc",   "exports"};

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
    case 9:
        readAccurate(input);
        break;
    case 10:
        openAndExport(input);
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
