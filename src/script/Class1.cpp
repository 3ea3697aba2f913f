#include "script/Class1.h"

#include "script/Builtins.h"
#include "script/ScriptErrors.h"

#include <cmath>

namespace ode::script {

namespace {

const char* const kFunctions[] = {"asin", "acos", "sinh", "cosh", "tanh", "asinh", "acosh", "atanh"};
const char* const kProperties[] = {"pi", "halfpi", "e", "h"};

double mul(double a, double b) { return CheckedResult(a * b); }
double add(double a, double b) { return CheckedResult(a + b); }
double sub(double a, double b) { return CheckedResult(a - b); }

} // namespace

template <typename F> double Class1::trapped(F formula)
{
    try {
        return formula();
    } catch (const ScriptException& ex) {
        m_lastError = ex.number;
        return 0.0;
    }
}

double Class1::Asin(const Value& xv)
{
    return trapped([&] {
        double x = AsDouble(xv);
        if (x == 1.0)
            return halfpi;
        if (x == -1.0)
            return -halfpi;
        return std::atan(CheckedDivide(x, CheckedSqr(sub(1.0, mul(x, x)))));
    });
}

double Class1::Acos(const Value& xv)
{
    return trapped([&] {
        double x = AsDouble(xv);
        if (x == 1.0)
            return 0.0;
        if (x == -1.0)
            return mul(2.0, halfpi);
        return sub(halfpi, std::atan(CheckedDivide(x, CheckedSqr(sub(1.0, mul(x, x))))));
    });
}

double Class1::Sinh(const Value& xv)
{
    return trapped([&] {
        double x = AsDouble(xv);
        return mul(sub(CheckedExp(x), CheckedExp(-x)), 0.5);
    });
}

double Class1::Cosh(const Value& xv)
{
    return trapped([&] {
        double x = AsDouble(xv);
        return mul(add(CheckedExp(x), CheckedExp(-x)), 0.5);
    });
}

double Class1::Tanh(const Value& xv)
{
    return trapped([&] {
        double x = AsDouble(xv);
        double em = CheckedExp(-x);
        return add(1.0, CheckedDivide(mul(-2.0, em), add(em, CheckedExp(x))));
    });
}

double Class1::Asinh(const Value& xv)
{
    return trapped([&] {
        double x = AsDouble(xv);
        return CheckedLog(add(x, CheckedSqr(add(mul(x, x), 1.0))));
    });
}

double Class1::Acosh(const Value& xv)
{
    return trapped([&] {
        double x = AsDouble(xv);
        return CheckedLog(add(x, CheckedSqr(sub(mul(x, x), 1.0))));
    });
}

double Class1::Atanh(const Value& xv)
{
    return trapped([&] {
        double x = AsDouble(xv);
        return mul(0.5, CheckedLog(CheckedDivide(add(1.0, x), sub(1.0, x))));
    });
}

HostObject::Member Class1::findMember(std::string_view lowerName) const
{
    Member m;
    for (int k = 0; k < 8; ++k)
        if (lowerName == kFunctions[k])
            return Member{Member::Kind::Function, k, 1};
    for (int k = 0; k < 4; ++k)
        if (lowerName == kProperties[k])
            return Member{Member::Kind::Property, k, 0};
    return m;
}

double* Class1::property(int id)
{
    switch (id) {
    case 0:
        return &pi;
    case 1:
        return &halfpi;
    case 2:
        return &e;
    default:
        return &h;
    }
}

Value Class1::call(int id, const Value* args, int)
{
    const Value& x = args[0];
    switch (id) {
    case 0:
        return Value::dbl(Asin(x));
    case 1:
        return Value::dbl(Acos(x));
    case 2:
        return Value::dbl(Sinh(x));
    case 3:
        return Value::dbl(Cosh(x));
    case 4:
        return Value::dbl(Tanh(x));
    case 5:
        return Value::dbl(Asinh(x));
    case 6:
        return Value::dbl(Acosh(x));
    default:
        return Value::dbl(Atanh(x));
    }
}

bool Class1::partial(int id, const Value* args, int, int, double& d)
{
    const double x = AsDouble(args[0]);
    switch (id) {
    case 0: // asin
        d = 1 / std::sqrt(1 - x * x);
        break;
    case 1: // acos
        d = -1 / std::sqrt(1 - x * x);
        break;
    case 2: // sinh
        d = std::cosh(x);
        break;
    case 3: // cosh
        d = std::sinh(x);
        break;
    case 4: // tanh
        d = 1 - std::tanh(x) * std::tanh(x);
        break;
    case 5: // asinh
        d = 1 / std::sqrt(x * x + 1);
        break;
    case 6: // acosh
        d = 1 / std::sqrt(x * x - 1);
        break;
    default: // atanh
        d = 1 / (1 - x * x);
        break;
    }
    return true;
}

} // namespace ode::script
