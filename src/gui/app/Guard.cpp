#include "gui/app/Guard.h"

#include "common/Utf8.h"
#include "gui/app/Messages.h"

#include <QWidget>

#include <new>

namespace ode::app {

std::string UnexpectedErrorMessage(const std::exception* e)
{
    if (dynamic_cast<const std::bad_alloc*>(e))
        return "There is not enough memory to finish this command; it was stopped. The window keeps what it "
               "showed before.";
    return "An unexpected error stopped this command" + (e ? " (" + Excerpt(e->what()) + ")" : std::string()) +
           ". The window keeps what it showed before.";
}

namespace {

void report(QWidget* window, const std::exception* e)
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    // A second failure while telling of the first must not escape either.
    try {
        ShowMessage(window, QString::fromStdString(UnexpectedErrorMessage(e)));
    } catch (...) {
    }
}

} // namespace

void RunGuarded(QWidget* window, const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& e) {
        report(window, &e);
    } catch (...) {
        report(window, nullptr);
    }
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        report(receiver && receiver->isWidgetType() ? static_cast<QWidget*>(receiver)->window() : nullptr, &e);
    } catch (...) {
        report(receiver && receiver->isWidgetType() ? static_cast<QWidget*>(receiver)->window() : nullptr, nullptr);
    }
    return false;
}

} // namespace ode::app
