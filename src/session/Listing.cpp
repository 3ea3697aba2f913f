#include "session/Listing.h"

#include "common/NumberFormat.h"

namespace ode {

std::string PrintedNumber(double x) { return FormatSigned(x) + " "; }

std::vector<std::string> CoefficientLines(const std::string& depVarName, const std::vector<double>& coef)
{
    std::vector<std::string> lines;
    lines.reserve(coef.size() + 1);
    lines.push_back("EXPANSION COEFFICIENTS:");
    for (size_t k = 0; k < coef.size(); ++k)
        lines.push_back(depVarName + "(" + std::to_string(k) + ")=" + FormatNumber(coef[k]));
    return lines;
}

void AppendNewtonReportLines(double errorBoundDE, double errorBoundCoef, int maxIterations, double xlower,
                             double xupper, double xcenter, std::vector<std::string>& lines)
{
    lines.push_back("   MAXIMUM ERROR IN DE & BC'S:" + PrintedNumber(errorBoundDE));
    lines.push_back("MAXIMUM ERROR IN COEFFICIENTS:" + PrintedNumber(errorBoundCoef));
    lines.push_back("      MAXIMUM # OF ITERATIONS:" + PrintedNumber(maxIterations));
    lines.push_back("             INTERVAL STUDIED: [" + PrintedNumber(xlower) + "," + PrintedNumber(xupper) + "]");
    lines.push_back("          CENTER OF EXPANSION:" + PrintedNumber(xcenter));
}

} // namespace ode
