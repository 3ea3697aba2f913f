#include "linear/LinearProblems.h"

#include <gtest/gtest.h>

namespace {

// The solved reports' whole texts are pinned by the command line's cases (OscillatorWithConstant,
// TrigDefaultWithReport); this is the head they do not reach: no constants block, conditions at
// several points, a negative centre, and no solution yet.
TEST(LinearReport, UnsolvedProblemWithConditionsAtSeveralPoints)
{
    ode::test::Linear a;
    a.set("3", "y'''=0", {"y=0", "y'=0", "y''=1"}, {"0", "0", "0.5"}, "-5", "5", "-0.25", "23");
    EXPECT_EQ(ode::test::Joined(a.s.report()), "  DEPENDENT VARIABLE: y\n"
                                               "INDEPENDENT VARIABLE: x\n"
                                               "\n"
                                               "DIFFERENTIAL EQUATION:\n"
                                               "y'''=0\n"
                                               "\n"
                                               "BOUNDARY CONDITION # 1 . EVALUATION POINT x=0\n"
                                               "y=0\n"
                                               "\n"
                                               "BOUNDARY CONDITION # 2 . EVALUATION POINT x=0\n"
                                               "y'=0\n"
                                               "\n"
                                               "BOUNDARY CONDITION # 3 . EVALUATION POINT x=0.5\n"
                                               "y''=1\n"
                                               "\n"
                                               "              ORDER: 3 \n"
                                               " DEGREE OF SOLUTION: 23 \n"
                                               "   INTERVAL STUDIED: [-5 , 5 ]\n"
                                               "CENTER OF EXPANSION:-.25 \n"
                                               "\n"
                                               "EXPANSION COEFFICIENTS:\n"
                                               "(NOT SOLVED)\n");
}

} // namespace
