// The expression language's semantics, one table: each text with the value it must give (its
// subtype and its text as "&" would make it) or the error number it must raise.
#include "script/Engine.h"
#include "script/Parser.h"

#include <gtest/gtest.h>

namespace {

using ode::script::Engine;
using ode::script::Type;
using ode::script::Value;

struct LangCase {
    const char* name;
    const char* expr;
    Type type;        // ignored when error != 0
    const char* text; // the value as text
    int error = 0;
    friend void PrintTo(const LangCase& c, std::ostream* os) { *os << c.expr; }
};

LangCase ok(const char* name, const char* expr, Type type, const char* text) { return {name, expr, type, text, 0}; }
LangCase err(const char* name, const char* expr, int error) { return {name, expr, Type::Empty, "", error}; }

class LanguageTest : public testing::TestWithParam<LangCase> {};

TEST_P(LanguageTest, EvaluatesAsTheLanguageDoes)
{
    const LangCase& c = GetParam();
    Engine engine;
    Value v;
    bool success = engine.eval(c.expr, v);
    if (c.error != 0) {
        EXPECT_FALSE(success) << c.expr << " gave " << ToText(v);
        EXPECT_EQ(engine.error().number, c.error) << c.expr << ": " << engine.error().description;
        return;
    }
    ASSERT_TRUE(success) << c.expr << ": " << engine.error().number << " " << engine.error().description;
    EXPECT_EQ(ToText(v), c.text) << c.expr;
    EXPECT_EQ(static_cast<int>(v.type), static_cast<int>(c.type)) << c.expr;
    // The cached compiled form gives the same as the fresh parse.
    Value again;
    ASSERT_TRUE(engine.eval(c.expr, again));
    EXPECT_EQ(ToText(again), ToText(v));
}

constexpr Type I = Type::Integer, L = Type::Long, D = Type::Double, S = Type::String, B = Type::Boolean,
               E = Type::Empty;

INSTANTIATE_TEST_SUITE_P(
    Semantics, LanguageTest,
    testing::Values(
        // precedence
        ok("SignBindsTighterThanPower", "-3^2", D, "9"), ok("NegativeExponent", "2^-2", D, "0.25"),
        ok("PowerIsLeftAssociative", "2^3^2", D, "64"), ok("PowerBeforeProduct", "2*3^2", D, "18"),
        ok("ModBelowPlus", "7 Mod 4+2", I, "5"), ok("IntDivBelowPlus", "2+3\\4", I, "2"),
        ok("IntDivBelowSlash", "5\\4/2", L, "2"), ok("SlashBeforeIntDiv", "12/3\\2", L, "2"),
        ok("ConcatBelowPlus", "1 + 2 & 3", S, "33"), ok("NotLooserThanCompare", "Not 1 = 2", B, "True"),
        ok("RepeatedSigns", "--1", I, "1"), ok("PlusSign", "+-+2", I, "-2"), ok("Parentheses", "(1+2)*3", I, "9"),
        ok("MulBeforeMod", "7 Mod 2*2", I, "3"), ok("CompareChain", "1 < 2 < 3", B, "True"),
        ok("AndBeforeOr", "1 Or 2 And 0", I, "1"), ok("ImpLoosest", "True Imp False Or True", B, "True"),
        // bitwise logic
        ok("BitwiseAnd", "3 And 5", I, "1"), ok("BitwiseXor", "3 Xor 5", I, "6"), ok("NotZero", "Not 0", I, "-1"),
        ok("NotTrue", "Not True", B, "False"), ok("Eqv", "5 Eqv 3", I, "-7"), ok("LogicOnDoubles", "2.5 Or 0", L, "2"),
        // Variant arithmetic
        ok("BooleansAreMinusOne", "False + 6 + True", I, "5"), ok("TrueTrue", "True + True", I, "-2"),
        ok("IntegerToLong", "32767 + 1", L, "32768"), ok("ProductToLong", "200 * 200", L, "40000"),
        ok("LongProduct", "40000 * 40000", L, "1600000000"), ok("LongBecomesDouble", "50000 * 50000", D, "2500000000"),
        ok("BigLiteral", "2147483648", D, "2147483648"), ok("LongLiteral", "32768", L, "32768"),
        ok("NegatedInteger", "-32768", L, "-32768"), ok("SlashGivesDouble", "4/2", D, "2"),
        ok("Quotient", "1/3", D, "0.333333333333333"), ok("IntDivRoundsFirst", "4.6 \\ 1.5", L, "2"),
        ok("IntDivRoundsEven", "4.6 \\ 1.49", L, "5"), ok("ModRounds", "11.6 Mod 5.5", L, "0"),
        ok("Mod", "9 Mod 6", I, "3"), ok("IntDivTruncates", "-7 \\ 2", I, "-3"), ok("ModSign", "-7 Mod 3", I, "-1"),
        ok("ZeroPowerZero", "0^0", D, "1"), ok("NegativeCube", "(-8)^3", D, "-512"),
        ok("ConcatNumbers", "1 & 100000", S, "1100000"), ok("NumericStringAbs", "Abs(\"-1\")", D, "1"),
        ok("StringPlusNumber", "\"3\" + 1", D, "4"), ok("StringTimesString", "\"3\" * \"4\"", D, "12"),
        ok("StringPlusString", "\"3\" + \"1\"", S, "31"), ok("EmptyIsZero", "undefinedName + 1", I, "1"),
        ok("EmptyConcat", "undefinedName & \"a\"", S, "a"), ok("EmptyLiteral", "Empty", E, ""),
        ok("EmptyText", "", E, ""),
        ok("Comparisons", "(1 < 2) & (2 <= 2) & (3 > 4) & (1 <> 1) & (2 >= 3) & (1 = 1)", S,
           "TrueTrueFalseFalseFalseTrue"),
        ok("StringCompare", "\"abc\" < \"abd\"", B, "True"), ok("NumericStringCompare", "\"10\" = 10", B, "True"),
        ok("NumberBeforeText", "5 < \"abc\"", B, "True"), ok("SmallDoubleText", "1E-16 & \"\"", S, "1E-16"),
        ok("BigDoubleText", "1.5E+16 & \"\"", S, "1.5E+16"), ok("PlainSmallText", "0.00001 & \"\"", S, "0.00001"),
        ok("CaseInsensitiveNames", "ATN(1)*4", D, "3.14159265358979"),
        // literals
        ok("LeadingPoint", ".5", D, "0.5"), ok("TrailingPoint", "10.", D, "10"), ok("Exponent", "1.5E+3", D, "1500"),
        ok("SmallExponent", "1E-5", D, "0.00001"), ok("Hex", "&H1F", I, "31"), ok("HexSixteenBits", "&HFFFF", I, "-1"),
        ok("HexLong", "&HFFFF&", L, "65535"), ok("LeadingZeroIsDecimal", "010", I, "10"), ok("Octal", "&O17", I, "15"),
        ok("QuotesInString", "\"a\"\"b\"", S, "a\"b"), ok("Comment", "1 + 2 ' the rest is a comment", I, "3"),
        // built-in functions
        ok("Sgn", "Sgn(-2.5) & Sgn(0) & Sgn(3)", S, "-101"), ok("IntFloors", "Int(-1.99)", D, "-2"),
        ok("FixTruncates", "Fix(-1.99)", D, "-1"), ok("RoundHalfEven", "Round(2.5)", D, "2"),
        ok("RoundUp", "Round(3.5)", D, "4"), ok("RoundNegative", "Round(-2.5)", D, "-2"),
        ok("RoundPlaces", "Round(1.2345, 2)", D, "1.23"), ok("CIntHalfEven", "CInt(1.5)", I, "2"),
        ok("CIntTwoAndAHalf", "CInt(2.5)", I, "2"), ok("CLng", "CLng(-2.5)", L, "-2"),
        ok("CDbl", "CDbl(\"1.5\")", D, "1.5"), ok("CBool", "CBool(2)", B, "True"), ok("CStr", "CStr(0.5)", S, "0.5"),
        ok("Sqr", "Sqr(16)", D, "4"), ok("SqrEmpty", "Sqr(Empty)", D, "0"), ok("Exp", "Exp(0)", D, "1"),
        ok("Log", "Log(Exp(2))", D, "2"), ok("Trig", "Sin(0)+Cos(0)+Tan(0)", D, "1"), ok("Abs", "Abs(-3)", I, "3"),
        ok("Len", "Len(\"abc\")", L, "3"),
        ok("Strings", "UCase(Left(\"abc\", 2)) & LCase(Right(\"XYZ\", 1)) & Mid(\"hello\", 2, 3) & Trim(\"  t  \")", S,
           "ABzellt"),
        ok("IsNumeric", "IsNumeric(\"1e3\") & IsNumeric(\"x\")", S, "TrueFalse"),
        // run-time errors
        err("SqrNegative", "Sqr(-1)", 5), err("LogZero", "Log(0)", 5), err("ExpOverflow", "Exp(1000)", 6),
        err("DivisionByZero", "1/0", 11), err("ZeroByZero", "0/0", 6), err("IntDivByZero", "1 \\ 0", 11),
        err("ModZero", "5 Mod 0", 11), err("FractionalPowerOfNegative", "(-8)^(1/3)", 5),
        // Mixed faults of the integer operators: both operands are converted (left, then right)
        // before the divisor is tested, so a conversion's overflow comes before a division by
        // zero (oleaut32's VarMod and VarIdiv, which the language's Mod and \ call).
        err("ModLeftOverflowsBeforeZeroDivisor", "-1E308 Mod 1E-320", 6),
        err("ModRightOverflowsBeforeZeroDivisor", "0 Mod 1E308", 6),
        err("ModTinyDivisorRoundsToZero", "5 Mod 1E-320", 11), err("ModZeroByZero", "0 Mod 0.4", 11),
        err("IntDivLeftOverflowsBeforeZeroDivisor", "123456789012345678\\0*1E-5", 6),
        err("IntDivOverflowBeforeZero", "1E308 \\ 0", 6), err("IntDivRightOverflow", "1 \\ -1E308", 6),
        err("IntDivTinyDivisor", "7 \\ 1E-320", 11), err("ZeroToNegative", "0^-1", 5),
        err("PowerOverflow", "10^400", 6), err("ProductOverflow", "1E200*1E200", 6),
        err("TextInArithmetic", "\"a\" * 2", 13), err("CIntOverflow", "CInt(32767.5)", 6),
        err("CLngOverflow", "CLng(2147483647.5)", 6), err("UnknownFunction", "Sinn(1)", 13),
        err("NoStrFunction", "Str(0.5)", 13), err("NoCreateObject", "CreateObject(\"WScript.Shell\")", 13),
        err("NoGetObject", "GetObject(\"winmgmts:\")", 13), err("NoMsgBox", "MsgBox(1)", 13),
        err("NoShellObject", "CreateObject(\"WScript.Shell\").Run(\"calc\")", 1025),
        err("NoShell", "Shell(\"ls\")", 13), err("NoExecuteGlobal", "ExecuteGlobal(\"x=1\")", 1002),
        err("NoOpen", "Open(\"file\")", 13), err("NoKill", "Kill(\"file\")", 13),
        err("NoInputBox", "InputBox(\"x\")", 13), err("NoEval", "Eval(\"1\")", 13),
        err("NoExecute", "Execute(\"x=1\")", 1002), err("ArgumentCount", "Atn(1, 2)", 450),
        err("FunctionWithoutArguments", "Sin", 450), err("Is", "1 Is 2", 424), err("MidZero", "Mid(\"abc\", 0)", 5),
        // syntax errors
        err("MissingOperand", "1 +", 1002), err("MissingParen", "(1 + 2", 1006), err("TwoNumbers", "1 2", 1025),
        err("InvalidCharacter", "1 $ 2", 1032), err("Unterminated", "\"abc", 1033),
        err("DExponentIsNotANumber", "1D3", 1025), err("TooLarge", "1E999", 1031), err("Reserved", "If", 1002),
        err("DanglingNot", "2 + Not 1", 1002)),
    [](const testing::TestParamInfo<LangCase>& info) { return std::string(info.param.name); });

TEST(LanguageNesting, DeepTextsAreRefusedNotCrashing)
{
    Engine engine;
    Value v;
    std::string deep(100000, '(');
    EXPECT_FALSE(engine.eval(deep + "1" + std::string(100000, ')'), v));
    EXPECT_EQ(engine.error().number, 28);
    std::string longSum = "1";
    for (int i = 0; i < 5000; ++i)
        longSum += "+1";
    EXPECT_FALSE(engine.eval(longSum, v)) << "a left-deep chain is bounded too";
    std::string minus(100000, '-');
    EXPECT_FALSE(engine.eval(minus + "1", v));
    std::string nots;
    for (int i = 0; i < 50000; ++i)
        nots += "Not ";
    EXPECT_FALSE(engine.eval(nots + "1", v));
    std::string moderate = "1";
    for (int i = 0; i < 300; ++i)
        moderate += "+1";
    ASSERT_TRUE(engine.eval(moderate, v));
    EXPECT_EQ(ToText(v), "301");
}

TEST(LanguageDump, ShowsTheCompiledForm)
{
    EXPECT_EQ(ode::script::Dump(ode::script::ParseExpression("-3^2+x*Sin(1)")), "(+ (^ (neg 3) 2) (* x (Sin 1)))");
    EXPECT_EQ(ode::script::Dump(ode::script::ParseStatements("Dim a, b: a = 1 : sh.h = a")),
              "dim a b\nset a 1\nset h a");
}

} // namespace
