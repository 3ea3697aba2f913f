#pragma once
// Where `odeseries solve` puts what a run shows: the lists as "[controlName]" blocks (the
// text form), or one JSON object a problem with the lists, the evaluations, the solution as
// numbers, the files written, the messages and the exit status (--format json).

#include "output/Solution.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace ode::cli {

class Results {
public:
    virtual ~Results() = default;
    // A run of the problem pair `file` begins (`several`: one of many in this command).
    virtual void begin(const std::string& file, bool several) = 0;
    virtual void list(const std::string& name, const std::vector<std::string>& lines) = 0;
    // One Evaluate: at x (as typed), of order `derivative`; `valueName` is "lblValue" with one
    // value (a single equation) or "lstValue" with a line a variable (a system); `numbers` are
    // those values as numbers; `warning` says when x is outside the interval ("" inside).
    virtual void evaluation(const std::string& x, const std::string& derivative, const std::string& valueName,
                            const std::vector<std::string>& values, const std::vector<double>& numbers,
                            const std::vector<std::string>& residuals, const std::string& warning) = 0;
    virtual void solution(const std::optional<Solution>& s) = 0;
    virtual void written(const std::string& what, const std::string& file) = 0;
    // The run ends with `status`; the messages went to `messages()` meanwhile.
    virtual void end(int status) = 0;
    // Where a run's messages go ("odeseries: ..." lines).
    virtual std::ostream& messages() = 0;
};

// The "[name]" blocks on `out`, messages on `err`: the command line's first form.
std::unique_ptr<Results> TextResults(std::ostream& out, std::ostream& err);
// One JSON object a run, each on a line of its own, on `out`.
std::unique_ptr<Results> JsonResults(std::ostream& out);

} // namespace ode::cli
