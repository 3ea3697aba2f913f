#pragma once
// The built-in functions of the expression language that the program's texts may call.

#include "script/Value.h"

#include <random>
#include <string>
#include <string_view>

namespace ode::script {

// What a built-in may use of its engine.
struct BuiltinContext {
    std::mt19937_64* random = nullptr;
    double* lastRandom = nullptr;
};

using BuiltinFn = Value (*)(BuiltinContext&, const Value* args, int count);

struct Builtin {
    std::string_view name; // lower case
    int minArgs;
    int maxArgs;
    BuiltinFn fn;
};

// `s` in lower case (ASCII).

// The built-in named `lowerName`, or nullptr.
const Builtin* FindBuiltin(std::string_view lowerName);

// Arithmetic shared by the evaluator and the host functions. Each throws ScriptException with
// the language's error number where the language raises one.
Value Negate(const Value& v);
Value Arithmetic(char op, const Value& a, const Value& b); // + - * / \ M(od) ^
Value Concatenate(const Value& a, const Value& b);
Value Compare(char op, const Value& a, const Value& b); // = # (<>) < > l (<=) g (>=)
Value Logical(char op, const Value& a, const Value& b); // & (And) | (Or) ^ (Xor) e (Eqv) i (Imp)
Value LogicalNot(const Value& v);

// Checked double arithmetic as the run time does it: an infinite result is Overflow (6),
// x/0 is Division by zero (11) unless x is 0 (Overflow).
double CheckedDivide(double a, double b);
double CheckedResult(double r);
double CheckedSqr(double x); // negative: Invalid procedure call (5)
double CheckedLog(double x); // x <= 0: Invalid procedure call (5)
double CheckedExp(double x); // too large: Overflow (6)

} // namespace ode::script
