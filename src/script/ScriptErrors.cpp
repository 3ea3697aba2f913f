#include "script/ScriptErrors.h"

#include "common/Utf8.h"

namespace ode::script {

std::string ErrorDescription(int number, const std::string& name)
{
    switch (number) {
    case ErrInvalidCall:
        return "Invalid procedure call or argument";
    case ErrOverflow:
        return "Overflow";
    case ErrOutOfMemory:
        return "Out of memory";
    case ErrSubscript:
        return "Subscript out of range";
    case ErrDivisionByZero:
        return "Division by zero";
    case ErrTypeMismatch:
        return name.empty() ? "Type mismatch" : "Type mismatch: '" + Excerpt(name) + "'";
    case ErrOutOfStack:
        return "Out of stack space";
    case ErrObjectRequired:
        return "Object required";
    case ErrWrongArguments:
        return "Wrong number of arguments or invalid property assignment";
    case ErrIllegalAssignment:
        return name.empty() ? "Illegal assignment" : "Illegal assignment: '" + Excerpt(name) + "'";
    case ErrSyntax:
        return "Syntax error";
    case ErrExpectedOpen:
        return "Expected '('";
    case ErrExpectedClose:
        return "Expected ')'";
    case ErrExpectedIdentifier:
        return "Expected identifier";
    case ErrExpectedEquals:
        return "Expected '='";
    case ErrExpectedStatement:
        return "Expected statement";
    case ErrExpectedEnd:
        return "Expected end of statement";
    case ErrIdentifierTooLong:
        return "Identifier too long";
    case ErrInvalidNumber:
        return "Invalid number";
    case ErrInvalidCharacter:
        return "Invalid character";
    case ErrUnterminatedString:
        return "Unterminated string constant";
    default:
        return "Unknown runtime error";
    }
}

} // namespace ode::script
