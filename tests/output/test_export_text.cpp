// The pieces every export's safety rests on, one table each: bytes that are not UTF-8 (as the
// JSON writer replaces them), the checked names and identifiers, what a comment may show, the
// Octave folder made and removed, and pairs with invalid names opened.
#include "common/Utf8.h"
#include "equations/BoxChecks.h"
#include "output/ExportParts.h"
#include "output/ExportText.h"
#include "output/Exports.h"
#include "output/Json.h"
#include "session/SessionTools.h"
#include "support/Scratch.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <set>
#include <tuple>

namespace {

using namespace ode;
using namespace std::string_literals;
namespace fs = std::filesystem;

const std::string kFFFD = "\xEF\xBF\xBD";

struct Bytes {
    const char* tag;
    std::string in, out;
    friend void PrintTo(const Bytes& b, std::ostream* os) { *os << b.tag; }
};

class Utf8 : public testing::TestWithParam<Bytes> {};

// A text is valid only in each character's shortest form; each ill-formed piece is one U+FFFD,
// exactly as the JSON writer replaces it, so a text reads the same in the JSON and in every
// other export.
TEST_P(Utf8, IllFormedPiecesBecomeOneReplacementEach)
{
    const Bytes& b = GetParam();
    EXPECT_EQ(IsValidUtf8(b.in), b.in == b.out);
    EXPECT_EQ(ValidUtf8(b.in), b.out);
    const nlohmann::ordered_json j = b.in;
    EXPECT_EQ(
        nlohmann::json::parse(j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)).get<std::string>(),
        b.out);
    EXPECT_EQ(nlohmann::json::parse(JsonDump(j, -1)).get<std::string>(), b.out);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Utf8,
    testing::Values(Bytes{"Ascii", "y''+y=0", "y''+y=0"}, Bytes{"Accented", "caf\xC3\xA9", "caf\xC3\xA9"},
                    Bytes{"Latin1Byte", "caf\xE9!", "caf" + kFFFD + "!"},
                    Bytes{"StrayContinuation", "a\x80\xBF"s + "b", "a" + kFFFD + kFFFD + "b"},
                    Bytes{"CutShort", "a\xE2\x82"s + "b", "a" + kFFFD + "b"},
                    Bytes{"CutAtTheEnd", "a\xF0\x9F\x98", "a" + kFFFD},
                    Bytes{"Overlong", "\xC0\xAF\xE0\x80\xAF", kFFFD + kFFFD + kFFFD + kFFFD + kFFFD},
                    Bytes{"Surrogate", "\xED\xA0\x80", kFFFD + kFFFD + kFFFD},
                    Bytes{"AboveTheLast", "\xF4\x90\x80\x80", kFFFD + kFFFD + kFFFD + kFFFD},
                    Bytes{"NeverALead", "\xF8\xFF", kFFFD + kFFFD}, Bytes{"ThreeBytes", "\xE2\x82\xAC", "\xE2\x82\xAC"},
                    Bytes{"FourBytes", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"}, Bytes{"Nul", "a\0b"s, "a\0b"s}),
    [](const testing::TestParamInfo<Bytes>& info) { return std::string(info.param.tag); });

// The JSON writer leaves no control character raw: C0 by the library, DEL, C1 and the
// separators and overrides by ours.
TEST(JsonWriter, EscapesEveryControlCharacter)
{
    // Controls escaped; the characters beside them in the encoding (a dash, a copyright sign,
    // U+2065) stay as they are.
    const std::string text = "a\x7f|\xC2\x85|\xC2\xA9|\xE2\x80\xA8|\xE2\x80\x94|\xE2\x80\xAE|\xE2\x81\xA5|"
                             "\xE2\x81\xA6|\n|\xC3\xA9";
    const nlohmann::ordered_json j = {{"t\x01", text}};
    EXPECT_EQ(JsonDump(j, -1), "{\"t\\u0001\":\"a\\u007f|\\u0085|\xC2\xA9|\\u2028|\xE2\x80\x94|\\u202e|\xE2\x81\xA5|"
                               "\\u2066|\\n|\xC3\xA9\"}");
    EXPECT_EQ(nlohmann::ordered_json::parse(JsonDump(j, 2)), j);
}

struct Named {
    std::string name;
    const char* checked;
    const char* python;
    const char* c;
    const char* octave;
    friend void PrintTo(const Named& n, std::ostream* os) { *os << n.checked; }
};

class Names : public testing::TestWithParam<Named> {};

TEST_P(Names, BecomeTheirCheckedFormAndAvoidEachLanguagesWords)
{
    const Named& n = GetParam();
    std::vector<std::string> forms = {CheckedName(n.name)};
    for (ExportKind language :
         {ExportKind::Python, ExportKind::C, ExportKind::Octave, ExportKind::Csv, ExportKind::Latex})
        forms.push_back(CodeName(n.name, language));
    EXPECT_EQ(forms, (std::vector<std::string>{n.checked, n.python, n.c, n.octave, n.checked, n.checked}));
    // The checked form of a name that is not valid is never a valid name.
    EXPECT_EQ(IsValidName(CheckedName(n.name)), IsValidName(n.name));
}

const Named kNames[] = {
    {"y", "y", "y", "y", "y"},
    {"range", "range", "range_", "range", "range_"},
    {"len", "len", "len_", "len", "len"},
    {"float", "float", "float_", "float_", "float"},
    {"lambda", "lambda", "lambda_", "lambda", "lambda"},
    {"match", "match", "match_", "match", "match"},
    {"asm", "asm", "asm", "asm_", "asm"},
    {"typeof", "typeof", "typeof", "typeof_", "typeof"},
    {"y1", "y1", "y1", "y1_", "y1"},
    {"linux", "linux", "linux", "linux_", "linux"},
    {"parfor", "parfor", "parfor", "parfor", "parfor_"},
    {"endarguments", "endarguments", "endarguments", "endarguments", "endarguments_"},
    {"e", "e", "e", "e", "e_"},
    {"input", "input", "input_", "input", "input_"},
    {"unix", "unix", "unix", "unix_", "unix_"},
    {"x", "x", "x_", "x_", "x_"},
    {"derivative", "derivative", "derivative_", "derivative_", "derivative_"},
    {"factorial", "factorial", "factorial", "factorial_", "factorial_"},
    {"int", "int", "int_", "int_", "int"},
    {"end", "end", "end", "end", "end_"},
    {"value", "value", "value", "value", "value_"},
    {"y z", "v_y_20z", "v_y_20z", "v_y_20z", "v_y_20z"},
    {"Len(\"\"\")", "v_Len_28_22_22_22_29", "v_Len_28_22_22_22_29", "v_Len_28_22_22_22_29", "v_Len_28_22_22_22_29"},
    {"../../x", "v__2E_2E_2F_2E_2E_2Fx", "v__2E_2E_2F_2E_2E_2Fx", "v__2E_2E_2F_2E_2E_2Fx", "v__2E_2E_2F_2E_2E_2Fx"},
    {"caf\xE9", "v_caf_E9", "v_caf_E9", "v_caf_E9", "v_caf_E9"},
    {"=HYPERLINK", "v__3DHYPERLINK", "v__3DHYPERLINK", "v__3DHYPERLINK", "v__3DHYPERLINK"},
    {"", "v_", "v_", "v_", "v_"},
    {"v_1", "v_v_5F1", "v_v_5F1", "v_v_5F1", "v_v_5F1"},
    {"1y", "v_1y", "v_1y", "v_1y", "v_1y"},
    {"a\0b"s, "v_a_00b", "v_a_00b", "v_a_00b", "v_a_00b"},
};

INSTANTIATE_TEST_SUITE_P(Exports, Names, testing::ValuesIn(kNames),
                         [](const testing::TestParamInfo<Named>& info) { return "Row" + std::to_string(info.index); });

// One identifier a name, never two names to one identifier.
TEST(NamesTable, NoTwoNamesShareAnIdentifier)
{
    for (ExportKind language : {ExportKind::Python, ExportKind::C, ExportKind::Octave, ExportKind::Csv}) {
        std::set<std::string> seen;
        for (const Named& n : kNames)
            EXPECT_TRUE(seen.insert(CodeName(n.name, language)).second) << n.name;
    }
    for (const char* word : {"range_", "asm_", "parfor_", "x_", "v_y_20z_"}) // a name cannot end in "_"
        EXPECT_FALSE(IsValidName(word));
}

struct Commented {
    const char* tag;
    std::string text;
    bool c, octave; // shown as it is in a C comment, an Octave (and LaTeX) one
    friend void PrintTo(const Commented& t, std::ostream* os) { *os << t.tag; }
};

class CommentTexts : public testing::TestWithParam<Commented> {};

TEST_P(CommentTexts, StandAsTheyAreOrNotAtAll)
{
    const Commented& t = GetParam();
    const auto c = CommentText(t.text, ExportKind::C), octave = CommentText(t.text, ExportKind::Octave),
               latex = CommentText(t.text, ExportKind::Latex);
    EXPECT_EQ(std::make_tuple(c.has_value(), octave.has_value(), latex.has_value()),
              std::make_tuple(t.c, t.octave, t.octave));
    if (octave) {
        EXPECT_EQ(*octave, ValidUtf8(t.text));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Exports, CommentTexts,
    testing::Values(Commented{"Plain", "y''+y=0", true, true},
                    Commented{"TripleQuotes", "u=1+0*Len(\"\"\" + x + \"\"\")", true, true},
                    Commented{"EndsACComment", "y=1 */ system(\"x\"); /*", false, true},
                    Commented{"StartsACComment", "y=1 /* here", false, true},
                    Commented{"TrigraphBackslash", "y=1 ?\?/", false, true},
                    Commented{"Percent", "y=1 % \\input{/etc/passwd}\\immediate\\write18{touch x}", true, true},
                    Commented{"Accented", "caf\xC3\xA9=1", true, true},
                    Commented{"Latin1Replaced", "caf\xE9=1", true, true},
                    Commented{"LineFeed", "y=1\nsystem('x')", false, false},
                    Commented{"CarriageReturn", "y=1\rx", false, false}, Commented{"Tab", "y=1\tx", false, false},
                    Commented{"Nul", "y=1\0x"s, false, false}, Commented{"Del", "y=1\x7f", false, false},
                    Commented{"C1NextLine", "y=1\xC2\x85x", false, false},
                    Commented{"LineSeparator", "y=1\xE2\x80\xA8x", false, false},
                    Commented{"RightToLeftOverride", "y=1\xE2\x80\xAEx", false, false}),
    [](const testing::TestParamInfo<Commented>& info) { return std::string(info.param.tag); });

// A solution of one power series, under the given names.
Solution Small(const std::vector<std::string>& names)
{
    Solution s;
    s.indepVarName = "x";
    s.xlower = -1;
    s.xupper = 1;
    for (const std::string& n : names)
        s.variables.push_back({n, 1, {1.0, 0.5}, std::nullopt});
    return s;
}

// The Octave folder: made when its parent exists, never its parents; removed again when the
// export fails; each file in it, named by its identifier.
TEST(OctaveFolder, IsMadeOnlyInAParentThatExistsAndGoesWhenTheWriteFails)
{
    const ode::test::ScratchFolder dir("export-text");
    std::string error;
    std::vector<std::string> written;
    ASSERT_TRUE(WriteExport(Small({"y", "../../evil", "end"}), ExportKind::Octave, (dir.path / "out").string(), {},
                            error, &written))
        << error;
    std::set<std::string> files;
    for (const auto& entry : fs::directory_iterator(dir.path / "out"))
        files.insert(entry.path().filename().string());
    EXPECT_EQ(files, (std::set<std::string>{"y.m", "v__2E_2E_2F_2E_2E_2Fevil.m", "end_.m"}));
    EXPECT_EQ(written.size(), 3u);

    // No parent is made.
    EXPECT_FALSE(WriteExport(Small({"y"}), ExportKind::Octave, (dir.path / "a" / "b").string(), {}, error));
    EXPECT_NE(error.find("is not a folder"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(dir.path / "a"));

    // A file name too long for the file system: the write fails, the new folder goes.
    EXPECT_FALSE(
        WriteExport(Small({std::string(300, 'y')}), ExportKind::Octave, (dir.path / "long").string(), {}, error));
    EXPECT_FALSE(fs::exists(dir.path / "long")) << error;
    // A folder that was there stays, with what it held.
    fs::create_directory(dir.path / "kept");
    std::ofstream(dir.path / "kept" / "mine.txt") << "mine";
    EXPECT_FALSE(
        WriteExport(Small({std::string(300, 'y')}), ExportKind::Octave, (dir.path / "kept").string(), {}, error));
    EXPECT_TRUE(fs::exists(dir.path / "kept" / "mine.txt"));

    // Two variables one identifier: refused before anything is written.
    FileTexts texts;
    EXPECT_FALSE(ExportFiles(Small({"y", "y"}), ExportKind::Python, "m.py", {}, texts, error));
    EXPECT_EQ(error, "Two variables would share the name y in the export.");
    EXPECT_TRUE(texts.empty());
}

struct Pair {
    const char* tag;
    const char* example;
    std::string from, to; // a name, replaced everywhere in the problem file
    friend void PrintTo(const Pair& p, std::ostream* os) { *os << p.tag; }
};

class InvalidNames : public testing::TestWithParam<Pair> {};

// A solved pair whose names are not valid opens unsolved in every kind: its problem is shown,
// Solve refuses it, and there is no solution to export.
TEST_P(InvalidNames, OpenUnsolvedAndSolveRefusesThem)
{
    const Pair& p = GetParam();
    const ode::test::ScratchFolder dir("export-text");
    const std::string examples = ODESERIES_EXAMPLES, name = (dir.path / "p").string();
    fs::copy_file(examples + "/" + p.example, name);
    std::string problem, error;
    ASSERT_TRUE(ReadWholeFile(examples + "/" + p.example + ".str", problem, error));
    for (size_t at = 0; (at = problem.find(p.from, at)) != std::string::npos; at += p.to.size())
        problem.replace(at, p.from.size(), p.to);
    std::ofstream(name + ".str", std::ios::binary) << problem;

    ode::test::Made m;
    Session& session = ode::test::Open(m, *KindOfMagicWord(problem.substr(1, 5)));
    const auto described = [&session] {
        const auto* single = dynamic_cast<const ProblemSession*>(&session);
        return single ? DescribeSolution(*single) : DescribeSolution(static_cast<const SystemSession&>(session));
    };
    ASSERT_TRUE(session.open(name));
    EXPECT_FALSE(session.solved());
    EXPECT_FALSE(described());
    m.messages.clear();
    EXPECT_FALSE(session.solve());
    EXPECT_FALSE(m.messages.empty());
    EXPECT_FALSE(described());
}

INSTANTIATE_TEST_SUITE_P(Sessions, InvalidNames,
                         testing::Values(Pair{"LinearSpace", "airy-solved", "y", "y z"},
                                         Pair{"LinearLatin1", "airy-solved", "y", "caf\xE9"},
                                         Pair{"LinearUnderscore", "airy-solved", "y", "y_1"},
                                         Pair{"LinearSameNames", "airy-solved", "y", "X"},
                                         Pair{"NonlinearSpace", "nonlinear-reciprocal-solved", "y", "y z"},
                                         Pair{"NonlinearUnderscore", "nonlinear-reciprocal-solved", "y", "y_1"},
                                         Pair{"LinearSystem", "system-exponential-solved", "z", "z z"},
                                         Pair{"NonlinearSystem", "system-nonlinear-solved", "y", "y_1"}),
                         [](const testing::TestParamInfo<Pair>& info) { return std::string(info.param.tag); });

} // namespace
