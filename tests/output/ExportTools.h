#pragma once
// What the export tests share: a written file read back, commands run, CSV split into cells.

#include "support/Scratch.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace ode::test {

// The file's text; a file that cannot be read fails the test.
inline std::string Read(const std::string& path)
{
    std::string text, error;
    EXPECT_TRUE(ReadWholeFile(path, text, error)) << error;
    return text;
}

// What the shell command prints, its messages too; `ok` false when it failed.
inline std::string Shell(const std::string& command, bool& ok)
{
    int status = 0;
    const std::string out = RunShell(command + " 2>&1", status);
    ok = status == 0;
    return out;
}

inline bool Have(const std::string& program)
{
    bool ok = false;
    Shell("command -v " + program + " >/dev/null", ok);
    return ok;
}

// The rows of a CSV text, each cut at its commas.
inline std::vector<std::vector<std::string>> CsvRows(const std::string& text)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> cells;
        std::istringstream fields(line);
        for (std::string cell; std::getline(fields, cell, ',');)
            cells.push_back(cell);
        rows.push_back(cells);
    }
    return rows;
}

} // namespace ode::test
