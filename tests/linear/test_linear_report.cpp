#include "linear/LinearSession.h"

#include <gtest/gtest.h>

namespace {

using ode::LinearSession;
using ode::SeriesKind;

std::string joined(const std::vector<std::string>& lines)
{
    std::string s;
    for (const auto& l : lines)
        s += l + "\n";
    return s;
}

struct Session {
    std::shared_ptr<ode::script::Class1> shared;
    LinearSession s;
    explicit Session(SeriesKind kind) : s(kind, shared, {}) {}
};

TEST(LinearReport, DefaultProblemWithAConstant)
{
    Session a(SeriesKind::Power);
    a.s.boxes.order = "1";
    a.s.boxes.equation = "y'-b*y=0";
    a.s.boxes.bcText = {"y=1"};
    a.s.boxes.bcPoint = {"0"};
    a.s.boxes.xlower = "0";
    a.s.boxes.xupper = "1";
    a.s.boxes.terms = "3";
    a.s.boxes.constants = {"b=0"};
    ASSERT_TRUE(a.s.solve());
    EXPECT_EQ(joined(a.s.report()), "  DEPENDENT VARIABLE: y\n"
                                    "INDEPENDENT VARIABLE: x\n"
                                    "\n"
                                    "CONSTANTS:\n"
                                    "b=0\n"
                                    "\n"
                                    "DIFFERENTIAL EQUATION:\n"
                                    "y'-b*y=0\n"
                                    "\n"
                                    "BOUNDARY CONDITION # 1 . EVALUATION POINT x=0\n"
                                    "y=1\n"
                                    "\n"
                                    "              ORDER: 1 \n"
                                    " DEGREE OF SOLUTION: 3 \n"
                                    "   INTERVAL STUDIED: [ 0 , 1 ]\n"
                                    "CENTER OF EXPANSION: 0 \n"
                                    "\n"
                                    "EXPANSION COEFFICIENTS:\n"
                                    "y( 0 )= 1 \n"
                                    "y( 1 )= 0 \n"
                                    "y( 2 )= 0 \n"
                                    "y( 3 )= 0 \n");
}

TEST(LinearReport, VariantsOfTheHead)
{
    Session a(SeriesKind::Power);
    a.s.boxes.order = "3";
    a.s.boxes.equation = "y'''=0";
    a.s.boxes.bcText = {"y=0", "y'=0", "y''=1"};
    a.s.boxes.bcPoint = {"0", "0", "0.5"};
    a.s.boxes.expansion = "-0.25";
    auto lines = a.s.report();
    std::string text = joined(lines);
    EXPECT_EQ(text.find("CONSTANTS:"), std::string::npos) << "no constants, no block";
    EXPECT_NE(text.find("\n\nBOUNDARY CONDITION # 3 . EVALUATION POINT x=0.5\ny''=1\n"), std::string::npos);
    EXPECT_NE(text.find("\nCENTER OF EXPANSION:-.25 \n"), std::string::npos);
    EXPECT_EQ(lines.back(), "(NOT SOLVED)") << "before any solve the coefficients are marked missing";

    Session t(SeriesKind::Trigonometric);
    t.s.boxes.bcText = {"y=1", "y'=-6"};
    t.s.boxes.bcPoint = {"0", "0"};
    ASSERT_TRUE(t.s.solve());
    text = joined(t.s.report());
    EXPECT_NE(text.find("\n    NUMBER OF TERMS: 15 \n"), std::string::npos);
    EXPECT_NE(text.find("\nCENTER OF EXPANSION: 0 \n             PERIOD: 6.28318530717959 \n\n"), std::string::npos);
    EXPECT_EQ(text.find("DEGREE OF SOLUTION"), std::string::npos);
}

} // namespace
