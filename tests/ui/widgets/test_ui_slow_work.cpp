// The slow work runs on a thread of its own while the windows repaint; input that comes meanwhile is dropped, not
// delivered once it is done, and so is a screen reader's press of a button.
#include "ui/widgets/slow_work.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLineEdit>
#include <QPushButton>
#include <QSemaphore>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

using namespace tessary;

namespace {

struct Field : QLineEdit
{
    int paints = 0;
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        QLineEdit::paintEvent(event);
    }
};

struct Window : QWidget
{
    Field* field = new Field;
    QPushButton* button = new QPushButton(QStringLiteral("Go"));
    int clicks = 0;
    Window()
    {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(field);
        layout->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this] { ++clicks; });
    }
};

// A key typed into the field, the window's close box, or the button pressed as a screen reader presses it (its
// click comes a moment later); whether it took effect.
bool send(Window& window, const QString& what)
{
    if (what == QLatin1String("key")) {
        const qsizetype before = window.field->text().size();
        QTest::keyClick(window.field, Qt::Key_X);
        return window.field->text().size() > before;
    }
    if (what == QLatin1String("press")) {
        const int before = window.clicks;
        QAccessible::queryAccessibleInterface(window.button)
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        QTest::qWait(300);
        return window.clicks > before;
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
        QTest::addColumn<QString>("what");
        QTest::newRow("a key") << "key";
        QTest::newRow("the close box") << "close";
        QTest::newRow("a screen reader's press") << "press";
    }

    void inputIsDroppedMeanwhile()
    {
        QFETCH(QString, what);
        Window window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        window.field->setFocus();
        QSemaphore sent;
        bool busy = false, taken = true;
        int paintsBefore = 0;
        QTimer::singleShot(0, [&] {
            busy = QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
            taken = send(window, what);
            paintsBefore = window.field->paints;
            window.field->update();
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
        QVERIFY(window.field->paints > paintsBefore);
        QVERIFY(!taken);
        QCoreApplication::processEvents();
        QCOMPARE(window.field->text(), QString());
        QCOMPARE(window.clicks, 0);
        QCOMPARE(window.focusWidget(), window.field); // the focus given back
        QVERIFY(send(window, what));                  // and taken again afterwards
    }
};

QTEST_MAIN(TestUiSlowWork)
#include "test_ui_slow_work.moc"
