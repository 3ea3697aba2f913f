#include "output/Json.h"

#include "output/ExportText.h"
#include "session/Demos.h"
#include "session/Listing.h"

#include <cmath>

namespace ode {

namespace {

nlohmann::ordered_json Chebyshev(const ChebyshevSeries& c)
{
    return {{"interval", {c.a, c.b}}, {"coefficients", c.coef}};
}

} // namespace

nlohmann::ordered_json SolutionJson(const Solution& s)
{
    nlohmann::ordered_json j;
    j["program"] = "ODE Series";
    j["version"] = ODESERIES_VERSION;
    j["kind"] = MagicWord(s.kind);
    j["kindName"] = DemoKindCaption(s.kind);
    j["series"] = s.series == SeriesKind::Power ? "power" : "trigonometric";
    j["method"] = MethodName(s);
    j["independentVariable"] = s.indepVarName;
    j["equations"] = s.equations;
    auto& conditions = j["conditions"] = nlohmann::ordered_json::array();
    for (const SolvedCondition& c : s.conditions) {
        nlohmann::ordered_json one = {{"text", c.text}, {"point", c.point}};
        one["residual"] = c.residual ? nlohmann::ordered_json(*c.residual) : nlohmann::ordered_json(nullptr);
        conditions.push_back(one);
    }
    j["constants"] = s.constants;
    j["interval"] = {s.xlower, s.xupper};
    j["centre"] = s.centre; // a trigonometric series' argument is 2 pi (x - centre) / period
    if (s.series == SeriesKind::Trigonometric)
        j["period"] = s.period;
    auto& variables = j["variables"] = nlohmann::ordered_json::array();
    for (const SolvedVariable& v : s.variables) {
        nlohmann::ordered_json one = {{"name", v.name}, {"order", v.order}};
        if (s.series == SeriesKind::Power)
            one["degree"] = static_cast<int>(v.coef.size()) - 1;
        else
            one["terms"] = static_cast<int>(v.coef.size());
        one["coefficients"] = v.coef;
        if (v.chebyshev)
            one["chebyshev"] = Chebyshev(*v.chebyshev);
        variables.push_back(one);
    }
    j["outcome"] = OutcomeLine(s.report);
    if (s.report.readout)
        j["accuracy"] = ReadoutLine(*s.report.readout);
    if (const auto& g = s.report.gridCheck)
        j["gridCheck"] = {{"residual", g->residual},
                          {"terms", g->terms},
                          {"relative", g->relative()},
                          {"points", g->points},
                          {"line", GridCheckLine(*g)}};
    if (const auto& p = s.report.powerSeries)
        j["powerSeries"] = {{"centre", p->centre},
                            {"radius", !std::isfinite(p->radius) ? nlohmann::ordered_json(nullptr)
                                                             : nlohmann::ordered_json(p->radius)},
                            {"radiusAtLeast", p->radiusAtLeast},
                            {"accuracy", p->accuracy},
                            {"line", PowerSeriesLine(*p)}};
    j["lists"] = {{"lstCoeff", s.lstCoeff}, {"lstBCError", s.lstBCError}};
    if (!s.lstPasses.empty())
        j["lists"]["lstPasses"] = s.lstPasses;
    if (!s.lstChebyshev.empty())
        j["lists"]["lstChebyshev"] = s.lstChebyshev;
    return j;
}

std::string JsonDump(const nlohmann::ordered_json& j, int indent)
{
    return JsonEscapeKeptOut(j.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
}

} // namespace ode
