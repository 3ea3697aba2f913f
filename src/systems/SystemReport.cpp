#include "systems/SystemReport.h"

#include "session/Listing.h"

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
        AppendNewtonReportLines(in.errorBoundDE, in.errorBoundCoef, in.maxIterations, in.xlower, in.xupper, in.xcenter,
                                lines);
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
