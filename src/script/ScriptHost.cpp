#include "script/ScriptHost.h"

#include "common/NumberFormat.h"

#include <cmath>

namespace ode::script {

std::optional<std::string> TrapMessage(int errorNumber)
{
    switch (errorNumber) {
    case ErrInvalidCall:
    case ErrAlreadyReported:
        return std::string("Invalid procedure call or argument");
    case ErrOverflow:
        return std::string("overflow");
    case ErrDivisionByZero:
        return std::string("division by zero");
    default:
        return std::nullopt;
    }
}

ScriptHost::ScriptHost(std::shared_ptr<Class1>& shared, MessageSink sink)
    : m_sharedSlot(shared), m_sink(std::move(sink))
{
    m_engine.setErrorHandler([this](const ScriptError& e) { onEngineError(e); });
}

void ScriptHost::onEngineError(const ScriptError& error)
{
    m_scriptErrorNumber = error.number;
    m_fault = error;
    if (TrapMessage(error.number) || m_quiet)
        return;
    if (m_faultSink)
        m_faultSink(error);
    else if (m_sink)
        m_sink(error.description);
}

void ScriptHost::prepare()
{
    if (!m_sharedSlot)
        m_sharedSlot = std::make_shared<Class1>();
    m_shared = m_sharedSlot;
    m_engine.addObject("sh", m_shared, true);
    HalfPi = std::atan(1.0) * 2;
    Pi = std::atan(1.0) * 4;
    EulerE = std::exp(1.0);
    m_engine.executeStatement("halfpi = Atn(1) * 2");
    m_engine.executeStatement("pi = Atn(1) * 4");
    m_engine.executeStatement("e = Exp(1)");
}

bool ScriptHost::executeConstants(const std::vector<std::string>& entries)
{
    for (const std::string& entry : entries)
        if (!m_engine.executeStatement(entry))
            return false;
    return true;
}

bool ScriptHost::assignVariable(const std::string& name, double x)
{
    return m_engine.assignStatementNumber(name, x) || m_engine.executeStatement(name + "=" + FormatSigned(x));
}

bool ScriptHost::evaluate(const std::string& text, double& out)
{
    Value v;
    return m_engine.eval(text, v) && toNumber(v, out);
}

bool ScriptHost::toNumber(const Value& v, double& out)
{
    if (v.type != Type::String) {
        out = AsDouble(v);
        return true;
    }
    if (ParseNumericString(v.s, out))
        return true;
    ScriptError e;
    e.number = ErrTypeMismatch;
    e.description = ErrorDescription(ErrTypeMismatch);
    onEngineError(e);
    return false;
}

bool ScriptHost::assignExact(const std::string& name, double x)
{
    return m_engine.assignExactNumber(name, x) || assignVariable(name, x);
}

bool ScriptHost::evaluateWithPartials(const std::string& text, const std::vector<std::string>& names, double& out,
                                      double* partials, bool& exact)
{
    Value v;
    if (!m_engine.evalWithPartials(text, names, v, partials, exact))
        return false;
    if (v.type == Type::String)
        exact = false; // a number read from a text has no derivative the engine knows
    return toNumber(v, out);
}

bool ScriptHost::execute(const std::string& text) { return m_engine.executeStatement(text); }

void ScriptHost::trap()
{
    if (auto message = TrapMessage(m_scriptErrorNumber); message && m_sink && !m_quiet)
        m_sink(*message);
}

} // namespace ode::script
