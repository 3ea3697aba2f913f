#include "cli/Results.h"

#include "common/NumberFormat.h"
#include "output/Json.h"

namespace ode::cli {

namespace {

class Text : public Results {
public:
    Text(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}
    void begin(const std::string& file, bool several) override
    {
        if (several)
            list("file", {file});
    }
    void list(const std::string& name, const std::vector<std::string>& lines) override
    {
        m_out << '[' << name << "]\n";
        for (const auto& line : lines)
            m_out << line << '\n';
    }
    void evaluation(const std::string&, const std::string&, const std::string& valueName,
                    const std::vector<std::string>& values, const std::vector<double>&,
                    const std::vector<std::string>& residuals, const std::string& warning) override
    {
        list(valueName, values);
        if (!warning.empty())
            list("lblOutside", {warning});
        list("lstDError", residuals);
    }
    void solution(const std::optional<Solution>&) override {}
    void written(const std::string&, const std::string&) override {}
    void end(int) override {}
    std::ostream& messages() override { return m_err; }

private:
    std::ostream& m_out;
    std::ostream& m_err;
};

class Json : public Results {
public:
    explicit Json(std::ostream& out) : m_out(out) {}
    void begin(const std::string& file, bool) override
    {
        m_run = nlohmann::ordered_json::object();
        m_run["file"] = file;
        m_run["lists"] = nlohmann::ordered_json::object();
        m_run["evaluations"] = nlohmann::ordered_json::array();
        m_run["written"] = nlohmann::ordered_json::array();
        m_messages.str({});
        m_messages.clear();
    }
    void list(const std::string& name, const std::vector<std::string>& lines) override
    {
        if (name == "report")
            m_run["report"] = lines;
        else
            m_run["lists"][name] = lines;
    }
    void evaluation(const std::string& x, const std::string& derivative, const std::string& valueName,
                    const std::vector<std::string>& values, const std::vector<double>& numbers,
                    const std::vector<std::string>& residuals, const std::string& warning) override
    {
        nlohmann::ordered_json e = {{"x", ParseNumber(x)}, {"derivative", ParseWholeNumber(derivative)}};
        // The values as numbers, to the digits the lines show (-0 as 0), and the lines as shown.
        auto shown = nlohmann::ordered_json::array();
        for (double v : numbers)
            shown.push_back(RoundTo15Digits(v) + 0.0);
        e["values"] = shown;
        e[valueName] = values;
        e["lstDError"] = residuals;
        if (!warning.empty())
            e["outside"] = warning;
        m_run["evaluations"].push_back(e);
    }
    void solution(const std::optional<Solution>& s) override
    {
        m_run["solved"] = s.has_value();
        m_run["solution"] = s ? nlohmann::ordered_json(SolutionJson(*s)) : nlohmann::ordered_json(nullptr);
    }
    void written(const std::string& what, const std::string& file) override
    {
        m_run["written"].push_back({{"what", what}, {"file", file}});
    }
    void end(int status) override
    {
        auto lines = nlohmann::ordered_json::array();
        std::istringstream text(m_messages.str());
        for (std::string line; std::getline(text, line);)
            lines.push_back(line.rfind("odeseries: ", 0) == 0 ? line.substr(11) : line);
        m_run["messages"] = lines;
        m_run["status"] = status;
        m_out << JsonDump(m_run, -1) << '\n';
    }
    std::ostream& messages() override { return m_messages; }

private:
    std::ostream& m_out;
    nlohmann::ordered_json m_run;
    std::ostringstream m_messages;
};

} // namespace

std::unique_ptr<Results> TextResults(std::ostream& out, std::ostream& err) { return std::make_unique<Text>(out, err); }
std::unique_ptr<Results> JsonResults(std::ostream& out) { return std::make_unique<Json>(out); }

} // namespace ode::cli
