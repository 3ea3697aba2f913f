#pragma once
// The contract between a problem form (or the plot window) and its engine: how the engine is
// prepared, how values go in and come out, and which message the user sees when it fails.

#include "script/Class1.h"
#include "script/Engine.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ode::script {

// The message of a solving procedure's error trap for an engine error number:
// 5 and 0x80020101 "Invalid procedure call or argument", 6 "overflow", 11 "division by zero";
// none for any other number (the engine's Error event has shown its own description).
std::optional<std::string> TrapMessage(int errorNumber);

class ScriptHost {
public:
    // Receives every message the user is to see in a box (OK only, the application's title).
    using MessageSink = std::function<void(const std::string&)>;

    // `shared` is the program's one extension object; it is created on first use.
    ScriptHost(std::shared_ptr<Class1>& shared, MessageSink sink);

    // The form's load: add the extension object as "sh" with its members global, compute
    // HalfPi, Pi and EulerE natively, then run "halfpi = Atn(1) * 2", "pi = Atn(1) * 4" and
    // "e = Exp(1)" in that order.
    void prepare();

    // Runs each constant entry ("a=2.37") as a statement, in list order. False at the first
    // failing entry.
    bool executeConstants(const std::vector<std::string>& entries);

    // Runs name & "=" & FormatSigned(x): the variable gets x rounded to 15 significant digits.
    bool assignVariable(const std::string& name, double x);

    // Evaluates `text` and converts the result to a double (Empty counts as 0). A result that
    // is not a number fails as a type mismatch.
    bool evaluate(const std::string& text, double& out);

    // The accurate method's assignment: x as it is, unrounded (a name that is not a plain
    // variable goes through the statement instead).
    bool assignExact(const std::string& name, double x);

    // evaluate, with the partial derivatives of the value with respect to the variables
    // `names` (at most Engine::kMaxPartials) into `partials`; `exact` as the engine says.
    bool evaluateWithPartials(const std::string& text, const std::vector<std::string>& names, double& out,
                              double* partials, bool& exact);

    // Where an engine error goes, when set, in place of the message sink: the error itself, so
    // that the caller can say where in its texts it lies. Other messages still go to the sink.
    using FaultSink = std::function<void(const ScriptError&)>;
    void setFaultSink(FaultSink sink) { m_faultSink = std::move(sink); }

    // While quiet, engine errors are recorded (fault(), the trap) but not shown: the accurate
    // method's trial steps may fail, and a failed trial is only a shorter step.
    void setQuiet(bool quiet) { m_quiet = quiet; }
    bool quiet() const { return m_quiet; }
    // Quiet for the life of the object, then as before, however the scope is left.
    class QuietScope {
    public:
        explicit QuietScope(ScriptHost& host) : m_host(host), m_was(host.quiet()) { host.setQuiet(true); }
        ~QuietScope() { m_host.setQuiet(m_was); }
        QuietScope(const QuietScope&) = delete;
        QuietScope& operator=(const QuietScope&) = delete;

    private:
        ScriptHost& m_host;
        bool m_was;
    };

    // Runs a statement text.
    bool execute(const std::string& text);

    // The solving procedure's error trap: shows the message for the last error number, if any
    // (not while quiet).
    void trap();

    // evaluate, and trap when it fails: how the solvers read a coefficient or right-hand text.
    bool evaluateOrTrap(const std::string& text, double& out)
    {
        if (evaluate(text, out))
            return true;
        trap();
        return false;
    }

    // Shows a message of the program's own through the sink.
    void report(const std::string& message)
    {
        if (m_sink)
            m_sink(message);
    }

    // An arithmetic fault of the solver itself (overflow, division by zero) reaches the trap
    // with its own number.
    void raise(int errorNumber)
    {
        m_scriptErrorNumber = errorNumber;
        m_fault = ScriptError{errorNumber, ErrorDescription(errorNumber), 0, 0};
    }

    // The last fault met, the engine's (with its line and column) or the solver's own.
    const ScriptError& fault() const { return m_fault; }

    // Number of the engine's last error (the form's ScriptErrorNumber).
    int scriptErrorNumber() const { return m_scriptErrorNumber; }
    const ScriptError& lastError() const { return m_engine.error(); }

    Engine& engine() { return m_engine; }
    Class1& extension() { return *m_shared; }

    double HalfPi = 0.0;
    double Pi = 0.0;
    double EulerE = 0.0;

private:
    void onEngineError(const ScriptError& error);

    std::shared_ptr<Class1>& m_sharedSlot;
    std::shared_ptr<Class1> m_shared;
    MessageSink m_sink;
    FaultSink m_faultSink;
    bool m_quiet = false;

    // An evaluation's result as a double: a text must read as a number (else a type mismatch).
    bool toNumber(const Value& v, double& out);
    Engine m_engine;
    int m_scriptErrorNumber = 0;
    ScriptError m_fault;
};

} // namespace ode::script
