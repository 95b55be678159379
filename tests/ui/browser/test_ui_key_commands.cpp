// The key browser's commands: the clipboard and its clearing ticks, delete, rename, Goto Page, export, import and
// the capacity test.
#include "app/key_ring_import.h"
#include "crypto/password_hash.h"
#include "small_disk.h"
#include "ui/browser/password_clipboard.h"
#include "ui/key_properties/modify_key.h"
#include "ui/widgets/key_table_model.h"
#include "ui/wizard/new_key.h"
#include "ui_fixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMimeData>
#include <QToolBar>
#include <QTreeView>

using namespace tessary;
using tessary::test::Browser;
using tessary::test::Fixture;

namespace {

QString clipboardText()
{
    return QGuiApplication::clipboard()->text(QClipboard::Clipboard);
}

void tick(KeyBrowser* window, int times)
{
    for (int i = 0; i < times; ++i)
        window->passwordClipboard()->Timer1_Timer();
}

qint64 fileSize(const QString& path)
{
    return QFileInfo(path).size();
}

} // namespace

// Records what Goto Page hands to the system.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class TestUiKeyCommands : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        MessageBox::setRecording(true);
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    }

    void copyAndClearAfter61Ticks()
    {
        Browser browser;
        browser.select(1);
        browser.window->action(QStringLiteral("copyPassword"))->trigger();
        QCOMPARE(clipboardText(), QStringLiteral("secret-beta"));
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("x-kde-passwordManagerHint")),
                 QByteArray("secret"));
        QCOMPARE(browser.window->statusText(), QStringLiteral("Password Copied to Clipboard..."));
        QVERIFY(browser.window->passwordClipboard()->isCounting());
        tick(browser.window, 60);
        QCOMPARE(clipboardText(), QStringLiteral("secret-beta"));
        QVERIFY(browser.window->passwordClipboard()->isCounting());
        tick(browser.window, 1);
        QCOMPARE(clipboardText(), QString());
        QVERIFY(!browser.window->passwordClipboard()->isCounting());
        QCOMPARE(browser.window->statusText(), QStringLiteral("Password Copied to Clipboard..."));
    }

    void otherTextCopiedMeanwhileStays()
    {
        Browser browser;
        browser.select(0);
        browser.window->CopyPasswordToClipboard();
        tick(browser.window, 10);
        QGuiApplication::clipboard()->setText(QStringLiteral("the user's own"));
        tick(browser.window, 1);
        QVERIFY(!browser.window->passwordClipboard()->isCounting());
        tick(browser.window, 60);
        QCOMPARE(clipboardText(), QStringLiteral("the user's own"));
    }

    void secondCopyRestartsTheCount()
    {
        Browser browser;
        browser.select(0);
        browser.window->CopyPasswordToClipboard();
        tick(browser.window, 30);
        browser.select(2);
        browser.window->CopyPasswordToClipboard();
        QCOMPARE(browser.window->passwordClipboard()->clearCountdown(), 60);
        tick(browser.window, 60);
        QCOMPARE(clipboardText(), QStringLiteral("secret-gamma"));
        tick(browser.window, 1);
        QCOMPARE(clipboardText(), QString());
    }

    void idleTickLeavesTheClipboardAlone()
    {
        Browser browser;
        auto* picture = new QMimeData;
        picture->setImageData(QImage(4, 4, QImage::Format_RGB32));
        QGuiApplication::clipboard()->setMimeData(picture);
        tick(browser.window, 2);
        QVERIFY(QGuiApplication::clipboard()->mimeData()->hasImage());
    }

    void copyWaysAndNul_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("copied");
        QTest::newRow("menu") << QByteArray("plain") << QStringLiteral("menu") << QStringLiteral("plain");
        QTest::newRow("pop-up") << QByteArray("plain") << QStringLiteral("popup") << QStringLiteral("plain");
        QTest::newRow("double-click") << QByteArray("plain") << QStringLiteral("double") << QStringLiteral("plain");
        QTest::newRow("Ctrl+C") << QByteArray("plain") << QStringLiteral("keys") << QStringLiteral("plain");
        QTest::newRow("NUL inside") << QByteArray("ab\0cd", 5) << QStringLiteral("menu") << QStringLiteral("ab");
        QTest::newRow("wizard padding") << QByteArray("pw\0    ", 7) << QStringLiteral("menu") << QStringLiteral("pw");
        QTest::newRow("code page") << QByteArray("caf\xe9") << QStringLiteral("menu") << QStringLiteral("caf\u00e9");
    }

    void copyWaysAndNul()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, way);
        QFETCH(QString, copied);
        Browser browser;
        browser.table().slot(2).password = stored;
        browser.select(1);
        QAbstractItemView* view = browser.window->keyView()->currentView();
        if (way == QLatin1String("menu"))
            browser.window->action(QStringLiteral("copyPassword"))->trigger();
        else if (way == QLatin1String("popup"))
            browser.window->action(QStringLiteral("popupCopyPassword"))->trigger();
        else if (way == QLatin1String("double")) {
            QVERIFY(QTest::qWaitForWindowExposed(browser.window));
            const QPoint point = view->visualRect(view->model()->index(1, 0)).center();
            // A double click is a click, then the second press that the system reports as a double click.
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, point);
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, point);
        } else {
            browser.window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(browser.window));
            view->setFocus();
            QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        }
        QCOMPARE(clipboardText(), copied);
    }

    void noSelectionDoesNothing()
    {
        Browser browser;
        browser.window->keyView()->selectionModel()->clearSelection();
        browser.window->CopyPasswordToClipboard();
        MessageBox::setNextAnswer(true);
        browser.window->deleteKey();
        browser.window->startRename();
        browser.window->KeyPropertiesDialog();
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
        browser.window->gotoPage();
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(clipboardText(), QStringLiteral("before"));
        QCOMPARE(browser.table().keyCount(), 3);
        QVERIFY(!browser.fixture.program->modifyKey());
        QVERIFY(recorder.opened.isEmpty());
        QVERIFY(MessageBox::takeRecorded().isEmpty());
    }

    void selectionAfterLoginAndDelete_data()
    {
        QTest::addColumn<QList<QByteArray>>("keys");
        QTest::addColumn<int>("deleteRow"); // -1: none
        QTest::addColumn<QString>("selected");
        const QList<QByteArray> three{"alpha", "beta", "gamma"};
        QTest::newRow("after login") << three << -1 << QStringLiteral("alpha");
        QTest::newRow("no keys") << QList<QByteArray>{} << -1 << QString();
        QTest::newRow("first deleted") << three << 0 << QStringLiteral("beta");
        QTest::newRow("middle deleted") << three << 1 << QStringLiteral("gamma");
        QTest::newRow("last deleted") << three << 2 << QStringLiteral("beta");
        QTest::newRow("only key deleted") << QList<QByteArray>{"alpha"} << 0 << QString();
    }

    void selectionAfterLoginAndDelete()
    {
        QFETCH(QList<QByteArray>, keys);
        QFETCH(int, deleteRow);
        QFETCH(QString, selected);
        Browser browser(keys);
        if (deleteRow >= 0) {
            browser.select(deleteRow);
            MessageBox::setNextAnswer(true);
            browser.window->action(QStringLiteral("menuDeleteKey"))->trigger();
        }
        KeyView* view = browser.window->keyView();
        const int row = view->selectedRow();
        QCOMPARE(row < 0 ? QString() : browser.window->model()->index(row, 0).data().toString(), selected);
        if (row >= 0)
            QCOMPARE(view->selectionModel()->currentIndex().row(), row);
    }

    void keysWorkRightAfterLogin()
    {
        Browser browser;
        browser.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(browser.window));
        QWidget* list = QApplication::focusWidget();
        QCOMPARE(list, static_cast<QWidget*>(browser.window->keyView()->detailsView()));
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboardText(), QStringLiteral("secret-alpha"));
        QTest::keyClick(list, Qt::Key_Down);
        MessageBox::setNextAnswer(true);
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(browser.table().slot(2).name, QByteArray("gamma"));
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboardText(), QStringLiteral("secret-gamma"));
    }

    void deleteAsksThenSavesAtOnce_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<bool>("yes");
        for (const char* trigger : {"menu", "toolbar", "Del"}) {
            QTest::addRow("%s, No", trigger) << QString::fromLatin1(trigger) << false;
            QTest::addRow("%s, Yes", trigger) << QString::fromLatin1(trigger) << true;
        }
    }

    void deleteAsksThenSavesAtOnce()
    {
        QFETCH(QString, trigger);
        QFETCH(bool, yes);
        Browser browser;
        const QString ring = browser.fixture.path(QStringLiteral("Ann.keyRing"));
        const QByteArray file = fileBytes(ring);
        browser.select(1);
        MessageBox::setNextAnswer(yes);
        if (trigger == QLatin1String("menu")) {
            browser.window->action(QStringLiteral("menuDeleteKey"))->trigger();
        } else if (trigger == QLatin1String("toolbar")) {
            browser.window->Toolbar1_ButtonClick(5);
        } else {
            browser.window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(browser.window));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        }
        QCOMPARE(Fixture::texts(MessageBox::takeRecorded()), QStringList{QStringLiteral("Delete the key \"beta\"?")});
        const QList<QByteArray> left =
            yes ? QList<QByteArray>{"alpha", "gamma"} : QList<QByteArray>{"alpha", "beta", "gamma"};
        // In the file before anything closes.
        QCOMPARE(browser.fixture.storedKeys(QStringLiteral("Ann"), QStringLiteral("pw")), left);
        QCOMPARE(browser.window->model()->rowCount(), int(left.size()));
        QCOMPARE(yes, fileBytes(ring) != file);
        QCOMPARE(browser.window->action(QStringLiteral("menuUndoDelete"))->isEnabled(), yes);
    }

    // A delete the disk refuses puts the row back and says why.
    void failedSavesChangeNothing()
    {
        Browser browser;
        const QString ring = browser.fixture.path(QStringLiteral("Ann.keyRing"));
        const QByteArray file = fileBytes(ring);
        browser.select(0);
        {
            FileSizeLimit limit(100);
            QVERIFY(limit.active());
            MessageBox::setNextAnswer(true);
            browser.window->deleteKey();
        }
        QStringList shown = Fixture::texts(MessageBox::takeRecorded());
        QCOMPARE(shown.size(), 2);
        QVERIFY2(shown.last().contains(QStringLiteral("could not be saved")), qPrintable(shown.last()));
        QCOMPARE(browser.window->model()->rowCount(), 3);
        QCOMPARE(browser.window->model()->index(0, 0).data().toString(), QStringLiteral("alpha"));
        QCOMPARE(fileBytes(ring), file);
        QVERIFY(!browser.window->action(QStringLiteral("menuUndoDelete"))->isEnabled());
    }

    void copyUserNameIsClearedAsAPasswordIs()
    {
        Browser browser;
        browser.select(2);
        browser.window->action(QStringLiteral("menuCopyUserName"))->trigger();
        QCOMPARE(clipboardText(), QStringLiteral("user-gamma"));
        QCOMPARE(browser.window->statusText(), userNameCopiedText());
        tick(browser.window, PasswordClipboard::countdownTicks + 1);
        QCOMPARE(clipboardText(), QString());
    }

    void renameInPlaceThenCopy()
    {
        Browser browser;
        browser.window->resize(600, 400);
        QVERIFY(QTest::qWaitForWindowExposed(browser.window));
        browser.select(1);
        browser.window->action(QStringLiteral("menuRenameKey"))->trigger();
        auto* editor = browser.window->keyView()->detailsView()->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("renamed"));
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents(); // the list commits the edit from its queue
        QCOMPARE(browser.table().slot(2).name, QByteArray("renamed"));
        QCOMPARE(browser.window->model()->index(1, 0).data().toString(), QStringLiteral("renamed"));
        browser.window->CopyPasswordToClipboard();
        QCOMPARE(clipboardText(), QStringLiteral("secret-beta"));

        // In the file at once, not only when the program ends.
        QCOMPARE(browser.fixture.storedKeys(QStringLiteral("Ann"), QStringLiteral("pw")),
                 (QList<QByteArray>{"alpha", "renamed", "gamma"}));
    }

    void renameRefusals_data()
    {
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("message");
        QTest::newRow("another key's name") << QStringLiteral("gamma") << QStringLiteral("Names must be unique");
        QTest::newRow("empty") << QString() << emptyKeyNameMessage();
        const QString unstorable = unstorableTextMessage(QStringLiteral("key name"));
        QTest::newRow("Greek letter") << QStringLiteral("\u03A9mega") << unstorable;
        QTest::newRow("emoji") << QString::fromUcs4(U"key \U0001F511") << unstorable;
        QTest::newRow("256 characters") << QString(256, u'n') << tooLongTextMessage(QStringLiteral("key name"), 255);
    }

    // F2's editor takes no more than a name may hold.
    void renameEditorStopsAt255()
    {
        Browser browser;
        browser.window->resize(600, 400);
        QVERIFY(QTest::qWaitForWindowExposed(browser.window));
        browser.select(0);
        browser.window->startRename();
        auto* editor = browser.window->keyView()->currentView()->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->setText(QString(300, u'n'));
        QCOMPARE(editor->text().size(), 255);
    }

    void renameRefusals()
    {
        QFETCH(QString, newName);
        QFETCH(QString, message);
        Browser browser;
        KeyTableModel* model = browser.window->model();
        QVERIFY(!model->setData(model->index(0, 0), newName));
        QCoreApplication::processEvents(); // the message follows the closed editor
        QCOMPARE(Fixture::texts(MessageBox::takeRecorded()), QStringList{message});
        QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("alpha"));
        QCOMPARE(browser.table().slot(1).name, QByteArray("alpha"));
        // Renaming to its own name is no change and no message.
        QVERIFY(model->setData(model->index(0, 0), QStringLiteral("alpha")));
        QCoreApplication::processEvents();
        QVERIFY(MessageBox::takeRecorded().isEmpty());
    }

    void gotoPage_data()
    {
        QTest::addColumn<QByteArray>("url");
        QTest::addColumn<QString>("opened");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("full address") << QByteArray("https://bank.example/login")
                                      << QStringLiteral("https://bank.example/login");
        QTest::newRow("bare host") << QByteArray("mail.example.org") << QStringLiteral("http://mail.example.org");
    }

    void gotoPage()
    {
        QFETCH(QByteArray, url);
        QFETCH(QString, opened);
        Browser browser;
        browser.table().slot(1).url = url;
        browser.select(0);
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &recorder, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
        browser.window->Toolbar1_ButtonClick(7);
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(recorder.opened.size(), opened.isEmpty() ? 0 : 1);
        if (!opened.isEmpty())
            QCOMPARE(recorder.opened.first(), QUrl(opened));
        // The status bar says what happened, or why nothing did.
        QCOMPARE(browser.window->statusText(),
                 opened.isEmpty() ? noUrlText(QStringLiteral("alpha")) : openingText(opened));
    }

    void exportOfAnEmptyRing()
    {
        Browser browser(QList<QByteArray>{});
        const QString path = browser.fixture.path(QStringLiteral("tessary.keyRing"));
        QVERIFY(!QFileInfo::exists(path));
        browser.window->Toolbar1_ButtonClick(1);
        QCOMPARE(fileSize(path), qint64(82));
        QVERIFY(MessageBox::takeRecorded().isEmpty());
        QCOMPARE(browser.window->statusText(), exportedText(QDir::toNativeSeparators(path)));
    }

    void importFromTheSamePassword()
    {
        Browser browser({"alpha", "beta"});
        browser.window->Toolbar1_ButtonClick(1); // export
        KeyRecord extra;
        extra.name = "only here";
        browser.window->model()->addKey(extra);
        browser.select(0);
        MessageBox::setNextAnswer(true);
        browser.window->deleteKey(); // alpha now only in the export
        MessageBox::takeRecorded();
        browser.window->Toolbar1_ButtonClick(2);
        QCOMPARE(Fixture::texts(MessageBox::takeRecorded()),
                 QStringList{QStringLiteral("1 key(s) imported from tessary.keyRing.\n"
                                            "1 skipped: a key of the same name is already in the key ring.")});
        QCOMPARE(browser.window->model()->rowCount(), 3);
        const int slot = browser.table().findKey("alpha");
        QVERIFY(slot > 0);
        QCOMPARE(browser.table().slot(slot).password, QByteArray("secret-alpha"));
    }

    void importFromAnotherPassword_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("added");
        QTest::newRow("right password") << QStringLiteral("bob's") << true << 1;
        QTest::newRow("wrong password") << QStringLiteral("ann's?") << true << 0;
        QTest::newRow("cancelled") << QStringLiteral("bob's") << false << 0;
    }

    void importFromAnotherPassword()
    {
        QFETCH(QString, answer);
        QFETCH(bool, accepted);
        QFETCH(int, added);
        Browser browser;
        browser.fixture.addUser(QStringLiteral("Bob"), QStringLiteral("bob's"), {"beta", "delta"});
        {
            Session bob(browser.fixture.directory.path());
            QVERIFY(bob.login(QStringLiteral("Bob"), QStringLiteral("bob's"), Session::LockMode::None).succeeded());
            QVERIFY(bob.exportKeyRing());
        }
        const QByteArray annDigest = browser.fixture.program->session().keyRing().storedDigest;
        MessageBox::setNextPasswordAnswer(answer, accepted);
        browser.window->Toolbar1_ButtonClick(2);
        const QStringList shown = Fixture::texts(MessageBox::takeRecorded());
        QCOMPARE(shown.first(), importPasswordPrompt());
        if (added) {
            QCOMPARE(shown.last(), QStringLiteral("1 key(s) imported from tessary.keyRing.\n"
                                                  "1 skipped: a key of the same name is already in the key ring."));
            const int slot = browser.table().findKey("delta");
            QCOMPARE(slot, 4);
            QCOMPARE(browser.table().slot(slot).password, QByteArray("secret-delta"));
            QCOMPARE(browser.table().slot(slot).url, QByteArray("https://delta.example"));
        } else if (accepted) {
            QCOMPARE(shown.last(), QStringLiteral("Incorrect Password!"));
        } else {
            QCOMPARE(shown.size(), 1);
        }
        QCOMPARE(browser.window->model()->rowCount(), 3 + added);
        QCOMPARE(browser.fixture.program->session().keyRing().storedDigest, annDigest);
        // Saved and read back under Ann's own password.
        browser.fixture.program->shutdownProgram();
        QCOMPARE(browser.fixture.storedKeys(QStringLiteral("Ann"), QStringLiteral("pw")).size(), 3 + added);
    }

    void importIntoAFullRing()
    {
        Browser browser({"a", "b"});
        for (int i = 0; i < 2; ++i) { // the file: a, b, c0, c1
            KeyRecord record;
            record.name = "c" + QByteArray::number(i);
            browser.window->model()->addKey(record);
        }
        browser.window->Toolbar1_ButtonClick(1);
        for (int i = 0; i < 2; ++i) {
            browser.select(2);
            MessageBox::setNextAnswer(true);
            browser.window->deleteKey();
        }
        MessageBox::takeRecorded();
        while (browser.table().keyCount() < KeyTable::capacity - 1) {
            KeyRecord filler;
            filler.name = "f" + QByteArray::number(browser.table().keyCount());
            browser.table().appendRecord(filler);
        }
        browser.window->showKeyRing();
        browser.window->Toolbar1_ButtonClick(2);
        QCOMPARE(Fixture::texts(MessageBox::takeRecorded()),
                 QStringList{QStringLiteral("1 key(s) imported from tessary.keyRing.\n"
                                            "2 skipped: a key of the same name is already in the key ring.\n"
                                            "1 skipped: the key ring is full (255 keys at most).")});
        QCOMPARE(browser.table().keyCount(), 255);
        QCOMPARE(browser.window->model()->rowCount(), 255);
    }

    void importFailures_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("exists");
        QTest::newRow("missing") << QByteArray() << false;
        QTest::newRow("not a key ring") << QByteArray("hello, this is not a key ring file at all.............") << true;
    }

    void importFailures()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, exists);
        Browser browser;
        const QString path = browser.fixture.path(QStringLiteral("tessary.keyRing"));
        if (exists)
            QVERIFY(writeFile(path, file));
        browser.window->Toolbar1_ButtonClick(2);
        const QList<MessageBox::Shown> shown = MessageBox::takeRecorded();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text,
                 exists ? notKeyRingMessage(QStringLiteral("tessary.keyRing")) : noImportFileMessage(path));
        QCOMPARE(browser.fixture.ends, 0);
        QCOMPARE(browser.table().keyCount(), 3);
    }

    void capacityTest()
    {
        Browser browser;
        browser.window->Toolbar1_ButtonClick(4);
        QVERIFY(MessageBox::takeRecorded().isEmpty());
        QVERIFY(browser.fixture.program->newKey());
        browser.fixture.program->newKey()->reject();
        tessary::test::flushDeletes();
        while (browser.table().keyCount() < KeyTable::capacity) {
            KeyRecord filler;
            filler.name = "f" + QByteArray::number(browser.table().keyCount());
            browser.window->model()->addKey(filler);
        }
        // Refused at once, from the toolbar and from the menu (Ctrl+N): no wizard opens.
        browser.window->Toolbar1_ButtonClick(4);
        QCOMPARE(Fixture::texts(MessageBox::takeRecorded()), QStringList{maximumKeysMessage()});
        browser.window->action(QStringLiteral("menuNewKey"))->trigger();
        QCOMPARE(Fixture::texts(MessageBox::takeRecorded()), QStringList{maximumKeysMessage()});
        QVERIFY(!browser.fixture.program->newKey());
    }

    void documentation()
    {
        Browser browser;
        browser.window->action(QStringLiteral("menuDocumentation"))->trigger();
        const QList<MessageBox::Shown> shown = MessageBox::takeRecorded();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text,
                 QStringLiteral("Documentation is availible via the PDF file include with the distribution"));
        QCOMPARE(shown[0].title, QString());
    }

    void shutdownClearsACopiedPassword_data()
    {
        QTest::addColumn<bool>("replaced");
        QTest::newRow("still ours") << false;
        QTest::newRow("replaced by the user") << true;
    }

    void shutdownClearsACopiedPassword()
    {
        QFETCH(bool, replaced);
        Browser browser;
        browser.select(0);
        browser.window->CopyPasswordToClipboard();
        if (replaced)
            QGuiApplication::clipboard()->setText(QStringLiteral("mine"));
        browser.window->action(QStringLiteral("menuExit"))->trigger();
        QCOMPARE(clipboardText(), replaced ? QStringLiteral("mine") : QString());
    }
};

QTEST_MAIN(TestUiKeyCommands)
#include "test_ui_key_commands.moc"
