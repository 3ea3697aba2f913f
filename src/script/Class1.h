#pragma once
// The extension object: inverse trigonometric and hyperbolic functions, and the shared numbers
// pi, halfpi, e and h. One instance is shared by every engine of the program; its members are
// global names in each engine, so "e = Exp(1)" in any engine assigns the shared member.
//
// Each function evaluates its fixed formula with the run time's checked arithmetic. A run-time
// error inside it (square root or logarithm out of range, division by zero, overflow, a text
// that is not a number) is trapped: the function records the error number, shows nothing and
// returns 0, so the expression that called it goes on with 0.

#include "script/Engine.h"

namespace ode::script {

class Class1 : public HostObject {
public:
    // Shared members, 0 until a form's load sets them.
    double pi = 0.0;
    double halfpi = 0.0;
    double e = 0.0;
    double h = 0.0; // step of the nonlinear solvers' central differences

    // Number of the last run-time error trapped inside one of the functions (0: none yet).
    int lastErrorNumber() const { return m_lastError; }

    double Asin(const Value& x);
    double Acos(const Value& x);
    double Sinh(const Value& x);
    double Cosh(const Value& x);
    double Tanh(const Value& x);
    double Asinh(const Value& x);
    double Acosh(const Value& x);
    double Atanh(const Value& x);

    Member findMember(std::string_view lowerName) const override;
    double* property(int id) override;
    Value call(int id, const Value* args, int count) override;
    bool partial(int id, const Value* args, int count, int arg, double& d) override;

private:
    template <typename F> double trapped(F formula);
    int m_lastError = 0;
};

} // namespace ode::script
