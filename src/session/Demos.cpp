#include "session/Demos.h"

#include "common/FileIO.h"
#include "common/Paths.h"
#include "common/TextRecords.h"
#include "common/Utf8.h"
#include "session/ProblemFiles.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace ode {

namespace {

bool HoldsIndex(const std::filesystem::path& folder)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(folder / kDemoIndexName, ec);
}

// The kind of the demo's pair, into `kind`.
bool ReadPairKind(const std::string& name, ProblemKind& kind, std::string& why)
{
    const std::optional<ProblemKind> found = PairKind(name, why);
    if (found)
        kind = *found;
    return found.has_value();
}

// "start=0 points=chebyshev degree=auto": false with the word that is not understood.
bool ReadSettings(const std::string& text, Demo& demo, std::string& why)
{
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        if (word == "points=chebyshev")
            demo.chebyshev = true;
        else if (word == "points=equal")
            demo.chebyshev = false;
        else if (word == "degree=auto")
            demo.autoDegree = true;
        else if (word.rfind("start=", 0) == 0 && word.size() == 7 && word[6] >= '0' && word[6] <= '4')
            demo.start = word[6] - '0';
        else {
            why = "the setting " + Excerpt(word) +
                  " is not one of start=0...4, points=equal, points=chebyshev, degree=auto";
            return false;
        }
    }
    return true;
}

std::string WithoutLineEnd(std::string line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.pop_back();
    return line;
}

} // namespace

std::string FindDemoFolder(const std::string& programFolder)
{
    if (std::string chosen = EnvironmentText("ODESERIES_EXAMPLES"); !chosen.empty())
        return chosen;
    const std::filesystem::path program = NativePath(programFolder);
    std::vector<std::filesystem::path> candidates = {program / "examples",
                                                     program / ".." / "share" / "odeseries" / "examples"};
    // A program run from its build folder (or its tests) takes the source tree's; an installed
    // one never does.
    const std::string build = ODESERIES_BUILD_DIR;
    if (programFolder.compare(0, build.size(), build) == 0)
        candidates.push_back(NativePath(ODESERIES_SOURCE_EXAMPLES));
    for (const auto& folder : candidates)
        if (HoldsIndex(folder))
            return Utf8Path(folder.lexically_normal());
    return {};
}

DemoLibrary LoadDemoLibrary(const std::string& folder)
{
    DemoLibrary library;
    if (folder.empty()) {
        library.problems.push_back("no examples folder was found");
        return library;
    }
    library.folder = folder;
    const std::filesystem::path base = NativePath(folder);
    std::string index, why;
    if (!ReadWholeFile(Utf8Path(base / kDemoIndexName), index, why)) {
        library.problems.push_back(why);
        return library;
    }
    std::istringstream lines(index);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        line = WithoutLineEnd(line);
        if (line.empty() || line[0] == '#')
            continue;
        const size_t tab = line.find('\t');
        const size_t settings = tab == std::string::npos ? tab : line.find('\t', tab + 1);
        Demo demo;
        demo.name = line.substr(0, tab);
        demo.description = tab == std::string::npos ? std::string() : line.substr(tab + 1, settings - tab - 1);
        demo.path = Utf8Path(base / NativePath(demo.name));
        std::string content;
        if (demo.name.empty() || demo.name.find_first_of("/\\") != std::string::npos) {
            library.problems.push_back(kDemoIndexName + (":" + std::to_string(number)) + ": no demo name");
            continue;
        }
        if (!ReadWholeFile(demo.path, content, why) || !ReadPairKind(demo.path, demo.kind, why) ||
            (settings != std::string::npos && !ReadSettings(line.substr(settings + 1), demo, why))) {
            library.problems.push_back(demo.name + ": " + why);
            continue;
        }
        library.demos.push_back(std::move(demo));
    }
    return library;
}

const Demo* FindDemo(const DemoLibrary& library, const std::string& name)
{
    for (const Demo& d : library.demos)
        if (d.name == name)
            return &d;
    return nullptr;
}

std::string DemoListLine(const Demo& demo) { return demo.name + '\t' + MagicWord(demo.kind) + '\t' + demo.description; }

const char* DemoKindCaption(ProblemKind kind)
{
    switch (kind) {
    case ProblemKind::LinearPower:
        return "Linear, power series";
    case ProblemKind::LinearTrig:
        return "Linear, trigonometric series";
    case ProblemKind::NonlinearPower:
        return "Nonlinear, power series";
    case ProblemKind::NonlinearTrig:
        return "Nonlinear, trigonometric series";
    case ProblemKind::LinearSystem:
        return "Linear system";
    case ProblemKind::NonlinearSystem:
        return "Nonlinear system";
    }
    return "";
}

} // namespace ode
