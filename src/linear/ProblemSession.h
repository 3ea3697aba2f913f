#pragma once
// What a single-equation problem form asks of its session, linear or nonlinear: the boxes,
// the results the lists show, and the commands. One form serves all four single-equation
// kinds through this interface.

#include "linear/LinearProblem.h"
#include "script/ScriptHost.h"
#include "series/Series.h"

#include <string>
#include <vector>

namespace ode {

class ProblemSession {
public:
    virtual ~ProblemSession() = default;

    virtual SeriesKind kind() const = 0;
    virtual LinearTexts& texts() = 0;
    virtual bool solved() const = 0;
    virtual const std::vector<double>& coef() const = 0;
    virtual const LinearInputs& inputs() const = 0;
    virtual const std::vector<std::string>& lstCoeff() const = 0;
    virtual const std::vector<std::string>& lstBCError() const = 0;
    virtual const std::vector<std::string>& lstDError() const = 0;
    virtual const std::string& lblValue() const = 0;
    virtual void clearResults() = 0;
    virtual bool solve() = 0;
    virtual bool evaluate() = 0;
    virtual bool open(const std::string& path) = 0;
    virtual bool save(const std::string& path) = 0;
    virtual std::vector<std::string> report() = 0;
    virtual script::ScriptHost& host() = 0;
};

} // namespace ode
