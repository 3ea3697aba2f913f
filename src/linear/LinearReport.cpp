#include "linear/LinearReport.h"

#include "common/NumberFormat.h"

namespace ode {

std::vector<std::string> ReportHeadLines(const LinearInputs& in, const LinearTexts& boxes)
{
    std::vector<std::string> lines;
    lines.push_back("  DEPENDENT VARIABLE: " + in.depVarName);
    lines.push_back("INDEPENDENT VARIABLE: " + in.indepVarName);
    lines.push_back("");
    if (!boxes.constants.empty()) {
        lines.push_back("CONSTANTS:");
        for (const std::string& c : boxes.constants)
            lines.push_back(c);
        lines.push_back("");
    }
    lines.push_back("DIFFERENTIAL EQUATION:");
    lines.push_back(boxes.equation);
    for (int k = 1; k <= in.order; ++k) {
        size_t i = static_cast<size_t>(k - 1);
        lines.push_back("");
        lines.push_back("BOUNDARY CONDITION #" + PrintedNumber(k) + ". EVALUATION POINT " + in.indepVarName + "=" +
                        (i < boxes.bcPoint.size() ? boxes.bcPoint[i] : std::string()));
        lines.push_back(i < boxes.bcText.size() ? boxes.bcText[i] : std::string());
    }
    return lines;
}

std::vector<std::string> LinearReportLines(const LinearInputs& in, const LinearTexts& boxes, bool solved,
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
