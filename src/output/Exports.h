#pragma once
// A standing solution written out for other programs: CSV (coefficients, and a grid of values
// and derivatives), JSON (the whole problem and solution), LaTeX (the series as a formula),
// and code that evaluates the series in Python, C99 or Octave exactly as the program's
// Evaluate does (the same operations in the same order, so the same digits). These are
// additional outputs; the problem and series files are untouched by them.

#include "common/FileIO.h"
#include "output/Solution.h"

#include <optional>
#include <string>
#include <string_view>

namespace ode {

enum class ExportKind { Csv, Json, Latex, Python, C, Octave };

// "csv", "json", "latex", "python", "c", "octave" and back; none for another word.
std::optional<ExportKind> ExportKindNamed(std::string_view word);
const char* ExportKindWord(ExportKind kind);
// The words, for messages: "csv, json, latex, python, c or octave".
std::string ExportKindWords();

struct ExportOptions {
    // CSV: the values and derivatives up to each variable's order on gridIntervals + 1 equally
    // spaced points of the interval, into PATH-grid (before PATH's extension); 0 for none.
    int gridIntervals = 0;
};

// The grid's number of intervals as a box or an option gives it: a whole number from `least`
// (0 where the grid may be left out) to kMaxGridIntervals.
bool CheckGridIntervalsText(const std::string& text, int least);

// The files the export of `s` as `kind` to `path` consists of, as (name, text) pairs: one file
// for most kinds; CSV with a grid two (PATH and PATH-grid.EXT); Octave one NAME.m a variable
// in the folder `path`. False with the reason when the solution cannot be written that way.
bool ExportFiles(const Solution& s, ExportKind kind, const std::string& path, const ExportOptions& options,
                 FileTexts& files, std::string& error);

// ExportFiles, then every file written in one all-or-nothing step (an Octave folder is made
// first when missing and its parent exists, and removed again when the write fails). False with
// the message when nothing was written.
bool WriteExport(const Solution& s, ExportKind kind, const std::string& path, const ExportOptions& options,
                 std::string& error, std::vector<std::string>* written = nullptr);

// The one source of every identifier and name an export writes: the name's checked form
// (CheckedName: the name itself when valid), with "_" added when `language` or the file already
// uses that word ("lambda" or "range" in Python, "int" or "y1" in C, "end" or "sin" in Octave).
// CSV and LaTeX take the checked form as it is; JSON holds the names as data.
std::string CodeName(const std::string& name, ExportKind language);

// The texts themselves (for tests and the command line's JSON).
std::string CsvCoefficients(const Solution& s);
std::string CsvGrid(const Solution& s, int intervals);
std::string JsonText(const Solution& s);
std::string LatexText(const Solution& s);
std::string PythonModule(const Solution& s);
std::string CSource(const Solution& s);
std::string OctaveFunction(const Solution& s, size_t variable);

} // namespace ode
