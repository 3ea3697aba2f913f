// Open of every kind after a save of the pair was killed half way (the new series file beside
// the old problem file, the journal in place): the save is completed first, so the problem
// opened is the new one, whole, and nothing of the save is left beside it. A journal that
// cannot be read stops the Open with a message instead.
#include "common/FileIO.h"
#include "nonlinear/NonlinearFiles.h"
#include "support/FaultyFileSystem.h"
#include "support/Scratch.h"

#include "SessionTools.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using namespace ode;
namespace fs = std::filesystem;
using ode::test::kExamples;
using ode::test::Made;
using ode::test::ReadText;
using testsupport::FaultyFileSystem;

void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

struct Row {
    const char* name;
    const char* oldPair; // the example saved before
    const char* newPair; // the example the killed save was writing
    ProblemKind kind;
};

const Row kRows[] = {
    {"Pldif", "airy-solved", "exponential-solved", ProblemKind::LinearPower},
    {"Tldif", "trig-default-solved", "trig-forced-solved", ProblemKind::LinearTrig},
    {"Pndif", "nonlinear-reciprocal", "nonlinear-reciprocal-solved", ProblemKind::NonlinearPower},
    {"Tndif", "nonlinear-trig", "periodic-cubic", ProblemKind::NonlinearTrig},
    {"Sldif", "system-exponential", "system-exponential-solved", ProblemKind::LinearSystem},
    {"Sndif", "system-nonlinear", "system-nonlinear-solved", ProblemKind::NonlinearSystem},
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

class InterruptedSave : public ::testing::TestWithParam<Row> {};

// What a session of the row's kind shows after opening `path`, and the messages it showed.
std::vector<std::string> Opened(const Row& row, const std::string& path, std::vector<std::string>* messages = nullptr)
{
    Made m;
    Session& s = ode::test::Open(m, row.kind, path);
    std::vector<std::string> shown = s.lstCoeff();
    for (const std::string& line : s.report())
        shown.push_back(line);
    if (messages)
        *messages = m.messages;
    return shown;
}

TEST_P(InterruptedSave, OpenCompletesItAndShowsTheNewProblem)
{
    const Row& row = GetParam();
    const std::string oldSeries = ReadText(kExamples + "/" + row.oldPair),
                      oldProblem = ReadText(kExamples + "/" + row.oldPair + ".str");
    const std::string newSeries = ReadText(kExamples + "/" + row.newPair),
                      newProblem = ReadText(kExamples + "/" + row.newPair + ".str");
    ASSERT_FALSE(oldSeries.empty() || newSeries.empty() || oldProblem.empty() || newProblem.empty());
    ASSERT_NE(oldSeries, newSeries);
    const ode::test::ScratchFolder dir("interrupted");
    const std::string p = dir.file("p");
    // The first moment of the save at which the pair on the disk is mixed.
    bool mixed = false;
    for (int k = 0; k < 60 && !mixed; ++k) {
        Write(p, oldSeries);
        Write(p + ".str", oldProblem);
        {
            FaultyFileSystem dying(FaultyFileSystem::Fault::Die, k);
            std::string error;
            SaveFileSet({{{p, newSeries}, {p + ".str", newProblem}}, {p + ".acc"}}, error, dying);
        }
        mixed = ReadText(p) == newSeries && ReadText(p + ".str") == oldProblem;
        if (!mixed)
            for (const std::string& name : dir.names())
                if (name != "p" && name != "p.str")
                    fs::remove(dir.file(name));
    }
    ASSERT_TRUE(mixed);
    std::vector<std::string> messages;
    EXPECT_EQ(Opened(row, p, &messages), Opened(row, kExamples + "/" + row.newPair));
    EXPECT_TRUE(messages.empty()) << messages[0];
    EXPECT_EQ(ReadText(p + ".str"), newProblem);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"p", "p.str"}));
}

TEST_P(InterruptedSave, ADamagedJournalIsAMessageAndNothingOpens)
{
    const Row& row = GetParam();
    const ode::test::ScratchFolder dir("interrupted");
    const std::string p = dir.file("p");
    Write(p, ReadText(kExamples + "/" + row.oldPair));
    Write(p + ".str", ReadText(kExamples + "/" + row.oldPair + ".str"));
    Write(JournalPath(p), "ODE Series save journal 1\nwriter 1\n");
    Made k;
    Session& s = ode::test::Open(k, row.kind);
    EXPECT_FALSE(s.open(p));
    ASSERT_EQ(k.messages.size(), 1u);
    EXPECT_EQ(k.messages[0], "The file " + JournalPath(p) +
                                 " of an interrupted save is damaged (it is not a journal of this program); the files "
                                 "it names may be from two saves and are not opened.");
    EXPECT_TRUE(s.lstCoeff().empty());
}

INSTANTIATE_TEST_SUITE_P(EveryKind, InterruptedSave, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

// "3 - Series from file" settles the series file first: a killed writer's temporary goes.
TEST(InterruptedSave, ASeriesLoadedAsAStartIsSettledFirst)
{
    const ode::test::ScratchFolder dir("interrupted");
    const std::string p = dir.file("start");
    Write(p, ReadText(kExamples + "/nonlinear-reciprocal-solved"));
    const std::string leftover = p + ".tmp~" + std::to_string(FaultyFileSystem::kDeadWriter) + "-0-0a1b2c3d";
    Write(leftover, "half a series");
    const ApproximationSeries s = LoadApproximationSeries(p, SeriesKind::Power);
    EXPECT_TRUE(s.ok) << s.message;
    EXPECT_FALSE(fs::exists(leftover));
}

} // namespace
