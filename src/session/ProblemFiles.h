#pragma once
// What the pair of files of every kind shares: the files one save writes (the series file, the
// problem file NAME.str and the accurate method's NAME.acc), the first step of every Open, the
// messages of a damaged file and of a save refused, and how a constant entry is kept.

#include "common/ProblemKind.h"
#include "common/TextRecords.h"

#include <optional>
#include <string>
#include <vector>

namespace ode {

// How every kind's problem file keeps a constant entry: in a printed line.
constexpr TextItemForm kConstantItem = TextItemForm::AsNeeded;

// "The constant NAME", as a refusal of a constant entry names it.
std::string ConstantWhat(const std::string& entry);

// The refusal of a save whose coefficients the series file could not give back (an infinity or
// a NaN, which the file writes as the run time did, "1.#INF", and no reader takes), or nothing:
// such a save would leave a pair that cannot be opened in place of one that can.
std::optional<std::string> UnsavableCoefficients(bool solved, const std::vector<double>& coef);

// NAME.str, the problem file of the pair NAME (its series file is NAME itself).
constexpr const char* kProblemFileSuffix = ".str";

// The pair a chosen file belongs to: NAME for NAME.str (a dialog, a drop or a typed name may
// give either file of the pair), otherwise the name as it is.
std::string PairName(const std::string& chosen);

// The kind of the pair NAME, by its problem file's magic word; none, with `why`, when the file
// cannot be read or is no problem file.
std::optional<ProblemKind> PairKind(const std::string& name, std::string& why);

// NAME.acc for the problem pair NAME.
std::string AccurateFilePath(const std::string& problemPath);

// The files of the pair `path` as one save writes them: the series file, the problem file and
// the accurate method's NAME.acc.
std::vector<std::string> PairFiles(const std::string& path);

// The first step of every kind's Open: an interrupted save of the pair settled (RecoverFiles),
// both files read whole and the problem file's magic word checked. On success `problem` stands
// after the magic word and `seriesText` holds the series file; otherwise `message` says why
// ("Incompatible file" for a pair of another kind, or why the interrupted save stops it).
struct OpenedPair {
    bool ok = false;
    std::string message;
    std::string seriesText;
    RecordReader problem{std::string()};
};
OpenedPair OpenProblemPair(const std::string& path, const std::string& magic);

// "The file NAME cannot be read: WHY".
std::string DamagedFileMessage(const std::string& file, const std::string& why);

} // namespace ode
