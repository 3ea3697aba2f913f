#pragma once
// The problem pair of a single linear equation: the series file (the chosen name) with the
// interval, centre, kind, degree and, when solved, the coefficients; and the problem file
// (the name followed by ".str") with the magic word, order, names, equation, conditions and
// constants. Both are written whole or not at all.

#include "common/FileIO.h"
#include "linear/LinearProblem.h"
#include "single/SingleFiles.h"

#include <optional>
#include <string>
#include <vector>

namespace ode {

struct LinearOpenResult {
    bool ok = false;
    // "Incompatible file" for a problem file of another kind; otherwise what went wrong.
    std::string message;
    SingleFileContent content;
};

// Opens the pair `path` / `path`.str as the form of `kind` does. Nothing is changed on failure.
LinearOpenResult OpenLinearProblem(const std::string& path, SeriesKind kind, double pi);

// The problem file's text for the boxes as they stand (the series file's is SeriesFileText).
std::string LinearProblemFileText(SeriesKind kind, const SingleTexts& boxes);

// SaveProblem: writes both files. False with a message when they cannot be written; an
// existing pair is then left as it was.
// `extra` files are written, or removed, in the same all-or-nothing save.
bool SaveLinearProblem(const std::string& path, SeriesKind kind, const SingleTexts& boxes, bool solved,
                       const std::vector<double>& coef, std::string& error, const FileSet& extra = {});

} // namespace ode
