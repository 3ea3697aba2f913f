// The systems' files, report and scratch file, without a session.
#include "common/FileIO.h"
#include "equations/SystemText.h"
#include "support/Scratch.h"
#include "systems/SystemFiles.h"
#include "systems/SystemReport.h"

#include <gtest/gtest.h>

namespace {

using namespace ode;
using test::ReadText;
using test::ScratchFolder;

std::string example(const std::string& name) { return std::string(ODESERIES_EXAMPLES) + "/" + name; }

SystemInputs inputsOf(const SystemTexts& t)
{
    SystemInputs in;
    in.depVarNames = SplitNames(t.depVarNames);
    in.lastVar = static_cast<int>(in.depVarNames.size()) - 1;
    in.numBC = static_cast<int>(t.bcText.size());
    in.degree = std::stoi(t.terms);
    in.equations = t.equations;
    in.indepVarName = t.indepVarName;
    return in;
}

// Open fills the boxes as ShowProblem does, and writing those boxes back gives both files
// byte for byte.
TEST(SystemFiles, OpenedPairIsWrittenBackByteForByte)
{
    for (const char* name : {"system-exponential-solved", "system-nonlinear-solved", "system-exponential"}) {
        SCOPED_TRACE(name);
        const std::string path = example(name);
        const bool nonlinear = std::string(name).find("nonlinear") != std::string::npos;
        const SystemOpenResult opened = OpenSystemProblem(path, nonlinear, SystemTexts{});
        ASSERT_TRUE(opened.ok) << opened.message;
        const SystemFileContent& c = opened.content;
        const SystemInputs in = inputsOf(c.texts);
        const OrdersAndDegrees od = FindOrdersAndDegrees(in.equations, in.depVarNames, in.degree, in.numBC);
        if (c.solved) {
            EXPECT_EQ(c.coef.size(), static_cast<size_t>(od.numUnknowns));
        }
        EXPECT_EQ(SystemSeriesFileText(c.texts, in.lastVar, c.solved, c.coef), ReadText(path));
        EXPECT_EQ(SystemProblemFileText(nonlinear, c.texts, in, od), ReadText(path + ".str"));
    }
    const SystemOpenResult e = OpenSystemProblem(example("system-exponential-solved"), false, SystemTexts{});
    const SystemTexts& t = e.content.texts;
    EXPECT_EQ(std::vector<std::string>({t.numDE, t.numBC, t.terms, t.depVarNames}),
              std::vector<std::string>({"2", "3", "14", "y,z"}));
    EXPECT_EQ(e.content.texts.equations, (std::vector<std::string>{"y''+z=0", "-y+z'=0"}));
    EXPECT_EQ(e.content.texts.bcText, (std::vector<std::string>{"y=1", "y'=-1", "z=-1"}));
    ASSERT_TRUE(e.content.solved);
    EXPECT_EQ(e.content.coef.front(), 1);
    EXPECT_EQ(e.content.coef.back(), -1.07689954363544E-10);
}

TEST(SystemFiles, RefusalsLeaveNothingHalfRead)
{
    const ScratchFolder t("system-files");
    struct Case {
        const char* series;
        const char* problem;
        const char* message; // the start of the message
    };
    const Case cases[] = {
        {"1,\"x\",0,1\n 0 \n1,\"*\",14,#FALSE#\n", "\"Sndif\",14,3,3,2,16,\"x\",1,1,1\n", "Incompatible file"},
        {"1,\"x\",0,1\n", "\"Sldif\",14,3,3,2,16,\"x\"\n", "The file "},
        {"12,\"x\",0,1\n 0 \n1,\"*\",14,#FALSE#\n", "\"Sldif\",14,3,3,2,16,\"x\"\n", "The file "},
        {"1,\"x\",0,1\n 0 \n1,\"*\",14,#FALSE#\n", "\"Sldif\",14,0,3,2,16,\"x\"\n", "The file "},
        {"1,\"x\",0,1\n 0 \n1,\"*\",14,#FALSE#\n", "\"Sldif\",14,3,3,2,16,\"x\"\n2,16,\"y\"\n", "The file "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.problem);
        std::string error;
        ASSERT_TRUE(WriteFilesAtomically({{t.file("p"), c.series}, {t.file("p.str"), c.problem}}, error)) << error;
        const SystemOpenResult r = OpenSystemProblem(t.file("p"), false, SystemTexts{});
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message.rfind(c.message, 0), 0u) << r.message;
    }
    EXPECT_FALSE(OpenSystemProblem(t.file("missing"), false, SystemTexts{}).ok);
}

TEST(SystemScratchFile, CurrentApproximationReLaidForNewDegrees)
{
    const ScratchFolder t("system-files");
    OrdersAndDegrees od;
    od.varOrder = {1, 1};
    od.varDegree = {3, 1};
    od.numUnknowns = 6;
    std::vector<double> coef = {1, 2, 3, 4, 5, 6}; // laid out with degrees 2 and 2
    std::string error;
    ASSERT_TRUE(RelayCurrentApproximation(t.file("AMAT.MAT"), {2, 2}, od, coef, error)) << error;
    EXPECT_EQ(coef, (std::vector<double>{1, 2, 3, 0, 4, 5}));
    coef = {1, 2};
    EXPECT_FALSE(RelayCurrentApproximation(t.file("AMAT.MAT"), {2, 2}, od, coef, error));
    EXPECT_EQ(error.rfind("The file ", 0), 0u) << error;
    EXPECT_FALSE(RelayCurrentApproximation(t.file("no/such/folder/AMAT.MAT"), {0, 0}, od, coef, error));
}

TEST(SystemReport, WholeReportOfASolvedLinearSystem)
{
    const SystemOpenResult opened = OpenSystemProblem(example("system-exponential-solved"), false, SystemTexts{});
    ASSERT_TRUE(opened.ok);
    SystemTexts b = opened.content.texts;
    b.constants = {"a=2"};
    NonlinearSystemInputs in;
    static_cast<SystemInputs&>(in) = inputsOf(b);
    in.xlower = 0;
    in.xupper = 1;
    in.xcenter = 0;
    const std::vector<std::string> expected = {
        "INDEPENDENT VARIABLE: x",
        "DEPENDENT VARIABLES:y,z",
        "",
        "CONSTANTS:",
        "a=2",
        "",
        "DIFFERENTIAL EQUATIONS:",
        "y''+z=0",
        "-y+z'=0",
        "",
        "BOUNDARY CONDITION # 1 . EVALUATION POINT x=0",
        "y=1",
        "BOUNDARY CONDITION # 2 . EVALUATION POINT x=0",
        "y'=-1",
        "BOUNDARY CONDITION # 3 . EVALUATION POINT x=0",
        "z=-1",
        "",
        "        INTERVAL STUDIED: [ 0 , 1 ]",
        "     CENTER OF EXPANSION: 0 ",
        "",
        "COEFFICIENTS:",
    };
    EXPECT_EQ(SystemReportLines(false, in, b, true, {"COEFFICIENTS:"}), expected);
    const auto unsolved = SystemReportLines(false, in, b, false, {"COEFFICIENTS:"});
    EXPECT_EQ(unsolved, std::vector<std::string>(expected.begin(), expected.end() - 2));
}

} // namespace
