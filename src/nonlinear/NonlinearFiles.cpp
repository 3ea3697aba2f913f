#include "nonlinear/NonlinearFiles.h"

#include "common/FileIO.h"
#include "common/Limits.h"
#include "common/NumberFormat.h"
#include "common/TextRecords.h"

namespace ode {

std::string NonlinearProblemFileText(SeriesKind kind, const NonlinearTexts& b)
{
    // The linear layout with the bounds and the limit after the order.
    RecordWriter w;
    w.writeLine({NonlinearMagic(kind), ParseNumber(b.order), ParseNumber(b.errorD), ParseNumber(b.errorC),
                 ParseNumber(b.maxcy), b.indepVarName, b.depVarName, b.equation});
    WriteConditionsAndConstants(b, w);
    return w.text();
}

bool SaveNonlinearProblem(const std::string& path, SeriesKind kind, const NonlinearTexts& boxes, bool solved,
                          const std::vector<double>& coef, std::string& error, const FileSet& extra)
{
    if (const auto refusal = UnsavableCoefficients(solved, coef)) {
        error = *refusal;
        return false;
    }
    FileSet set{
        {{path, SeriesFileText(kind, boxes, solved, coef)}, {path + ".str", NonlinearProblemFileText(kind, boxes)}},
        extra.remove};
    set.write.insert(set.write.end(), extra.write.begin(), extra.write.end());
    return SaveFileSet(set, error);
}

NonlinearOpenResult OpenNonlinearProblem(const std::string& path, SeriesKind kind, double pi)
{
    NonlinearOpenResult result;
    OpenedPair pair = OpenProblemPair(path, NonlinearMagic(kind));
    if (!pair.ok) {
        result.message = pair.message;
        return result;
    }
    const std::string& seriesText = pair.seriesText;
    RecordReader& p = pair.problem;
    std::string why;
    auto damaged = [&](const std::string& file, const std::string& reason) {
        result.message = DamagedFileMessage(file, reason);
        return result;
    };
    SingleFileContent& c = result.content;
    if (!ReadSeriesFile(seriesText, kind, pi, c, why))
        return damaged(path, why);
    double order = 0, errorD = 0, errorC = 0, maxcy = 0;
    p.readNumber(order);
    p.readNumber(errorD);
    p.readNumber(errorC);
    p.readNumber(maxcy);
    p.readText(c.texts.indepVarName);
    p.readText(c.texts.depVarName);
    p.readText(c.texts.equation);
    if (!p.ok())
        return damaged(path + ".str", p.error());
    if (!ReadConditionsAndConstants(p, order, c, why))
        return damaged(path + ".str", why);
    ShowSeriesInBoxes(kind, c);
    static_cast<SingleTexts&>(result.texts) = c.texts;
    result.texts.errorD = FormatNumber(errorD);
    result.texts.errorC = FormatNumber(errorC);
    result.texts.maxcy = FormatNumber(maxcy);
    result.ok = true;
    return result;
}

ApproximationSeries LoadApproximationSeries(const std::string& path, SeriesKind kind)
{
    ApproximationSeries r;
    std::string text, error;
    if (!RecoverFiles({path}, error) || !ReadWholeFile(path, text, error)) {
        r.message = error;
        return r;
    }
    RecordReader s(text);
    double lastVar = 0, lower = 0, upper = 0, seriesKind = 0, count = 0;
    std::string name, centre;
    bool solved = false;
    s.readNumber(lastVar);
    if (s.ok() && lastVar != 0) {
        r.message = "Series is multivariable";
        return r;
    }
    s.readText(name);
    s.readNumber(lower);
    s.readNumber(upper);
    s.readText(centre);
    s.readNumber(seriesKind);
    if (!s.ok()) {
        r.message = "The file " + path + " cannot be read: " + s.error();
        return r;
    }
    if (kind == SeriesKind::Power && seriesKind == 0) {
        r.message = "Series is trigonometric";
        return r;
    }
    if (kind == SeriesKind::Trigonometric && seriesKind != 0) {
        r.message = "Series is a power series";
        return r;
    }
    s.readText(r.periodText);
    s.readNumber(count);
    s.readBoolean(solved);
    if (!s.ok()) {
        r.message = "The file " + path + " cannot be read: " + s.error();
        return r;
    }
    if (!solved) {
        r.message = "No coefficients in file";
        return r;
    }
    size_t b = centre.find_first_not_of(' '), e = centre.find_last_not_of(' ');
    centre = b == std::string::npos ? std::string() : centre.substr(b, e - b + 1);
    b = r.periodText.find_first_not_of(' ');
    e = r.periodText.find_last_not_of(' ');
    r.periodText = b == std::string::npos ? std::string() : r.periodText.substr(b, e - b + 1);
    r.centre = centre == "*" ? (lower + upper) / 2 : ParseNumber(centre);
    const double degree = RoundHalfEven(count) - (kind == SeriesKind::Trigonometric ? 1 : 0);
    if (!(degree >= 0 && degree <= kLargestDegree)) {
        r.message = "The file " + path + " cannot be read: the degree is out of range.";
        return r;
    }
    r.degree = static_cast<int>(degree);
    r.coef.assign(static_cast<size_t>(r.degree) + 1, 0.0);
    for (double& v : r.coef)
        s.readNumber(v);
    if (!s.ok()) {
        r.message = "The file " + path + " cannot be read: " + s.error();
        return r;
    }
    r.ok = true;
    return r;
}

} // namespace ode
