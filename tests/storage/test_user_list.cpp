#include "storage/user_list.h"
#include "test_files.h"

#include <QtTest>

using namespace tessary;

Q_DECLARE_METATYPE(tessary::UserAddition::Status)

namespace {

} // namespace

class TestUserList : public QObject
{
    Q_OBJECT

private slots:
    void parseUserList_data();
    void parseUserList();
    void missingFileGivesNoNames();
    void readsAtMost255Names();
    void appendUser_data();
    void appendUser();
    void usersReadBackInTheOrderAppended();
    void doubleQuoteInsideANameSpoilsOnlyThatName();
    void appendToAnImpossiblePathFails();
    void addUserAgainstTheList_data();
    void addUserAgainstTheList();
};

void TestUserList::parseUserList_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<QStringList>("names");

    const QStringList aliceAndBob{QStringLiteral("alice"), QStringLiteral("bob")};

    QTest::newRow("quoted, CR LF") << QByteArray("\"alice\"\r\n\"bob\"\r\n") << 255 << aliceAndBob;
    QTest::newRow("quoted, LF") << QByteArray("\"alice\"\n\"bob\"\n") << 255 << aliceAndBob;
    QTest::newRow("no final line end") << QByteArray("\"alice\"\r\n\"bob\"") << 255 << aliceAndBob;
    QTest::newRow("unquoted") << QByteArray("alice\r\nbob\r\n") << 255 << aliceAndBob;
    QTest::newRow("unquoted, no final line end") << QByteArray("alice\r\nbob") << 255 << aliceAndBob;
    QTest::newRow("comma inside quotes") << QByteArray("\"Smith, Bob\"\r\n\"alice\"\r\n") << 255
                                         << QStringList{QStringLiteral("Smith, Bob"), QStringLiteral("alice")};
    QTest::newRow("unquoted fields split at commas")
        << QByteArray("alice,bob\r\ncarol\r\n") << 255
        << QStringList{QStringLiteral("alice"), QStringLiteral("bob"), QStringLiteral("carol")};
    QTest::newRow("quoted fields split at commas")
        << QByteArray("\"a, b\",\"c\"\r\n") << 255 << QStringList{QStringLiteral("a, b"), QStringLiteral("c")};
    QTest::newRow("leading spaces") << QByteArray("   \"alice\"\r\n   bob\r\n") << 255 << aliceAndBob;
    QTest::newRow("spaces inside quotes")
        << QByteArray("\" alice  \"\r\n") << 255 << QStringList{QStringLiteral(" alice  ")};
    QTest::newRow("text after the closing quote")
        << QByteArray("\"alice\" (admin)\r\n\"bob\"\r\n") << 255 << aliceAndBob;
    // The writer does not escape a double quote, so the name ends at it.
    QTest::newRow("double quote inside a name") << QByteArray("\"Bob \"the knife\" Smith\"\r\n\"alice\"\r\n") << 255
                                                << QStringList{QStringLiteral("Bob "), QStringLiteral("alice")};
    QTest::newRow("blank lines") << QByteArray("\r\n\"alice\"\r\n\r\n\n\r\n\"bob\"\r\n\r\n") << 255 << aliceAndBob;
    QTest::newRow("empty file") << QByteArray() << 255 << QStringList();
    QTest::newRow("only line ends") << QByteArray("\r\n\n\r\n") << 255 << QStringList();
    QTest::newRow("code page") << QByteArray("\"Zo\xEB\"\r\n\"\x80uro\"\r\n") << 255
                               << QStringList{QStringLiteral("Zo\u00EB"), QStringLiteral("\u20ACuro")};
    QTest::newRow("stops at the maximum") << QByteArray("\"alice\"\r\n\"bob\"\r\n\"carol\"\r\n") << 2 << aliceAndBob;
    QTest::newRow("maximum 0") << QByteArray("\"alice\"\r\n") << 0 << QStringList();
}

void TestUserList::parseUserList()
{
    QFETCH(QByteArray, data);
    QFETCH(int, maximum);
    QFETCH(QStringList, names);

    QCOMPARE(tessary::parseUserList(data, maximum), names);
}

void TestUserList::missingFileGivesNoNames()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QLatin1String(userListFileName));

    QString error;
    QCOMPARE(readUserList(path, maximumUsers, &error), QStringList());
    QVERIFY(error.isEmpty());
    QVERIFY(!QFileInfo::exists(path));
}

// The login window keeps one place after the last name for its own entry.
void TestUserList::readsAtMost255Names()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QLatin1String(userListFileName));
    QByteArray data;
    QStringList expected;
    for (int i = 1; i <= 300; ++i) {
        data += "\"user" + QByteArray::number(i) + "\"\r\n";
        if (i <= 255)
            expected.append(QStringLiteral("user%1").arg(i));
    }
    QVERIFY(writeFile(path, data));

    const QStringList names = readUserList(path, 255);
    QCOMPARE(names.size(), 255);
    QCOMPARE(names, expected);
}

void TestUserList::appendUser_data()
{
    QTest::addColumn<QString>("userName");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("plain") << QStringLiteral("alice") << QByteArray("\"alice\"\r\n");
    QTest::newRow("comma") << QStringLiteral("Smith, Bob") << QByteArray("\"Smith, Bob\"\r\n");
    QTest::newRow("leading space") << QStringLiteral(" alice") << QByteArray("\" alice\"\r\n");
    QTest::newRow("beyond ASCII") << QStringLiteral("Zo\u00EB") << QByteArray("\"Zo\xEB\"\r\n");
    QTest::newRow("euro sign") << QStringLiteral("\u20ACuro") << QByteArray("\"\x80uro\"\r\n");
}

void TestUserList::appendUser()
{
    QFETCH(QString, userName);
    QFETCH(QByteArray, bytes);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QLatin1String(userListFileName));

    const UserAddition added = addUser(path, userName);
    QVERIFY2(added.status == UserAddition::Status::Added, qPrintable(added.reason));
    QCOMPARE(fileBytes(path), bytes);
    QCOMPARE(readUserList(path), QStringList{userName});
}

void TestUserList::usersReadBackInTheOrderAppended()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QLatin1String(userListFileName));

    QCOMPARE(addUser(path, QStringLiteral("alice")).status, UserAddition::Status::Added);
    QCOMPARE(addUser(path, QStringLiteral("bob")).status, UserAddition::Status::Added);
    QCOMPARE(fileBytes(path), QByteArray("\"alice\"\r\n\"bob\"\r\n"));
    QCOMPARE(readUserList(path), (QStringList{QStringLiteral("alice"), QStringLiteral("bob")}));
}

void TestUserList::doubleQuoteInsideANameSpoilsOnlyThatName()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QLatin1String(userListFileName));

    // Written by hand: the program lists no name with a quote.
    QVERIFY(writeFile(path, "\"a\"b\"\r\n"));
    QCOMPARE(addUser(path, QStringLiteral("a\"b")).status, UserAddition::Status::Refused);
    QCOMPARE(addUser(path, QStringLiteral("carol")).status, UserAddition::Status::Added);
    QCOMPARE(fileBytes(path), QByteArray("\"a\"b\"\r\n\"carol\"\r\n"));

    const QStringList names = readUserList(path);
    QVERIFY(!names.contains(QStringLiteral("a\"b")));
    QCOMPARE(names.value(0), QStringLiteral("a"));
    QCOMPARE(names.last(), QStringLiteral("carol"));
}

void TestUserList::appendToAnImpossiblePathFails()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("no such folder/") + QLatin1String(userListFileName));

    const UserAddition added = addUser(path, QStringLiteral("alice"));
    QCOMPARE(added.status, UserAddition::Status::Refused);
    QVERIFY(!added.reason.isEmpty());
    QVERIFY(!QFileInfo::exists(path));
}

void TestUserList::addUserAgainstTheList_data()
{
    using Status = UserAddition::Status;
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("userName");
    QTest::addColumn<Status>("status");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("a new name") << QByteArray("\"ann\"\r\n") << QStringLiteral("bob") << Status::Added
                                << QByteArray("\"ann\"\r\n\"bob\"\r\n");
    QTest::newRow("listed already") << QByteArray("\"ann\"\r\n") << QStringLiteral("ann") << Status::AlreadyListed
                                    << QByteArray("\"ann\"\r\n");
    QTest::newRow("the same key ring file") << QByteArray("\"ann\"\r\n") << QStringLiteral("a.n.n")
                                            << Status::FileNameTaken << QByteArray("\"ann\"\r\n");
    // The new name must not be glued to a last line without its end, or it is lost for good.
    QTest::newRow("last line without its end") << QByteArray("\"ann\"") << QStringLiteral("bob") << Status::Added
                                               << QByteArray("\"ann\"\r\n\"bob\"\r\n");
    QTest::newRow("a line break in the name") << QByteArray("\"ann\"\r\n") << QStringLiteral("b\nob")
                                              << Status::Refused << QByteArray("\"ann\"\r\n");
    QTest::newRow("outside the code page") << QByteArray() << QStringLiteral("\u0416") << Status::Refused << QByteArray();
    // The login window lists 255 names: a 256th could never log in.
    QByteArray full;
    for (int i = 1; i <= 255; ++i)
        full += "\"user" + QByteArray::number(i) + "\"\r\n";
    const QByteArray almost = full.left(full.lastIndexOf("\"user255\""));
    QTest::newRow("the 255th user") << almost << QStringLiteral("zed") << Status::Added << almost + "\"zed\"\r\n";
    QTest::newRow("a 256th user") << full << QStringLiteral("zed") << Status::Refused << full;
    QTest::newRow("the 255th again, on a full list")
        << full << QStringLiteral("user255") << Status::AlreadyListed << full;
}

void TestUserList::addUserAgainstTheList()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, userName);
    QFETCH(UserAddition::Status, status);
    QFETCH(QByteArray, after);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QLatin1String(userListFileName));
    if (!before.isEmpty())
        QVERIFY(writeFile(path, before));
    QCOMPARE(addUser(path, userName).status, status);
    if (after.isEmpty())
        QVERIFY(!QFileInfo::exists(path));
    else
        QCOMPARE(fileBytes(path), after);
    if (status == UserAddition::Status::Added)
        QVERIFY(readUserList(path).contains(userName));
}

QTEST_GUILESS_MAIN(TestUserList)
#include "test_user_list.moc"
