#pragma once
// The files of the systems: the problem pair (the series file under the chosen name, with the
// interval, centre and, when solved, every variable's coefficients one after another; and the
// problem file NAME.str with the magic word, the shape, each variable's order, degree and
// name, the equations, conditions and constants), Save Separately's one series file per
// variable, and the scratch file "AMAT.MAT" through which the current approximation is re-laid
// for new degrees. Every file is written whole or not at all.

#include "common/FileIO.h"
#include "common/TextRecords.h"
#include "systems/LinearSystem.h"
#include "systems/SystemProblem.h"

#include <optional>
#include <string>
#include <vector>

namespace ode {

// What Open reads: the boxes as ShowProblem fills them (the others as they were) and the
// stored solution.
struct SystemFileContent {
    SystemTexts texts;
    bool solved = false;
    std::vector<double> coef; // variable-major, when solved
};

struct SystemOpenResult {
    bool ok = false;
    // "Incompatible file" for a problem file of another kind; otherwise what went wrong.
    std::string message;
    SystemFileContent content;
};

// Opens the pair `path` / `path`.str as the linear (`nonlinear` false) or nonlinear systems
// form does; `current` gives the boxes the files do not hold.
SystemOpenResult OpenSystemProblem(const std::string& path, bool nonlinear, const SystemTexts& current);

// The two files' texts for the boxes, the inputs read from them and the orders and degrees.
std::string SystemSeriesFileText(const SystemTexts& boxes, int lastVar, bool solved, const std::vector<double>& coef);
std::string SystemProblemFileText(bool nonlinear, const SystemTexts& boxes, const SystemInputs& in,
                                  const OrdersAndDegrees& od);

// How the systems' problem file keeps its texts: each equation and constant entry in a printed
// line, each condition and name in a written one (always quoted).
constexpr TextItemForm kSystemEquationItem = TextItemForm::AsNeeded;
constexpr TextItemForm kSystemConditionItem = TextItemForm::Quoted;

// The first text of `boxes` that the problem file could not give back as typed, as the refusal
// naming the character (see FileTextRefusal); nothing when every text can be saved.
std::optional<std::string> UnsavableText(const SystemTexts& boxes);

// Save All: both files. False with a message when they cannot be written; an existing pair is
// then left as it was.
// `extra` files are written, or removed, in the same all-or-nothing save.
bool SaveSystemProblem(const std::string& path, bool nonlinear, const SystemTexts& boxes, const SystemInputs& in,
                       const OrdersAndDegrees& od, bool solved, const std::vector<double>& coef, std::string& error,
                       const FileSet& extra = {});

// Save Separately: NAME_y, NAME_z ... one single-variable series file for each name.
bool SaveSystemSeparately(const std::string& path, const SystemTexts& boxes, const std::vector<std::string>& names,
                          const OrdersAndDegrees& od, bool solved, const std::vector<double>& coef, std::string& error);

// Where "AMAT.MAT" goes when the current folder is not writable: the per-user data folder
// (XDG_DATA_HOME or ~/.local/share/odeseries; %LOCALAPPDATA%\ODE Series on Windows).
std::string UserScratchPath();

// "3 - Current approximation": `coef` (laid out with `oldDegrees`) re-laid for the new degrees
// through the scratch file `scratchPath` ("AMAT.MAT"), each variable keeping its first
// min(old, new) + 1 coefficients and 0 above. False with the reason when the file fails.
bool RelayCurrentApproximation(const std::string& scratchPath, const std::vector<int>& oldDegrees,
                               const OrdersAndDegrees& od, std::vector<double>& coef, std::string& error);

// The same through `preferred` ("AMAT.MAT" in the current folder) or, when that cannot be
// written, through the per-user folder's; the error is the preferred file's.
bool RelayThroughScratchFile(const std::string& preferred, const std::vector<int>& oldDegrees,
                             const OrdersAndDegrees& od, std::vector<double>& coef, std::string& error);

// The reading half: `text` (the scratch file's content, named `scratchPath` in messages) holds
// the coefficients laid out with `oldDegrees`; they are re-laid into `coef` for `od`.
bool ReadScratchCoefficients(const std::string& text, const std::string& scratchPath,
                             const std::vector<int>& oldDegrees, const OrdersAndDegrees& od, std::vector<double>& coef,
                             std::string& error);

} // namespace ode
