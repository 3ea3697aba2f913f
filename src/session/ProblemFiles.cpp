#include "session/ProblemFiles.h"

#include "common/FileIO.h"
#include "common/Utf8.h"
#include "script/Constants.h"

#include <algorithm>
#include <cmath>

namespace ode {

std::string ConstantWhat(const std::string& entry)
{
    return "The constant " + Excerpt(script::ConstantList::nameOf(entry));
}

std::optional<std::string> UnsavableCoefficients(bool solved, const std::vector<double>& coef)
{
    if (solved && !std::all_of(coef.begin(), coef.end(), [](double c) { return std::isfinite(c); }))
        return "The solution cannot be saved: its series holds a coefficient that is not a finite number (the power "
               "series about the centre overflows at this degree). The files there are left as they were.";
    return std::nullopt;
}

std::string AccurateFilePath(const std::string& problemPath) { return problemPath + ".acc"; }

std::vector<std::string> PairFiles(const std::string& path)
{
    return {path, path + kProblemFileSuffix, AccurateFilePath(path)};
}

std::string PairName(const std::string& chosen)
{
    const std::string suffix = kProblemFileSuffix;
    if (chosen.size() > suffix.size() && chosen.compare(chosen.size() - suffix.size(), suffix.size(), suffix) == 0)
        return chosen.substr(0, chosen.size() - suffix.size());
    return chosen;
}

std::optional<ProblemKind> PairKind(const std::string& name, std::string& why)
{
    std::string text;
    if (!ReadWholeFile(name + kProblemFileSuffix, text, why))
        return std::nullopt;
    RecordReader reader(std::move(text));
    std::string magic;
    reader.readText(magic);
    const std::optional<ProblemKind> found = KindOfMagicWord(magic);
    if (!reader.ok() || !found) {
        why = "not a problem file of any kind";
        return std::nullopt;
    }
    return found;
}

OpenedPair OpenProblemPair(const std::string& path, const std::string& magic)
{
    OpenedPair pair;
    std::string problemText;
    if (!RecoverFiles(PairFiles(path), pair.message))
        return pair;
    if (!ReadWholeFile(path, pair.seriesText, pair.message) ||
        !ReadWholeFile(path + kProblemFileSuffix, problemText, pair.message))
        return pair;
    // The problem file's magic word first: a pair of another kind is "Incompatible file",
    // whatever its series file holds.
    pair.problem = RecordReader(std::move(problemText));
    std::string word;
    if (!pair.problem.readText(word)) {
        pair.message = DamagedFileMessage(path + kProblemFileSuffix, pair.problem.error());
        return pair;
    }
    if (word != magic) {
        pair.message = "Incompatible file";
        return pair;
    }
    pair.ok = true;
    return pair;
}

std::string DamagedFileMessage(const std::string& file, const std::string& why)
{
    return "The file " + file + " cannot be read: " + why;
}

} // namespace ode
