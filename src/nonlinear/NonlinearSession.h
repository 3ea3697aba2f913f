#pragma once
// The workflow of a single nonlinear problem form without its widgets: Solve (Newton
// iteration from the chosen initial approximation), Evaluate, Open, Save, the series from a
// file, and the report. The coefficients survive every solve: they are the "current
// approximation" of the next one.

#include "linear/ProblemSession.h"
#include "nonlinear/NewtonSolver.h"
#include "nonlinear/NonlinearFiles.h"
#include "script/ScriptHost.h"

#include <memory>
#include <random>

namespace ode {

class NonlinearSession : public ProblemSession {
public:
    NonlinearSession(SeriesKind kind, std::shared_ptr<script::Class1>& shared, script::ScriptHost::MessageSink sink);

    SeriesKind kind() const override { return m_kind; }
    LinearTexts& texts() override { return boxes; }
    NonlinearTexts boxes;

    bool solved() const override { return m_solved; }
    const std::vector<double>& coef() const override { return m_coef; }
    const NonlinearInputs& inputs() const override { return m_inputs; }
    const NewtonResult& lastResult() const { return m_result; }
    const std::vector<std::string>& lstCoeff() const override { return m_lstCoeff; }
    const std::vector<std::string>& lstBCError() const override { return m_lstBCError; }
    const std::vector<std::string>& lstDError() const override { return m_lstDError; }
    const std::string& lblValue() const override { return m_lblValue; }
    SeriesView series() const { return NonlinearSeries(m_inputs, m_coef); }

    void clearResults() override;
    bool solve() override;
    bool evaluate() override;
    bool open(const std::string& path) override;
    bool save(const std::string& path) override;
    std::vector<std::string> report() override;

    // "3 - Series from file": loads `path`'s coefficients; on success the boxes' degree (or
    // terms and period) and centre show the series. On refusal the message is shown and the
    // choice falls back to "2 Random coefficients".
    bool loadSeries(const std::string& path);

    void seedRandom(uint64_t seed) { m_random.seed(seed); }
    script::ScriptHost& host() override { return m_host; }

private:
    bool prepare();

    SeriesKind m_kind;
    script::ScriptHost::MessageSink m_sink;
    script::ScriptHost m_host;
    std::mt19937_64 m_random;
    bool m_solved = false;
    bool m_inputsRead = false;
    std::vector<double> m_coef;
    NonlinearInputs m_inputs;
    std::vector<std::string> m_residualExpr;
    NewtonResult m_result;
    std::vector<std::string> m_lstCoeff, m_lstBCError, m_lstDError;
    std::string m_lblValue;
};

} // namespace ode
