#pragma once
// The pair of files of a single equation, linear or nonlinear: the series file (the chosen name)
// with the interval, centre, kind, degree and, when solved, the coefficients; and the problem
// file (the name followed by ".str"), whose head line each kind writes its own way and whose
// conditions and constants follow alike.

#include "common/TextRecords.h"
#include "session/ProblemFiles.h"
#include "single/SingleProblem.h"

#include <optional>
#include <string>
#include <vector>

namespace ode {

// What Open reads: the boxes as ShowProblem fills them, and the stored solution.
struct SingleFileContent {
    SingleTexts texts;
    bool solved = false;
    std::vector<double> coef; // c0 ... cN when solved
    int seriesDegree = 0;     // N
    double xlower = 0, xupper = 0, xcenter = 0;
    double period = 0; // trigonometric form: the number, or 2 Pi for "*"
    std::string periodText = "*";
};

// How the problem file of a single equation keeps its texts: the names and the equation in a
// written line (always quoted), each condition and constant entry in a printed line.
constexpr TextItemForm kEquationItem = TextItemForm::Quoted;
constexpr TextItemForm kConditionItem = TextItemForm::AsNeeded;

// The first text of `boxes` that the problem file could not give back as typed, as the refusal
// naming the character (see FileTextRefusal); nothing when every text can be saved.
std::optional<std::string> UnsavableText(const SingleTexts& boxes);

// The series file's text for the boxes as they stand and the solution (coefficients are written
// only when `solved`).
std::string SeriesFileText(SeriesKind kind, const SingleTexts& boxes, bool solved, const std::vector<double>& coef);

// The problem file's lines after its head line: each condition with its point, the number of
// constants and each constant.
void WriteConditionsAndConstants(const SingleTexts& boxes, RecordWriter& w);

// The series file's fields (shared by every single-equation form): the interval, centre,
// period, degree and, when solved, the coefficients. False with the reason when damaged.
bool ReadSeriesFile(const std::string& seriesText, SeriesKind kind, double pi, SingleFileContent& c, std::string& why);

// The problem file's condition lines, constant count and constants after the head fields.
bool ReadConditionsAndConstants(RecordReader& p, double order, SingleFileContent& c, std::string& why);

// ShowProblem's box texts for the series fields read.
void ShowSeriesInBoxes(SeriesKind kind, SingleFileContent& c);

} // namespace ode
