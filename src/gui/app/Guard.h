#pragma once
// The boundary around every window action: an exception that escapes a command (a bug, or the
// memory running out) ends that command with a message instead of the program, and the window
// stays usable. Qt's signals must not carry an exception through its own code, so every slot a
// window connects is wrapped here; event handlers are covered by the application's notify.

#include <QApplication>

#include <exception>
#include <functional>
#include <string>
#include <utility>

class QWidget;

namespace ode::app {

// Runs `action`; an exception leaving it is shown in a message box over `window` (busy cursors
// are taken back first) and swallowed.
void RunGuarded(QWidget* window, const std::function<void()>& action);

// `action` as a slot that runs guarded:
//   connect(button, &QPushButton::clicked, this, Guarded(this, [this]() { ... }));
// It takes as many of the signal's arguments as `action` does.
template <typename Action> struct GuardedSlot {
    QWidget* window;
    Action action;
    template <typename... Args>
    auto operator()(Args&&... args) const
        -> decltype(std::declval<const Action&>()(std::forward<Args>(args)...), void())
    {
        RunGuarded(window, [&]() { action(std::forward<Args>(args)...); });
    }
};
template <typename Action> GuardedSlot<Action> Guarded(QWidget* window, Action action)
{
    return {window, std::move(action)};
}

// What a message box says of an exception that ended a command.
std::string UnexpectedErrorMessage(const std::exception* e);

// The windows' application object: an exception escaping an event handler ends with a message.
class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace ode::app
