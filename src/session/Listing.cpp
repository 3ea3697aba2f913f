#include "session/Listing.h"

#include "common/NumberFormat.h"

namespace ode {

std::string PrintedNumber(double x) { return FormatSigned(x) + " "; }

std::string ListHeading(ListStyle style)
{
    switch (style) {
    case ListStyle::NewtonPower:
        return "COEFFICIENTS:   ( LAST CORRECTION: )";
    case ListStyle::NewtonTrigonometric:
        return "COEFFICIENTS:                 LAST CORRECTION:";
    case ListStyle::Expansion:
    case ListStyle::SystemExpansion:
        break;
    }
    return "EXPANSION COEFFICIENTS:";
}

std::vector<std::string> ListEndLines(ListStyle style, Termination termination, int shownPass)
{
    const bool newton = style == ListStyle::NewtonPower || style == ListStyle::NewtonTrigonometric;
    const bool system = style == ListStyle::SystemExpansion;
    switch (termination) {
    case Termination::NoConvergence:
        if (newton)
            return {"NO CONVERGENCE.  BEST RESULTS WERE:"};
        break;
    case Termination::Cancelled:
        return {newton ? NewtonStoppedLine(shownPass) : StoppedLine()};
    case Termination::LinearlyDependent:
        if (!newton)
            return {system ? "YIELDS LINEARLY DEPENDENT SYSTEM" : "ENCOUNTERED LINEARLY DEPENDENT SYSTEM"};
        break;
    case Termination::Inconsistent:
        if (!newton)
            return {system ? "YIELDS INCONSISTENT SYSTEM" : "ENCOUNTERED INCONSISTENT SYSTEM"};
        break;
    default:
        break;
    }
    return {};
}

std::string NewtonStoppedLine(int shownPass)
{
    return shownPass > 0 ? StoppedLine("THE BEST ITERATE SO FAR (PASS " + std::to_string(shownPass) + ") IS SHOWN")
                         : StoppedLine();
}

std::string OutcomeLine(const SolveReport& report)
{
    return ListHeading(report.opened ? ListStyle::Expansion : report.style);
}

std::vector<std::string> CoefficientLines(const std::string& depVarName, const std::vector<double>& coef)
{
    std::vector<std::string> lines;
    lines.reserve(coef.size() + 1);
    lines.push_back(ListHeading(ListStyle::Expansion));
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
