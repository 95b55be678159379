// File > Import From and Export To: the file chosen, the preview before anything is written, the warning before
// a file in clear.
#include "ui_fixture.h"

#include "ui/transfer/import_preview.h"
#include "ui/widgets/file_dialog.h"
#include "ui/widgets/key_table_model.h"

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include <sys/stat.h>

using namespace tessary;
using namespace tessary::test;

namespace {

const QByteArray chrome = "name,url,username,password\n"
                          "alpha,https://a.example,ann,pw1\n"
                          "Shop,https://shop.example,bob,pw2\n"
                          "Long,https://l.example,carl,\"" + QByteArray(129, 'x') + "\"\n";

} // namespace

class TestUiImportPreview : public QObject
{
    Q_OBJECT

private slots:
    void init() { FileDialog::setRecording(true); }
    void previewThenImport_data();
    void previewThenImport();
    void nothingToImport();
    void keyRingUnderAnotherPassword();
    void exportTo_data();
    void exportTo();
};

void TestUiImportPreview::previewThenImport_data()
{
    QTest::addColumn<bool>("import");
    QTest::newRow("Import adds the rows it showed") << true;
    QTest::newRow("Cancel leaves the key ring alone") << false;
}

void TestUiImportPreview::previewThenImport()
{
    QFETCH(bool, import);
    Browser browser;
    const QString file = browser.fixture.path(QStringLiteral("chrome.csv"));
    QVERIFY(writeFile(file, chrome));
    const QByteArray before = fileBytes(browser.fixture.path(QStringLiteral("Ann.keyRing")));
    FileDialog::setNextAnswer(file, QStringLiteral("Files Tessary reads (*.csv *.xml *.keyRing)"));
    browser.window->action(QStringLiteral("menuImportFrom"))->trigger();

    ImportPreview* preview = browser.fixture.program->importPreview();
    QVERIFY(preview);
    QVERIFY(preview->isVisible());
    QCOMPARE(preview->headline()->text(), QStringLiteral("3 keys: 2 to import, 1 refused"));
    QTreeWidget* rows = preview->rowTable();
    QCOMPARE(rows->topLevelItemCount(), 3);
    QCOMPARE(rows->topLevelItem(0)->text(2), QStringLiteral("alpha (2)"));
    QCOMPARE(rows->topLevelItem(0)->text(3), QStringLiteral("Imported, renamed"));
    QCOMPARE(rows->topLevelItem(2)->text(3), QStringLiteral("Refused: the password is longer than 128 characters"));
    QVERIFY(preview->importButton()->isEnabled());
    // Nothing is written while the preview waits.
    QCOMPARE(fileBytes(browser.fixture.path(QStringLiteral("Ann.keyRing"))), before);

    if (import)
        preview->importButton()->click();
    else
        preview->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
    flushDeletes();
    QVERIFY(!browser.fixture.program->importPreview());
    const QList<QByteArray> expected = import ? QList<QByteArray>{"alpha", "beta", "gamma", "alpha (2)", "Shop"}
                                              : QList<QByteArray>{"alpha", "beta", "gamma"};
    QCOMPARE(browser.fixture.storedKeys(QStringLiteral("Ann"), QStringLiteral("pw")), expected);
    QCOMPARE(browser.window->model()->rowCount(), expected.size());
    if (import) {
        QCOMPARE(browser.window->statusText(), QStringLiteral("2 keys imported from chrome.csv"));
        // The last key imported is the one the commands act on.
        QCOMPARE(browser.window->keyView()->selectedRow(), 4);
    }
    QVERIFY(MessageBox::takeRecorded().isEmpty());
}

void TestUiImportPreview::nothingToImport()
{
    Browser browser;
    const QString file = browser.fixture.path(QStringLiteral("refused.csv"));
    QVERIFY(writeFile(file, "name,url,username,password\n\xd0\x96,u,v,w\n"));
    FileDialog::setNextAnswer(file, QStringLiteral("Chrome CSV (*.csv)"));
    browser.window->action(QStringLiteral("menuImportFrom"))->trigger();
    ImportPreview* preview = browser.fixture.program->importPreview();
    QVERIFY(preview);
    QCOMPARE(preview->headline()->text(), QStringLiteral("1 key: 0 to import, 1 refused"));
    QVERIFY(!preview->importButton()->isEnabled());

    // A file the chosen filter does not describe is refused whole, with no preview.
    preview->reject();
    flushDeletes();
    FileDialog::setNextAnswer(file, QStringLiteral("KeePass 2 XML (*.xml)"));
    browser.window->action(QStringLiteral("menuImportFrom"))->trigger();
    QVERIFY(!browser.fixture.program->importPreview());
    const QList<MessageBox::Shown> shown = MessageBox::takeRecorded();
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown.first().text.startsWith(QStringLiteral("refused.csv is not a KeePass XML file")));
}

void TestUiImportPreview::keyRingUnderAnotherPassword()
{
    Browser browser;
    browser.fixture.addUser(QStringLiteral("Bob"), QStringLiteral("bpw"), {"bobs"});
    const QString file = browser.fixture.path(QStringLiteral("Bob.keyRing"));
    MessageBox::setNextPasswordAnswer(QStringLiteral("wrong"));
    FileDialog::setNextAnswer(file);
    browser.window->action(QStringLiteral("menuImportFrom"))->trigger();
    QVERIFY(!browser.fixture.program->importPreview());
    QCOMPARE(Fixture::texts(MessageBox::takeRecorded()),
             (QStringList{QStringLiteral("Bob.keyRing was saved under another master password. Its master password:"),
                          incorrectPasswordMessage()}));

    MessageBox::setNextPasswordAnswer(QStringLiteral("bpw"));
    FileDialog::setNextAnswer(file);
    browser.window->action(QStringLiteral("menuImportFrom"))->trigger();
    ImportPreview* preview = browser.fixture.program->importPreview();
    QVERIFY(preview);
    preview->importButton()->click();
    QCOMPARE(browser.fixture.storedKeys(QStringLiteral("Ann"), QStringLiteral("pw")),
             (QList<QByteArray>{"alpha", "beta", "gamma", "bobs"}));
    QCOMPARE(usablePassword(browser.table().slot(4)), QByteArray("secret-bobs"));
}

void TestUiImportPreview::exportTo_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("planted");
    QTest::addColumn<QString>("written"); // the file written, empty for none
    QTest::addColumn<QByteArray>("begins");

    const QString csv = QStringLiteral("KeePassXC CSV (*.csv)");
    const QString xml = QStringLiteral("KeePass 2 XML (*.xml)");
    QTest::newRow("CSV, the warning answered Yes") << QStringLiteral("keys") << csv << true << false
                                                   << QStringLiteral("keys.csv") << QByteArray("\"Group\",\"Title\"");
    QTest::newRow("XML by its filter") << QStringLiteral("keys.data") << xml << true << false
                                       << QStringLiteral("keys.data") << QByteArray("<?xml");
    QTest::newRow("the warning answered No") << QStringLiteral("keys.csv") << csv << false << false << QString()
                                             << QByteArray();
    QTest::newRow("a file that exists stays") << QStringLiteral("keys.csv") << csv << true << true << QString()
                                              << QByteArray();
}

void TestUiImportPreview::exportTo()
{
    QFETCH(QString, name);
    QFETCH(QString, filter);
    QFETCH(bool, answer);
    QFETCH(bool, planted);
    QFETCH(QString, written);
    QFETCH(QByteArray, begins);
    Browser browser;
    QTemporaryDir elsewhere;
    if (planted)
        QVERIFY(writeFile(elsewhere.filePath(name), "mine"));
    FileDialog::setNextAnswer(elsewhere.filePath(name), filter);
    MessageBox::setNextAnswer(answer);
    browser.window->action(QStringLiteral("menuExportTo"))->trigger();
    const QList<MessageBox::Shown> shown = MessageBox::takeRecorded();
    QVERIFY(!shown.isEmpty());
    QVERIFY(shown.first().text.endsWith(QStringLiteral("will not be enciphered: whoever can read it can read every "
                                                       "password of this key ring. Export it anyway?")));
    if (planted) {
        QCOMPARE(shown.size(), 2);
        QVERIFY(shown.at(1).text.contains(QStringLiteral("it exists already")));
        QCOMPARE(fileBytes(elsewhere.filePath(name)), QByteArray("mine"));
        return;
    }
    QCOMPARE(shown.size(), 1);
    if (written.isEmpty()) {
        QVERIFY(QDir(elsewhere.path()).isEmpty());
        return;
    }
    const QString path = elsewhere.filePath(written);
    QVERIFY(fileBytes(path).startsWith(begins));
    QVERIFY(fileBytes(path).contains("secret-gamma"));
    struct stat status = {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, 0600u);
    QVERIFY(browser.window->statusText().startsWith(QStringLiteral("3 keys exported to ")));
}

QTEST_MAIN(TestUiImportPreview)
#include "test_ui_import_preview.moc"
