// Key Ring Security: conversions both ways that keep every key and say what is left behind; refusals that leave
// the file as it was.
#include "storage/strong_ring_format.h"
#include "ui/security/key_ring_security.h"
#include "ui/widgets/key_table_model.h"
#include "ui_fixture.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

using namespace tessary;
using tessary::test::Fixture;

class TestUiKeyRingSecurity : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::setRecording(true); }

    void convert_data()
    {
        QTest::addColumn<bool>("fromStrong");
        QTest::addColumn<QString>("older"); // an older copy put back: "", "accepted" here first, or "read-only"
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("exportFirst");
        QTest::addColumn<bool>("removeCopies"); // the answer to the question whether to remove them
        QTest::addColumn<QString>("refusal");
        QTest::newRow("classic to strong") << false << ""
                                           << "pw" << false << false << "";
        QTest::newRow("classic to strong, its export left classic") << false << ""
                                                                    << "pw" << true << false << "";
        QTest::newRow("classic to strong, its export removed") << false << ""
                                                               << "pw" << true << true << "";
        QTest::newRow("strong to classic") << true << ""
                                           << "pw" << false << false << "";
        QTest::newRow("an older copy accepted, to classic") << true << "accepted"
                                                            << "pw" << false << false << "";
        QTest::newRow("wrong password") << true << ""
                                        << "PW" << false << false << incorrectPasswordMessage();
        QTest::newRow("an older copy, read-only")
            << true << "read-only"
            << "pw" << false << false
            << readOnlyKeyRingMessage() + QStringLiteral("\n\rThe key ring was not converted.");
    }

    void convert()
    {
        QFETCH(bool, fromStrong);
        QFETCH(QString, older);
        QFETCH(QString, password);
        QFETCH(bool, exportFirst);
        QFETCH(bool, removeCopies);
        QFETCH(QString, refusal);
        Fixture fixture;
        fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw"), {"alpha", "beta"},
                        fromStrong ? KeyRingFormat::Strong : KeyRingFormat::Classic);
        if (!older.isEmpty())
            QVERIFY(fixture.putBackOlderCopy(QStringLiteral("Ann"), QStringLiteral("pw")).second > 0);
        Session& session = fixture.program->session();
        session.setKeyDerivation(Fixture::lightKdf());
        QVERIFY(session.login(QStringLiteral("Ann"), QStringLiteral("pw")).succeeded());
        QVERIFY(!exportFirst || session.exportKeyRing());
        fixture.program->completeLogin();
        fixture.program->keyBrowser()->action(QStringLiteral("menuKeyRingSecurity"))->trigger();
        KeyRingSecurity* window = fixture.program->keyRingSecurity();
        if (older == QLatin1String("accepted"))
            window->findChild<QPushButton*>(QStringLiteral("acceptOlderButton"))->click();
        const QString ring = fixture.path(QStringLiteral("Ann.keyRing"));
        const QByteArray file = fileBytes(ring);
        const KeyTable before = session.keyTable();
        auto* field = window->findChild<QLineEdit*>(QStringLiteral("masterPassword"));
        field->setText(password);
        MessageBox::setNextAnswer(removeCopies);
        QTest::keyClick(field, Qt::Key_Return);

        const QList<MessageBox::Shown> shown = MessageBox::takeRecorded();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(window->isVisible(), !refusal.isEmpty());
        if (!refusal.isEmpty()) {
            QCOMPARE(shown.first().text, refusal);
            QCOMPARE(shown.first().kind, MessageBox::Kind::Refusal);
            QCOMPARE(field->text(), QString());
            QCOMPARE(fileBytes(ring), file);
            return;
        }
        // Only a conversion to the strong format leaves classic copies, and names the export when it is one.
        QCOMPARE(shown.first().text.contains(QStringLiteral("Older copies")), !fromStrong);
        QCOMPARE(shown.first().text.contains(QStringLiteral("tessary.keyRing")), exportFirst);
        QCOMPARE(shown.first().text.contains(QStringLiteral("Remove tessary.keyRing")), exportFirst);
        QCOMPARE(QFileInfo::exists(fixture.path(QStringLiteral("tessary.keyRing"))), exportFirst && !removeCopies);
        QCOMPARE(isStrongRing(fileBytes(ring)), !fromStrong);
        Session reader(fixture.directory.path());
        QVERIFY(reader.login(QStringLiteral("Ann"), QStringLiteral("pw"), Session::LockMode::None).succeeded());
        QCOMPARE(reader.format(), session.format());
        QCOMPARE(reader.keyTable().keyCount(), 2);
        for (int slot = 1; slot <= 2; ++slot)
            QCOMPARE(reader.keyTable().slot(slot), before.slot(slot));
        // The session goes on in the new format.
        KeyTableModel* model = fixture.program->keyBrowser()->model();
        QVERIFY(model->setData(model->index(0, KeyTableModel::KeyColumn), QStringLiteral("renamed")));
        QCOMPARE(fixture.storedKeys(QStringLiteral("Ann"), QStringLiteral("pw")),
                 (QList<QByteArray>{"renamed", "beta"}));
    }
};

QTEST_MAIN(TestUiKeyRingSecurity)
#include "test_ui_key_ring_security.moc"
