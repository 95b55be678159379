// The password wizard's rules without widgets: the page walk, the breakdown setting, the notes' limit.
#include "ui/new_key_walk.h"
#include "ui/notes_limit.h"

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

class TestUiNewKeyWalk : public QObject
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

    void notesLimit_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("kept");
        const QString a254(254, QLatin1Char('a'));
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("255 characters") << QString(255, QLatin1Char('a')) << 255;
        QTest::newRow("256 characters") << QString(256, QLatin1Char('a')) << 255;
        QTest::newRow("a line break counts two") << a254 + QLatin1Char('\n') << 254;
        QTest::newRow("a line break that fits") << QString(253, QLatin1Char('a')) + QLatin1Char('\n') << 254;
        QTest::newRow("a pair is one character") << a254 + QString::fromUcs4(U"\U0001F600") + QLatin1Char('b') << 256;
    }

    void notesLimit()
    {
        QFETCH(QString, shown);
        QFETCH(int, kept);
        const QString result = notesWithinLimit(shown, 255);
        QCOMPARE(result, shown.left(kept));
        QVERIFY(storedNotes(result).toUcs4().size() <= 255);
    }

    void limitedEdit_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<int>("cursor"); // -1: the edit stands as it is
        const QString a250(250, QLatin1Char('a'));
        const QString full = QString(254, QLatin1Char('a')) + QLatin1Char('Z');
        const QString over(300, QLatin1Char('a'));
        const QString smile = QString::fromUcs4(U"\U0001F600");
        QTest::newRow("an edit that fits") << QStringLiteral("abc") << QStringLiteral("abXc") << QStringLiteral("abXc")
                                           << -1;
        QTest::newRow("a key in the middle of a full box") << full << QString(full).insert(10, QLatin1Char('x'))
                                                           << full << 10;
        QTest::newRow("a paste at the end, cut to fit") << a250 << a250 + QStringLiteral("0123456789")
                                                        << a250 + QStringLiteral("01234") << 255;
        QTest::newRow("a paste in the middle, cut to fit")
            << a250 + QStringLiteral("END") << QString(a250 + QStringLiteral("END")).insert(5, QStringLiteral("0123"))
            << QString(a250 + QStringLiteral("END")).insert(5, QStringLiteral("01")) << 7;
        QTest::newRow("a selection replaced by a longer paste")
            << a250 + QStringLiteral("bbbbb") << a250 + QStringLiteral("XYZXYZXYZ") << a250 + QStringLiteral("XYZXY")
            << 255;
        const QString a254(254, QLatin1Char('a'));
        QTest::newRow("a line break counts two") << a254 << a254 + QLatin1Char('\n') << a254 << 254;
        QTest::newRow("a pair is kept or cut whole")
            << a254 << a254 + smile + smile << a254 + smile << 256;
        QTest::newRow("shortening a text over the limit") << over << over.chopped(1) << over.chopped(1) << -1;
        QTest::newRow("a key in a text over the limit") << over << QString(over).insert(3, QLatin1Char('b')) << over
                                                        << 3;
    }

    void limitedEdit()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, kept);
        QFETCH(int, cursor);
        qsizetype at = -2;
        QCOMPARE(tessary::limitedEdit(before, after, 255, at), kept);
        QCOMPARE(at, qsizetype(cursor));
    }

    void storedNotesBreakLinesWithCarriageReturns()
    {
        QCOMPARE(storedNotes(QStringLiteral("one\ntwo\n")), QStringLiteral("one\r\ntwo\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestUiNewKeyWalk)
#include "test_ui_new_key_walk.moc"
