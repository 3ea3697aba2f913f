#pragma once
// The state one run of the program shares between its windows: which kind of problem was
// chosen, the series family, and the extension object every engine holds. The problem and
// its solution live in the session object of the open problem form.

#include "plot/PlotGeometry.h"
#include "script/Class1.h"
#include "series/Series.h"

#include <array>
#include <memory>

namespace ode {

enum class ProblemKind {
    LinearPower = 0,
    LinearTrig = 1,
    NonlinearPower = 2,
    NonlinearTrig = 3,
    LinearSystem = 4,
    NonlinearSystem = 5,
};

struct AppState {
    // KindChosen: one flag per kind, set for the kind opened.
    std::array<bool, 6> kindChosen{};
    // SeriesKind: 1 (power) for kinds 0, 2, 4 and 5, 0 (trigonometric) otherwise.
    SeriesKind seriesKind = SeriesKind::Trigonometric;
    // The extension object, created by the first engine that is prepared.
    std::shared_ptr<script::Class1> extension;

    // The plot window's setup, kept while the program runs (the window may be closed).
    plot::PlotState plotState;
    bool plotWindowUsed = false;
    // The solution the problem form handed to the plot window last.
    plot::PlotSource plotSource;

    // What the chooser records when kind `index` (0 ... 5) is opened.
    void choose(int index)
    {
        kindChosen[static_cast<size_t>(index)] = true;
        if (index == 0 || index == 2 || index == 4 || index == 5)
            seriesKind = SeriesKind::Power;
    }
};

} // namespace ode
