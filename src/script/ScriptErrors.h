#pragma once
// Error numbers and descriptions of the expression language, in one table.

#include <string>

namespace ode::script {

enum ErrorNumber : int {
    ErrNone = 0,
    ErrInvalidCall = 5,           // Sqr(-1), Log(0), (-8)^(1/3)
    ErrOverflow = 6,              // Exp(1000), 0/0, CInt(32767.5)
    ErrOutOfMemory = 7,           // a problem too large for the memory
    ErrSubscript = 9,             // Mid("abc", 0)
    ErrDivisionByZero = 11,       // 1/0, 1\0, 5 Mod 0
    ErrTypeMismatch = 13,         // "a"*2, Sinn(1) (with the name)
    ErrOutOfStack = 28,           // nesting deeper than the parser allows
    ErrObjectRequired = 424,      // x Is y
    ErrWrongArguments = 450,      // Atn(1, 2), Sin
    ErrIllegalAssignment = 501,   // Sin = 1
    ErrSyntax = 1002,             // x = 1 +
    ErrExpectedOpen = 1005,       // Dim (
    ErrExpectedClose = 1006,      // x = (1 + 2
    ErrExpectedIdentifier = 1010, // Dim 1
    ErrExpectedEquals = 1011,
    ErrExpectedStatement = 1024, // 1 = x
    ErrExpectedEnd = 1025,       // x = 1 2
    ErrIdentifierTooLong = 1030,
    ErrInvalidNumber = 1031,                           // 1E999
    ErrInvalidCharacter = 1032,                        // x = 1 $ 2
    ErrUnterminatedString = 1033,                      // x = "abc
    ErrAlreadyReported = static_cast<int>(0x80020101), // a call failing on an error already reported
};

// The description of `number`; for 13 and 501 with a name, "Type mismatch: 'Name'" and
// "Illegal assignment: 'Name'".
std::string ErrorDescription(int number, const std::string& name = {});

// Where and what: the number, the description, the line (from 1) and column (from 0) of the
// text where it was found.
struct ScriptError {
    int number = 0;
    std::string description;
    int line = 0;
    int column = 0;
};

// Thrown inside the engine only; the engine's calls turn it into a ScriptError value.
struct ScriptException {
    int number;
    std::string name; // the offending name where the description names one
    int column = -1;
};

} // namespace ode::script
