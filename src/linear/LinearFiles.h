#pragma once
// The problem pair of a single linear equation: the series file (the chosen name) with the
// interval, centre, kind, degree and, when solved, the coefficients; and the problem file
// (the name followed by ".str") with the magic word, order, names, equation, conditions and
// constants. Both are written whole or not at all.

#include "session/ProblemFiles.h"
#include "common/FileIO.h"
#include "common/TextRecords.h"
#include "linear/LinearProblem.h"

#include <optional>
#include <string>
#include <vector>

namespace ode {

// What Open reads: the boxes as ShowProblem fills them, and the stored solution.
struct LinearFileContent {
    LinearTexts texts;
    bool solved = false;
    std::vector<double> coef; // c0 ... cN when solved
    int seriesDegree = 0;     // N
    double xlower = 0, xupper = 0, xcenter = 0;
    double period = 0; // trigonometric form: the number, or 2 Pi for "*"
    std::string periodText = "*";
};

struct LinearOpenResult {
    bool ok = false;
    // "Incompatible file" for a problem file of another kind; otherwise what went wrong.
    std::string message;
    LinearFileContent content;
};

// Opens the pair `path` / `path`.str as the form of `kind` does. Nothing is changed on failure.
LinearOpenResult OpenLinearProblem(const std::string& path, SeriesKind kind, double pi);

// The texts of both files for the boxes as they stand and the solution (coefficients are
// written only when `solved`).
std::string LinearSeriesFileText(SeriesKind kind, const LinearTexts& boxes, bool solved,
                                 const std::vector<double>& coef);
std::string LinearProblemFileText(SeriesKind kind, const LinearTexts& boxes);

// How the problem file of a single equation keeps its texts: the names and the equation in a
// written line (always quoted), each condition and constant entry in a printed line.
constexpr TextItemForm kEquationItem = TextItemForm::Quoted;
constexpr TextItemForm kConditionItem = TextItemForm::AsNeeded;

// The first text of `boxes` that the problem file could not give back as typed, as the refusal
// naming the character (see FileTextRefusal); nothing when every text can be saved.
std::optional<std::string> UnsavableText(const LinearTexts& boxes);

// SaveProblem: writes both files. False with a message when they cannot be written; an
// existing pair is then left as it was.
// `extra` files are written, or removed, in the same all-or-nothing save.
bool SaveLinearProblem(const std::string& path, SeriesKind kind, const LinearTexts& boxes, bool solved,
                       const std::vector<double>& coef, std::string& error, const FileSet& extra = {});

// The series file's fields (shared by every single-equation form): the interval, centre,
// period, degree and, when solved, the coefficients. False with the reason when damaged.
bool ReadSeriesFile(const std::string& seriesText, SeriesKind kind, double pi, LinearFileContent& c, std::string& why);

// The problem file's condition lines, constant count and constants after the head fields.
bool ReadConditionsAndConstants(RecordReader& p, double order, LinearFileContent& c, std::string& why);

// ShowProblem's box texts for the series fields read.
void ShowSeriesInBoxes(SeriesKind kind, LinearFileContent& c);

} // namespace ode
