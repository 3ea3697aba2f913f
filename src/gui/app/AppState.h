#pragma once
// The state one run of the program shares between its windows: the extension object every
// engine holds and the plot window's setup and solution. The problem and its solution live in
// the session object of the open problem form.

#include "plot/PlotGeometry.h"
#include "script/Class1.h"

#include <memory>

namespace ode {

struct AppState {
    // The extension object, created by the first engine that is prepared.
    std::shared_ptr<script::Class1> extension;

    // The plot window's setup, kept while the program runs (the window may be closed).
    plot::PlotState plotState;
    bool plotWindowUsed = false;
    // The solution the problem form handed to the plot window last.
    plot::PlotSource plotSource;
};

} // namespace ode
