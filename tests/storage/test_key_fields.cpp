#include "storage/key_fields.h"

#include <QTest>

using namespace tessary;

class TestKeyFields : public QObject
{
    Q_OBJECT

private slots:
    void passwordBuffer_data();
    void passwordBuffer();
    void completeUrl_data();
    void completeUrl();
};

void TestKeyFields::passwordBuffer_data()
{
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QByteArray>("stored");

    QTest::newRow("5 characters") << QByteArray("pass1") << QByteArray("pass1") + '\0' + QByteArray(122, ' ');
    QTest::newRow("empty") << QByteArray() << QByteArray(1, '\0') + QByteArray(127, ' ');
    QTest::newRow("127 characters") << QByteArray(127, 'x') << QByteArray(127, 'x') + '\0';
    QTest::newRow("128 characters, no NUL") << QByteArray(128, 'x') << QByteArray(128, 'x');
    QTest::newRow("130 characters, cut") << QByteArray(128, 'x') + "yz" << QByteArray(128, 'x');
}

void TestKeyFields::passwordBuffer()
{
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, stored);
    QCOMPARE(tessary::passwordBuffer(typed), stored);
}

void TestKeyFields::completeUrl_data()
{
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QByteArray>("stored");

    QTest::newRow("bare host") << QByteArray("example.com") << QByteArray("http://example.com");
    QTest::newRow("empty stays empty") << QByteArray() << QByteArray();
    QTest::newRow("http") << QByteArray("http://a.org") << QByteArray("http://a.org");
    QTest::newRow("capital HTTPS") << QByteArray("HTTPS://a.org") << QByteArray("HTTPS://a.org");
    QTest::newRow("ftp:") << QByteArray("ftp://files") << QByteArray("ftp://files");
    QTest::newRow("gopher") << QByteArray("gopher://hole") << QByteArray("gopher://hole");
    QTest::newRow("telnet") << QByteArray("telnet://bbs") << QByteArray("telnet://bbs");
    QTest::newRow("mail link") << QByteArray("mailto:a@b.c") << QByteArray("http://mailto:a@b.c");
    QTest::newRow("ftp without colon") << QByteArray("ftp.host") << QByteArray("http://ftp.host");
    QTest::newRow("shorter than four") << QByteArray("htt") << QByteArray("http://htt");
}

void TestKeyFields::completeUrl()
{
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, stored);
    QCOMPARE(tessary::completeUrl(typed), stored);
}

QTEST_GUILESS_MAIN(TestKeyFields)
#include "test_key_fields.moc"
