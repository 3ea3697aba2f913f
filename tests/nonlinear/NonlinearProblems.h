#pragma once
// What the nonlinear tests share: a session that keeps its messages, the reciprocal problem
// y'' = 2y^3 on [1, 3] (y = 1/x), Troesch's problem, and Bratu's closed form; and what the
// linear tests share of reading lists and errors.

#include "linear/LinearProblems.h"
#include "nonlinear/NonlinearSession.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace ode::test {

// y'' - 2y^3 = 0, y(1) = 1, y'(3) + y(3)^2 = 0: y = 1/x, with the bounds and passes given.
inline NonlinearTexts Reciprocal(const char* errorD = "1E-9", const char* errorC = "1E-9", const char* maxcy = "40")
{
    NonlinearTexts t = DefaultNonlinearTexts(SeriesKind::Power); // y''-2*y^3=0 on [1,3]
    t.order = "2";
    t.bcText = {"y=1", "y'+y^2=0"};
    t.bcPoint = {"1", "3"};
    t.errorD = errorD;
    t.errorC = errorC;
    t.maxcy = maxcy;
    return t;
}

// A second-order problem on [a, b] with condition bc[0] at a and bc[1] at b, from zero
// coefficients, with the bounds and passes given.
inline NonlinearTexts TwoPoint(std::string equation, const char* a, const char* b, std::vector<std::string> bc,
                               const char* bound, const char* passes = "40")
{
    NonlinearTexts t = Reciprocal(bound, bound, passes);
    t.equation = std::move(equation);
    t.bcText = std::move(bc);
    t.bcPoint = {a, b};
    t.xlower = a;
    t.xupper = b;
    t.approximation = "0 - Zero coefficients";
    return t;
}

// Bratu's problem y'' + lambda e^y = 0, y(0) = y(1) = 0, lambda a constant, from zero
// coefficients to 1E-11, at degree 40.
inline NonlinearTexts Bratu(std::vector<std::string> constants = {"lambda=1"})
{
    NonlinearTexts t = TwoPoint("y''+lambda*exp(y)=0", "0", "1", {"y=0", "y=0"}, "1E-11");
    t.terms = "40";
    t.constants = std::move(constants);
    return t;
}

// Troesch's problem y'' = lam sinh(lam y), y(0) = 0, y(1) = 1 (lam a number's text), with the
// bounds given and 60 passes, from the equation's text `equation` when one is given (the same
// equation written otherwise).
inline NonlinearTexts Troesch(const char* lam, const char* bound, std::string equation = {})
{
    return TwoPoint(equation.empty() ? std::string("y''-") + lam + "*sinh(" + lam + "*y)=0" : std::move(equation), "0",
                    "1", {"y=0", "y=1"}, bound, "60");
}

struct Nonlinear {
    std::shared_ptr<script::Class1> shared;
    std::vector<std::string> messages;
    NonlinearSession s;

    explicit Nonlinear(SeriesKind kind = SeriesKind::Power)
        : s(kind, shared, [this](const std::string& m) { messages.push_back(m); })
    {
        s.seedRandom(11);
    }
    // The reciprocal problem to 1E-6 and 1E-8 in at most 30 passes from the start chosen.
    void reciprocal(const char* approximation)
    {
        static_cast<NonlinearTexts&>(s.boxes) = Reciprocal("1E-6", "1E-8", "30");
        s.boxes.approximation = approximation;
    }
};

// Bratu's problem y'' + lambda e^y = 0, y(0) = y(1) = 0, on its lower branch:
// y = -2 log(cosh((x - 1/2) q / 2) / cosh(q / 4)), q the smaller root of
// q = sqrt(2 lambda) cosh(q / 4), found by bisection.
inline double BratuLower(double lambda, double x)
{
    double lo = 1, hi = 4.8;
    for (int k = 0; k < 200; ++k) {
        const double mid = (lo + hi) / 2;
        (std::sqrt(2 * lambda) * std::cosh(mid / 4) - mid > 0 ? lo : hi) = mid;
    }
    return -2 * std::log(std::cosh((x - 0.5) * lo / 2) / std::cosh(lo / 4));
}

} // namespace ode::test
