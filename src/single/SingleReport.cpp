#include "single/SingleReport.h"

#include "common/NumberFormat.h"

namespace ode {

std::vector<std::string> ReportHeadLines(const SingleInputs& in, const SingleTexts& boxes)
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

} // namespace ode
