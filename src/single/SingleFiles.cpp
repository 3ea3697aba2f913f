#include "single/SingleFiles.h"

#include "common/Limits.h"
#include "common/NumberFormat.h"
#include "common/Utf8.h"
#include "equations/BoxChecks.h"
#include "script/Constants.h"

#include <algorithm>
#include <cmath>

namespace ode {

namespace {

std::string trimmed(const std::string& s)
{
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos)
        return {};
    size_t e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

} // namespace

std::optional<std::string> UnsavableText(const SingleTexts& boxes)
{
    std::optional<std::string> refusal;
    for (const auto& [what, text] :
         {std::pair<std::string, const std::string*>{"The independent variable's name", &boxes.indepVarName},
          {"The dependent variable's name", &boxes.depVarName},
          {"The equation", &boxes.equation}})
        if (!refusal)
            refusal = FileTextRefusal(what, *text, kEquationItem);
    const size_t n = std::min(boxes.bcText.size(), static_cast<size_t>(std::max(0L, ParseWholeNumber(boxes.order))));
    for (size_t k = 0; k < n && !refusal; ++k)
        refusal = FileTextRefusal("Condition " + std::to_string(k + 1), boxes.bcText[k], kConditionItem);
    for (size_t k = 0; k < boxes.constants.size() && !refusal; ++k)
        refusal = FileTextRefusal(ConstantWhat(boxes.constants[k]), boxes.constants[k], kConstantItem);
    return refusal;
}

std::string SeriesFileText(SeriesKind kind, const SingleTexts& boxes, bool solved, const std::vector<double>& coef)
{
    RecordWriter w;
    w.writeLine({0, boxes.indepVarName, ParseNumber(boxes.xlower), ParseNumber(boxes.xupper)});
    if (boxes.expansion == "*")
        w.printLine({"*"});
    else
        w.printLine({ParseNumber(boxes.expansion)});
    if (kind == SeriesKind::Power) {
        w.writeLine({1, "*", ParseNumber(boxes.terms), solved});
    } else {
        w.writeLine({0});
        if (boxes.period == "*")
            w.printLine({"*"});
        else
            w.printLine({ParseNumber(boxes.period)});
        w.writeLine({ParseNumber(boxes.terms), solved});
    }
    if (solved)
        for (double c : coef)
            w.printLine({c});
    return w.text();
}

void WriteConditionsAndConstants(const SingleTexts& boxes, RecordWriter& w)
{
    const long n = ParseWholeNumber(boxes.order);
    for (long k = 0; k < n; ++k) {
        size_t i = static_cast<size_t>(k);
        double point = i < boxes.bcPoint.size() ? ParseNumber(boxes.bcPoint[i]) : 0.0;
        std::string text = i < boxes.bcText.size() ? boxes.bcText[i] : std::string();
        w.printLine({point, PrintedTextItem(text)});
    }
    w.printLine({static_cast<long>(boxes.constants.size())});
    for (const std::string& c : boxes.constants)
        w.printLine({PrintedTextItem(c)});
}

bool ReadSeriesFile(const std::string& seriesText, SeriesKind kind, double pi, SingleFileContent& c, std::string& why)
{
    RecordReader s(seriesText);
    double lastVar = 0, kindRead = 0, count = 0;
    std::string centre;
    bool solved = false;
    s.readNumber(lastVar);
    s.readText(c.texts.indepVarName);
    s.readNumber(c.xlower);
    s.readNumber(c.xupper);
    s.readText(centre);
    s.readNumber(kindRead);
    s.readText(c.periodText);
    s.readNumber(count);
    s.readBoolean(solved);
    if (!s.ok()) {
        why = s.error();
        return false;
    }
    centre = trimmed(centre);
    c.periodText = trimmed(c.periodText);
    c.xcenter = centre == "*" ? (c.xlower + c.xupper) / 2 : ParseNumber(centre);
    c.period = c.periodText == "*" ? 2 * pi : ParseNumber(c.periodText);
    double degree = kind == SeriesKind::Power ? RoundHalfEven(count) : RoundHalfEven(count) - 1;
    if (!(degree >= 0 && degree <= kLargestDegree)) { // no file written by the program exceeds it
        why = "the degree " + FormatNumber(degree) + " is out of range.";
        return false;
    }
    c.seriesDegree = static_cast<int>(degree);
    // A series of the other family is not a solution of this form's problem.
    const double expectedKind = kind == SeriesKind::Power ? 1 : 0;
    c.solved = solved && kindRead == expectedKind;
    if (c.solved) {
        c.coef.assign(static_cast<size_t>(c.seriesDegree) + 1, 0.0);
        for (double& v : c.coef)
            s.readNumber(v);
        if (!s.ok()) {
            why = s.error();
            return false;
        }
    }
    return true;
}

bool ReadConditionsAndConstants(RecordReader& p, double order, SingleFileContent& c, std::string& why)
{
    const double n = RoundHalfEven(order);
    if (!(n >= 1 && n <= 10)) {
        why = "the order " + FormatNumber(order) + " is out of range.";
        return false;
    }
    c.texts.order = FormatNumber(n);
    c.texts.bcPoint.clear();
    c.texts.bcText.clear();
    for (int k = 0; k < static_cast<int>(n); ++k) {
        double point = 0;
        std::string text;
        p.readNumber(point);
        p.readText(text);
        c.texts.bcPoint.push_back(FormatNumber(point));
        c.texts.bcText.push_back(text);
    }
    double constantCount = 0;
    p.readNumber(constantCount);
    if (p.ok() && !(constantCount >= 0 && constantCount <= 101)) {
        why = "the number of constants " + FormatNumber(constantCount) + " is out of range.";
        return false;
    }
    c.texts.constants.clear();
    for (int k = 0; p.ok() && k < static_cast<int>(constantCount); ++k) {
        std::string entry;
        p.readText(entry);
        c.texts.constants.push_back(entry);
    }
    if (!p.ok()) {
        why = p.error();
        return false;
    }
    return true;
}

void ShowSeriesInBoxes(SeriesKind kind, SingleFileContent& c)
{
    c.texts.terms = FormatNumber(kind == SeriesKind::Power ? c.seriesDegree : c.seriesDegree + 1);
    c.texts.xlower = FormatNumber(c.xlower);
    c.texts.xupper = FormatNumber(c.xupper);
    c.texts.expansion = FormatNumber(c.xcenter);
    c.texts.period = c.periodText;
}

} // namespace ode
