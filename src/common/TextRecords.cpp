#include "common/TextRecords.h"

#include "common/NumberFormat.h"
#include "common/Utf8.h"

namespace ode {

namespace {

std::string writtenItem(const RecordItem& item)
{
    switch (item.kind) {
    case RecordItem::Kind::Text:
        return '"' + item.text + '"';
    case RecordItem::Kind::Number:
        return FormatNumber(item.number);
    case RecordItem::Kind::Boolean:
        return item.boolean ? "#TRUE#" : "#FALSE#";
    }
    return {};
}

// A complete number item: sign, digits with an optional point, optional exponent (E or D).
bool parseNumberItem(const std::string& s, double& out)
{
    return !s.empty() && s.front() != ' ' && ParseNumberText(s, out, true);
}

bool isSpaceOrTab(char c) { return c == ' ' || c == '\t'; }

bool needsQuotes(const std::string& text)
{
    return text.empty() || text.find(',') != std::string::npos || text.front() == '"' || isSpaceOrTab(text.front()) ||
           isSpaceOrTab(text.back());
}

} // namespace

std::string PrintedTextItem(const std::string& text)
{
    if (needsQuotes(text) && text.find('"') == std::string::npos)
        return '"' + text + '"';
    return text;
}

std::optional<char> UnwritableCharacter(const std::string& text, TextItemForm form)
{
    const size_t lineBreak = text.find_first_of("\r\n");
    if (lineBreak != std::string::npos)
        return text[lineBreak];
    if ((form == TextItemForm::Quoted || needsQuotes(text)) && text.find('"') != std::string::npos)
        return '"';
    return std::nullopt;
}

void RecordWriter::writeLine(const std::vector<RecordItem>& items)
{
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            m_text += ',';
        m_text += writtenItem(items[i]);
    }
    m_text += "\r\n";
}

void RecordWriter::printLine(const std::vector<RecordItem>& items)
{
    std::string line;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            // The next print zone that starts at or after the current column.
            size_t column = line.size();
            size_t zone = (column + PrintZoneWidth - 1) / PrintZoneWidth * PrintZoneWidth;
            line.append(zone - column, ' ');
        }
        const RecordItem& item = items[i];
        switch (item.kind) {
        case RecordItem::Kind::Text:
            line += item.text;
            break;
        case RecordItem::Kind::Number:
            line += FormatSigned(item.number) + ' ';
            break;
        case RecordItem::Kind::Boolean:
            line += item.boolean ? "True" : "False";
            break;
        }
    }
    m_text += line + "\r\n";
}

RecordReader::RecordReader(std::string content) : m_text(std::move(content)) {}

bool RecordReader::atLineEnd() const
{
    return m_pos >= m_text.size() || m_text[m_pos] == '\r' || m_text[m_pos] == '\n';
}

void RecordReader::skipLineEnd()
{
    if (m_pos < m_text.size() && m_text[m_pos] == '\r')
        ++m_pos;
    if (m_pos < m_text.size() && m_text[m_pos] == '\n')
        ++m_pos;
    ++m_line;
}

void RecordReader::skipBlanks()
{
    while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t'))
        ++m_pos;
}

bool RecordReader::atEnd() const
{
    for (size_t i = m_pos; i < m_text.size(); ++i)
        if (m_text[i] != ' ' && m_text[i] != '\t' && m_text[i] != '\r' && m_text[i] != '\n')
            return false;
    return true;
}

bool RecordReader::fail(const std::string& what)
{
    if (m_error.empty())
        m_error = what;
    return false;
}

bool RecordReader::nextItem(std::string& item, bool& quoted, bool numberItem)
{
    if (!ok())
        return false;
    if (m_pos >= m_text.size())
        return fail("The file ends early (line " + std::to_string(m_line) + ").");
    item.clear();
    skipBlanks();
    quoted = m_pos < m_text.size() && m_text[m_pos] == '"';
    if (quoted) {
        size_t close = m_text.find('"', m_pos + 1);
        size_t lineEnd = m_text.find_first_of("\r\n", m_pos + 1);
        if (close == std::string::npos || (lineEnd != std::string::npos && lineEnd < close))
            return fail("Line " + std::to_string(m_line) + ": a quoted text has no closing quote.");
        item = m_text.substr(m_pos + 1, close - m_pos - 1);
        m_pos = close + 1;
    } else {
        while (!atLineEnd() && m_text[m_pos] != ',' && !(numberItem && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t')))
            item += m_text[m_pos++];
        while (!item.empty() && (item.back() == ' ' || item.back() == '\t'))
            item.pop_back();
    }
    // What follows the item up to its delimiter is passed over.
    skipBlanks();
    if (m_pos < m_text.size() && m_text[m_pos] == ',')
        ++m_pos;
    else if (atLineEnd())
        skipLineEnd();
    return true;
}

bool RecordReader::readNumber(double& out)
{
    std::string item;
    bool quoted = false;
    int line = m_line;
    if (!nextItem(item, quoted, true))
        return false;
    if (!parseNumberItem(item, out))
        return fail("Line " + std::to_string(line) + ": a number was expected, not \"" + Excerpt(item) + "\".");
    return true;
}

bool RecordReader::readText(std::string& out)
{
    bool quoted = false;
    return nextItem(out, quoted, false);
}

bool RecordReader::readBoolean(bool& out)
{
    std::string item;
    bool quoted = false;
    int line = m_line;
    if (!nextItem(item, quoted, false))
        return false;
    if (!quoted && item == "#TRUE#")
        out = true;
    else if (!quoted && item == "#FALSE#")
        out = false;
    else
        return fail("Line " + std::to_string(line) + ": #TRUE# or #FALSE# was expected, not \"" + Excerpt(item) +
                    "\".");
    return true;
}

} // namespace ode
