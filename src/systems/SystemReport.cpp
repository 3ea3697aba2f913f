#include "systems/SystemReport.h"

#include "linear/LinearReport.h"

namespace ode {

std::vector<std::string> SystemReportLines(bool nonlinear, const NonlinearSystemInputs& in, const SystemTexts& boxes,
                                           bool solved, const std::vector<std::string>& coefficientLines)
{
    std::vector<std::string> lines;
    lines.push_back("INDEPENDENT VARIABLE: " + in.indepVarName);
    std::string names;
    for (size_t j = 0; j < in.depVarNames.size(); ++j)
        names += (j ? "," : "") + in.depVarNames[j];
    lines.push_back("DEPENDENT VARIABLES:" + names);
    lines.push_back("");
    if (!boxes.constants.empty()) {
        lines.push_back("CONSTANTS:");
        lines.insert(lines.end(), boxes.constants.begin(), boxes.constants.end());
        lines.push_back("");
    }
    lines.push_back("DIFFERENTIAL EQUATIONS:");
    for (int e = 0; e <= in.lastVar && static_cast<size_t>(e) < boxes.equations.size(); ++e)
        lines.push_back(boxes.equations[static_cast<size_t>(e)]);
    lines.push_back("");
    for (int b = 0; b < in.numBC && static_cast<size_t>(b) < boxes.bcText.size(); ++b) {
        lines.push_back("BOUNDARY CONDITION #" + PrintedNumber(b + 1) + ". EVALUATION POINT " + in.indepVarName + "=" +
                        boxes.bcPoint[static_cast<size_t>(b)]);
        lines.push_back(boxes.bcText[static_cast<size_t>(b)]);
    }
    lines.push_back("");
    if (nonlinear) {
        lines.push_back("   MAXIMUM ERROR IN DE & BC'S:" + PrintedNumber(in.errorBoundDE));
        lines.push_back("MAXIMUM ERROR IN COEFFICIENTS:" + PrintedNumber(in.errorBoundCoef));
        lines.push_back("      MAXIMUM # OF ITERATIONS:" + PrintedNumber(in.maxIterations));
        lines.push_back("             INTERVAL STUDIED: [" + PrintedNumber(in.xlower) + "," + PrintedNumber(in.xupper) +
                        "]");
        lines.push_back("          CENTER OF EXPANSION:" + PrintedNumber(in.xcenter));
    } else {
        lines.push_back("        INTERVAL STUDIED: [" + PrintedNumber(in.xlower) + "," + PrintedNumber(in.xupper) +
                        "]");
        lines.push_back("     CENTER OF EXPANSION:" + PrintedNumber(in.xcenter));
    }
    if (solved) {
        lines.push_back("");
        lines.insert(lines.end(), coefficientLines.begin(), coefficientLines.end());
    }
    return lines;
}

} // namespace ode
