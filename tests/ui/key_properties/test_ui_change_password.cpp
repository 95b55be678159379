// Change Password: when OK may be pressed, what OK stores and saves, what Cancel and Esc leave, Generate and Show,
// and a save that fails.
#include "small_disk.h"
#include "ui/key_properties/change_password.h"
#include "ui/widgets/generator_panel.h"
#include "ui_fixture.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cstring>

using namespace tessary;
using tessary::test::Browser;

namespace {

QLineEdit* field(ChangePassword* window, const char* name)
{
    return window->findChild<QLineEdit*>(QLatin1String(name));
}

QPushButton* okButton(ChangePassword* window)
{
    return window->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
}

ChangePassword* openFor(Browser& browser, int row)
{
    browser.select(row);
    browser.window->action(QStringLiteral("menuChangePassword"))->trigger();
    return browser.fixture.program->changePassword();
}

} // namespace

class TestUiChangePassword : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::setRecording(true); }

    void okWantsTwoEqualStorablePasswords_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("confirmed");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("nothing yet") << QString() << QString() << false;
        QTest::newRow("the same twice") << QStringLiteral("s3cret") << QStringLiteral("s3cret") << true;
        QTest::newRow("confirmation differs") << QStringLiteral("s3cret") << QStringLiteral("s3creT") << false;
        QTest::newRow("confirmation still short") << QStringLiteral("s3cret") << QStringLiteral("s3cre") << false;
        QTest::newRow("128 characters") << QString(128, u'x') << QString(128, u'x') << true;
        QTest::newRow("Western European letters")
            << QStringLiteral("cr\u00E8me") << QStringLiteral("cr\u00E8me") << true;
        QTest::newRow("outside the code page") << QStringLiteral("\u0416uk") << QStringLiteral("\u0416uk") << false;
    }

    void okWantsTwoEqualStorablePasswords()
    {
        QFETCH(QString, typed);
        QFETCH(QString, confirmed);
        QFETCH(bool, enabled);
        Browser browser;
        ChangePassword* window = openFor(browser, 0);
        QVERIFY(window);
        field(window, "newPassword")->setText(typed);
        field(window, "confirmPassword")->setText(confirmed);
        QCOMPARE(okButton(window)->isEnabled(), enabled);
        // Grey, it says why.
        QCOMPARE(window->okRefusal().isEmpty(), enabled);
        // Enter presses OK only when it is enabled.
        QTest::keyClick(field(window, "confirmPassword"), Qt::Key_Return);
        QCOMPARE(browser.fixture.program->changePassword() == nullptr || !window->isVisible(), enabled);
    }

    void okStoresUnderAFreshSaltAndSaves()
    {
        Browser browser;
        const KeyRecord before = browser.table().slot(2);
        const QByteArray otherKey = browser.table().slot(1).salt;
        ChangePassword* window = openFor(browser, 1);
        QTest::keyClicks(field(window, "newPassword"), QStringLiteral("fresh one"));
        QTest::keyClick(field(window, "newPassword"), Qt::Key_Tab);
        QTest::keyClicks(window->focusWidget(), QStringLiteral("fresh one"));
        QTest::keyClick(window->focusWidget(), Qt::Key_Return);
        QVERIFY(!window->isVisible());

        QCOMPARE(usablePassword(browser.table().slot(2)), QByteArray("fresh one"));
        QCOMPARE(browser.table().slot(2).password.size(), passwordBufferSize);
        QVERIFY(browser.table().slot(2).salt != before.salt);
        QCOMPARE(browser.table().slot(2).dateCreated, before.dateCreated);
        QCOMPARE(browser.table().slot(1).salt, otherKey);
        QCOMPARE(browser.window->keyView()->selectedRow(), 1);
        QCOMPARE(browser.window->statusText(), passwordChangedText());
        // Saved at once.
        const KeyRingReadResult stored = readKeyRing(browser.fixture.path(QStringLiteral("Ann.keyRing")));
        QCOMPARE(stored.table.slot(2).salt, browser.table().slot(2).salt);
    }

    void cancelAndEscStoreNothing_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Esc") << true;
    }

    void cancelAndEscStoreNothing()
    {
        QFETCH(bool, escape);
        Browser browser;
        const KeyRecord before = ownCopy(browser.table().slot(1)); // the change wipes the old password in place
        const QByteArray file = fileBytes(browser.fixture.path(QStringLiteral("Ann.keyRing")));
        ChangePassword* window = openFor(browser, 0);
        field(window, "newPassword")->setText(QStringLiteral("unwanted"));
        field(window, "confirmPassword")->setText(QStringLiteral("unwanted"));
        if (escape)
            QTest::keyClick(window, Qt::Key_Escape);
        else
            window->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
        QVERIFY(!window->isVisible());
        QCOMPARE(browser.table().slot(1), before);
        QCOMPARE(fileBytes(browser.fixture.path(QStringLiteral("Ann.keyRing"))), file);
    }

    void generateFillsBothAndShowUnmasks()
    {
        Browser browser;
        ChangePassword* window = openFor(browser, 0);
        window->findChild<QPushButton*>(QStringLiteral("generatePassword"))->click();
        const QString generated = field(window, "newPassword")->text();
        QCOMPARE(generated.size(), GeneratorOptions::defaultLength);
        QCOMPARE(window->generator()->resultText(), QStringLiteral("130.9 bits"));
        QCOMPARE(field(window, "confirmPassword")->text(), generated);
        QVERIFY(okButton(window)->isEnabled());
        auto* show = window->findChild<QCheckBox*>(QStringLiteral("showPassword"));
        for (bool shown : {true, false}) {
            show->setChecked(shown);
            for (const char* name : {"newPassword", "confirmPassword"})
                QCOMPARE(field(window, name)->echoMode(), shown ? QLineEdit::Normal : QLineEdit::Password);
        }
    }

    void aSaveThatFailsChangesNothing()
    {
        Browser browser;
        const KeyRecord before = ownCopy(browser.table().slot(1)); // the change wipes the old password in place
        const QByteArray file = fileBytes(browser.fixture.path(QStringLiteral("Ann.keyRing")));
        ChangePassword* window = openFor(browser, 0);
        field(window, "newPassword")->setText(QStringLiteral("never stored"));
        field(window, "confirmPassword")->setText(QStringLiteral("never stored"));
        {
            FileSizeLimit limit(64);
            QVERIFY(limit.active());
            okButton(window)->click();
        }
        QVERIFY(window->isVisible());
        const QList<MessageBox::Shown> shown = MessageBox::takeRecorded();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().text.contains(QString::fromLocal8Bit(std::strerror(EFBIG))),
                 qPrintable(shown.first().text));
        QCOMPARE(browser.table().slot(1), before);
        QCOMPARE(fileBytes(browser.fixture.path(QStringLiteral("Ann.keyRing"))), file);
    }
};

QTEST_MAIN(TestUiChangePassword)
#include "test_ui_change_password.moc"
