// What a user or a broken disk can hand the program: every case ends in a result or in a
// message, quickly, and the session stays usable (a good problem opens and solves after it).
#include "common/FileIO.h"
#include "support/Program.h"
#include "support/Scratch.h"

#include "SessionTools.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include <sys/stat.h>

namespace {

using namespace ode;
namespace fs = std::filesystem;
using ode::test::kExamples;
using ode::test::Made;
using ode::test::ReadText;

// The sanitizers slow everything down several times.
const double kSecondsAllowed = ode::test::Sanitized() ? 10 : 1;

void write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// One session of each kind, kept through a whole test.
struct Sessions {
    Made kinds[kProblemKinds.size()];
    Sessions()
    {
        for (size_t k = 0; k < kProblemKinds.size(); ++k)
            ode::test::Open(kinds[k], kProblemKinds[k]);
    }
};

// Opens `path` in every kind: each either opens or says why not, within the time allowed.
void openEverywhere(Sessions& s, const std::string& path, const std::string& what)
{
    for (Made& m : s.kinds) {
        m.messages.clear();
        const auto start = std::chrono::steady_clock::now();
        const bool opened = m.session->open(path);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LT(seconds, kSecondsAllowed) << what;
        if (!opened) {
            EXPECT_FALSE(m.messages.empty()) << what << ": a refusal without a message";
        }
    }
}

// Afterwards the sessions still work: the examples open and solve as always.
void stillUsable(Sessions& s)
{
    for (auto [k, example] : {std::pair{0, "exponential"}, std::pair{4, "system-exponential"}}) {
        Session& session = *s.kinds[k].session;
        ASSERT_TRUE(session.open(kExamples + "/" + example));
        EXPECT_TRUE(session.solve()) << example;
    }
}

TEST(HostileFiles, EveryExampleTruncatedAtEveryLine)
{
    const ode::test::ScratchFolder f("hostile");
    Sessions s;
    for (const auto& entry : fs::directory_iterator(ODESERIES_EXAMPLES)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".str" || name == "README.md")
            continue;
        const std::string series = ReadText(entry.path()), problem = ReadText(entry.path().string() + ".str");
        for (const std::string* whole : {&series, &problem}) {
            for (size_t cut = 0; cut <= whole->size(); cut = whole->find('\n', cut + 1)) {
                write(f.file("p"), whole == &series ? series.substr(0, cut) : series);
                write(f.file("p.str"), whole == &problem ? problem.substr(0, cut) : problem);
                openEverywhere(s, f.file("p"), name + " cut at " + std::to_string(cut));
                if (cut == std::string::npos)
                    break;
            }
        }
    }
    stillUsable(s);
}

TEST(HostileFiles, WhatADiskCanHoldInstead)
{
    const ode::test::ScratchFolder f("hostile");
    Sessions s;
    const std::string exponential = ReadText(kExamples + "/exponential"),
                      exponentialProblem = ReadText(kExamples + "/exponential.str");
    std::mt19937_64 random(9);
    std::string binary(4096, '\0');
    for (char& c : binary)
        c = static_cast<char>(random());
    std::string big;
    big.reserve(50u << 20);
    while (big.size() < (50u << 20))
        big += " 1.5E+300 ,\"x\", #TRUE# ,\r\n";
    const std::string seriesHead = "0,\"x\",0,1\r\n*\r\n1,\"*\",";
    struct Case {
        const char* what;
        std::function<void(const std::string&)> make; // writes the pair under the name
    };
    const Case cases[] = {
        {"both files empty", [&](const std::string& p) { write(p, ""), write(p + ".str", ""); }},
        {"binary bytes", [&](const std::string& p) { write(p, binary), write(p + ".str", binary); }},
        {"a 50 MB problem file", [&](const std::string& p) { write(p, exponential), write(p + ".str", big); }},
        {"a 50 MB series file", [&](const std::string& p) { write(p, big), write(p + ".str", exponentialProblem); }},
        {"no .str beside the series", [&](const std::string& p) { write(p, exponential); }},
        {"a folder of that name", [&](const std::string& p) { fs::create_directories(p + ".str"), write(p, ""); }},
        {"a FIFO as the problem file",
         [&](const std::string& p) { write(p, exponential), ::mkfifo((p + ".str").c_str(), 0600); }},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string p = f.file("case" + std::to_string(n++));
        c.make(p);
        openEverywhere(s, p, c.what);
    }
    for (const char* degree : {"-5", "1E6", "1E308", "NaN", "1.5", "99999999999999999999"}) {
        const std::string p = f.file(std::string("degree") + std::to_string(n++));
        write(p, seriesHead + degree + ",#TRUE#\r\n 1 \r\n");
        write(p + ".str", exponentialProblem);
        openEverywhere(s, p, std::string("degree ") + degree);
    }
    stillUsable(s);
}

// Texts a user can type or paste: each Solve ends in a result or a message, quickly.
TEST(HostileTexts, HugeEquationsDegreesAndNesting)
{
    Sessions s;
    struct Case {
        const char* what;
        std::function<void(SingleTexts&)> edit;
    };
    const std::string longSum = [] {
        std::string t = "y''+y=0";
        while (t.size() < 100000)
            t += "+0*x";
        return t;
    }();
    const std::string nested = std::string(100000, '(') + "1" + std::string(100000, ')');
    const Case cases[] = {
        {"a 100 000-character equation", [&](SingleTexts& b) { b.equation = longSum; }},
        {"100 000 nested parentheses", [&](SingleTexts& b) { b.equation = "y''+" + nested + "*y=0"; }},
        {"a condition of 100 000 parentheses", [&](SingleTexts& b) { b.bcText[0] = "y=" + nested; }},
        {"degree 1E308", [](SingleTexts& b) { b.terms = "1E308"; }},
        {"degree 100000", [](SingleTexts& b) { b.terms = "100000"; }},
        {"degree NaN", [](SingleTexts& b) { b.terms = "NaN"; }},
        {"degree -5", [](SingleTexts& b) { b.terms = "-5"; }},
        {"order 1E308", [](SingleTexts& b) { b.order = "1E308"; }},
    };
    for (const Case& c : cases) {
        auto& l = static_cast<LinearSession&>(*s.kinds[0].session);
        l.boxes = DefaultSingleTexts(SeriesKind::Power);
        c.edit(l.boxes);
        s.kinds[0].messages.clear();
        const auto start = std::chrono::steady_clock::now();
        std::optional<std::string> refusal = CheckLinearTexts(l.boxes, SeriesKind::Power);
        bool solved = false;
        if (!refusal)
            solved = l.solve();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LT(seconds, kSecondsAllowed) << c.what;
        EXPECT_TRUE(solved || refusal || !s.kinds[0].messages.empty() || !l.lstCoeff().empty()) << c.what << ": silent";
    }
    stillUsable(s);
}

// An engine error in a window's solve says where in the problem's texts it lies: the text (the
// equation, equation k of a system, condition k, constant k) and the column there.
TEST(HostileInputs, AnEngineErrorNamesItsTextAndColumn)
{
    struct Case {
        ProblemKind kind;
        const char* example;
        std::function<void(Session&)> edit;
        const char* said;
    };
    const auto single = [](std::function<void(SingleTexts&)> f) {
        return [f](Session& s) { f(dynamic_cast<ProblemSession&>(s).texts()); };
    };
    const auto system = [](std::function<void(SystemTexts&)> f) {
        return [f](Session& s) { f(dynamic_cast<SystemSession&>(s).boxes); };
    };
    const Case cases[] = {
        {ProblemKind::LinearPower, "airy", single([](SingleTexts& t) { t.equation = "y''-sinn(x)*y=0"; }),
         "Type mismatch: 'sinn' | In the equation, at column 5: y''-sinn(x)*y=0"},
        {ProblemKind::LinearPower, "airy", single([](SingleTexts& t) { t.equation = "y''+(y=0"; }),
         "Syntax error | In the equation, at column 6: y''+(y=0"},
        {ProblemKind::LinearPower, "airy", single([](SingleTexts& t) { t.bcText[1] = "y'=(1"; }),
         "Expected ')' | In condition 2, at column 5: y'=(1"},
        {ProblemKind::NonlinearPower, "bratu", single([](SingleTexts& t) { t.equation = "y''+lambda*expp(y)=0"; }),
         "Type mismatch: 'expp' | In the equation, at column 12: y''+lambda*expp(y)=0"},
        {ProblemKind::NonlinearPower, "bratu", single([](SingleTexts& t) { t.constants = {"lambda=3.5+"}; }),
         "Syntax error | In constant 1, at column 11: lambda=3.5+"},
        {ProblemKind::LinearSystem, "coupled-oscillators", system([](SystemTexts& t) { t.equations[1] = "-u+v''+sinn(2)*v=0"; }),
         "Type mismatch: 'sinn' | In equation 2, at column 8: -u+v''+sinn(2)*v=0"},
        {ProblemKind::NonlinearSystem, "predator-prey", system([](SystemTexts& t) { t.bcText[0] += "*)"; }),
         "Syntax error | In condition 1, at column 4: u=2*)"},
    };
    for (const Case& c : cases) {
        Made m;
        Session& s = ode::test::Open(m, c.kind, c.example);
        std::vector<std::string> placed;
        s.setPlacedMessages([&](const std::string& message, const std::optional<PlacedFault>& fault) {
            placed.push_back(message + (fault ? " | " + FaultPlaceLine(*fault) : ""));
        });
        c.edit(s);
        EXPECT_FALSE(s.solve());
        EXPECT_EQ(placed, std::vector<std::string>{c.said});
        EXPECT_TRUE(m.messages.empty()) << "an engine error goes to the placed messages only";
    }
}

} // namespace
