#include "script/Parser.h"

#include "script/ScriptErrors.h"

#include <algorithm>
#include <array>

namespace ode::script {

namespace {

// The binary operators: token, node, precedence level (loosest 1, tightest 13; the prefix
// Not is level 6) and the text a dump shows.
struct BinaryOperator {
    Tok token;
    Op op;
    int level;
    const char* text;
};

constexpr BinaryOperator kBinaryOperators[] = {
    {Tok::Imp, Op::Imp, 1, "Imp"},
    {Tok::Eqv, Op::Eqv, 2, "Eqv"},
    {Tok::Xor, Op::Xor, 3, "Xor"},
    {Tok::Or, Op::Or, 4, "Or"},
    {Tok::And, Op::And, 5, "And"},
    {Tok::Eq, Op::Eq, 7, "="},
    {Tok::Ne, Op::Ne, 7, "<>"},
    {Tok::Lt, Op::Lt, 7, "<"},
    {Tok::Gt, Op::Gt, 7, ">"},
    {Tok::Le, Op::Le, 7, "<="},
    {Tok::Ge, Op::Ge, 7, ">="},
    {Tok::Is, Op::Is, 7, "Is"},
    {Tok::Ampersand, Op::Concat, 8, "&"},
    {Tok::Plus, Op::Add, 9, "+"},
    {Tok::Minus, Op::Sub, 9, "-"},
    {Tok::Mod, Op::Mod, 10, "Mod"},
    {Tok::Backslash, Op::IntDiv, 11, "\\"},
    {Tok::Star, Op::Mul, 12, "*"},
    {Tok::Slash, Op::Div, 12, "/"},
    {Tok::Caret, Op::Pow, 13, "^"},
};

// The table's row of a token (nullptr for a token that is no binary operator), looked up
// through an index by token built once.
const BinaryOperator* binaryFor(Tok k)
{
    static const std::array<const BinaryOperator*, 256> byToken = [] {
        std::array<const BinaryOperator*, 256> index{};
        for (const BinaryOperator& b : kBinaryOperators)
            index[static_cast<uint8_t>(b.token)] = &b;
        return index;
    }();
    return byToken[static_cast<uint8_t>(k)];
}

struct SyntaxError {
    int number;
    const Token* at;
};

class Parser {
public:
    Parser(const std::vector<Token>& tokens, Program& program) : m_t(tokens), m_p(program) {}

    void statements()
    {
        for (;;) {
            const Token& t = peek();
            if (t.kind == Tok::End)
                return;
            if (t.kind == Tok::Colon || t.kind == Tok::Newline) {
                ++m_i;
                continue;
            }
            statement();
            const Token& after = peek();
            if (after.kind != Tok::End && after.kind != Tok::Colon && after.kind != Tok::Newline)
                throw SyntaxError{ErrExpectedEnd, &after};
        }
    }

    void expressionOnly()
    {
        skipNewlines();
        if (peek().kind == Tok::End) {
            Node n; // an empty text evaluates to Empty
            m_p.root = add(std::move(n), 0);
            return;
        }
        m_p.root = expression();
        skipNewlines();
        if (peek().kind != Tok::End)
            throw SyntaxError{ErrExpectedEnd, &peek()};
    }

private:
    const Token& peek() const { return m_t[m_i]; }
    const Token& take() { return m_t[m_i++]; }
    void skipNewlines()
    {
        while (peek().kind == Tok::Newline)
            ++m_i;
    }

    int add(Node n, int depth)
    {
        if (depth > MaxNesting)
            throw SyntaxError{ErrOutOfStack, &peek()};
        m_p.nodes.push_back(std::move(n));
        m_depth.push_back(depth);
        return static_cast<int>(m_p.nodes.size()) - 1;
    }
    int depthOf(int node) const { return m_depth[node]; }

    int nameIndex(const std::string& qualifier, const std::string& name)
    {
        m_p.names.push_back({qualifier, name});
        return static_cast<int>(m_p.names.size()) - 1;
    }

    // The name `first` began, with its qualifier when a dot and a member follow ("Math.Pi").
    int qualifiedName(const Token& first)
    {
        if (peek().kind != Tok::Dot)
            return nameIndex({}, first.text);
        ++m_i;
        const Token& member = take();
        if (member.kind != Tok::Name)
            throw SyntaxError{ErrExpectedIdentifier, &member};
        return nameIndex(first.text, member.text);
    }

    void statement()
    {
        const Token& first = take();
        Statement st;
        st.line = first.line;
        st.column = first.column;
        if (first.kind == Tok::Dim || first.kind == Tok::Public) {
            st.kind = Statement::Kind::Declare;
            for (;;) {
                const Token& n = take();
                if (n.kind != Tok::Name)
                    throw SyntaxError{ErrExpectedIdentifier, &n};
                st.declared.push_back(nameIndex({}, n.text));
                if (peek().kind != Tok::Comma)
                    break;
                ++m_i;
            }
            m_p.statements.push_back(std::move(st));
            return;
        }
        if (first.kind != Tok::Name)
            throw SyntaxError{ErrExpectedStatement, &first};
        st.target = qualifiedName(first);
        if (peek().kind == Tok::Eq) {
            ++m_i;
            st.kind = Statement::Kind::Assign;
            st.expr = expression();
        } else {
            st.kind = Statement::Kind::Call;
            Node call;
            call.name = st.target;
            call.line = first.line;
            call.column = first.column;
            if (peek().kind == Tok::LParen) {
                call.op = Op::Call;
                arguments(call);
                if (peek().kind == Tok::Eq)
                    throw SyntaxError{ErrExpectedEnd, &peek()};
            } else {
                call.op = Op::Call;
            }
            st.expr = add(std::move(call), 1);
        }
        m_p.statements.push_back(std::move(st));
    }

    void arguments(Node& call)
    {
        ++m_i; // "("
        std::vector<int> args;
        if (peek().kind != Tok::RParen) {
            for (;;) {
                args.push_back(expression());
                if (peek().kind != Tok::Comma)
                    break;
                ++m_i;
            }
        }
        if (peek().kind != Tok::RParen)
            throw SyntaxError{ErrExpectedClose, &peek()};
        ++m_i;
        call.firstArg = static_cast<int>(m_p.args.size());
        call.argCount = static_cast<int>(args.size());
        m_p.args.insert(m_p.args.end(), args.begin(), args.end());
    }

    // Binary levels, loosest first (level 6 is the prefix Not), from the operator table.
    static int levelOf(Tok k)
    {
        const BinaryOperator* b = binaryFor(k);
        return b ? b->level : 0;
    }
    static Op binaryOp(Tok k) { return binaryFor(k)->op; }

    int expression() { return level(1); }

    int level(int lv)
    {
        if (lv == 6) {
            if (peek().kind == Tok::Not) {
                const Token& t = take();
                if (++m_nesting > MaxNesting)
                    throw SyntaxError{ErrOutOfStack, &t};
                int operand = level(6);
                --m_nesting;
                Node n;
                n.op = Op::Not;
                n.a = operand;
                n.line = t.line;
                n.column = t.column;
                return add(std::move(n), depthOf(operand) + 1);
            }
            return level(7);
        }
        if (lv == 14)
            return unary();
        int left = level(lv + 1);
        while (levelOf(peek().kind) == lv) {
            const Token& t = take();
            int right = level(lv + 1);
            Node n;
            n.op = binaryOp(t.kind);
            n.a = left;
            n.b = right;
            n.line = t.line;
            n.column = t.column;
            left = add(std::move(n), std::max(depthOf(left), depthOf(right)) + 1);
        }
        return left;
    }

    int unary()
    {
        const Token& t = peek();
        if (t.kind == Tok::Minus || t.kind == Tok::Plus) {
            ++m_i;
            if (++m_nesting > MaxNesting)
                throw SyntaxError{ErrOutOfStack, &t};
            int operand = unary();
            --m_nesting;
            Node n;
            n.op = t.kind == Tok::Minus ? Op::Neg : Op::Pos;
            n.a = operand;
            n.line = t.line;
            n.column = t.column;
            return add(std::move(n), depthOf(operand) + 1);
        }
        return primary();
    }

    int primary()
    {
        const Token& t = take();
        Node n;
        n.line = t.line;
        n.column = t.column;
        switch (t.kind) {
        case Tok::Number:
        case Tok::String:
            n.op = Op::Const;
            n.value = t.value;
            return add(std::move(n), 0);
        case Tok::True:
        case Tok::False:
            n.op = Op::Const;
            n.value = Value::boolean(t.kind == Tok::True);
            return add(std::move(n), 0);
        case Tok::Empty:
            n.op = Op::Const;
            return add(std::move(n), 0);
        case Tok::LParen: {
            if (++m_nesting > MaxNesting)
                throw SyntaxError{ErrOutOfStack, &t};
            int inner = expression();
            --m_nesting;
            if (peek().kind != Tok::RParen)
                throw SyntaxError{ErrExpectedClose, &peek()};
            ++m_i;
            return inner;
        }
        case Tok::Name: {
            n.name = qualifiedName(t);
            if (peek().kind == Tok::LParen) {
                if (++m_nesting > MaxNesting)
                    throw SyntaxError{ErrOutOfStack, &t};
                n.op = Op::Call;
                arguments(n);
                --m_nesting;
                int depth = 0;
                for (int k = 0; k < n.argCount; ++k)
                    depth = std::max(depth, depthOf(m_p.args[n.firstArg + k]));
                return add(std::move(n), depth + 1);
            }
            n.op = Op::Name;
            return add(std::move(n), 0);
        }
        default:
            --m_i;
            throw SyntaxError{ErrSyntax, &t};
        }
    }

    const std::vector<Token>& m_t;
    Program& m_p;
    size_t m_i = 0;
    int m_nesting = 0;
    std::vector<int> m_depth;
};

Program parse(std::string_view text, bool expression)
{
    Program p;
    LexResult lex = Lex(text);
    if (lex.errorNumber != 0) {
        p.errorNumber = lex.errorNumber;
        p.errorLine = lex.errorLine;
        p.errorColumn = lex.errorColumn;
        return p;
    }
    try {
        Parser parser(lex.tokens, p);
        if (expression)
            parser.expressionOnly();
        else
            parser.statements();
    } catch (const SyntaxError& e) {
        Program failed;
        failed.errorNumber = e.number;
        failed.errorLine = e.at->line;
        failed.errorColumn = e.at->column;
        return failed;
    }
    return p;
}

const char* opName(Op op)
{
    switch (op) {
    case Op::Const:
        return "const";
    case Op::Name:
        return "name";
    case Op::Call:
        return "call";
    case Op::Neg:
        return "neg";
    case Op::Pos:
        return "pos";
    case Op::Not:
        return "Not";
    default:
        for (const BinaryOperator& b : kBinaryOperators)
            if (b.op == op)
                return b.text;
        return "?";
    }
}

void dumpNode(const Program& p, int i, std::string& out)
{
    const Node& n = p.nodes[i];
    auto fullName = [&](int k) {
        const NameRef& r = p.names[k];
        return r.qualifier.empty() ? r.name : r.qualifier + "." + r.name;
    };
    switch (n.op) {
    case Op::Const:
        if (n.value.type == Type::String)
            out += '"' + n.value.s + '"';
        else if (n.value.type == Type::Empty)
            out += "Empty";
        else
            out += ToText(n.value);
        return;
    case Op::Name:
        out += fullName(n.name);
        return;
    case Op::Call:
        out += "(" + fullName(n.name);
        for (int k = 0; k < n.argCount; ++k) {
            out += ' ';
            dumpNode(p, p.args[n.firstArg + k], out);
        }
        out += ')';
        return;
    default:
        out += '(';
        out += opName(n.op);
        out += ' ';
        dumpNode(p, n.a, out);
        if (n.b >= 0) {
            out += ' ';
            dumpNode(p, n.b, out);
        }
        out += ')';
    }
}

} // namespace

Program ParseStatements(std::string_view text) { return parse(text, false); }
Program ParseExpression(std::string_view text) { return parse(text, true); }

std::string Dump(const Program& p)
{
    std::string out;
    if (p.errorNumber != 0)
        return "error " + std::to_string(p.errorNumber);
    if (p.root >= 0) {
        dumpNode(p, p.root, out);
        return out;
    }
    for (const Statement& st : p.statements) {
        if (!out.empty())
            out += '\n';
        switch (st.kind) {
        case Statement::Kind::Declare:
            out += "dim";
            for (int k : st.declared)
                out += ' ' + p.names[k].name;
            break;
        case Statement::Kind::Assign:
            out += "set " + p.names[st.target].name + ' ';
            dumpNode(p, st.expr, out);
            break;
        case Statement::Kind::Call:
            dumpNode(p, st.expr, out);
            break;
        }
    }
    return out;
}

} // namespace ode::script
