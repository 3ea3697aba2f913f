#include "systems/SystemSession.h"

#include "common/FileIO.h"
#include "common/NumberFormat.h"
#include "common/ProblemKind.h"
#include "common/TextRecords.h"
#include "equations/BoxChecks.h"
#include "equations/LinearSplit.h"
#include "linear/LinearFiles.h"
#include "linear/LinearProblem.h"
#include "linear/LinearReport.h"
#include "nonlinear/NewtonSolver.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace ode {

const char* const kSystemApproximationItems[4] = {"0 - Zero coefficients", "1 - Unit coefficients",
                                                  "2 - Random coefficients", "3 - Current approximation"};

std::string UserScratchPath()
{
    namespace fs = std::filesystem;
    fs::path folder;
#ifdef _WIN32
    if (const char* local = std::getenv("LOCALAPPDATA"))
        folder = fs::path(local) / "ODE Series";
#else
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        folder = fs::path(data) / "odeseries";
    else if (const char* home = std::getenv("HOME"))
        folder = fs::path(home) / ".local" / "share" / "odeseries";
#endif
    if (folder.empty())
        folder = fs::temp_directory_path() / "odeseries";
    std::error_code ec;
    fs::create_directories(folder, ec);
    return (folder / "AMAT.MAT").string();
}

std::vector<std::string> SplitNames(const std::string& text)
{
    std::vector<std::string> names;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        names.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            return names;
        start = comma + 1;
    }
}

std::optional<std::string> CheckSystemTexts(const SystemTexts& t, bool nonlinear)
{
    const double numDE = ParseNumber(t.numDE), numBC = ParseNumber(t.numBC);
    if (!(numDE > 0 && numDE <= 10) || RoundHalfEven(numDE) < 1)
        return "The number of differential equations must be from 1 to 10.";
    if (!(numBC > 0 && numBC <= 10) || RoundHalfEven(numBC) < 1)
        return "The number of boundary conditions must be from 1 to 10.";
    if (!IsValidName(t.indepVarName))
        return "The independent variable must be a letter followed by letters and digits.";
    const auto names = SplitNames(t.depVarNames);
    if (static_cast<long>(names.size()) != ParseWholeNumber(t.numDE))
        return "Give one dependent variable for each equation, separated by commas.";
    for (const auto& n : names)
        if (!IsValidName(n))
            return "Each dependent variable must be a letter followed by letters and digits.";
    if (static_cast<long>(t.equations.size()) < ParseWholeNumber(t.numDE))
        return "The system needs " + std::to_string(ParseWholeNumber(t.numDE)) + " equations.";
    for (size_t e = 0; e < static_cast<size_t>(ParseWholeNumber(t.numDE)); ++e)
        if (t.equations[e].empty() || t.equations[e].find('=') == std::string::npos)
            return "Differential equation " + std::to_string(e + 1) + " must hold \"=\".";
    if (static_cast<long>(t.bcText.size()) < ParseWholeNumber(t.numBC) ||
        static_cast<long>(t.bcPoint.size()) < ParseWholeNumber(t.numBC))
        return "The system needs " + std::to_string(ParseWholeNumber(t.numBC)) + " boundary conditions.";
    if (ParseNumber(t.terms) < 1)
        return "The degree must be at least 1.";
    if (!CheckCentreText(t.expansion))
        return "The center of expansion must be a number or \"*\".";
    if (!CheckIntervalTexts(t.xlower, t.xupper))
        return "The upper end of the interval must be greater than the lower end.";
    if (nonlinear && (ParseNumber(t.errorD) <= 0 || ParseNumber(t.errorC) <= 0))
        return "Error bounds must be greater than 0.";
    return std::nullopt;
}

SystemSession::SystemSession(bool nonlinear, std::shared_ptr<script::Class1>& shared,
                             script::ScriptHost::MessageSink sink)
    : Session(shared, sink), m_nonlinear(nonlinear),
      m_random(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()))
{
    if (nonlinear)
        m_host.extension().h = 0.000005;
}

void SystemSession::clearResults()
{
    Session::clearResults();
    m_lstValue.clear();
}

bool SystemSession::readInputs()
{
    SystemInputs& in = m_inputs;
    const int vars = static_cast<int>(ParseWholeNumber(boxes.numDE));
    in.lastVar = vars - 1;
    in.numBC = static_cast<int>(ParseWholeNumber(boxes.numBC));
    in.degree = static_cast<int>(ParseWholeNumber(boxes.terms));
    in.xlower = ParseNumber(boxes.xlower);
    in.xupper = ParseNumber(boxes.xupper);
    in.xcenter = boxes.expansion == "*" ? (in.xlower + in.xupper) / 2 : ParseNumber(boxes.expansion);
    in.indepVarName = boxes.indepVarName;
    in.depVarNames = SplitNames(boxes.depVarNames);
    in.equations.assign(boxes.equations.begin(),
                        boxes.equations.begin() + std::min<size_t>(boxes.equations.size(), static_cast<size_t>(vars)));
    in.bcText.clear();
    in.bcPoint.clear();
    for (int b = 0; b < in.numBC && static_cast<size_t>(b) < boxes.bcText.size(); ++b) {
        in.bcText.push_back(boxes.bcText[static_cast<size_t>(b)]);
        in.bcPoint.push_back(ParseNumber(boxes.bcPoint[static_cast<size_t>(b)]));
    }
    in.constants = boxes.constants;
    m_inputs.errorBoundDE = ParseNumber(boxes.errorD);
    m_inputs.errorBoundCoef = ParseNumber(boxes.errorC);
    m_inputs.maxIterations = static_cast<int>(ParseWholeNumber(boxes.maxcy));
    m_inputsRead = true;
    return runConstants(in.constants);
}

bool SystemSession::prepare()
{
    if (!readInputs())
        return false;
    m_od = FindOrdersAndDegrees(m_inputs.equations, m_inputs.depVarNames, m_inputs.degree, m_inputs.numBC);
    m_de.clear();
    m_bc.clear();
    if (!m_nonlinear) {
        for (size_t e = 0; e < m_inputs.equations.size(); ++e) {
            m_de.push_back(SplitSystemText(m_inputs.equations[e], m_inputs.depVarNames, m_od.sumOrder));
            if (auto problem = CheckSystemSplit(m_de.back(), m_od, m_inputs.depVarNames)) {
                m_host.report("Differential equation " + std::to_string(e + 1) + " " + *problem + ".");
                return false;
            }
        }
        for (size_t b = 0; b < m_inputs.bcText.size(); ++b) {
            m_bc.push_back(SplitSystemText(m_inputs.bcText[b], m_inputs.depVarNames, m_od.sumOrder));
            if (auto problem = CheckSystemSplit(m_bc.back(), m_od, m_inputs.depVarNames)) {
                m_host.report("Boundary condition " + std::to_string(b + 1) + " " + *problem + ".");
                return false;
            }
        }
        return true;
    }
    for (const std::string& statement : DeclarationStatements(m_inputs.depVarNames, m_od.varOrder))
        if (!m_host.execute(statement)) {
            m_host.trap();
            return false;
        }
    auto residual = [&](const std::string& text) {
        const size_t eq = text.find('=');
        std::string r = text;
        if (eq != std::string::npos) {
            const std::string left = text.substr(0, eq), right = text.substr(eq + 1);
            r = right == "0" ? left : left + "-(" + right + ")";
        }
        return TranslateSystemText(r, m_inputs.depVarNames, m_od.varOrder);
    };
    m_eqExpr.clear();
    m_bcExpr.clear();
    for (size_t e = 0; e < m_inputs.equations.size(); ++e) {
        m_eqExpr.push_back(residual(m_inputs.equations[e]));
        if (m_eqExpr.back().find('\'') != std::string::npos) {
            m_host.report("Differential equation " + std::to_string(e + 1) +
                          " has a derivative above the orders the equations give.");
            return false;
        }
    }
    for (size_t b = 0; b < m_inputs.bcText.size(); ++b) {
        m_bcExpr.push_back(residual(m_inputs.bcText[b]));
        if (m_bcExpr.back().find('\'') != std::string::npos) {
            m_host.report("Boundary condition " + std::to_string(b + 1) +
                          " has a derivative above the orders the equations give.");
            return false;
        }
    }
    return true;
}

std::vector<std::string> SystemSession::coefficientLines() const
{
    std::vector<std::string> lines = {"EXPANSION COEFFICIENTS:"};
    const auto rows = SplitByVariable(m_coef, m_od);
    for (size_t j = 0; j < rows.size(); ++j) {
        for (size_t p = 0; p < rows[j].size(); ++p)
            lines.push_back(m_inputs.depVarNames[j] + "(" + std::to_string(p) + ")=" + FormatNumber(rows[j][p]));
        lines.push_back("");
    }
    return lines;
}

bool SystemSession::solve()
{
    clearResults();
    if (!prepare())
        return false;
    if (!m_nonlinear) {
        SystemSolution s = SolveSystem(m_inputs, m_od, m_de, m_bc, m_host);
        m_lstCoeff = s.lstCoeff;
        if (!s.solved)
            return false;
        m_coef.clear();
        for (const auto& row : s.coef)
            m_coef.insert(m_coef.end(), row.begin(), row.end());
        m_coefDegrees = m_od.varDegree;
        m_solved = true;
        std::vector<std::string> lines;
        if (SystemBCErrors(m_inputs, m_od, m_bc, s.coef, m_host, lines))
            m_lstBCError = lines;
        return true;
    }
    const int choice = static_cast<int>(ParseNumber(boxes.approximation));
    if (choice == 3) {
        if (m_coef.empty()) {
            m_host.report("There is no current approximation yet: solve once or open a solved problem first.");
            return false;
        }
        std::string error;
        if (!RelayCurrentApproximation(scratchPath, m_coefDegrees, m_od, m_coef, error)) {
            // The current folder is not writable: the per-user data folder serves instead.
            std::string second;
            if (!RelayCurrentApproximation(UserScratchPath(), m_coefDegrees, m_od, m_coef, second)) {
                m_host.report(error);
                return false;
            }
        }
    } else if (choice >= 0 && choice <= 2) {
        ApplyInitialApproximation(choice, m_od.numUnknowns - 1, m_coef, m_random);
    }
    m_coefDegrees = m_od.varDegree;
    m_newton = SolveNonlinearSystem(m_inputs, m_od, m_eqExpr, m_bcExpr, m_coef, m_host);
    m_lstCoeff = m_newton.lstCoeff;
    m_solved = m_newton.solved;
    if (m_solved)
        for (int b = 0; b < m_inputs.numBC; ++b) {
            double v = 0;
            if (!SetSystemPoint(m_inputs, m_od, m_coef, m_inputs.bcPoint[static_cast<size_t>(b)], m_host) ||
                !m_host.evaluate(m_bcExpr[static_cast<size_t>(b)], v)) {
                m_host.trap();
                break;
            }
            m_lstBCError.push_back("B.C. #" + std::to_string(b + 1) + "=" + FormatNumber(v));
        }
    return m_solved;
}

bool SystemSession::evaluate()
{
    double x = 0;
    int order = 0;
    if (!evaluationPoint(boxes.xestimation, boxes.derNum, x, order))
        return false;
    const auto rows = SplitByVariable(m_coef, m_od);
    if (!m_nonlinear)
        return SystemEvaluate(m_inputs, m_od, m_de, rows, x, order, m_host, m_lstValue, m_lstDError);
    m_lstValue.clear();
    m_lstDError.clear();
    for (size_t j = 0; j < rows.size(); ++j)
        m_lstValue.push_back(m_inputs.depVarNames[j] + "=" +
                             FormatNumber(VarDerivative(rows[j], m_inputs.xcenter, order, x)));
    if (!SetSystemPoint(m_inputs, m_od, m_coef, x, m_host)) {
        m_host.trap();
        return false;
    }
    for (const std::string& e : m_eqExpr) {
        double v = 0;
        if (!m_host.evaluate(e, v)) {
            m_host.trap();
            return false;
        }
        m_lstDError.push_back("D.E. ( " + m_inputs.indepVarName + " =" + FormatNumber(x) + ")=" + FormatNumber(v));
    }
    return true;
}

namespace {

const char* systemMagic(bool nonlinear)
{
    return MagicWord(nonlinear ? ProblemKind::NonlinearSystem : ProblemKind::LinearSystem);
}

std::string seriesHead(const SystemTexts& b, double lastVar)
{
    RecordWriter w;
    w.writeLine({lastVar, b.indepVarName, ParseNumber(b.xlower), ParseNumber(b.xupper)});
    if (b.expansion == "*")
        w.printLine({"*"});
    else
        w.printLine({ParseNumber(b.expansion)});
    return w.text();
}

} // namespace

bool SystemSession::save(const std::string& path)
{
    if (!m_inputsRead)
        readInputs();
    const OrdersAndDegrees od = m_od.varOrder.empty() ? FindOrdersAndDegrees(m_inputs.equations, m_inputs.depVarNames,
                                                                             m_inputs.degree, m_inputs.numBC)
                                                      : m_od;
    RecordWriter series;
    series.writeLine({1, "*", ParseNumber(boxes.terms), m_solved});
    if (m_solved)
        for (double c : m_coef)
            series.printLine({c});
    RecordWriter p;
    std::vector<RecordItem> head = {systemMagic(m_nonlinear), od.degree,   od.sumOrder,
                                    m_inputs.numBC,           od.maxOrder, od.maxDegree,
                                    boxes.indepVarName};
    if (m_nonlinear) {
        head.push_back(ParseNumber(boxes.errorD));
        head.push_back(ParseNumber(boxes.errorC));
        head.push_back(ParseNumber(boxes.maxcy));
    }
    p.writeLine(head);
    for (size_t j = 0; j < m_inputs.depVarNames.size(); ++j)
        p.writeLine({j < od.varOrder.size() ? od.varOrder[j] : 0, j < od.varDegree.size() ? od.varDegree[j] : 0,
                     m_inputs.depVarNames[j]});
    for (int e = 0; e <= m_inputs.lastVar; ++e)
        p.printLine(
            {FileTextItem(static_cast<size_t>(e) < boxes.equations.size() ? boxes.equations[static_cast<size_t>(e)]
                                                                          : std::string())});
    for (int b = 0; b < m_inputs.numBC; ++b)
        p.writeLine({ParseNumber(boxes.bcPoint[static_cast<size_t>(b)]), boxes.bcText[static_cast<size_t>(b)]});
    p.printLine({static_cast<long>(boxes.constants.size())});
    for (const auto& c : boxes.constants)
        p.printLine({FileTextItem(c)});
    std::string error;
    if (WriteFilesAtomically({{path, seriesHead(boxes, m_inputs.lastVar) + series.text()}, {path + ".str", p.text()}},
                             error))
        return true;
    m_host.report(error);
    return false;
}

bool SystemSession::saveSeparately(const std::string& path)
{
    if (!m_inputsRead)
        readInputs();
    const auto rows = SplitByVariable(m_coef, m_od);
    std::vector<std::pair<std::string, std::string>> files;
    for (size_t j = 0; j < m_inputs.depVarNames.size(); ++j) {
        RecordWriter w;
        const int degree =
            j < m_od.varDegree.size() ? m_od.varDegree[j] : static_cast<int>(ParseWholeNumber(boxes.terms));
        w.writeLine({1, "*", degree, m_solved});
        if (m_solved)
            for (double c : rows[j])
                w.printLine({c});
        files.push_back({path + "_" + m_inputs.depVarNames[j], seriesHead(boxes, 0) + w.text()});
    }
    std::string error;
    if (WriteFilesAtomically(files, error))
        return true;
    m_host.report(error);
    return false;
}

bool SystemSession::open(const std::string& path)
{
    std::string seriesText, problemText, error;
    if (!ReadWholeFile(path, seriesText, error) || !ReadWholeFile(path + ".str", problemText, error)) {
        m_host.report(error);
        return false;
    }
    auto damaged = [&](const std::string& file, const std::string& why) {
        m_host.report("The file " + file + " cannot be read: " + why);
        return false;
    };
    RecordReader p(problemText);
    std::string magic;
    if (!p.readText(magic))
        return damaged(path + ".str", p.error());
    if (magic != systemMagic(m_nonlinear)) {
        m_host.report("Incompatible file");
        return false;
    }
    RecordReader s(seriesText);
    double lastVar = 0, lower = 0, upper = 0, kind = 0, degreeTyped = 0;
    std::string indep, centre, period;
    bool solved = false;
    s.readNumber(lastVar);
    s.readText(indep);
    s.readNumber(lower);
    s.readNumber(upper);
    s.readText(centre);
    s.readNumber(kind);
    s.readText(period);
    s.readNumber(degreeTyped);
    s.readBoolean(solved);
    if (!s.ok())
        return damaged(path, s.error());
    if (!(lastVar >= 0 && lastVar <= 9))
        return damaged(path, "the number of variables is out of range.");
    double degree = 0, sumOrder = 0, numBC = 0, maxOrder = 0, maxDegree = 0, errorD = 0, errorC = 0, maxcy = 0;
    std::string indepP;
    p.readNumber(degree);
    p.readNumber(sumOrder);
    p.readNumber(numBC);
    p.readNumber(maxOrder);
    p.readNumber(maxDegree);
    p.readText(indepP);
    if (m_nonlinear) {
        p.readNumber(errorD);
        p.readNumber(errorC);
        p.readNumber(maxcy);
    }
    if (!p.ok())
        return damaged(path + ".str", p.error());
    if (!(numBC >= 1 && numBC <= 10) || !(degree >= 1 && degree <= 100000))
        return damaged(path + ".str", "the shape of the problem is out of range.");
    OrdersAndDegrees od;
    std::vector<std::string> names;
    for (int j = 0; j <= static_cast<int>(lastVar); ++j) {
        double order = 0, varDegree = 0;
        std::string name;
        p.readNumber(order);
        p.readNumber(varDegree);
        p.readText(name);
        if (!(order >= 0 && order <= 9) || !(varDegree >= 0 && varDegree <= 100000))
            return damaged(path + ".str", "an order or degree is out of range.");
        od.varOrder.push_back(static_cast<int>(order));
        od.varDegree.push_back(static_cast<int>(varDegree));
        names.push_back(name);
    }
    SystemTexts t = boxes;
    t.equations.clear();
    for (int e = 0; e <= static_cast<int>(lastVar); ++e) {
        std::string text;
        p.readText(text);
        t.equations.push_back(text);
    }
    t.bcText.clear();
    t.bcPoint.clear();
    for (int b = 0; b < static_cast<int>(numBC); ++b) {
        double point = 0;
        std::string text;
        p.readNumber(point);
        p.readText(text);
        t.bcPoint.push_back(FormatNumber(point));
        t.bcText.push_back(text);
    }
    double count = 0;
    p.readNumber(count);
    if (!p.ok() || !(count >= 0 && count <= 101))
        return damaged(path + ".str", p.ok() ? "the number of constants is out of range." : p.error());
    t.constants.clear();
    for (int k = 0; k < static_cast<int>(count); ++k) {
        std::string entry;
        p.readText(entry);
        t.constants.push_back(entry);
    }
    if (!p.ok())
        return damaged(path + ".str", p.error());
    std::vector<double> coef;
    solved = solved && kind == 1;
    if (solved) {
        size_t n = 0;
        for (int d : od.varDegree)
            n += static_cast<size_t>(d) + 1;
        coef.assign(n, 0.0);
        for (double& c : coef)
            s.readNumber(c);
        if (!s.ok())
            return damaged(path, s.error());
    }
    // ShowProblem's boxes.
    t.numDE = FormatNumber(lastVar + 1);
    t.numBC = FormatNumber(numBC);
    t.terms = FormatNumber(degree);
    t.xlower = FormatNumber(lower);
    t.xupper = FormatNumber(upper);
    const std::string c =
        centre.substr(centre.find_first_not_of(' ') == std::string::npos ? 0 : centre.find_first_not_of(' '));
    t.expansion = FormatNumber(c.rfind('*', 0) == 0 ? (lower + upper) / 2 : ParseNumber(c));
    t.indepVarName = indepP;
    std::string joined;
    for (size_t j = 0; j < names.size(); ++j)
        joined += (j ? "," : "") + names[j];
    t.depVarNames = joined;
    if (m_nonlinear) {
        t.errorD = FormatNumber(errorD);
        t.errorC = FormatNumber(errorC);
        t.maxcy = FormatNumber(maxcy);
    }
    clearResults();
    boxes = t;
    if (!prepare())
        return true;
    m_solved = solved;
    if (solved && coef.size() == static_cast<size_t>(m_od.numUnknowns)) {
        m_coef = coef;
        m_coefDegrees = m_od.varDegree;
        m_lstCoeff = coefficientLines();
        if (!m_nonlinear) {
            std::vector<std::string> lines;
            if (SystemBCErrors(m_inputs, m_od, m_bc, SplitByVariable(m_coef, m_od), m_host, lines))
                m_lstBCError = lines;
        }
    } else {
        m_solved = false;
    }
    return true;
}

std::vector<std::string> SystemSession::report()
{
    if (!m_inputsRead)
        readInputs();
    const SystemInputs& in = m_inputs;
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
    if (m_nonlinear) {
        lines.push_back("   MAXIMUM ERROR IN DE & BC'S:" + PrintedNumber(m_inputs.errorBoundDE));
        lines.push_back("MAXIMUM ERROR IN COEFFICIENTS:" + PrintedNumber(m_inputs.errorBoundCoef));
        lines.push_back("      MAXIMUM # OF ITERATIONS:" + PrintedNumber(m_inputs.maxIterations));
        lines.push_back("             INTERVAL STUDIED: [" + PrintedNumber(in.xlower) + "," + PrintedNumber(in.xupper) +
                        "]");
        lines.push_back("          CENTER OF EXPANSION:" + PrintedNumber(in.xcenter));
    } else {
        lines.push_back("        INTERVAL STUDIED: [" + PrintedNumber(in.xlower) + "," + PrintedNumber(in.xupper) +
                        "]");
        lines.push_back("     CENTER OF EXPANSION:" + PrintedNumber(in.xcenter));
    }
    if (m_solved) {
        lines.push_back("");
        auto coefficients = coefficientLines();
        lines.insert(lines.end(), coefficients.begin(), coefficients.end());
    }
    return lines;
}

} // namespace ode
