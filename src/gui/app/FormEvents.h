#pragma once
// The controls' events of a form as the forms were designed around them:
// - Validate: when the focus is about to leave a box for another control of the same window,
//   the box's check runs; a refused value keeps the focus in the box, marks it, and the
//   window's status bar says the rule (the hint) until the value is accepted.
// - LostFocus: after a successful Validate.
// - GotFocus: a box that receives the focus selects its whole text, then its handler runs.
// - Change: every change of a box's text, typed or set by the program.
// One FormEvents object serves one window.

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <map>

class QLineEdit;
class QWidget;

namespace ode::app {

// How a refused box is marked until its value is accepted.
inline constexpr const char* kRefusedBoxStyle = "border: 2px solid #c00000;";

class FormEvents : public QObject {
    Q_OBJECT
public:
    explicit FormEvents(QWidget* form);

    // `hint` says why a refused value is refused ("The degree must be ..."), or nothing.
    void onValidate(QWidget* box, std::function<bool()> check, std::function<QString()> hint = {});
    void onLostFocus(QWidget* box, std::function<void()> handler);
    void onGotFocus(QWidget* box, std::function<void()> handler);
    void onChange(QLineEdit* box, std::function<void()> handler);
    // Every box of the form selects its text on focus; call for each box.
    void selectOnFocus(QLineEdit* box);

    // Runs the check of the box holding the focus, as pressing a button would: false (and the
    // focus stays) when it refuses.
    bool validateFocused();

private:
    void focusChanged(QWidget* old, QWidget* now);

    struct Handlers {
        std::function<bool()> validate;
        std::function<QString()> hint;
        std::function<void()> lostFocus;
        std::function<void()> gotFocus;
        bool selectAll = false;
    };
    // The check of `box` with its mark and hint shown or taken away.
    bool validate(QWidget* box, const Handlers& h);
    QWidget* m_form;
    std::map<QWidget*, Handlers> m_handlers;
    QPointer<QWidget> m_hinted; // the box whose hint the status bar shows
    bool m_refocusing = false;
};

} // namespace ode::app
