#include "gui/app/BackgroundSolve.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <exception>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

namespace ode::app {

namespace {

// What the solving thread and the window's thread share while a solve runs.
struct RunState {
    std::mutex mutex;
    QString line;                   // the last progress reported, in words
    bool linePosted = false;        // an update of the label is on its way
    std::atomic<bool> ended{false}; // the work has returned
    std::atomic<bool> abandoned{false}; // the window's thread waits for the work: hand nothing over
};

std::atomic<bool>* g_cancel = nullptr;
std::shared_ptr<RunState> g_state;

// Holds back every input while a solve runs, but for the Cancel button and a message box the
// solve shows; Escape and a window's close ask the solve to stop.
class InputHold : public QObject {
public:
    InputHold(QPushButton* cancel, std::atomic<bool>& flag) : m_cancel(cancel), m_flag(flag) {}

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::InputMethod:
        case QEvent::Close:
            break;
        default:
            return false;
        }
        auto* widget = qobject_cast<QWidget*>(receiver);
        if (widget && inAnswerableBox(widget))
            return false;
        if (widget && widget == m_cancel)
            return false;
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            m_flag = true;
        if (event->type() == QEvent::Close) {
            if (!widget || !widget->isWindow())
                return false;
            m_flag = true;
            event->ignore();
        }
        return true;
    }

private:
    // A message box the solve put up: it is answered while the solve waits for it.
    static bool inAnswerableBox(QWidget* widget)
    {
        QWidget* modal = QApplication::activeModalWidget();
        return modal && widget->window() == modal;
    }

    QPointer<QPushButton> m_cancel;
    std::atomic<bool>& m_flag;
};

QString Sentence(const std::string& line)
{
    QString text = QString::fromStdString(line);
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text + "...";
}

} // namespace

bool SolveRunning() { return g_state != nullptr; }

void RunInBackground(const SolveProgressView& view, std::atomic<bool>& cancel,
                     const std::function<void(const ProgressCallback&)>& work)
{
    cancel = false;
    if (g_state) { // a solve started from within a solve: there is no second thread to give it
        work(ProgressCallback());
        return;
    }
    auto state = std::make_shared<RunState>();
    g_state = state;
    g_cancel = &cancel;

    // The line is redrawn at the window's pace, from the last report: a queued update at most
    // at a time, and none before the line shows.
    QPointer<QPushButton> cancelButton = view.cancel;
    QPointer<QWidget> replaced = view.replaced;
    auto shown = std::make_shared<std::atomic<bool>>(false);
    const std::function<void(const QString&)> showLine = view.showLine;
    ProgressCallback report = [state, shown, cancelButton, showLine](const ProgressInfo& info) {
        std::lock_guard<std::mutex> lock(state->mutex);
        state->line = Sentence(ProgressLine(info));
        if (state->linePosted || !*shown || !cancelButton)
            return;
        state->linePosted = true;
        QMetaObject::invokeMethod(
            cancelButton.data(),
            [state, showLine]() {
                QString text;
                {
                    std::lock_guard<std::mutex> lock(state->mutex);
                    state->linePosted = false;
                    text = state->line;
                }
                if (showLine)
                    showLine(text);
            },
            Qt::QueuedConnection);
    };

    QEventLoop loop;
    std::exception_ptr thrown;
    std::thread worker([&]() {
        try {
            work(report);
        } catch (...) {
            thrown = std::current_exception();
        }
        state->ended = true;
        QMetaObject::invokeMethod(&loop, [&loop]() { loop.quit(); }, Qt::QueuedConnection);
    });

    InputHold hold(view.cancel, cancel);
    qApp->installEventFilter(&hold);
    const QMetaObject::Connection pressed =
        view.cancel ? QObject::connect(view.cancel, &QPushButton::clicked, [&cancel]() { cancel = true; })
                    : QMetaObject::Connection();
    bool replacedHadFocus = false;
    QTimer showTimer;
    showTimer.setSingleShot(true);
    QObject::connect(&showTimer, &QTimer::timeout, [&]() {
        if (state->ended)
            return;
        *shown = true;
        QApplication::setOverrideCursor(Qt::BusyCursor);
        QString text;
        {
            std::lock_guard<std::mutex> lock(state->mutex);
            text = state->line.isEmpty() ? Sentence(ProgressLine(ProgressInfo())) : state->line;
        }
        if (showLine)
            showLine(text);
        if (replaced) {
            replacedHadFocus = replaced->hasFocus();
            replaced->hide();
        }
        if (cancelButton) {
            cancelButton->setEnabled(true);
            cancelButton->show();
            if (replacedHadFocus)
                cancelButton->setFocus();
        }
    });
    showTimer.start(kProgressShownAfterMs);

    if (!state->ended)
        loop.exec();
    // The program is quitting under a running solve: stop it and wait for it.
    if (!state->ended) {
        cancel = true;
        state->abandoned = true;
    }
    worker.join();

    qApp->removeEventFilter(&hold);
    QObject::disconnect(pressed);
    if (*shown) {
        QApplication::restoreOverrideCursor();
        if (showLine)
            showLine(QString());
        if (replaced)
            replaced->show();
        if (cancelButton)
            cancelButton->hide();
        if (replaced && replacedHadFocus)
            replaced->setFocus();
    }
    g_state.reset();
    g_cancel = nullptr;
    if (thrown)
        std::rethrow_exception(thrown);
}

void ForwardMessage(QWidget* window, const std::function<void(const QString&)>& show, const std::string& message)
{
    const QString text = QString::fromStdString(message);
    if (!window || QThread::currentThread() == window->thread()) {
        show(text);
        return;
    }
    const std::shared_ptr<RunState> state = g_state;
    auto answered = std::make_shared<std::promise<void>>();
    std::future<void> wait = answered->get_future();
    QMetaObject::invokeMethod(
        window,
        [show, text, answered]() {
            show(text);
            answered->set_value();
        },
        Qt::QueuedConnection);
    while (wait.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
        if (!state || state->abandoned)
            return;
}

} // namespace ode::app
