#pragma once
// The problem pair of a single nonlinear equation: the series file as the linear forms write
// it, and the problem file "Pndif"/"Tndif" with the bounds and the iteration limit after the
// order. Also the loading of a saved series as the initial approximation.

#include "common/FileIO.h"
#include "nonlinear/NonlinearProblem.h"
#include "single/SingleFiles.h"

namespace ode {

struct NonlinearOpenResult {
    bool ok = false;
    std::string message;
    SingleFileContent content;
    NonlinearTexts texts;
};

NonlinearOpenResult OpenNonlinearProblem(const std::string& path, SeriesKind kind, double pi);
std::string NonlinearProblemFileText(SeriesKind kind, const NonlinearTexts& boxes);
bool SaveNonlinearProblem(const std::string& path, SeriesKind kind, const NonlinearTexts& boxes, bool solved,
                          const std::vector<double>& coef, std::string& error, const FileSet& extra = {});

// "3 - Series from file": reads the coefficients of a saved series (after settling an
// interrupted save of it). On refusal `message` is
// "Series is multivariable", "Series is trigonometric" (or, on the trigonometric form, "Series
// is a power series"), "No coefficients in file", or why the file cannot be read.
struct ApproximationSeries {
    bool ok = false;
    std::string message;
    std::vector<double> coef;
    int degree = 0;         // N
    double centre = 0;      // the file's centre ("*": its interval's midpoint)
    std::string periodText; // trigonometric series
};
ApproximationSeries LoadApproximationSeries(const std::string& path, SeriesKind kind);

} // namespace ode
