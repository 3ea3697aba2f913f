#include "gui/app/FormEvents.h"

#include "gui/app/Guard.h"

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QStatusBar>
#include <QTimer>

namespace ode::app {

FormEvents::FormEvents(QWidget* form) : QObject(form), m_form(form)
{
    connect(qApp, &QApplication::focusChanged, this,
            Guarded(form, [this](QWidget* old, QWidget* now) { focusChanged(old, now); }));
}

void FormEvents::onValidate(QWidget* box, std::function<bool()> check, std::function<QString()> hint)
{
    m_handlers[box].validate = std::move(check);
    m_handlers[box].hint = std::move(hint);
}

bool FormEvents::validate(QWidget* box, const Handlers& h)
{
    const bool ok = h.validate();
    auto* window = qobject_cast<QMainWindow*>(m_form);
    if (!ok && h.hint) {
        box->setProperty("refused", true);
        box->setStyleSheet(kRefusedBoxStyle);
        m_hinted = box;
        if (window)
            window->statusBar()->showMessage(h.hint());
    } else if (ok && box->property("refused").toBool()) {
        box->setProperty("refused", false);
        box->setStyleSheet(QString());
        if (m_hinted == box && window)
            window->statusBar()->clearMessage();
    }
    return ok;
}

void FormEvents::onLostFocus(QWidget* box, std::function<void()> handler)
{
    m_handlers[box].lostFocus = std::move(handler);
}

void FormEvents::onGotFocus(QWidget* box, std::function<void()> handler)
{
    m_handlers[box].gotFocus = std::move(handler);
}

void FormEvents::selectOnFocus(QLineEdit* box) { m_handlers[box].selectAll = true; }

void FormEvents::onChange(QLineEdit* box, std::function<void()> handler)
{
    connect(box, &QLineEdit::textChanged, this, Guarded(m_form, [handler = std::move(handler)]() { handler(); }));
}

bool FormEvents::validateFocused()
{
    QWidget* focus = QApplication::focusWidget();
    auto it = m_handlers.find(focus);
    if (it == m_handlers.end() || !it->second.validate || !focus->isEnabled())
        return true;
    return validate(focus, it->second);
}

void FormEvents::focusChanged(QWidget* old, QWidget* now)
{
    if (m_refocusing)
        return;
    // Focus moving to another window (a message box, the grid editor) is not leaving the box.
    const bool withinForm = old && now && old->window() == m_form && now->window() == m_form;
    if (withinForm) {
        auto it = m_handlers.find(old);
        if (it != m_handlers.end()) {
            if (it->second.validate && old->isEnabled() && !validate(old, it->second)) {
                m_refocusing = true;
                old->setFocus(Qt::OtherFocusReason);
                m_refocusing = false;
                return;
            }
            if (it->second.lostFocus)
                it->second.lostFocus();
        }
    }
    if (now && now->window() == m_form && now == QApplication::focusWidget()) {
        auto it = m_handlers.find(now);
        if (it != m_handlers.end()) {
            if (it->second.selectAll) {
                // After the mouse press has placed the caret.
                QPointer<QLineEdit> edit = qobject_cast<QLineEdit*>(now);
                if (edit) {
                    edit->selectAll();
                    QTimer::singleShot(0, edit, [edit]() {
                        if (edit && edit->hasFocus())
                            edit->selectAll();
                    });
                }
            }
            if (it->second.gotFocus)
                it->second.gotFocus();
        }
    }
}

} // namespace ode::app
