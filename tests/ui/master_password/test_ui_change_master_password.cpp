// Change Master Password: its refusals, a change the session goes on with, and a save that fails.
#include "crypto/password_hash.h"
#include "small_disk.h"
#include "ui/master_password/change_master_password.h"
#include "ui/widgets/key_table_model.h"
#include "ui_fixture.h"

#include <QLineEdit>

#include <cstring>

using namespace tessary;
using tessary::test::Browser;

namespace {

ChangeMasterPassword* open(Browser& browser)
{
    browser.window->action(QStringLiteral("menuChangeMasterPassword"))->trigger();
    return browser.fixture.program->changeMasterPassword();
}

void fill(ChangeMasterPassword* window, const QString& current, const QString& replacement, const QString& again)
{
    const std::pair<const char*, QString> fields[] = {
        {"currentPassword", current}, {"newPassword", replacement}, {"confirmPassword", again}};
    for (const auto& [name, text] : fields)
        window->findChild<QLineEdit*>(QLatin1String(name))->setText(text);
}

} // namespace

class TestUiChangeMasterPassword : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::setRecording(true); }

    void refusalsChangeNothing_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("again");
        QTest::addColumn<QString>("message");
        const QString kept = QStringLiteral("\n\rThe master password was not changed.");
        QTest::newRow("wrong current password") << QStringLiteral("PW") << QStringLiteral("new") << QStringLiteral("new")
                                                << incorrectPasswordMessage();
        QTest::newRow("no current password") << QString() << QStringLiteral("new") << QStringLiteral("new")
                                             << incorrectPasswordMessage();
        QTest::newRow("the two differ") << QStringLiteral("pw") << QStringLiteral("new") << QStringLiteral("New")
                                        << newPasswordsDifferMessage();
        QTest::newRow("empty") << QStringLiteral("pw") << QString() << QString() << masterPasswordRefusal({}) + kept;
        QTest::newRow("217 characters") << QStringLiteral("pw") << QString(217, u'p') << QString(217, u'p')
                                        << masterPasswordRefusal(QString(217, u'p')) + kept;
        QTest::newRow("outside the code page") << QStringLiteral("pw") << QStringLiteral("\u0416") << QStringLiteral("\u0416")
                                               << masterPasswordRefusal(QStringLiteral("\u0416")) + kept;
    }

    void refusalsChangeNothing()
    {
        QFETCH(QString, current);
        QFETCH(QString, replacement);
        QFETCH(QString, again);
        QFETCH(QString, message);
        Browser browser;
        const QByteArray file = fileBytes(browser.fixture.path(QStringLiteral("Ann.keyRing")));
        ChangeMasterPassword* window = open(browser);
        QVERIFY(window);
        fill(window, current, replacement, again);
        QTest::keyClick(window->findChild<QLineEdit*>(QStringLiteral("confirmPassword")), Qt::Key_Return);
        QVERIFY(window->isVisible());
        QCOMPARE(tessary::test::Fixture::texts(MessageBox::takeRecorded()), QStringList{message});
        QCOMPARE(fileBytes(browser.fixture.path(QStringLiteral("Ann.keyRing"))), file);
        QCOMPARE(browser.fixture.program->session().secret().password, QByteArray("pw"));
    }

    void theSessionGoesOnUnderTheNewPassword()
    {
        Browser browser;
        ChangeMasterPassword* window = open(browser);
        fill(window, QStringLiteral("pw"), QStringLiteral("n3w master"), QStringLiteral("n3w master"));
        QTest::keyClick(window->findChild<QLineEdit*>(QStringLiteral("confirmPassword")), Qt::Key_Return);
        QVERIFY(!window->isVisible());
        QVERIFY(MessageBox::takeRecorded().isEmpty());
        QCOMPARE(readKeyRing(browser.fixture.path(QStringLiteral("Ann.keyRing"))).storedDigest,
                 hashPassword("n3w master"));

        // A rename after it reaches the file under the new password when the program ends.
        auto* model = browser.window->model();
        QVERIFY(model->setData(model->index(0, KeyTableModel::KeyColumn), QStringLiteral("renamed")));
        browser.fixture.program->shutdownProgram();
        browser.fixture.program.reset();
        QCOMPARE(browser.fixture.storedKeys(QStringLiteral("Ann"), QStringLiteral("n3w master")),
                 (QList<QByteArray>{"renamed", "beta", "gamma"}));
        QCOMPARE(browser.fixture.storedKeys(QStringLiteral("Ann"), QStringLiteral("pw")),
                 QList<QByteArray>{"<login failed>"});
    }

    void aSaveThatFailsKeepsTheOldPassword()
    {
        Browser browser;
        const QByteArray file = fileBytes(browser.fixture.path(QStringLiteral("Ann.keyRing")));
        ChangeMasterPassword* window = open(browser);
        fill(window, QStringLiteral("pw"), QStringLiteral("never"), QStringLiteral("never"));
        {
            FileSizeLimit limit(64);
            QVERIFY(limit.active());
            window->accept();
        }
        QVERIFY(window->isVisible());
        const QStringList shown = tessary::test::Fixture::texts(MessageBox::takeRecorded());
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().contains(QString::fromLocal8Bit(std::strerror(EFBIG))), qPrintable(shown.first()));
        QCOMPARE(fileBytes(browser.fixture.path(QStringLiteral("Ann.keyRing"))), file);
        QCOMPARE(browser.fixture.program->session().secret().password, QByteArray("pw"));
        QVERIFY(browser.fixture.program->session().save());
        QCOMPARE(browser.fixture.storedKeys(QStringLiteral("Ann"), QStringLiteral("pw")).size(), 3);
    }
};

QTEST_MAIN(TestUiChangeMasterPassword)
#include "test_ui_change_master_password.moc"
