#pragma once
// The workflow of a single linear problem form without its widgets: the boxes' texts, the
// results the lists show, and the commands Solve, Evaluate, Open, Save and Print. The forms
// and the command line drive this one object, so the rules live in one place.

#include "linear/LinearFiles.h"
#include "linear/LinearProblem.h"
#include "linear/LinearSolver.h"
#include "linear/ProblemSession.h"
#include "script/ScriptHost.h"

#include <memory>
#include <string>
#include <vector>

namespace ode {

class LinearSession : public ProblemSession {
public:
    LinearSession(SeriesKind kind, std::shared_ptr<script::Class1>& shared, script::ScriptHost::MessageSink sink);

    SeriesKind kind() const override { return m_kind; }
    LinearTexts& texts() override { return boxes; }

    // The boxes as the user left them.
    LinearTexts boxes;

    // Results as the form shows them.
    bool solved() const override { return m_solved; }
    const std::vector<double>& coef() const override { return m_coef; }
    const LinearInputs& inputs() const override { return m_inputs; }
    const std::vector<std::string>& lstCoeff() const override { return m_lstCoeff; }
    const std::vector<std::string>& lstBCError() const override { return m_lstBCError; }
    const std::vector<std::string>& lstDError() const override { return m_lstDError; }
    const std::string& lblValue() const override { return m_lblValue; }
    SeriesView series() const;

    // ClearResults: empties the lists and the value, and no solution stands.
    void clearResults() override;

    // ReadInputs with the constants run in the engine. False when a constant fails.
    bool readInputs();

    // The Solve button. True when a solution stands afterwards.
    bool solve() override;

    // The Evaluate button at the boxes' point and derivative order; does nothing (false) unless
    // a solution stands or when the order is negative.
    bool evaluate() override;

    // Open: reads the pair and shows it; a stored solution stands at once. On failure the
    // message is shown through the sink and nothing changes.
    bool open(const std::string& path) override;

    // SaveProblem under `path`; false with the message shown through the sink.
    bool save(const std::string& path) override;

    // The printed report's lines (inputs of the last reading; read now if there was none).
    std::vector<std::string> report() override;

    script::ScriptHost& host() override { return m_host; }

private:
    bool extract(bool report);
    void listCoefficientsAndResiduals();

    SeriesKind m_kind;
    script::ScriptHost::MessageSink m_sink;
    script::ScriptHost m_host;
    bool m_solved = false;
    bool m_inputsRead = false;
    std::vector<double> m_coef;
    LinearInputs m_inputs;
    LinearCoefficientTexts m_texts;
    std::vector<std::string> m_lstCoeff, m_lstBCError, m_lstDError;
    std::string m_lblValue;
};

} // namespace ode
