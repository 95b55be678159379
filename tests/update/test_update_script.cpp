#include "example_script.h"
#include "update/get_parm.h"
#include "update/script_number.h"
#include "update/update_script.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace tessary;

namespace {

const QString example = QString::fromLatin1(exampleScript);

QString changed(const QString& from, const QString& to)
{
    QString script = example;
    script.replace(from, to);
    return script;
}

const QString header = QStringLiteral("Web Update Script Version: 0.1");

} // namespace

class TestUpdateScript : public QObject
{
    Q_OBJECT

private slots:
    void getParm_data();
    void getParm();
    void versionText_data();
    void versionText();
    void evaluate_data();
    void evaluate();
    void workedExample();
    void historyIsNotWrittenThroughALink();
    void longHistoryIsCut_data();
    void longHistoryIsCut();
};

void TestUpdateScript::getParm_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("parm");
    QTest::addColumn<QString>("value");

    QTest::newRow("blank after the colon kept") << example << QStringLiteral("ProgramName") << QStringLiteral(" Tessary");
    QTest::newRow("comment ends it, blanks kept")
        << example << QStringLiteral("CurrentVersion") << QStringLiteral(" 0.3     ");
    QTest::newRow("lower-case name in the script")
        << QStringLiteral("programname:x\n") << QStringLiteral("ProgramName") << QStringLiteral("x");
    QTest::newRow("upper-case name in the script")
        << QStringLiteral("PROGRAMNAME:y\n") << QStringLiteral("ProgramName") << QStringLiteral("y");
    QTest::newRow("absent") << example << QStringLiteral("WebUpdateCompatable") << QString();
    QTest::newRow("runs to the end of the text") << QStringLiteral("A:xyz") << QStringLiteral("A")
                                                 << QStringLiteral("xyz");
    QTest::newRow("line feed ends it") << QStringLiteral("A:1\nB:2") << QStringLiteral("A") << QStringLiteral("1");
    QTest::newRow("carriage return ends it") << QStringLiteral("A:1\rB:2") << QStringLiteral("A") << QStringLiteral("1");
    QTest::newRow("first occurrence wins, even in a comment")
        << QStringLiteral("# was DownloadSize:12\nDownloadSize:420\n") << QStringLiteral("DownloadSize")
        << QStringLiteral("12");
    QTest::newRow("empty value") << QStringLiteral("A:#x") << QStringLiteral("A") << QString();
}

void TestUpdateScript::getParm()
{
    QFETCH(QString, script);
    QFETCH(QString, parm);
    QFETCH(QString, value);
    QCOMPARE(GetParm(script, parm), value);
}

void TestUpdateScript::versionText_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("0.3") << 0.3F << QStringLiteral("0.3");
    QTest::newRow("0.11") << 0.11F << QStringLiteral("0.11");
    QTest::newRow("1.05") << 1.05F << QStringLiteral("1.05");
    QTest::newRow("420") << 420.0F << QStringLiteral("420");
}

void TestUpdateScript::versionText()
{
    QFETCH(float, value);
    QFETCH(QString, text);
    QCOMPARE(tessary::versionText(value), text);
}

void TestUpdateScript::evaluate_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("historyWritten");

    using O = UpdateCheck::Outcome;
    const QStringList newer{QStringLiteral("Most recent version is 0.3"),
                            QStringLiteral("It is highly recommended that you upgrade"), QString(),
                            QStringLiteral("The URL is  http://example.org/get (420kb size)")};
    const QStringList items{QStringLiteral("0.2 - Login fixed"), QStringLiteral("0.3 - New wizard pages")};
    const QString noMarker =
        QStringLiteral("Web Update Script not found! Download a newer copy of this program from XXX");

    QTest::newRow("marker in lower case") << changed(QStringLiteral("WEBUPDATE-SCRIPT-START"),
                                                     QStringLiteral("webupdate-script-start"))
                                          << int(O::Listed) << QStringList{header} + newer << items << QString()
                                          << true;
    QTest::newRow("no marker") << changed(QStringLiteral("WEBUPDATE-SCRIPT-START"), QStringLiteral("hello"))
                               << int(O::MessageBox) << QStringList{} << QStringList{} << noMarker << false;
    QTest::newRow("empty response") << QString() << int(O::MessageBox) << QStringList{} << QStringList{} << noMarker
                                    << false;
    QTest::newRow("newer format, compatible")
        << changed(QStringLiteral("WebUpdateVersion: 0.1"),
                   QStringLiteral("WebUpdateVersion: 0.2\nWebUpdateCompatable: 0.1"))
        << int(O::Listed) << QStringList{QStringLiteral("Web Update Script Version: 0.1 (compatable)")} + newer
        << items << QString() << true;
    QTest::newRow("newer format, too old")
        << changed(QStringLiteral("WebUpdateVersion: 0.1"),
                   QStringLiteral("WebUpdateVersion: 0.2\nWebUpdateCompatable: 0.2"))
        << int(O::MessageBox) << QStringList{} << QStringList{}
        << QStringLiteral("We are too old to be doing this. I am retiring.") << false;
    QTest::newRow("program name in lower case")
        << changed(QStringLiteral("ProgramName: Tessary"), QStringLiteral("ProgramName: tessary"))
        << int(O::WrongProgram)
        << QStringList{header, QStringLiteral("Wrong Program Update Script Found. Aborting."),
                       QStringLiteral(" tessary")}
        << QStringList{} << QString() << false;
    QTest::newRow("Tessary among other words")
        << changed(QStringLiteral("ProgramName: Tessary"), QStringLiteral("ProgramName: The Tessary Suite"))
        << int(O::Listed) << QStringList{header} + newer << items << QString() << true;
    QTest::newRow("current version 0.1")
        << changed(QStringLiteral("CurrentVersion: 0.3"), QStringLiteral("CurrentVersion: 0.1")) << int(O::UpToDate)
        << QStringList{header, QStringLiteral("Current Version is already up to date")} << QStringList{} << QString()
        << false;
    QTest::newRow("current version 0.11")
        << changed(QStringLiteral("CurrentVersion: 0.3"), QStringLiteral("CurrentVersion: 0.11")) << int(O::Listed)
        << QStringList{header, QStringLiteral("Most recent version is 0.11")} + newer.mid(1) << items << QString()
        << true;
    QTest::newRow("recommended 0.1: no red line")
        << changed(QStringLiteral("RecommendedVersion: 0.2"), QStringLiteral("RecommendedVersion: 0.1"))
        << int(O::Listed) << QStringList{header, newer.at(0), newer.at(2), newer.at(3)} << items << QString() << true;
    QTest::newRow("quoted description with a comma")
        << changed(QStringLiteral("0.3,New wizard pages"), QStringLiteral("0.3,\"Pages, and more\""))
        << int(O::Listed) << QStringList{header} + newer
        << QStringList{QStringLiteral("0.2 - Login fixed"), QStringLiteral("0.3 - Pages, and more")} << QString()
        << true;
    QTest::newRow("unclosed quote ends with the line")
        << changed(QStringLiteral("0.3,New wizard pages"), QStringLiteral("0.3,\"New wizard pages"))
        << int(O::Listed) << QStringList{header} + newer << items << QString() << true;

    // Scripts with missing or broken numbers stop without harm, before anything is printed or written.
    QTest::newRow("current version missing")
        << changed(QStringLiteral("CurrentVersion"), QStringLiteral("Current")) << int(O::Unreadable)
        << QStringList{} << QStringList{} << QStringLiteral("CurrentVersion") << false;
    QTest::newRow("size not a number")
        << changed(QStringLiteral("DownloadSize: 420"), QStringLiteral("DownloadSize: big")) << int(O::Unreadable)
        << QStringList{} << QStringList{} << QStringLiteral("DownloadSize") << false;
    QTest::newRow("version with trailing text")
        << changed(QStringLiteral("RecommendedVersion: 0.2"), QStringLiteral("RecommendedVersion: 0.2beta"))
        << int(O::Unreadable) << QStringList{} << QStringList{} << QStringLiteral("RecommendedVersion") << false;
    QTest::newRow("compatibility missing")
        << changed(QStringLiteral("WebUpdateVersion: 0.1"), QStringLiteral("WebUpdateVersion: 0.2"))
        << int(O::Unreadable) << QStringList{} << QStringList{} << QStringLiteral("WebUpdateCompatable") << false;
    // A broken history is found once it is read back: the lines are printed, no item is listed.
    QTest::newRow("history ends without a description")
        << changed(QStringLiteral("0.3,New wizard pages"), QStringLiteral("0.3")) << int(O::Unreadable)
        << QStringList{header} + newer << QStringList{} << QStringLiteral("no description") << true;
    QTest::newRow("history version not a number")
        << changed(QStringLiteral("0.2,Login"), QStringLiteral("two,Login")) << int(O::Unreadable)
        << QStringList{header} + newer << QStringList{} << QStringLiteral("\"two\"") << true;
}

void TestUpdateScript::evaluate()
{
    QFETCH(QString, script);
    QFETCH(int, outcome);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, items);
    QFETCH(QString, message);
    QFETCH(bool, historyWritten);

    QTemporaryDir dir;
    const QString history = dir.filePath(QStringLiteral("history.dat"));
    const UpdateCheck check = evaluateUpdateScript(script, history);
    QCOMPARE(int(check.outcome), outcome);
    QStringList printed;
    for (const UpdateLine& line : check.lines) {
        printed.append(line.text);
        QCOMPARE(line.red, line.text == QLatin1String("It is highly recommended that you upgrade"));
    }
    QCOMPARE(printed, lines);
    QCOMPARE(check.listItems, items);
    if (message.isEmpty())
        QVERIFY(check.message.isEmpty());
    else
        QVERIFY2(check.message.contains(message), qPrintable(check.message));
    QCOMPARE(QFile::exists(history), historyWritten);
}

void TestUpdateScript::workedExample()
{
    QTemporaryDir dir;
    const QString history = dir.filePath(QStringLiteral("history.dat"));
    QFile old(history);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older and much longer history that must go\r\n");
    old.close();

    const UpdateCheck check = evaluateUpdateScript(example, history);
    QCOMPARE(check.outcome, UpdateCheck::Outcome::Listed);
    QCOMPARE(check.listItems, (QStringList{QStringLiteral("0.2 - Login fixed"), QStringLiteral("0.3 - New wizard pages")}));
    QFile written(history);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray(" 0.1,First alpha,0.2,Login fixed,0.3,New wizard pages\r\n"));
}

void TestUpdateScript::historyIsNotWrittenThroughALink()
{
    QTemporaryDir dir;
    const QString ring = dir.filePath(QStringLiteral("alice.keyRing"));
    const QString history = dir.filePath(QStringLiteral("history.dat"));
    QFile victim(ring);
    QVERIFY(victim.open(QIODevice::ReadWrite) && victim.write("ring") == 4 && victim.flush() &&
            QFile::link(ring, history));
    const UpdateCheck check = evaluateUpdateScript(example, history);
    QCOMPARE(check.outcome, UpdateCheck::Outcome::Unreadable);
    QVERIFY2(check.message.startsWith(QStringLiteral("Cannot write %1: ").arg(history)), qPrintable(check.message));
    QCOMPARE(QFileInfo(ring).size(), 4);
}

void TestUpdateScript::longHistoryIsCut_data()
{
    QTest::addColumn<int>("newer");
    QTest::addColumn<qsizetype>("unlisted");

    QTest::newRow("exactly the bound") << maximumListItems << qsizetype(0);
    QTest::newRow("one more") << maximumListItems + 1 << qsizetype(1);
    QTest::newRow("many more") << 3 * maximumListItems << qsizetype(2 * maximumListItems);
}

// Old releases in between count for nothing; the newer ones beyond the bound are counted, not listed.
void TestUpdateScript::longHistoryIsCut()
{
    QFETCH(int, newer);
    QFETCH(qsizetype, unlisted);
    QStringList history;
    for (int i = 0; i < newer; ++i)
        history << QStringLiteral("0.05,old,%1,Fix %2").arg(1 + i).arg(i);
    QTemporaryDir dir;
    const UpdateCheck check = evaluateUpdateScript(
        changed(QStringLiteral("0.1,First alpha,0.2,Login fixed,0.3,New wizard pages"), history.join(QLatin1Char(','))),
        dir.filePath(QStringLiteral("history.dat")));
    QCOMPARE(check.outcome, UpdateCheck::Outcome::Listed);
    QCOMPARE(check.listItems.size(), maximumListItems);
    QCOMPARE(check.listItems.last(), QStringLiteral("%1 - Fix %2").arg(maximumListItems).arg(maximumListItems - 1));
    QCOMPARE(check.unlistedItems, unlisted);
}

QTEST_GUILESS_MAIN(TestUpdateScript)
#include "test_update_script.moc"
