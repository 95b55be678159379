// The slow work runs on a thread of its own while the windows repaint; input that comes meanwhile is dropped, not
// delivered once it is done.
#include "ui/widgets/slow_work.h"

#include <QLineEdit>
#include <QSemaphore>
#include <QThread>
#include <QTimer>
#include <QtTest>

using namespace tessary;

namespace {

struct Window : QLineEdit
{
    int paints = 0;
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        QLineEdit::paintEvent(event);
    }
};

// A key typed into the field, or the window's close box; whether it took effect.
bool send(Window& window, bool key)
{
    if (key) {
        const qsizetype before = window.text().size();
        QTest::keyClick(&window, Qt::Key_X);
        return window.text().size() > before;
    }
    QCloseEvent close;
    QCoreApplication::sendEvent(&window, &close);
    return close.isAccepted();
}

} // namespace

class TestUiSlowWork : public QObject
{
    Q_OBJECT
private slots:
    void inputIsDroppedMeanwhile_data()
    {
        QTest::addColumn<bool>("key");
        QTest::newRow("a key") << true;
        QTest::newRow("the close box") << false;
    }

    void inputIsDroppedMeanwhile()
    {
        QFETCH(bool, key);
        Window window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSemaphore sent;
        bool busy = false, taken = true;
        int paintsBefore = 0;
        QTimer::singleShot(0, [&] {
            busy = QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
            taken = send(window, key);
            paintsBefore = window.paints;
            window.update();
            QTimer::singleShot(100, [&] { sent.release(); }); // time for the update to be painted meanwhile
        });
        QThread* worker = nullptr;
        bool released = false;
        runSlowWork([&] {
            worker = QThread::currentThread();
            released = sent.tryAcquire(1, 10000);
        });
        QVERIFY(released); // the GUI thread's timers ran while the work waited
        QVERIFY(worker && worker != QCoreApplication::instance()->thread());
        QVERIFY(busy && !QGuiApplication::overrideCursor());
        QVERIFY(window.paints > paintsBefore);
        QVERIFY(!taken);
        QCoreApplication::processEvents();
        QCOMPARE(window.text(), QString());
        QVERIFY(send(window, key)); // and taken again afterwards
    }
};

QTEST_MAIN(TestUiSlowWork)
#include "test_ui_slow_work.moc"
