#include "linear/LinearReport.h"

#include "common/NumberFormat.h"

namespace ode {

std::vector<std::string> LinearReportLines(const SingleInputs& in, const SingleTexts& boxes, bool solved,
                                           const std::vector<double>& coef)
{
    std::vector<std::string> lines = ReportHeadLines(in, boxes);
    lines.push_back("");
    lines.push_back("              ORDER:" + PrintedNumber(in.order));
    if (in.kind == SeriesKind::Power)
        lines.push_back(" DEGREE OF SOLUTION:" + PrintedNumber(in.seriesDegree));
    else
        lines.push_back("    NUMBER OF TERMS:" + PrintedNumber(in.seriesDegree + 1));
    lines.push_back("   INTERVAL STUDIED: [" + PrintedNumber(in.xlower) + "," + PrintedNumber(in.xupper) + "]");
    lines.push_back("CENTER OF EXPANSION:" + PrintedNumber(in.xcenter));
    if (in.kind == SeriesKind::Trigonometric)
        lines.push_back("             PERIOD:" + PrintedNumber(in.period));
    lines.push_back("");
    lines.push_back("EXPANSION COEFFICIENTS:");
    if (!solved) {
        lines.push_back("(NOT SOLVED)");
        return lines;
    }
    for (size_t k = 0; k < coef.size(); ++k)
        lines.push_back(in.depVarName + "(" + PrintedNumber(static_cast<double>(k)) + ")=" + PrintedNumber(coef[k]));
    return lines;
}

} // namespace ode
