// The notes' rule, the same for the windows and tessary-cli: line breaks stored as CR LF, and the limit counted so.
#include "storage/notes_text.h"

#include <QtTest>

using namespace tessary;

class TestNotesText : public QObject
{
    Q_OBJECT
private slots:
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
        QVERIFY(tessary::storedNotes(result).toUcs4().size() <= 255);
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

    void storedNotes_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("bare line feeds") << QStringLiteral("one\ntwo\n") << QStringLiteral("one\r\ntwo\r\n");
        QTest::newRow("CR LF stays") << QStringLiteral("one\r\ntwo") << QStringLiteral("one\r\ntwo");
        QTest::newRow("mixed") << QStringLiteral("\na\r\nb\n") << QStringLiteral("\r\na\r\nb\r\n");
        QTest::newRow("a lone CR stays") << QStringLiteral("a\rb") << QStringLiteral("a\rb");
        QTest::newRow("no break") << QStringLiteral("plain") << QStringLiteral("plain");
    }

    void storedNotes()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QCOMPARE(tessary::storedNotes(typed), stored);
        QCOMPARE(storedNotesLength(typed), stored.size());
    }
};

QTEST_GUILESS_MAIN(TestNotesText)
#include "test_notes_text.moc"
