#pragma once
// The problem the accurate method's conditioning and banded-form benchmarks share: the corner
// layer (eps + x^2) y'' + 4x y' + 2y = 0 on [-1, 1], y(-1) = y(1) = 1/(1 + eps), whose solution
// is 1/(eps + x^2) (the left side is ((eps + x^2) y)'').

#include "single/SingleProblem.h"

#include <string>

// The form's boxes for it at degree `degree`, eps defined as a constant.
inline ode::SingleTexts CornerLayerTexts(const std::string& eps, int degree)
{
    ode::SingleTexts t = ode::DefaultSingleTexts(ode::SeriesKind::Power);
    t.order = "2";
    t.equation = "(eps+x^2)*y''+4*x*y'+2*y=0";
    t.bcText = {"y=1/(1+eps)", "y=1/(1+eps)"};
    t.bcPoint = {"-1", "1"};
    t.xlower = "-1";
    t.xupper = "1";
    t.expansion = "0";
    t.terms = std::to_string(degree);
    t.constants = {"eps=" + eps};
    return t;
}
