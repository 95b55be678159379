#include "ui/widgets/slow_work.h"

#include <QCursor>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QThread>

#include <memory>

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

} // namespace

void runSlowWork(const std::function<void()>& work)
{
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!application || QThread::currentThread() != application->thread()) {
        work();
        return;
    }
    ++g_running;
    InputDropper dropper;
    application->installEventFilter(&dropper);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);

    QEventLoop loop;
    const std::unique_ptr<QThread> thread(QThread::create([&work] { work(); }));
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    thread->start();
    loop.exec(QEventLoop::ExcludeSocketNotifiers);
    // The loop also ends when the application is told to exit; the work still holds its caller's state.
    thread->wait();

    QGuiApplication::restoreOverrideCursor();
    application->removeEventFilter(&dropper);
    --g_running;
}

bool slowWorkRunning()
{
    return g_running > 0;
}

} // namespace tessary
