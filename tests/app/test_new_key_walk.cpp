// The password wizard's rules without widgets: the page walk and the breakdown setting.
#include "app/new_key_walk.h"

#include <QtTest>

using namespace tessary;

using Effect = NewKeyWalk::Effect;
using Focus = NewKeyWalk::Focus;

Q_DECLARE_METATYPE(tessary::NewKeyWalk::Effect)
Q_DECLARE_METATYPE(tessary::NewKeyWalk::Focus)

namespace {

// One letter a step: n Next with an acceptable name, x Next with a missing or duplicate name, b Back with a
// name, e Back without one, t a password typed, c the password box emptied, k a good name typed, d a bad one.
NewKeyWalk::Step walk(NewKeyWalk& pages, const QByteArray& steps)
{
    NewKeyWalk::Step last;
    for (const char step : steps) {
        switch (step) {
        case 'n':
            last = pages.next(true);
            break;
        case 'x':
            last = pages.next(false);
            break;
        case 'b':
            last = pages.back(true);
            break;
        case 'e':
            last = pages.back(false);
            break;
        case 't':
            pages.passwordChanged(false);
            break;
        case 'c':
            pages.passwordChanged(true);
            break;
        case 'k':
            pages.keyNameChanged(true);
            break;
        case 'd':
            pages.keyNameChanged(false);
            break;
        default:
            qFatal("unknown step");
        }
    }
    return last;
}

} // namespace

class TestNewKeyWalk : public QObject
{
    Q_OBJECT
private slots:
    void pageWalk_data()
    {
        QTest::addColumn<QByteArray>("steps");
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("back");
        QTest::addColumn<bool>("next");
        QTest::addColumn<bool>("finishCaption");
        QTest::addColumn<Effect>("effect");
        QTest::addColumn<Focus>("focus");

        QTest::newRow("loaded") << QByteArray() << 0 << false << true << false << Effect::None << Focus::Unchanged;
        QTest::newRow("name page, empty name")
            << QByteArray("x") << 1 << true << false << false << Effect::None << Focus::KeyName;
        QTest::newRow("name typed") << QByteArray("xk") << 1 << true << true << false << Effect::None << Focus::KeyName;
        QTest::newRow("Next refused without a name")
            << QByteArray("xx") << 1 << true << false << false << Effect::Ignored << Focus::Unchanged;
        QTest::newRow("password page") << QByteArray("xkn") << 2 << true << false << false << Effect::None
                                       << Focus::PasswordBox;
        QTest::newRow("password typed") << QByteArray("xknt") << 2 << true << true << false << Effect::None
                                        << Focus::PasswordBox;
        QTest::newRow("Next refused without a password")
            << QByteArray("xknn") << 2 << true << false << false << Effect::Ignored << Focus::Unchanged;
        QTest::newRow("analysis page") << QByteArray("xkntn") << 3 << true << true << false << Effect::TakePassword
                                       << Focus::NextButton;
        QTest::newRow("account page") << QByteArray("xkntnn") << 4 << true << true << false << Effect::None
                                      << Focus::KeyUsername;
        QTest::newRow("closing page") << QByteArray("xkntnnn") << 5 << true << true << true << Effect::None
                                      << Focus::Unchanged;
        QTest::newRow("finish") << QByteArray("xkntnnnn") << 6 << true << true << false << Effect::Finish
                                << Focus::Unchanged;
        QTest::newRow("nothing after finishing")
            << QByteArray("xkntnnnnnb") << 6 << true << true << false << Effect::Ignored << Focus::Unchanged;
        QTest::newRow("back to the account page")
            << QByteArray("xkntnnnb") << 4 << true << true << false << Effect::None << Focus::KeyUsername;
        QTest::newRow("back to the password page: typed again")
            << QByteArray("xkntnb") << 2 << true << false << false << Effect::None << Focus::PasswordBox;
        QTest::newRow("back to the name page")
            << QByteArray("xkntb") << 1 << true << true << false << Effect::DropPassword << Focus::KeyName;
        QTest::newRow("back to the name page, name gone")
            << QByteArray("xknte") << 1 << true << false << false << Effect::DropPassword << Focus::KeyName;
        QTest::newRow("back to the welcome page")
            << QByteArray("xkb") << 0 << false << true << false << Effect::None << Focus::Unchanged;
        QTest::newRow("on again keeps the name")
            << QByteArray("xkbn") << 1 << true << true << false << Effect::None << Focus::KeyName;
        QTest::newRow("there and back twice")
            << QByteArray("xkntnbtnnbbtnn") << 4 << true << true << false << Effect::None << Focus::KeyUsername;
    }

    void pageWalk()
    {
        QFETCH(QByteArray, steps);
        QFETCH(int, page);
        QFETCH(bool, back);
        QFETCH(bool, next);
        QFETCH(bool, finishCaption);
        QFETCH(Effect, effect);
        QFETCH(Focus, focus);

        NewKeyWalk pages;
        const NewKeyWalk::Step last = walk(pages, steps);
        QCOMPARE(pages.currentPage(), page);
        QCOMPARE(pages.backEnabled(), back);
        QCOMPARE(pages.nextEnabled(), next);
        QCOMPARE(pages.nextIsFinish(), finishCaption);
        QCOMPARE(last.effect, effect);
        QCOMPARE(last.focus, focus);
    }

    void nothingLeadsAwayFromARunningCheck()
    {
        NewKeyWalk pages;
        walk(pages, "xkntn");
        pages.setChecking(true);
        QVERIFY(!pages.backEnabled());
        QVERIFY(!pages.nextEnabled());
        QVERIFY(!pages.cancelEnabled());
        QVERIFY(!pages.mayClose());
        QCOMPARE(pages.next(true).effect, Effect::Ignored);
        QCOMPARE(pages.back(true).effect, Effect::Ignored);
        QCOMPARE(pages.currentPage(), 3);

        pages.setChecking(false);
        QVERIFY(pages.backEnabled());
        QVERIFY(pages.nextEnabled());
        QVERIFY(pages.mayClose());
        QCOMPARE(pages.next(true).focus, Focus::KeyUsername);
    }

    void breakdownSetting_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("hidden") << QStringLiteral("1") << true;
        QTest::newRow("shown") << QStringLiteral("0") << false;
        QTest::newRow("nothing") << QString() << true;
        QTest::newRow("no number") << QStringLiteral("yes") << true;
        QTest::newRow("a fraction below one") << QStringLiteral("0.9") << false;
        QTest::newRow("a fraction above one") << QStringLiteral("1.5") << true;
        QTest::newRow("negative") << QStringLiteral("-1") << true;
        QTest::newRow("spaces around") << QStringLiteral(" 0 ") << false;
        QTest::newRow("infinite") << QStringLiteral("inf") << true;
        QTest::newRow("not a number") << QStringLiteral("nan") << true;
    }

    void breakdownSetting()
    {
        QFETCH(QString, stored);
        QFETCH(bool, hidden);
        QCOMPARE(breakdownHidden(stored), hidden);
    }

};

QTEST_GUILESS_MAIN(TestNewKeyWalk)
#include "test_new_key_walk.moc"
