#pragma once
// What the session tests share: a fresh session of any kind with the messages it shows, an
// example opened in it, and the texts of its boxes whatever its kind.

#include "linear/LinearSession.h"
#include "nonlinear/NonlinearSession.h"
#include "support/Scratch.h"
#include "systems/SystemSession.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace ode::test {

// A session and the messages it showed. It stays where it was made: its sink points at it.
struct Made {
    std::shared_ptr<script::Class1> shared;
    std::vector<std::string> messages;
    std::unique_ptr<Session> session;

    script::ScriptHost::MessageSink sink()
    {
        return [this](const std::string& m) { messages.push_back(m); };
    }
    std::string lastMessage() const { return messages.empty() ? "" : messages.back(); }
};

// A fresh session of `kind` in `m` (replacing the one there), with the pair `example` opened in
// it when one is named (an example's name, or a whole path).
template <typename S = Session> S& Open(Made& m, ProblemKind kind, const std::string& example = {})
{
    const SeriesKind series = IsPowerSeries(kind) ? SeriesKind::Power : SeriesKind::Trigonometric;
    if (IsSystem(kind))
        m.session = std::make_unique<SystemSession>(IsNonlinear(kind), m.shared, m.sink());
    else if (IsNonlinear(kind))
        m.session = std::make_unique<NonlinearSession>(series, m.shared, m.sink());
    else
        m.session = std::make_unique<LinearSession>(series, m.shared, m.sink());
    if (!example.empty()) {
        EXPECT_TRUE(m.session->open(example[0] == '/' ? example : kExamples + "/" + example))
            << example << ": " << m.lastMessage();
    }
    return dynamic_cast<S&>(*m.session);
}

} // namespace ode::test
