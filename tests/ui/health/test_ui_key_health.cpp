// The Key Health window: the keys it lists, a breach list chosen for it, and Change Password from a row.
#include "analysis/breach_list.h"
#include "ui/health/key_health_report.h"
#include "ui/key_properties/change_password.h"
#include "ui_fixture.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>

using namespace tessary;
using tessary::test::Browser;

namespace {

// Weak, Strong and two Twins sharing a strong password.
struct Keys : Browser
{
    Keys() : Browser({"Weak", "Strong", "Twin1", "Twin2"})
    {
        table().slot(1).password = passwordBuffer("password");
        table().slot(2).password = passwordBuffer("Zp3$kW9!qLm2#vXt7&Hb");
        table().slot(3).password = passwordBuffer("Vq8#mT2!xLp9$wRz4&Nc");
        table().slot(4).password = passwordBuffer("Vq8#mT2!xLp9$wRz4&Nc");
    }

    KeyHealthReport* open()
    {
        window->action(QStringLiteral("menuKeyHealth"))->trigger();
        return fixture.program->keyHealth();
    }
};

QStringList rows(KeyHealthReport* report, int column)
{
    QStringList texts;
    for (int row = 0; row < report->table()->topLevelItemCount(); ++row)
        texts.append(report->table()->topLevelItem(row)->text(column));
    return texts;
}

} // namespace

class TestUiKeyHealth : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::setRecording(true); }

    void listsTheKeysThatNeedAttention()
    {
        Keys keys;
        KeyHealthReport* report = keys.open();
        QVERIFY(report);
        QCOMPARE(rows(report, KeyHealthReport::KeyColumn),
                 (QStringList{QStringLiteral("Weak"), QStringLiteral("Twin1"), QStringLiteral("Twin2")}));
        QCOMPARE(rows(report, KeyHealthReport::ReasonsColumn),
                 (QStringList{QStringLiteral("weak"), QStringLiteral("reused"), QStringLiteral("reused")}));
        QCOMPARE(report->summary(), QStringLiteral("3 of 4 keys need attention."));
        QVERIFY(report->table()->isColumnHidden(KeyHealthReport::BreachesColumn));
        // No password anywhere in it.
        for (int column = 0; column < report->table()->columnCount(); ++column)
            QVERIFY(!rows(report, column).join(QLatin1Char(' ')).contains(QStringLiteral("Vq8#")));
    }

    // A 255-character name gives up its middle: Reasons, Score and Bits stay in the window; the whole name is the
    // cell's tool tip and what a screen reader hears.
    void longNamesLeaveTheOtherColumnsInSight()
    {
        Keys keys;
        const QString name = QString(127, u'a') + u'M' + QString(127, u'z');
        keys.table().slot(1).name = toCodePage(name);
        KeyHealthReport* report = keys.open();
        QVERIFY(QTest::qWaitForWindowExposed(report));
        QTreeWidgetItem* row = report->table()->topLevelItem(0);
        QCOMPARE(row->text(KeyHealthReport::KeyColumn), name);
        QCOMPARE(row->toolTip(KeyHealthReport::KeyColumn), name);
        QCOMPARE(row->data(KeyHealthReport::KeyColumn, Qt::AccessibleTextRole).toString(), name);
        QCOMPARE(report->table()->textElideMode(), Qt::ElideMiddle);
        const QHeaderView* header = report->table()->header();
        for (int column : {KeyHealthReport::ReasonsColumn, KeyHealthReport::ScoreColumn, KeyHealthReport::BitsColumn})
            QVERIFY2(header->sectionViewportPosition(column) + header->sectionSize(column) <=
                         report->table()->viewport()->width(),
                     qPrintable(QString::number(column)));
        QVERIFY(header->sectionSize(KeyHealthReport::ReasonsColumn) > 40);
    }

    void tabLeavesTheTable()
    {
        Keys keys;
        KeyHealthReport* report = keys.open();
        QVERIFY(QTest::qWaitForWindowActive(report));
        report->table()->setFocus();
        QTest::keyClick(report->table(), Qt::Key_Tab);
        QCOMPARE(report->focusWidget()->objectName(), QStringLiteral("breachListButton"));
    }

    void aRememberedBreachListAddsItsReason()
    {
        Keys keys;
        const QString list = keys.fixture.path(QStringLiteral("breaches.txt"));
        QVERIFY(writeFile(list, sha1Hex("password") + ":3861493\n"));
        QSettings(QStringLiteral("Tessary"), QStringLiteral("Tessary")).setValue(breachListSetting(), list);
        KeyHealthReport* report = keys.open();
        QCOMPARE(rows(report, KeyHealthReport::ReasonsColumn).first(), QStringLiteral("weak, breached"));
        QCOMPARE(rows(report, KeyHealthReport::BreachesColumn).first(), QStringLiteral("3861493"));
        QVERIFY(!report->table()->isColumnHidden(KeyHealthReport::BreachesColumn));
    }

    void aBreachListOutOfOrderIsRefused()
    {
        Keys keys;
        const QString list = keys.fixture.path(QStringLiteral("breaches.txt"));
        QByteArray reversed;
        for (int i = 0; i < 300; ++i)
            reversed.prepend(QByteArray::number(i, 16).rightJustified(40, '0') + ":1\n");
        QVERIFY(writeFile(list, reversed + sha1Hex("password") + ":3861493\n"));
        QSettings(QStringLiteral("Tessary"), QStringLiteral("Tessary")).setValue(breachListSetting(), list);
        KeyHealthReport* report = keys.open();
        QCOMPARE(report->findChild<QLabel*>(QStringLiteral("breachListPath"))->text(),
                 QStringLiteral("breaches.txt is not sorted by hash; sort it with `sort -t: -k1,1`"));
        QVERIFY(report->table()->isColumnHidden(KeyHealthReport::BreachesColumn));
    }

    void enterOpensChangePasswordAndTheReportFollows()
    {
        Keys keys;
        KeyHealthReport* report = keys.open();
        report->table()->setCurrentItem(report->table()->topLevelItem(1)); // Twin1
        QTest::keyClick(report->table(), Qt::Key_Return);
        ChangePassword* change = keys.fixture.program->changePassword();
        QVERIFY(change);
        QCOMPARE(change->keySlot(), 3);
        QCOMPARE(change->parentWidget(), static_cast<QWidget*>(report));
        for (const char* name : {"newPassword", "confirmPassword"})
            change->findChild<QLineEdit*>(QLatin1String(name))->setText(QStringLiteral("Kd8!pQ3#zW7$rT1&yU5"));
        change->accept();
        QCOMPARE(rows(report, KeyHealthReport::KeyColumn), QStringList{QStringLiteral("Weak")});
        QCOMPARE(report->summary(), QStringLiteral("1 of 4 keys need attention."));
        QTest::keyClick(report, Qt::Key_Escape);
        QVERIFY(!report->isVisible());
    }
};

QTEST_MAIN(TestUiKeyHealth)
#include "test_ui_key_health.moc"
