// Find: which keys the filter leaves, the status count, Enter and Esc, and commands on the filtered list acting on
// the key selected there.
#include "ui/browser/key_filter_model.h"
#include "ui/key_properties/modify_key.h"
#include "ui/widgets/key_table_model.h"
#include "ui_fixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListView>
#include <QToolBar>
#include <QTreeView>

using namespace tessary;
using tessary::test::Browser;

namespace {

// alpha, beta, gamma, delta; beta's notes and gamma's user name hold "Blue".
struct Keys : Browser
{
    Keys() : Browser({"alpha", "beta", "gamma", "delta"})
    {
        table().slot(2).description = "the blue one";
        table().slot(3).userName = "BLUE-user";
        window->showKeyRing();
    }

    QStringList shown() const
    {
        QStringList names;
        for (int row = 0; row < window->filterModel()->rowCount(); ++row)
            names.append(window->filterModel()->index(row, KeyTableModel::KeyColumn).data().toString());
        return names;
    }

    void find(const QString& text)
    {
        window->action(QStringLiteral("menuFind"))->trigger();
        window->findBox()->setText(text);
    }
};

} // namespace

class TestUiFind : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::setRecording(true); }

    void whatTheFilterLeaves_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("a name") << QStringLiteral("ALP") << QStringList{QStringLiteral("alpha")};
        QTest::newRow("notes and a user name, any case")
            << QStringLiteral("blue") << QStringList{QStringLiteral("beta"), QStringLiteral("gamma")};
        QTest::newRow("a URL") << QStringLiteral("delta.example") << QStringList{QStringLiteral("delta")};
        QTest::newRow("nothing matches") << QStringLiteral("zzz") << QStringList{};
        QTest::newRow("no text") << QString()
                                 << QStringList{QStringLiteral("alpha"), QStringLiteral("beta"),
                                                QStringLiteral("gamma"), QStringLiteral("delta")};
    }

    void whatTheFilterLeaves()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, shown);
        Keys keys;
        keys.find(text);
        QCOMPARE(keys.shown(), shown);
        // Every view shows the one filtered model.
        QCOMPARE(keys.window->keyView()->listView()->model(), keys.window->filterModel());
        QCOMPARE(keys.window->keyView()->detailsView()->model(), keys.window->filterModel());
        if (!text.isEmpty())
            QCOMPARE(keys.window->statusText(), QStringLiteral("%1 of 4 keys").arg(shown.size()));
    }

    void enterSelectsTheFirstMatchForCtrlC()
    {
        Keys keys;
        keys.window->show();
        QVERIFY(QTest::qWaitForWindowActive(keys.window));
        QTest::keyClick(keys.window, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(keys.window->findBox()->hasFocus());
        QTest::keyClicks(keys.window->findBox(), QStringLiteral("gam"));
        QTest::keyClick(keys.window->findBox(), Qt::Key_Return);
        QVERIFY(keys.window->keyView()->detailsView()->hasFocus());
        QTest::keyClick(keys.window->keyView()->detailsView(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("secret-gamma"));

        // Esc in the filtered list shows every key again, gamma still selected.
        QTest::keyClick(keys.window->keyView()->detailsView(), Qt::Key_Escape);
        QCOMPARE(keys.shown().size(), 4);
        QVERIFY(!keys.window->findChild<QToolBar*>(QStringLiteral("findBar"))->isVisible());
        QCOMPARE(keys.window->keyView()->selectedRow(), 2);
    }

    void escInTheBoxClearsTheFilter()
    {
        Keys keys;
        keys.find(QStringLiteral("blue"));
        QTest::keyClick(keys.window->findBox(), Qt::Key_Escape);
        QCOMPARE(keys.shown().size(), 4);
        QCOMPARE(keys.window->findBox()->text(), QString());
    }

    void commandsActOnTheKeySelectedInTheFilteredList()
    {
        Keys keys;
        keys.find(QStringLiteral("blue"));
        // Row 1 of the filtered list is gamma, the table's slot 3.
        keys.select(1);
        MessageBox::setNextAnswer(true);
        keys.window->deleteKey();
        QCOMPARE(keys.fixture.storedKeys(QStringLiteral("Ann"), QStringLiteral("pw")),
                 (QList<QByteArray>{"alpha", "beta", "delta"}));
        QCOMPARE(keys.shown(), QStringList{QStringLiteral("beta")});

        keys.select(0);
        QVERIFY(keys.window->filterModel()->setData(keys.window->filterModel()->index(0, KeyTableModel::KeyColumn),
                                                    QStringLiteral("blue beta")));
        QCOMPARE(keys.table().slot(2).name, QByteArray("blue beta"));
        QCOMPARE(keys.table().slot(1).name, QByteArray("alpha"));

        keys.window->action(QStringLiteral("menuKeyProperties"))->trigger();
        QVERIFY(keys.fixture.program->modifyKey());
        QCOMPARE(keys.fixture.program->modifyKey()->keySlot(), 2);
    }
};

QTEST_MAIN(TestUiFind)
#include "test_ui_find.moc"
