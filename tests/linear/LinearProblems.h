#pragma once
// What the linear tests share: a session that keeps the messages it shows, with a problem's
// boxes set in one call, and the ways a solution's lists and errors are read.

#include "linear/LinearSession.h"

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ode::test {

struct Linear {
    std::shared_ptr<script::Class1> shared;
    std::vector<std::string> messages;
    LinearSession s;

    explicit Linear(SeriesKind kind = SeriesKind::Power)
        : s(kind, shared, [this](const std::string& m) { messages.push_back(m); })
    {}
    // The boxes of a problem; those not named keep the form's defaults.
    Linear& set(const std::string& order, const std::string& equation, std::vector<std::string> conditions,
                std::vector<std::string> points, const std::string& lower, const std::string& upper,
                const std::string& centre, const std::string& terms)
    {
        SingleTexts& t = s.boxes;
        t.order = order;
        t.equation = equation;
        t.bcText = std::move(conditions);
        t.bcPoint = std::move(points);
        t.xlower = lower;
        t.xupper = upper;
        t.expansion = centre;
        t.terms = terms;
        return *this;
    }
    double value(double x, int derivative = 0) const { return SeriesDerivative(s.series(), derivative, x); }
    std::string firstMessage() const { return messages.empty() ? "" : messages[0]; }
};

// The lines joined, each ended by a line feed: a report compared as one text.
inline std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// The lines that begin with `head`, in their order.
inline std::vector<std::string> Starting(const std::vector<std::string>& lines, const std::string& head)
{
    std::vector<std::string> found;
    for (const std::string& line : lines)
        if (line.rfind(head, 0) == 0)
            found.push_back(line);
    return found;
}

// The first line of a list, or "" for an empty one: what a failed solve listed.
inline std::string First(const std::vector<std::string>& lines) { return lines.empty() ? "" : lines[0]; }

// The largest |f(x)| at n + 1 equally spaced points from a to b.
inline double Largest(double a, double b, int n, const std::function<double(double)>& f)
{
    double largest = 0;
    for (int i = 0; i <= n; ++i)
        largest = std::fmax(largest, std::fabs(f(a + (b - a) * i / n)));
    return largest;
}

} // namespace ode::test
