#include "linear/LinearFiles.h"

#include "collocation/AccurateFile.h"
#include "common/FileIO.h"
#include "common/Limits.h"
#include "common/NumberFormat.h"
#include "common/TextRecords.h"
#include "common/Utf8.h"
#include "equations/BoxChecks.h"
#include "script/Constants.h"

#include <algorithm>
#include <cmath>

namespace ode {

std::string LinearProblemFileText(SeriesKind kind, const SingleTexts& boxes)
{
    RecordWriter w;
    w.writeLine({LinearMagic(kind), ParseNumber(boxes.order), boxes.indepVarName, boxes.depVarName, boxes.equation});
    WriteConditionsAndConstants(boxes, w);
    return w.text();
}

bool SaveLinearProblem(const std::string& path, SeriesKind kind, const SingleTexts& boxes, bool solved,
                       const std::vector<double>& coef, std::string& error, const FileSet& extra)
{
    if (const auto refusal = UnsavableCoefficients(solved, coef)) {
        error = *refusal;
        return false;
    }
    FileSet set{
        {{path, SeriesFileText(kind, boxes, solved, coef)}, {path + ".str", LinearProblemFileText(kind, boxes)}},
        extra.remove};
    set.write.insert(set.write.end(), extra.write.begin(), extra.write.end());
    return SaveFileSet(set, error);
}

LinearOpenResult OpenLinearProblem(const std::string& path, SeriesKind kind, double pi)
{
    LinearOpenResult result;
    OpenedPair pair = OpenProblemPair(path, LinearMagic(kind));
    if (!pair.ok) {
        result.message = pair.message;
        return result;
    }
    const std::string& seriesText = pair.seriesText;
    RecordReader& p = pair.problem;
    SingleFileContent& c = result.content;
    auto damaged = [&](const std::string& file, const std::string& why) {
        result.message = DamagedFileMessage(file, why);
        return result;
    };
    std::string why;
    if (!ReadSeriesFile(seriesText, kind, pi, c, why))
        return damaged(path, why);
    double order = 0;
    std::string indep;
    p.readNumber(order);
    p.readText(indep);
    p.readText(c.texts.depVarName);
    p.readText(c.texts.equation);
    if (!p.ok())
        return damaged(path + ".str", p.error());
    c.texts.indepVarName = indep;
    if (!ReadConditionsAndConstants(p, order, c, why))
        return damaged(path + ".str", why);
    ShowSeriesInBoxes(kind, c);
    result.ok = true;
    return result;
}

} // namespace ode
