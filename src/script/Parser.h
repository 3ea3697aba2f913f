#pragma once
// Second stage: tokens to the compiled form, a flat list of nodes with their source places.
// Operator precedence is one table (from loosest to tightest binding):
//   Imp < Eqv < Xor < Or < And < Not (prefix) < comparisons (= <> < > <= >= Is)
//   < & < + - < Mod < \ < * / < ^ < unary - +
// every binary level associating to the left, so -3^2 = 9, 2^3^2 = 64, 2^-2 = 0.25.

#include "script/Lexer.h"

#include <string>
#include <string_view>
#include <vector>

namespace ode::script {

enum class Op : uint8_t {
    Const, // literal `value`
    Name,  // a name used as a value: `name` indexes Program::names
    Call,  // a name with arguments: `name`, `firstArg`, `argCount`
    Neg,
    Pos,
    Not,
    // binary, operands `a` and `b`
    Imp,
    Eqv,
    Xor,
    Or,
    And,
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    Is,
    Concat,
    Add,
    Sub,
    Mod,
    IntDiv,
    Mul,
    Div,
    Pow,
};

struct Node {
    Op op = Op::Const;
    int a = -1, b = -1;             // operands (node indices)
    int name = -1;                  // Name / Call
    int firstArg = 0, argCount = 0; // Call: node indices in Program::args
    int line = 1, column = 0;
    Value value; // Const
};

// A name as written: `qualifier` is the object in "sh.Asin", "" for a plain name.
struct NameRef {
    std::string qualifier;
    std::string name;
};

struct Statement {
    enum class Kind { Assign, Declare, Call } kind = Kind::Assign;
    int target = -1;           // Assign / Call: Program::names index
    int expr = -1;             // Assign: the value; Call: a Call or Name node
    std::vector<int> declared; // Declare: Program::names indices
    int line = 1, column = 0;
};

struct Program {
    std::vector<Node> nodes;
    std::vector<int> args;
    std::vector<NameRef> names;
    std::vector<Statement> statements; // statement texts
    int root = -1;                     // expression texts
    // Syntax error found while compiling (0: none).
    int errorNumber = 0;
    int errorLine = 1;
    int errorColumn = 0;
};

// Deepest nesting of operators and parentheses a text may have.
constexpr int MaxNesting = 400;

Program ParseStatements(std::string_view text);
Program ParseExpression(std::string_view text);

// The compiled form in readable prefix notation, one statement a line, for debugging.
std::string Dump(const Program& program);

} // namespace ode::script
