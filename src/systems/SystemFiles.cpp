#include "systems/SystemFiles.h"

#include "common/FileIO.h"
#include "common/Limits.h"
#include "common/NumberFormat.h"
#include "common/Paths.h"
#include "common/ProblemKind.h"
#include "common/TextRecords.h"
#include "equations/BoxChecks.h"
#include "session/ProblemFiles.h"
#include "systems/NonlinearSystem.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace ode {

namespace {

const char* systemMagic(bool nonlinear)
{
    return MagicWord(nonlinear ? ProblemKind::NonlinearSystem : ProblemKind::LinearSystem);
}

std::string seriesHead(const SystemTexts& b, double lastVar)
{
    RecordWriter w;
    w.writeLine({lastVar, b.indepVarName, ParseNumber(b.xlower), ParseNumber(b.xupper)});
    if (b.expansion == "*")
        w.printLine({"*"});
    else
        w.printLine({ParseNumber(b.expansion)});
    return w.text();
}

} // namespace

std::optional<std::string> UnsavableText(const SystemTexts& boxes)
{
    std::optional<std::string> refusal =
        FileTextRefusal("The independent variable's name", boxes.indepVarName, kSystemConditionItem);
    for (const std::string& name : SplitNames(boxes.depVarNames))
        if (!refusal)
            refusal = FileTextRefusal("A dependent variable's name", name, kSystemConditionItem);
    const size_t equations =
        std::min(boxes.equations.size(), static_cast<size_t>(std::max(0L, ParseWholeNumber(boxes.numDE))));
    for (size_t e = 0; e < equations && !refusal; ++e)
        refusal = FileTextRefusal("Equation " + std::to_string(e + 1), boxes.equations[e], kSystemEquationItem);
    const size_t conditions =
        std::min(boxes.bcText.size(), static_cast<size_t>(std::max(0L, ParseWholeNumber(boxes.numBC))));
    for (size_t b = 0; b < conditions && !refusal; ++b)
        refusal = FileTextRefusal("Condition " + std::to_string(b + 1), boxes.bcText[b], kSystemConditionItem);
    for (size_t k = 0; k < boxes.constants.size() && !refusal; ++k)
        refusal = FileTextRefusal(ConstantWhat(boxes.constants[k]), boxes.constants[k], kConstantItem);
    return refusal;
}

std::string SystemSeriesFileText(const SystemTexts& boxes, int lastVar, bool solved, const std::vector<double>& coef)
{
    RecordWriter series;
    series.writeLine({1, "*", ParseNumber(boxes.terms), solved});
    if (solved)
        for (double c : coef)
            series.printLine({c});
    return seriesHead(boxes, lastVar) + series.text();
}

std::string SystemProblemFileText(bool nonlinear, const SystemTexts& boxes, const SystemInputs& in,
                                  const OrdersAndDegrees& od)
{
    RecordWriter p;
    std::vector<RecordItem> head = {systemMagic(nonlinear), od.degree,         od.sumOrder, in.numBC, od.maxOrder,
                                    od.maxDegree,           boxes.indepVarName};
    if (nonlinear) {
        head.push_back(ParseNumber(boxes.errorD));
        head.push_back(ParseNumber(boxes.errorC));
        head.push_back(ParseNumber(boxes.maxcy));
    }
    p.writeLine(head);
    for (size_t j = 0; j < in.depVarNames.size(); ++j)
        p.writeLine({j < od.varOrder.size() ? od.varOrder[j] : 0, j < od.varDegree.size() ? od.varDegree[j] : 0,
                     in.depVarNames[j]});
    for (int e = 0; e <= in.lastVar; ++e)
        p.printLine(
            {PrintedTextItem(static_cast<size_t>(e) < boxes.equations.size() ? boxes.equations[static_cast<size_t>(e)]
                                                                             : std::string())});
    // Conditions the boxes do not hold (fewer than their count) are written empty at 0.
    for (size_t b = 0; b < static_cast<size_t>(std::max(0, in.numBC)); ++b)
        p.writeLine({b < boxes.bcPoint.size() ? ParseNumber(boxes.bcPoint[b]) : 0.0,
                     b < boxes.bcText.size() ? boxes.bcText[b] : std::string()});
    p.printLine({static_cast<long>(boxes.constants.size())});
    for (const auto& c : boxes.constants)
        p.printLine({PrintedTextItem(c)});
    return p.text();
}

bool SaveSystemProblem(const std::string& path, bool nonlinear, const SystemTexts& boxes, const SystemInputs& in,
                       const OrdersAndDegrees& od, bool solved, const std::vector<double>& coef, std::string& error,
                       const FileSet& extra)
{
    if (const auto refusal = UnsavableCoefficients(solved, coef)) {
        error = *refusal;
        return false;
    }
    FileSet set{{{path, SystemSeriesFileText(boxes, in.lastVar, solved, coef)},
                 {path + ".str", SystemProblemFileText(nonlinear, boxes, in, od)}},
                extra.remove};
    set.write.insert(set.write.end(), extra.write.begin(), extra.write.end());
    return SaveFileSet(set, error);
}

bool SaveSystemSeparately(const std::string& path, const SystemTexts& boxes, const std::vector<std::string>& names,
                          const OrdersAndDegrees& od, bool solved, const std::vector<double>& coef, std::string& error)
{
    if (const auto refusal = UnsavableCoefficients(solved, coef)) {
        error = *refusal;
        return false;
    }
    const auto rows = SplitByVariable(coef, od);
    std::vector<std::pair<std::string, std::string>> files;
    for (size_t j = 0; j < names.size(); ++j) {
        RecordWriter w;
        const int degree = j < od.varDegree.size() ? od.varDegree[j] : static_cast<int>(ParseWholeNumber(boxes.terms));
        w.writeLine({1, "*", degree, solved});
        if (solved && j < rows.size())
            for (double c : rows[j])
                w.printLine({c});
        files.push_back({path + "_" + names[j], seriesHead(boxes, 0) + w.text()});
    }
    return WriteFilesAtomically(files, error);
}

namespace {

// The series file's head: the variables, the interval, the centre, the kind, the degree typed
// and whether a solution follows.
struct SeriesHead {
    double lastVar = 0, lower = 0, upper = 0, kind = 0, degreeTyped = 0;
    std::string indep, centre, period;
    bool solved = false;
};

bool readSeriesHead(RecordReader& s, SeriesHead& h, std::string& why)
{
    s.readNumber(h.lastVar);
    s.readText(h.indep);
    s.readNumber(h.lower);
    s.readNumber(h.upper);
    s.readText(h.centre);
    s.readNumber(h.kind);
    s.readText(h.period);
    s.readNumber(h.degreeTyped);
    s.readBoolean(h.solved);
    if (!s.ok()) {
        why = s.error();
        return false;
    }
    if (!(h.lastVar >= 0 && h.lastVar <= 9)) {
        why = "the number of variables is out of range.";
        return false;
    }
    return true;
}

// The problem file's head after the magic word: the shape, the independent variable and,
// for the nonlinear systems, the bounds and the iteration limit.
struct ProblemHead {
    double degree = 0, sumOrder = 0, numBC = 0, maxOrder = 0, maxDegree = 0, errorD = 0, errorC = 0, maxcy = 0;
    std::string indep;
};

bool readProblemHead(RecordReader& p, bool nonlinear, ProblemHead& h, std::string& why)
{
    p.readNumber(h.degree);
    p.readNumber(h.sumOrder);
    p.readNumber(h.numBC);
    p.readNumber(h.maxOrder);
    p.readNumber(h.maxDegree);
    p.readText(h.indep);
    if (nonlinear) {
        p.readNumber(h.errorD);
        p.readNumber(h.errorC);
        p.readNumber(h.maxcy);
    }
    if (!p.ok()) {
        why = p.error();
        return false;
    }
    if (!(h.numBC >= 1 && h.numBC <= 10) || !(h.degree >= 1 && h.degree <= kLargestDegree)) {
        why = "the shape of the problem is out of range.";
        return false;
    }
    return true;
}

// Each variable's order, degree and name.
bool readVariables(RecordReader& p, int lastVar, OrdersAndDegrees& od, std::vector<std::string>& names,
                   std::string& why)
{
    for (int j = 0; j <= lastVar; ++j) {
        double order = 0, varDegree = 0;
        std::string name;
        p.readNumber(order);
        p.readNumber(varDegree);
        p.readText(name);
        if (!(order >= 0 && order <= 9) || !(varDegree >= 0 && varDegree <= kLargestDegree)) {
            why = "an order or degree is out of range.";
            return false;
        }
        od.varOrder.push_back(static_cast<int>(order));
        od.varDegree.push_back(static_cast<int>(varDegree));
        names.push_back(name);
    }
    return true;
}

// The equations, the conditions with their points and the constants, into the boxes' texts.
bool readTexts(RecordReader& p, int lastVar, int numBC, SystemTexts& t, std::string& why)
{
    t.equations.clear();
    for (int e = 0; e <= lastVar; ++e) {
        std::string text;
        p.readText(text);
        t.equations.push_back(text);
    }
    t.bcText.clear();
    t.bcPoint.clear();
    for (int b = 0; b < numBC; ++b) {
        double point = 0;
        std::string text;
        p.readNumber(point);
        p.readText(text);
        t.bcPoint.push_back(FormatNumber(point));
        t.bcText.push_back(text);
    }
    double count = 0;
    p.readNumber(count);
    if (!p.ok() || !(count >= 0 && count <= 101)) {
        why = p.ok() ? "the number of constants is out of range." : p.error();
        return false;
    }
    t.constants.clear();
    for (int k = 0; k < static_cast<int>(count); ++k) {
        std::string entry;
        p.readText(entry);
        t.constants.push_back(entry);
    }
    if (!p.ok()) {
        why = p.error();
        return false;
    }
    return true;
}

// ShowProblem's boxes for the heads read.
void showInBoxes(const SeriesHead& s, const ProblemHead& h, const std::vector<std::string>& names, bool nonlinear,
                 SystemTexts& t)
{
    t.numDE = FormatNumber(s.lastVar + 1);
    t.numBC = FormatNumber(h.numBC);
    t.terms = FormatNumber(h.degree);
    t.xlower = FormatNumber(s.lower);
    t.xupper = FormatNumber(s.upper);
    const std::string c =
        s.centre.substr(s.centre.find_first_not_of(' ') == std::string::npos ? 0 : s.centre.find_first_not_of(' '));
    t.expansion = FormatNumber(c.rfind('*', 0) == 0 ? (s.lower + s.upper) / 2 : ParseNumber(c));
    t.indepVarName = h.indep;
    std::string joined;
    for (size_t j = 0; j < names.size(); ++j)
        joined += (j ? "," : "") + names[j];
    t.depVarNames = joined;
    if (nonlinear) {
        t.errorD = FormatNumber(h.errorD);
        t.errorC = FormatNumber(h.errorC);
        t.maxcy = FormatNumber(h.maxcy);
    }
}

} // namespace

SystemOpenResult OpenSystemProblem(const std::string& path, bool nonlinear, const SystemTexts& current)
{
    SystemOpenResult result;
    OpenedPair pair = OpenProblemPair(path, systemMagic(nonlinear));
    if (!pair.ok) {
        result.message = pair.message;
        return result;
    }
    RecordReader& p = pair.problem;
    RecordReader s(pair.seriesText);
    std::string why;
    auto damaged = [&](const std::string& file) {
        result.message = DamagedFileMessage(file, why);
        return result;
    };
    SeriesHead series;
    if (!readSeriesHead(s, series, why))
        return damaged(path);
    ProblemHead head;
    if (!readProblemHead(p, nonlinear, head, why))
        return damaged(path + ".str");
    const int lastVar = static_cast<int>(series.lastVar);
    OrdersAndDegrees od;
    std::vector<std::string> names;
    SystemTexts t = current;
    if (!readVariables(p, lastVar, od, names, why) || !readTexts(p, lastVar, static_cast<int>(head.numBC), t, why))
        return damaged(path + ".str");
    std::vector<double> coef;
    const bool solved = series.solved && series.kind == 1;
    if (solved) {
        size_t n = 0;
        for (int d : od.varDegree)
            n += static_cast<size_t>(d) + 1;
        coef.assign(n, 0.0);
        for (double& c : coef)
            s.readNumber(c);
        if (!s.ok()) {
            why = s.error();
            return damaged(path);
        }
    }
    showInBoxes(series, head, names, nonlinear, t);
    result.ok = true;
    result.content.texts = t;
    result.content.solved = solved;
    result.content.coef = std::move(coef);
    return result;
}

std::string UserScratchPath()
{
    namespace fs = std::filesystem;
    fs::path folder;
#ifdef _WIN32
    if (const std::string local = EnvironmentText("LOCALAPPDATA"); !local.empty())
        folder = NativePath(local) / "ODE Series";
#else
    if (const std::string data = EnvironmentText("XDG_DATA_HOME"); !data.empty())
        folder = NativePath(data) / "odeseries";
    else if (const std::string home = EnvironmentText("HOME"); !home.empty())
        folder = NativePath(home) / ".local" / "share" / "odeseries";
#endif
    if (folder.empty())
        folder = fs::temp_directory_path() / "odeseries";
    std::error_code ec;
    fs::create_directories(folder, ec);
    return Utf8Path(folder / "AMAT.MAT");
}

bool ReadScratchCoefficients(const std::string& text, const std::string& scratchPath,
                             const std::vector<int>& oldDegrees, const OrdersAndDegrees& od, std::vector<double>& coef,
                             std::string& error)
{
    RecordReader r(text);
    std::vector<double> relaid(static_cast<size_t>(std::max(od.numUnknowns, 0)), 0.0);
    for (size_t j = 0; j < od.varDegree.size(); ++j) {
        const int old = j < oldDegrees.size() ? oldDegrees[j] : -1;
        const int keep = std::min(old, od.varDegree[j]);
        const int off = od.offset(static_cast<int>(j));
        for (int p = 0; p <= old; ++p) {
            double v = 0;
            if (!r.readNumber(v)) {
                error = "The file " + scratchPath + " cannot be read back: " + r.error();
                return false;
            }
            if (p <= keep && off + p >= 0 && static_cast<size_t>(off + p) < relaid.size())
                relaid[static_cast<size_t>(off + p)] = v;
        }
    }
    coef = relaid;
    return true;
}

bool RelayCurrentApproximation(const std::string& scratchPath, const std::vector<int>& oldDegrees,
                               const OrdersAndDegrees& od, std::vector<double>& coef, std::string& error)
{
    RecordWriter w;
    for (double c : coef)
        w.printLine({c});
    if (!WriteFilesAtomically({{scratchPath, w.text()}}, error))
        return false;
    std::string text;
    if (!ReadWholeFile(scratchPath, text, error))
        return false;
    return ReadScratchCoefficients(text, scratchPath, oldDegrees, od, coef, error);
}

bool RelayThroughScratchFile(const std::string& preferred, const std::vector<int>& oldDegrees,
                             const OrdersAndDegrees& od, std::vector<double>& coef, std::string& error)
{
    if (RelayCurrentApproximation(preferred, oldDegrees, od, coef, error))
        return true;
    std::string second;
    return RelayCurrentApproximation(UserScratchPath(), oldDegrees, od, coef, second);
}

} // namespace ode
