#include "equations/SystemText.h"

#include <gtest/gtest.h>

namespace {

using namespace ode;

TEST(OrdersAndDegrees, ConditionsAreSharedOutInSweeps)
{
    // Orders 2 and 1, three conditions: y gets m+2, z m+1.
    OrdersAndDegrees od = FindOrdersAndDegrees({"y''-y+x*z'=2*x^2", "z'+y=0"}, {"y", "z"}, 5, 3);
    EXPECT_EQ(od.varOrder, (std::vector<int>{2, 1}));
    EXPECT_EQ(od.maxOrder, 2);
    EXPECT_EQ(od.sumOrder, 3);
    EXPECT_EQ(od.varDegree, (std::vector<int>{7, 6}));
    EXPECT_EQ(od.numUnknowns, 2 * 6 + 3);
    EXPECT_EQ(od.offset(1), 8);
    // Two first-order variables, three conditions: the sweep goes round again.
    od = FindOrdersAndDegrees({"y'=z", "z'=y"}, {"y", "z"}, 4, 3);
    EXPECT_EQ(od.varDegree, (std::vector<int>{6, 5}));
    // A degree below the highest order + 2 is raised.
    od = FindOrdersAndDegrees({"y''=z", "z''=y"}, {"y", "z"}, 1, 4);
    EXPECT_EQ(od.degree, 4);
    EXPECT_EQ(od.varDegree, (std::vector<int>{6, 6}));
}

TEST(SystemSplit, TermsStandInTheOrderOfTheVariables)
{
    SystemSplit s = SplitSystemText("y''-y+x*z'=2*x^2", {"y", "z"}, 3);
    ASSERT_FALSE(s.problem);
    EXPECT_EQ(s.coef[0], (std::vector<std::string>{"-1", "0", "1", "0"}));
    EXPECT_EQ(s.coef[1], (std::vector<std::string>{"0", "+x", "0", "0"}));
    EXPECT_EQ(s.rhs, "2*x^2");
    s = SplitSystemText("2*z+z1'=0", {"z", "z1"}, 2);
    EXPECT_EQ(s.coef[0][0], "2");
    EXPECT_EQ(s.coef[1][1], "1") << "z inside z1 is not taken for z";
    EXPECT_TRUE(SplitSystemText("y'+z", {"y", "z"}, 2).problem);
    EXPECT_TRUE(SplitSystemText("(y)'=1", {"y"}, 1).problem);
    OrdersAndDegrees od = FindOrdersAndDegrees({"y'=z", "z'=y"}, {"y", "z"}, 4, 2);
    EXPECT_TRUE(CheckSystemSplit(SplitSystemText("y''=0", {"y", "z"}, 2), od, {"y", "z"}))
        << "a condition with an order the equations do not have";
    EXPECT_FALSE(CheckSystemSplit(SplitSystemText("y=1", {"y", "z"}, 2), od, {"y", "z"}));
    // A later variable's term written first would become the earlier one's coefficient ("z'"
    // for y): refused with the reason, never misread. A name inside another is no name.
    EXPECT_EQ(CheckSystemSplit(SplitSystemText("z'-y=0", {"y", "z"}, 2), od, {"y", "z"}),
              "names z in the coefficient of y: write its terms in the order of the variables, each as "
              "coefficient*variable");
    EXPECT_TRUE(CheckSystemSplit(SplitSystemText("Z-Y=0", {"y", "z"}, 2), od, {"y", "z"}));
    EXPECT_FALSE(CheckSystemSplit(SplitSystemText("-y+z'=0", {"y", "z"}, 2), od, {"y", "z"}));
    EXPECT_FALSE(CheckSystemSplit(SplitSystemText("exp(x)*y+zeta*z=0", {"y", "z"}, 2), od, {"y", "z"}));
}

} // namespace
