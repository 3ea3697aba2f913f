#pragma once
// The workflow of a single linear problem form without its widgets: the boxes' texts, the
// results the lists show, and the commands Solve, Evaluate, Open, Save and Print. The forms
// and the command line drive this one object, so the rules live in one place.

#include "collocation/Chebyshev.h"
#include "linear/LinearFiles.h"
#include "linear/LinearProblem.h"
#include "linear/LinearSolver.h"
#include "script/ScriptHost.h"
#include "single/ProblemSession.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ode {

class LinearSession : public ProblemSession {
public:
    LinearSession(SeriesKind kind, std::shared_ptr<script::Class1>& shared, script::ScriptHost::MessageSink sink);

    SeriesKind kind() const override { return m_kind; }
    ProblemKind problemKind() const override
    {
        return m_kind == SeriesKind::Power ? ProblemKind::LinearPower : ProblemKind::LinearTrig;
    }
    SingleTexts& texts() override { return boxes; }
    const SingleTexts& texts() const override { return boxes; }

    // The boxes as the user left them.
    SingleTexts boxes;

    const SingleInputs& inputs() const override { return m_inputs; }
    SeriesView series() const override;

    // ReadInputs with the constants run in the engine. False when a constant fails.
    bool readInputs();

    // Open reads the pair NAME and NAME.str.
    bool save(const std::string& path) override;
    std::string problemFileText() const override;
    std::vector<std::string> report() override;

private:
    bool openProblem(const std::string& path) override;
    SolveReport describe() const override;
    bool residualLinesAt(double x, std::vector<std::string>& lines) override;
    bool termsAt(double x, double& residual, double& terms) override;
    bool solveProblem() override;
    bool solveChebyshev();
    bool solveTrigonometricAuto();
    bool extract(bool report);
    void listCoefficientsAndResiduals();

    SeriesKind m_kind;
    SingleInputs m_inputs;
    LinearCoefficientTexts m_texts;
};

} // namespace ode
