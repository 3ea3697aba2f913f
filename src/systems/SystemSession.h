#pragma once
// The workflow of the systems forms (frmSldif linear, frmSndif nonlinear) without their
// widgets: the boxes, Solve, Evaluate, Open, Save All, Save Separately and the report.

#include "systems/NonlinearSystem.h"

#include <memory>
#include <random>

namespace ode {

struct SystemTexts {
    std::string numDE = "2";         // txtNumDE
    std::string numBC = "3";         // txtNumBC
    std::string indepVarName = "x";  // txtIndepVarNam
    std::string depVarNames = "y,z"; // txtDepVarNams: names separated by commas
    std::string terms = "10";        // txtTerms: approximate degree
    std::string expansion = "0";     // txtExpansion
    std::string xlower = "-1", xupper = "1";
    std::vector<std::string> equations = {"y''-y+x*z'=2*x^2"}; // txtEquation(0 ... LastVar)
    std::vector<std::string> bcText = {"y=0"};                 // txtBC(1 ... NumBC) at 0 ...
    std::vector<std::string> bcPoint = {"0"};                  // txtXeval
    std::vector<std::string> constants;
    std::string xestimation = "0", derNum = "0";
    // frmSndif
    std::string errorD = ".01", errorC = ".01", maxcy = "10";
    std::string approximation = "2 - Random coefficients";
};

// Where "AMAT.MAT" goes when the current folder is not writable: the per-user data folder
// (XDG_DATA_HOME or ~/.local/share/odeseries; %LOCALAPPDATA%\ODE Series on Windows).
std::string UserScratchPath();

// The names of txtDepVarNams: cut at every ",", blanks kept.
std::vector<std::string> SplitNames(const std::string& text);

// The items of frmSndif's cboApproximation.
extern const char* const kSystemApproximationItems[4];

// Every check the systems forms apply to their boxes: the first refusal, or nothing.
std::optional<std::string> CheckSystemTexts(const SystemTexts& t, bool nonlinear);

class SystemSession {
public:
    SystemSession(bool nonlinear, std::shared_ptr<script::Class1>& shared, script::ScriptHost::MessageSink sink);

    bool nonlinear() const { return m_nonlinear; }
    SystemTexts boxes;

    bool solved() const { return m_solved; }
    const std::vector<std::string>& lstCoeff() const { return m_lstCoeff; }
    const std::vector<std::string>& lstBCError() const { return m_lstBCError; }
    const std::vector<std::string>& lstValue() const { return m_lstValue; }
    const std::vector<std::string>& lstDError() const { return m_lstDError; }
    const SystemInputs& inputs() const { return m_inputs; }
    const OrdersAndDegrees& orders() const { return m_od; }
    // All coefficients, variable-major (coefficient p of variable j at od.offset(j) + p).
    const std::vector<double>& coef() const { return m_coef; }
    const SystemNewtonResult& lastResult() const { return m_newton; }

    void clearResults();
    bool solve();
    bool evaluate();
    bool open(const std::string& path);
    bool save(const std::string& path);
    // Save Separately: NAME_y, NAME_z ... one single-variable series file each.
    bool saveSeparately(const std::string& path);
    std::vector<std::string> report();

    void seedRandom(uint64_t seed) { m_random.seed(seed); }
    // Where "AMAT.MAT" is written: the current folder, or a per-user folder when that is not writable.
    std::string scratchPath = "AMAT.MAT";
    script::ScriptHost& host() { return m_host; }

private:
    bool readInputs();
    bool prepare();
    std::vector<std::string> coefficientLines() const;

    bool m_nonlinear;
    script::ScriptHost::MessageSink m_sink;
    script::ScriptHost m_host;
    std::mt19937_64 m_random;
    bool m_solved = false;
    bool m_inputsRead = false;
    NonlinearSystemInputs m_inputs;
    OrdersAndDegrees m_od;
    std::vector<SystemSplit> m_de, m_bc;
    std::vector<std::string> m_eqExpr, m_bcExpr;
    std::vector<double> m_coef;
    std::vector<int> m_coefDegrees; // the degrees m_coef is laid out with
    SystemNewtonResult m_newton;
    std::vector<std::string> m_lstCoeff, m_lstBCError, m_lstValue, m_lstDError;
};

} // namespace ode
