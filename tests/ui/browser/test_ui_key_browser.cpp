// The key browser window: its model, menus, toolbar, views, pop-up rule, layout, drops and refresh.
#include "ui/browser/key_browser.h"
#include "ui/browser/key_view_layout.h"
#include "ui/widgets/key_table_model.h"
#include "ui/widgets/twips.h"
#include "ui_fixture.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QStyleOptionMenuItem>
#include <QToolBar>
#include <QTreeView>

using namespace tessary;
using tessary::test::Fixture;

using tessary::test::Browser;

namespace {

// How a menu draws one of its items: a check mark or a radio bullet, and whether it is set.
struct MenuPeek : QMenu
{
    static QStyleOptionMenuItem option(const QMenu* menu, const QAction* item)
    {
        QStyleOptionMenuItem option;
        (menu->*(&MenuPeek::initStyleOption))(&option, item);
        return option;
    }
};

} // namespace

class TestUiKeyBrowser : public QObject
{
    Q_OBJECT
private slots:
    void keyViewSize_data()
    {
        QTest::addColumn<QSize>("outer");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("statusBar");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("design example") << QSize(8000, 6000) << 360 << 255 << QSize(7900, 4685);
        QTest::newRow("initial window") << QSize(7380, 4500) << 360 << 255 << QSize(7280, 3185);
        QTest::newRow("exactly the bars") << QSize(100, 1315) << 360 << 255 << QSize(0, 0);
        QTest::newRow("smaller than the bars") << QSize(60, 900) << 360 << 255 << QSize(0, 0);
    }

    void keyViewSize()
    {
        QFETCH(QSize, outer);
        QFETCH(int, top);
        QFETCH(int, statusBar);
        QFETCH(QSize, expected);
        QCOMPARE(tessary::keyViewSize(outer, top, statusBar), expected);
    }

    void twips()
    {
        QCOMPARE(twipsToPixels(7260, 96), 484);
        QCOMPARE(pixelsToTwips(484, 96), 7260);
        QCOMPARE(twipsToPixels(1440, 120), 120);
    }

    void init() { MessageBox::setRecording(true); }

    void modelFollowsTheTable()
    {
        KeyTable table;
        KeyTableModel model(table);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 0);
        for (const char* name : {"one", "two", "three"}) {
            KeyRecord record;
            record.name = name;
            QCOMPARE(model.addKey(record), KeyTable::AddResult::Added);
        }
        QCOMPARE(model.rowCount(), 3);
        QVERIFY(model.removeKey(1));
        QCOMPARE(model.rowCount(), table.keyCount());
        QVERIFY(!model.removeKey(3));
        QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("two"));
        table.clear();
        model.reload();
        QCOMPARE(model.rowCount(), 0);
    }

    void modelColumns()
    {
        KeyTable table;
        KeyRecord record;
        record.name = "bank \xe9"; // code page 1252: e acute
        record.url = "https://bank.example";
        record.userName = "ann";
        table.addKey(record, QDateTime(QDate(2026, 12, 6), QTime(14, 5)));
        KeyTableModel model(table);
        model.setLocale(QLocale(QLocale::English, QLocale::UnitedKingdom));
        const QStringList headers{QStringLiteral("Keys"), QStringLiteral("URL"), QStringLiteral("Username"),
                                  QStringLiteral("Creation Date")};
        const QStringList row{QStringLiteral("bank \u00e9"), QStringLiteral("https://bank.example"),
                              QStringLiteral("ann"), QStringLiteral("14:05 06/12/2026")};
        for (int column = 0; column < 4; ++column) {
            QCOMPARE(model.headerData(column, Qt::Horizontal).toString(), headers[column]);
            QCOMPARE(model.index(0, column).data().toString(), row[column]);
        }
        QVERIFY(!model.index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(!model.index(0, 1).data(Qt::DecorationRole).isValid());
    }

    void window()
    {
        Browser browser;
        QVERIFY(browser.window);
        QCOMPARE(browser.window->windowTitle(), QStringLiteral("Tessary"));
        QVERIFY(!browser.window->windowIcon().isNull());
        QCOMPARE(browser.window->statusText(), QStringLiteral("Tessory v0.1 Alpha II"));
        QCOMPARE(browser.window->keyView()->viewMode(), KeyView::Report);
        QCOMPARE(browser.window->model()->rowCount(), 3);
        QTreeView* details = browser.window->keyView()->detailsView();
        QCOMPARE(details->header()->count(), 4);
        // Never narrower than the design, wide enough for each header and each row's text in this font, and all
        // four side by side in the list at the window's first size.
        const int dpi = browser.window->logicalDpiY();
        const int designTwips[] = {1860, 1860, 1440, 1440};
        int total = 0;
        for (int column = 0; column < 4; ++column) {
            QVERIFY(details->columnWidth(column) >= twipsToPixels(designTwips[column], dpi));
            QVERIFY(details->columnWidth(column) >= details->header()->sectionSizeHint(column));
            total += details->columnWidth(column);
        }
        for (int row = 0; row < 3; ++row) {
            const QModelIndex stamp = browser.window->model()->index(row, KeyTableModel::CreationColumn);
            QVERIFY(details->columnWidth(KeyTableModel::CreationColumn) >= details->sizeHintForIndex(stamp).width());
        }
        QVERIFY(QTest::qWaitForWindowExposed(browser.window));
        QVERIFY(total <= details->viewport()->width());
        // Shown, the columns run to the list's right edge, the stamp still whole.
        int shown = 0;
        for (int column = 0; column < 4; ++column)
            shown += details->columnWidth(column);
        QCOMPARE(shown, details->viewport()->width());
        QVERIFY(details->columnWidth(KeyTableModel::CreationColumn) >=
                details->sizeHintForIndex(browser.window->model()->index(0, KeyTableModel::CreationColumn)).width());
    }

    void menuItems_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QKeySequence>("shortcut");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("checkState"); // -1 not checkable, 0 unchecked, 1 checked
        const QKeySequence none;
        auto row = [](const char* name, const char* caption, const QKeySequence& key, bool enabled, int check) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(caption) << key << enabled << check;
        };
        row("menuFile", "&File", none, true, -1);
        row("menuImportKeyring", "&Import Keyring", none, true, -1);
        row("menuExportKeyring", "&Export Keyring", QKeySequence(Qt::CTRL | Qt::Key_E), true, -1);
        row("menuLock", "&Lock", QKeySequence(Qt::CTRL | Qt::Key_L), true, -1);
        row("menuExit", "E&xit", none, true, -1);
        row("ViewMenu", "&View", none, true, -1);
        row("ViewToolbar", "&Toolbar", none, false, 1);
        row("ViewStatusbar", "&Status Bar", none, false, 1);
        row("LargeIconView", "Lar&ge Icons", none, true, 0);
        row("SmallIconView", "S&mall  Icons", none, true, 0);
        row("ListView", "&List", none, true, 0);
        row("ReportView", "&Details", none, true, 1);
        row("Sortby", "&Arrange Icons", none, false, -1);
        row("SortbyName", "&Key Name", none, true, -1);
        row("SortbyDate", "&Key Date", none, true, -1);
        row("SortbyDescription", "&Key Description", none, true, -1);
        row("lineUpIcons", "Line &Up Icons", none, true, -1);
        row("menuRefreshDisplay", "&Refresh", none, true, -1);
        row("viewOptions", "&Options...", none, true, -1);
        row("menuUndoDelete", "&Undo Delete", QKeySequence(Qt::CTRL | Qt::Key_Z), false, -1); // nothing deleted yet
        row("menuKey", "&Key", none, true, -1);
        row("menuGotoPage", "&Open URL", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_U), true, -1);
        row("copyPassword", "&Copy Password", QKeySequence(Qt::CTRL | Qt::Key_C), true, -1);
        row("menuNewKey", "&New Key", QKeySequence(Qt::CTRL | Qt::Key_N), true, -1);
        row("menuDeleteKey", "&Delete Key", QKeySequence(Qt::Key_Delete), true, -1);
        row("menuRenameKey", "&Rename Key", QKeySequence(Qt::Key_F2), true, -1);
        row("menuKeyProperties", "Key &Properties", QKeySequence(Qt::Key_F4), true, -1);
        row("menuHelp", "&Help", none, true, -1);
        row("menuWebUpdate", "&Web Update", none, false, -1);
        row("menuDocumentation", "&Documentation", QKeySequence(Qt::Key_F1), true, -1);
        row("menuAbout", "&About", none, true, -1);
        row("popupCopyPassword", "&Copy Password", none, true, -1);
        row("popUpKeyProps", "&Key Properties", none, true, -1);
    }

    void menuItems()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QKeySequence, shortcut);
        QFETCH(bool, enabled);
        QFETCH(int, checkState);
        Browser browser;
        QAction* item = browser.window->action(name);
        QVERIFY2(item, qPrintable(name));
        QCOMPARE(item->text(), caption);
        QCOMPARE(item->shortcut(), shortcut);
        QCOMPARE(item->isEnabled(), enabled);
        QCOMPARE(item->isCheckable() ? int(item->isChecked()) : -1, checkState);
    }

    void menuOrder()
    {
        Browser browser;
        QStringList menus;
        for (QAction* menu : browser.window->menuBar()->actions())
            menus << menu->objectName();
        QCOMPARE(menus, (QStringList{QStringLiteral("menuFile"), QStringLiteral("menuEdit"), QStringLiteral("ViewMenu"),
                                     QStringLiteral("menuKey"), QStringLiteral("menuHelp")}));
        auto names = [&](const char* menu) {
            QStringList items;
            for (QAction* item : browser.window->findChild<QMenu*>(QLatin1String(menu))->actions())
                items << item->objectName();
            return items.join(QLatin1Char(' '));
        };
        QCOMPARE(names("menuFile"), QStringLiteral("menuImportKeyring menuExportKeyring menuImportFrom menuExportTo "
                                                   "menuChangeMasterPassword menuKeyRingSecurity menuFileSeperator menuLock "
                                                   "menuLogOut menuFileSeperatorLock menuExit"));
        QCOMPARE(names("ViewMenu"), QStringLiteral("ViewToolbar ViewStatusbar ViewSep LargeIconView SmallIconView "
                                                   "ListView ReportView ViewSep2 Sortby lineUpIcons ViewSep3 "
                                                   "menuFind menuKeyHealth ViewSep4 menuRefreshDisplay viewOptions"));
        QCOMPARE(names("menuKey"),
                 QStringLiteral("copyPassword menuCopyUserName menuKeySeperatorC menuNewKey menuDeleteKey "
                                "menuKeySeperatorA menuRenameKey menuKeyProperties "
                                "menuChangePassword menuKeySeperatorB menuGotoPage"));
        QCOMPARE(names("menuHelp"), QStringLiteral("menuWebUpdate menuDocumentation menuHelpSeperator menuAbout"));
        QCOMPARE(names("popUp"), QStringLiteral("popupCopyPassword sepa popUpKeyProps"));
        QCOMPARE(names("Sortby"), QStringLiteral("SortbyName SortbyDate SortbyDescription"));
    }

    // The size and the view of the last session come back with the next key browser.
    void remembersItsSizeAndView()
    {
        Browser browser;
        browser.window->resize(700, 500);
        browser.window->switchView(KeyView::List);
        browser.window->Form_Unload();
        KeyBrowser again(browser.fixture.program->session(), *browser.window->model());
        QCOMPARE(again.size(), QSize(700, 500));
        QCOMPARE(again.keyView()->viewMode(), KeyView::List);
        QVERIFY(again.action(QStringLiteral("ListView"))->isChecked());
        QVERIFY(!again.action(QStringLiteral("ReportView"))->isChecked());
    }

    void toolbar()
    {
        Browser browser;
        const QList<QAction*> buttons = browser.window->findChild<QToolBar*>(QStringLiteral("Toolbar1"))->actions();
        QCOMPARE(buttons.size(), 7);
        const char* tips[] = {"Export Keyring", "Import Keyring", nullptr,    "Add New Key",
                              "Delete Key",     nullptr,          "Goto Page"};
        for (int i = 0; i < 7; ++i) {
            QCOMPARE(buttons[i]->data().toInt(), i + 1);
            QCOMPARE(buttons[i]->isSeparator(), tips[i] == nullptr);
            if (tips[i]) {
                QCOMPARE(buttons[i]->toolTip(), QLatin1String(tips[i]));
                QVERIFY(!buttons[i]->icon().isNull());
            }
        }
    }

    void viewSwitch_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("mode");
        QTest::newRow("large icons") << QStringLiteral("LargeIconView") << int(KeyView::LargeIcon);
        QTest::newRow("small icons") << QStringLiteral("SmallIconView") << int(KeyView::SmallIcon);
        QTest::newRow("list") << QStringLiteral("ListView") << int(KeyView::List);
        QTest::newRow("details") << QStringLiteral("ReportView") << int(KeyView::Report);
    }

    void viewSwitch()
    {
        QFETCH(QString, item);
        QFETCH(int, mode);
        Browser browser;
        browser.window->action(QStringLiteral("SmallIconView"))->trigger();
        browser.window->action(item)->trigger();
        QCOMPARE(int(browser.window->keyView()->viewMode()), mode);
        const QMenu* viewMenu = browser.window->findChild<QMenu*>(QStringLiteral("ViewMenu"));
        for (const char* other : {"LargeIconView", "SmallIconView", "ListView", "ReportView"}) {
            const QAction* action = browser.window->action(QLatin1String(other));
            QCOMPARE(action->isChecked(), item == QLatin1String(other));
            const QStyleOptionMenuItem drawn = MenuPeek::option(viewMenu, action);
            QCOMPARE(drawn.checkType, QStyleOptionMenuItem::NonExclusive);
            QCOMPARE(drawn.checked, item == QLatin1String(other));
        }
        KeyView* view = browser.window->keyView();
        if (mode == KeyView::Report) {
            QCOMPARE(view->currentWidget(), static_cast<QWidget*>(view->detailsView()));
            QCOMPARE(view->detailsView()->header()->count(), 4);
        } else {
            QCOMPARE(view->currentWidget(), static_cast<QWidget*>(view->listView()));
            QCOMPARE(view->listView()->viewMode(),
                     mode == KeyView::LargeIcon ? QListView::IconMode : QListView::ListMode);
            QCOMPARE(view->listView()->iconSize(), mode == KeyView::LargeIcon ? QSize(32, 32) : QSize(16, 16));
            QCOMPARE(view->listView()->flow(), mode == KeyView::List ? QListView::TopToBottom : QListView::LeftToRight);
        }
        QCOMPARE(view->currentView()->model()->rowCount(), 3);
    }

    void popupOnlyOverARow_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("overRow");
        QTest::newRow("details, row") << int(KeyView::Report) << true;
        QTest::newRow("details, empty space") << int(KeyView::Report) << false;
        QTest::newRow("large icons, row") << int(KeyView::LargeIcon) << true;
        QTest::newRow("list, empty space") << int(KeyView::List) << false;
    }

    void popupOnlyOverARow()
    {
        QFETCH(int, mode);
        QFETCH(bool, overRow);
        Browser browser;
        browser.window->resize(600, 400);
        browser.window->switchView(KeyView::ViewMode(mode));
        QAbstractItemView* view = browser.window->keyView()->currentView();
        QVERIFY(QTest::qWaitForWindowExposed(browser.window));
        const QPoint point = overRow ? view->visualRect(view->model()->index(1, 0)).center()
                                     : QPoint(view->viewport()->width() - 3, view->viewport()->height() - 3);
        QTest::mousePress(view->viewport(), Qt::RightButton, {}, point);
        QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, point);
        QMenu* popup = browser.window->popupMenu();
        QCOMPARE(popup->isVisible(), overRow);
        if (overRow) {
            QCOMPARE(popup->defaultAction(), browser.window->action(QStringLiteral("popupCopyPassword")));
            QCOMPARE(browser.window->keyView()->selectedRow(), 1);
        }
        popup->hide();
    }

    // The keyboard's ways to the same menu, at the selected row, in a list and in details.
    void popupByKeyboard_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("selected");
        QTest::newRow("Menu key, details") << int(KeyView::Report) << int(Qt::Key_Menu) << 0 << true;
        QTest::newRow("Shift+F10, list") << int(KeyView::List) << int(Qt::Key_F10) << int(Qt::ShiftModifier) << true;
        QTest::newRow("F10 alone") << int(KeyView::Report) << int(Qt::Key_F10) << 0 << true;
        QTest::newRow("Menu key, nothing selected") << int(KeyView::Report) << int(Qt::Key_Menu) << 0 << false;
    }

    void popupByKeyboard()
    {
        QFETCH(int, mode);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, selected);
        Browser browser;
        browser.window->resize(600, 400);
        browser.window->switchView(KeyView::ViewMode(mode));
        QVERIFY(QTest::qWaitForWindowExposed(browser.window));
        if (selected)
            browser.select(2);
        else
            browser.window->keyView()->selectionModel()->clearSelection();
        QAbstractItemView* view = browser.window->keyView()->currentView();
        QTest::keyClick(view, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QMenu* popup = browser.window->popupMenu();
        const bool expected = selected && (key == Qt::Key_Menu || modifiers == Qt::ShiftModifier);
        QCOMPARE(popup->isVisible(), expected);
        if (expected)
            QVERIFY(popup->geometry().contains(
                view->viewport()->mapToGlobal(view->visualRect(view->model()->index(2, 0)).center()) + QPoint(1, 1)));
        popup->hide();
    }

    void noMenuOverTheBars()
    {
        Browser browser;
        QVERIFY(QTest::qWaitForWindowExposed(browser.window));
        for (QWidget* bar : {static_cast<QWidget*>(browser.window->findChild<QToolBar*>(QStringLiteral("Toolbar1"))),
                             static_cast<QWidget*>(browser.window->menuBar())}) {
            const QPoint point(bar->width() - 4, bar->height() / 2);
            QContextMenuEvent click(QContextMenuEvent::Mouse, point, bar->mapToGlobal(point));
            QCoreApplication::sendEvent(bar, &click);
            QVERIFY2(!QApplication::activePopupWidget(), qPrintable(bar->objectName()));
        }
    }

    void longNamesStayInTheirCell_data()
    {
        QTest::addColumn<KeyView::ViewMode>("mode");
        QTest::newRow("large icons") << KeyView::LargeIcon;
        QTest::newRow("small icons") << KeyView::SmallIcon;
        QTest::newRow("list") << KeyView::List;
    }

    void longNamesStayInTheirCell()
    {
        QFETCH(KeyView::ViewMode, mode);
        Browser browser({"short", QByteArray(80, 'w'), "next"});
        browser.window->switchView(mode);
        QVERIFY(QTest::qWaitForWindowExposed(browser.window));
        QListView* list = browser.window->keyView()->listView();
        const QRect cell = list->visualRect(browser.window->model()->index(1, 0));
        QVERIFY2(cell.width() <= list->gridSize().width(), qPrintable(QString::number(cell.width())));
    }

    void resizeFollowsTheWindow_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("default") << QSize();
        QTest::newRow("larger") << QSize(600, 420);
        QTest::newRow("narrow and short") << QSize(240, 150);
    }

    void resizeFollowsTheWindow()
    {
        QFETCH(QSize, size);
        Browser browser;
        if (size.isValid())
            browser.window->resize(size);
        QVERIFY(QTest::qWaitForWindowExposed(browser.window));
        QCoreApplication::processEvents();
        // Exactly the client area between the bars: no strip at the right, no band above the status bar.
        const QWidget* client = browser.window->centralWidget();
        QCOMPARE(browser.window->keyView()->geometry(), client->rect());
        QCOMPARE(client->geometry().bottom() + 1, browser.window->statusBar()->geometry().top());
        QCOMPARE(client->width(), browser.window->width());
        const QSize list = browser.window->keyView()->size();

        browser.window->setWindowState(Qt::WindowMinimized);
        browser.window->resize(300, 200);
        browser.window->Form_Resize();
        QCOMPARE(browser.window->keyView()->size(), list);
    }

    void fileDrop_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("message");
        QTest::newRow("a file") << QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/tmp/keys.txt"))} << QString()
                                << true;
        QTest::newRow("text only") << QList<QUrl>{} << QStringLiteral("some text") << false;
        QTest::newRow("a web address") << QList<QUrl>{QUrl(QStringLiteral("https://example.org"))} << QString()
                                       << false;
    }

    void fileDrop()
    {
        QFETCH(QList<QUrl>, urls);
        QFETCH(QString, text);
        QFETCH(bool, message);
        Browser browser;
        QMimeData data;
        if (!urls.isEmpty())
            data.setUrls(urls);
        if (!text.isEmpty())
            data.setText(text);
        QWidget* viewport = browser.window->keyView()->currentView()->viewport();
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(viewport, &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(enter.dropAction(), Qt::CopyAction);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(viewport, &drop);
        QCOMPARE(drop.dropAction(), Qt::CopyAction);
        QCOMPARE(Fixture::texts(MessageBox::takeRecorded()),
                 message ? QStringList{QStringLiteral("Soon to come...")} : QStringList{});
        QCOMPARE(browser.window->model()->rowCount(), 3);
        QCOMPARE(browser.table().keyCount(), 3);
    }

    void refreshDoesNotReload()
    {
        Browser browser;
        KeyRecord record;
        record.name = "added elsewhere";
        browser.table().addKey(record);
        browser.window->action(QStringLiteral("menuRefreshDisplay"))->trigger();
        QCOMPARE(browser.window->model()->rowCount(), 3);
        // A login refills from scratch.
        browser.window->showKeyRing();
        QCOMPARE(browser.window->model()->rowCount(), 4);
    }

    void exitSavesAndEnds()
    {
        Browser browser;
        QVERIFY(browser.window->model()->removeKey(1));
        browser.window->action(QStringLiteral("menuExit"))->trigger();
        QCOMPARE(browser.fixture.ends, 1);
        QCOMPARE(browser.fixture.storedKeys(QStringLiteral("Ann"), QStringLiteral("pw")),
                 (QList<QByteArray>{"beta", "gamma"}));
    }
};

QTEST_MAIN(TestUiKeyBrowser)
#include "test_ui_key_browser.moc"
