#pragma once
// A solve that runs off the window's thread, so that the windows keep drawing and the user can
// stop it. `RunInBackground` starts the work on a thread of its own and runs the window's event
// loop until the work ends, then returns (rethrowing what the work threw): to its caller it is a
// plain call, so the form shows the results right after it as before.
//
// While the work runs, no input reaches any window of the program (the work reads the problem
// the boxes held when it started, and the windows' commands read its results), except:
// - the Cancel button and Escape, which set the cancel flag the work watches;
// - a message box the work shows through `ForwardMessage` (the box is shown on the window's
//   thread; the work waits for it to be answered);
// - closing a window, which asks the work to stop instead (the window stays: close it again).
// A solve that ends within a moment changes nothing on screen; a longer one shows the progress
// line (what the work reports, "Solving, degree 200, pass 3...") and the Cancel button in the
// place of the button that started it, with a busy cursor, until it ends.

#include "session/Progress.h"

#include <QString>

#include <atomic>
#include <functional>
#include <string>

class QPushButton;
class QWidget;

namespace ode::app {

// Where the progress shows: the line's place (given "" when the solve ends), the Cancel button
// (hidden between solves) and the button it stands in for meanwhile.
struct SolveProgressView {
    std::function<void(const QString&)> showLine;
    QPushButton* cancel = nullptr;
    QWidget* replaced = nullptr;
};

// How long a solve runs before its progress and Cancel show, in milliseconds.
constexpr int kProgressShownAfterMs = 300;

// Runs `work` on a thread of its own, giving it the progress callback that feeds the view;
// `cancel` is cleared first and set by Cancel, Escape or a close. True while one runs.
void RunInBackground(const SolveProgressView& view, std::atomic<bool>& cancel,
                     const std::function<void(const ProgressCallback&)>& work);
bool SolveRunning();

// Calls `show` with `message` on the window's thread: at once when called there, otherwise
// handed over and waited for (a solve's message is answered before the solve goes on).
void ForwardMessage(QWidget* window, const std::function<void(const QString&)>& show, const std::string& message);

} // namespace ode::app
