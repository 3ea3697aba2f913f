#pragma once
// The sequential text records of the problem and series files.
//
// Write lines (W): items separated by "," with no blanks; texts in double quotes (a quote
// inside a text is not escaped), numbers with "." and up to 15 significant digits, booleans
// as #TRUE# / #FALSE#.
// Print lines (P): a number as FormatSigned followed by one blank, a text unchanged; items
// after the first start at the next print zone (columns 1, 15, 29, ...), the gap filled with
// blanks.
// Every line ends with CR LF.
//
// Reading takes items in order across lines: an item ends at a comma or at the end of its
// line, leading blanks are skipped, a quoted text may contain commas, an unquoted text ends
// at a comma or the line end, a number ends at a blank, a comma or the line end.

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ode {

// One item of a written or printed line.
struct RecordItem {
    enum class Kind { Text, Number, Boolean };
    Kind kind;
    std::string text;
    double number = 0.0;
    bool boolean = false;

    RecordItem(const char* t) : kind(Kind::Text), text(t) {}
    RecordItem(std::string t) : kind(Kind::Text), text(std::move(t)) {}
    RecordItem(double x) : kind(Kind::Number), number(x) {}
    RecordItem(int x) : kind(Kind::Number), number(x) {}
    RecordItem(long x) : kind(Kind::Number), number(static_cast<double>(x)) {}
    RecordItem(bool b) : kind(Kind::Boolean), boolean(b) {}
};

// How a text stands in a line: always between quotes (as a written item does), or as it is and
// quoted only where reading it back needs the quotes (a printed item, see PrintedTextItem).
enum class TextItemForm { Quoted, AsNeeded };

// A text as a printed item: as it stands, unless it is empty, holds a comma, starts with a
// quote, or starts or ends with a blank or tab, which only a quoted item gives back.
std::string PrintedTextItem(const std::string& text);

// The first character of `text` that a file line of this form cannot give back as it stands,
// or nothing: a line break (CR or LF) always; a quote where the text is quoted (always, or as
// PrintedTextItem would quote it), since a quote inside quotes is not escaped.
std::optional<char> UnwritableCharacter(const std::string& text, TextItemForm form);

// Builds the text of a file line by line.
class RecordWriter {
public:
    static constexpr int PrintZoneWidth = 14;

    void writeLine(const std::vector<RecordItem>& items);
    void printLine(const std::vector<RecordItem>& items);
    const std::string& text() const { return m_text; }

private:
    std::string m_text;
};

// Reads the items of a file in order. The first failure (a file that ends early, an item of
// the wrong kind) is kept and every later read fails too, so a whole record can be read and
// checked once at the end.
class RecordReader {
public:
    explicit RecordReader(std::string content);

    bool readNumber(double& out);
    bool readText(std::string& out);
    bool readBoolean(bool& out);

    bool ok() const { return m_error.empty(); }
    // "" while every read succeeded, otherwise what went wrong and on which line.
    const std::string& error() const { return m_error; }
    // True when nothing but blanks and line ends is left.
    bool atEnd() const;

private:
    // The next raw item: `quoted` tells whether it stood in quotes. For numbers the item ends
    // at the first blank as well.
    bool nextItem(std::string& item, bool& quoted, bool numberItem);
    bool fail(const std::string& what);
    bool atLineEnd() const;
    void skipLineEnd();
    void skipBlanks();

    std::string m_text;
    size_t m_pos = 0;
    int m_line = 1;
    std::string m_error;
};

} // namespace ode
