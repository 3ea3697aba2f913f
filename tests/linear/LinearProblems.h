#pragma once
// What the linear tests share: a session that keeps the messages it shows, with a problem's
// boxes set in one call.

#include "linear/LinearSession.h"

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

} // namespace ode::test
