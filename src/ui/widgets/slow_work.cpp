#include "ui/widgets/slow_work.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QWidget>

#include <memory>
#include <vector>

namespace tessary {

namespace {

int g_running = 0;

class InputDropper : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        case QEvent::Close:
            // Refused, not only unseen: a close event nobody answers counts as accepted. Nothing of the program's
            // own closes a window while the work runs.
            event->ignore();
            return true;
        default:
            return QObject::eventFilter(watched, event);
        }
    }
};

// The shown windows, disabled while the work runs and then given back as they were, each with its focus. Input
// events are dropped by the filter, but a screen reader's actions (AT-SPI's press of a button) reach the widgets
// without any: a disabled button ignores them.
class DisabledWindows
{
public:
    DisabledWindows()
    {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && window->isEnabled())
                m_windows.push_back({window, window->focusWidget()});
        }
        for (const Disabled& disabled : m_windows)
            disabled.window->setEnabled(false);
    }
    ~DisabledWindows()
    {
        for (const Disabled& disabled : m_windows) {
            if (!disabled.window)
                continue;
            disabled.window->setEnabled(true);
            if (disabled.focus && disabled.focus->window() == disabled.window)
                disabled.focus->setFocus(Qt::OtherFocusReason);
        }
    }
    DisabledWindows(const DisabledWindows&) = delete;
    DisabledWindows& operator=(const DisabledWindows&) = delete;

private:
    struct Disabled
    {
        QPointer<QWidget> window;
        QPointer<QWidget> focus;
    };
    std::vector<Disabled> m_windows;
};

} // namespace

void runSlowWork(const std::function<void()>& work)
{
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!application || QThread::currentThread() != application->thread()) {
        work();
        return;
    }
    ++g_running;
    InputDropper dropper;
    application->installEventFilter(&dropper);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    {
        const DisabledWindows disabled;
        QEventLoop loop;
        const std::unique_ptr<QThread> thread(QThread::create([&work] { work(); }));
        QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
        thread->start();
        loop.exec(QEventLoop::ExcludeSocketNotifiers);
        // The loop also ends when the application is told to exit; the work still holds its caller's state.
        thread->wait();
    }
    QGuiApplication::restoreOverrideCursor();
    application->removeEventFilter(&dropper);
    --g_running;
}

bool slowWorkRunning()
{
    return g_running > 0;
}

} // namespace tessary
