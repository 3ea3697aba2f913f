#include "collocation/AccurateFile.h"

#include "common/FileIO.h"
#include "common/Limits.h"
#include "common/NumberFormat.h"
#include "common/Paths.h"
#include "common/Utf8.h"
#include "equations/BoxChecks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <vector>

namespace ode {

namespace {

constexpr const char* kMagic = "ODE Series accurate method 1";

bool ReadDouble(const std::string& text, double& v)
{
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, v);
    return ec == std::errc() && ptr == end && std::isfinite(v);
}

// The lines of the file, without their ends (CR LF or LF).
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

} // namespace

std::string ProblemFingerprint(const std::string& problemFileText)
{
    uint64_t hash = 0xcbf29ce484222325ull;
    for (unsigned char c : problemFileText) {
        hash ^= c;
        hash *= 0x100000001b3ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::string AccurateFileText(const AccurateSettings& s)
{
    std::string t = std::string(kMagic) + "\r\nmethod chebyshev\r\nautomatic-degree " + (s.autoDegree ? "yes" : "no") +
                    "\r\nmax-degree " + std::to_string(s.maxDegree) + "\r\ntolerance " + FormatShortest(s.tolerance) +
                    "\r\n";
    if (!s.problem.empty())
        t += "problem " + s.problem + "\r\n";
    if (!s.solution.empty()) {
        t += "interval " + FormatShortest(s.solution[0].a) + " " + FormatShortest(s.solution[0].b) + "\r\n";
        for (const ChebyshevSeries& series : s.solution) {
            t += "coefficients " + std::to_string(series.coef.size()) + "\r\n";
            for (double c : series.coef)
                t += FormatShortest(c) + "\r\n";
        }
    }
    return t;
}

bool ReadAccurateFile(const std::string& text, AccurateSettings& settings, std::string& why)
{
    const std::vector<std::string> lines = Lines(text);
    size_t at = 0;
    auto failAt = [&](size_t line, const std::string& what) {
        why = "line " + std::to_string(line) + ": " + what;
        return false;
    };
    auto fail = [&](const std::string& what) { return failAt(at + 1, what); }; // the line to come
    auto bad = [&](const std::string& what) { return failAt(at, what); };      // the line just read
    // The value after `key` on the next line.
    auto field = [&](const std::string& key, std::string& value) {
        if (at >= lines.size() || lines[at].rfind(key + " ", 0) != 0)
            return fail("\"" + key + "\" expected.");
        value = lines[at].substr(key.size() + 1);
        ++at;
        return true;
    };
    if (lines.empty() || lines[0] != kMagic)
        return fail("this is not an accurate method file.");
    ++at;
    AccurateSettings s;
    std::string v;
    if (!field("method", v))
        return false;
    if (v != "chebyshev")
        return bad("unknown method \"" + Excerpt(v) + "\".");
    if (!field("automatic-degree", v))
        return false;
    if (v != "yes" && v != "no")
        return bad("automatic-degree is yes or no.");
    s.autoDegree = v == "yes";
    double number = 0;
    if (!field("max-degree", v))
        return false;
    // Any limit up to the largest degree, what the automatic degree may grow to.
    if (!ReadDouble(v, number) ||
        !(number >= kMinAutoDegree && number <= kLargestDegree && number == std::floor(number)))
        return bad("the maximum degree must be a whole number from " + std::to_string(kMinAutoDegree) + " to " +
                   std::to_string(static_cast<int>(kLargestDegree)) + ".");
    s.maxDegree = static_cast<int>(std::min<double>(number, kMaxAutoDegree));
    if (!field("tolerance", v))
        return false;
    if (!ReadDouble(v, s.tolerance) || !CheckTolerance(s.tolerance))
        return bad("the tolerance must be a number above 0 and below 1.");
    if (at < lines.size() && lines[at].rfind("problem ", 0) == 0) {
        field("problem", s.problem);
        if (s.problem.size() != 16 || s.problem.find_first_not_of("0123456789abcdef") != std::string::npos)
            return bad("the problem's fingerprint must be 16 hexadecimal digits.");
    }
    if (at < lines.size() && !lines[at].empty()) {
        double a = 0, b = 0;
        if (!field("interval", v))
            return false;
        const size_t space = v.find(' ');
        if (space == std::string::npos || !ReadDouble(v.substr(0, space), a) || !ReadDouble(v.substr(space + 1), b) ||
            !(b > a))
            return bad("the interval must be two numbers, the lower first.");
        do { // one block a variable
            ChebyshevSeries series{a, b, {}};
            if (!field("coefficients", v))
                return false;
            if (!ReadDouble(v, number) || number != std::floor(number) || number < 1 || number > kLargestDegree + 1)
                return bad("the number of coefficients must be a whole number from 1 to " +
                           FormatNumber(kLargestDegree + 1) + ".");
            const size_t count = static_cast<size_t>(number);
            for (size_t k = 0; k < count; ++k, ++at) {
                double c = 0;
                if (at >= lines.size())
                    return fail("the file ends before its " + std::to_string(count) + " coefficients.");
                if (!ReadDouble(lines[at], c))
                    return fail("a coefficient must be a number.");
                series.coef.push_back(c);
            }
            s.solution.push_back(std::move(series));
        } while (at < lines.size() && !lines[at].empty() && s.solution.size() < 10);
    }
    settings = std::move(s);
    return true;
}

bool OpenAccurateFile(const std::string& problemPath, AccurateSettings& settings, std::string& message)
{
    message.clear();
    const std::string name = AccurateFilePath(problemPath);
    std::error_code ec;
    if (!std::filesystem::exists(NativePath(name), ec))
        return false;
    std::string text, why;
    if (!ReadWholeFile(name, text, why) || !ReadAccurateFile(text, settings, why)) {
        message = "The file " + name + " cannot be read: " + why + " The problem opens in the equally spaced method.";
        return false;
    }
    std::string problem;
    if (!settings.problem.empty() &&
        (!ReadWholeFile(problemPath + ".str", problem, why) || ProblemFingerprint(problem) != settings.problem)) {
        message = "The file " + name + " was saved with another problem than " + problemPath +
                  ".str; the problem opens in the equally spaced method.";
        return false;
    }
    return true;
}

AccurateSettings SettingsOf(const Session& session)
{
    AccurateSettings settings;
    settings.autoDegree = session.autoDegree;
    settings.maxDegree = session.maxDegree;
    settings.tolerance = session.tolerance;
    return settings;
}

bool TakeAccurateFile(const std::string& problemPath, Session& session, AccurateSettings& settings)
{
    session.method = CollocationMethod::EquallySpaced;
    std::string message;
    if (!OpenAccurateFile(problemPath, settings, message)) {
        if (!message.empty())
            session.host().report(message);
        return false;
    }
    session.method = CollocationMethod::Chebyshev;
    session.autoDegree = settings.autoDegree;
    session.maxDegree = settings.maxDegree;
    session.tolerance = settings.tolerance;
    return true;
}

} // namespace ode
