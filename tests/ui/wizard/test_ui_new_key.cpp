// The password wizard over a logged-in key browser: the walk with its buttons and password box, Enter in each
// field, the stored key, Cancel, a full table, the breakdown setting, the bars, the check's report, clicks while
// the check runs, text the key ring cannot hold and a save that fails.
#include "analysis/crack_time.h"
#include "analysis/strength_meter.h"
#include "ui/widgets/generator_panel.h"
#include "ui/widgets/key_table_model.h"
#include "ui/widgets/meter_bar.h"
#include "ui/wizard/new_key.h"
#include "ui/wizard/report_area.h"
#include "ui_fixture.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QStackedWidget>
#include <QTimer>

using namespace tessary;
using tessary::test::Browser;
using tessary::test::Fixture;

namespace {

template <typename Widget = QWidget> Widget* field(NewKey* window, const char* name)
{
    Widget* widget = window->findChild<Widget*>(QLatin1String(name));
    if (!widget)
        qFatal("no %s", name);
    return widget;
}

QPushButton* button(NewKey* window, int index)
{
    return window->findChild<QPushButton*>(QStringLiteral("cmdNav_%1").arg(index));
}

NewKey* open(Browser& browser)
{
    browser.window->action(QStringLiteral("menuNewKey"))->trigger();
    return browser.fixture.program->newKey();
}

void type(NewKey* window, const char* name, const QString& text)
{
    auto* box = field<QLineEdit>(window, name);
    box->setFocus();
    box->setText(text);
}

void next(NewKey* window)
{
    window->cmdNav_Click(NewKey::Next);
}

// From the welcome page to `page`, with a name and a password.
void walkTo(NewKey* window, int page, const QString& name = QStringLiteral("bank"),
            const QString& password = QStringLiteral("abcde"))
{
    while (window->currentPage() < page) {
        if (window->currentPage() == NewKeyWalk::KeyNamePage)
            type(window, "keyName", name);
        if (window->currentPage() == NewKeyWalk::PasswordPage)
            type(window, "passwordBox", password);
        const int before = window->currentPage();
        next(window);
        if (window->currentPage() == before)
            qFatal("the walk stopped on page %d", before);
    }
}

void finish(NewKey* window)
{
    walkTo(window, NewKeyWalk::ClosingPage);
    next(window);
}

// The key as a later login reads it from the file.
KeyRecord stored(Fixture& fixture, const QByteArray& name)
{
    Session reader(fixture.directory.path());
    if (!reader.login(QStringLiteral("Ann"), QStringLiteral("pw"), Session::LockMode::None).succeeded())
        return {};
    const int slot = reader.keyTable().findKey(name);
    return slot > 0 ? reader.keyTable().slot(slot) : KeyRecord{};
}

QString storedSetting()
{
    QSettings settings(QStringLiteral("Tessary"), QStringLiteral("Tessary"));
    return settings.value(QStringLiteral("Settings/HidePasswordBreakdown")).toString();
}

QImage drawnBar(std::int16_t value)
{
    MeterBar bar;
    bar.DrawBar(value);
    return bar.picture();
}

int redPixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            count += colour.red() > 160 && colour.green() < 96 && colour.blue() < 96;
        }
    return count;
}

} // namespace

class TestUiNewKey : public QObject
{
    Q_OBJECT

private slots:
    // Each fixture keeps the settings store in its own temporary folder.
    void init() { MessageBox::setRecording(true); }

    // Next greys for a name it cannot take, and the page says why, to the eye and to a screen reader.
    void whyANameIsRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("why");
        QTest::newRow("acceptable") << QStringLiteral("bank") << QString();
        QTest::newRow("nothing typed") << QString() << QString();
        QTest::newRow("taken") << QStringLiteral("beta") << namesMustBeUniqueMessage();
        QTest::newRow("outside the code page")
            << QStringLiteral("\u0416ar")
            << unstorableTextMessage(QStringLiteral("key name"), QStringLiteral("\u0416"));
    }

    void whyANameIsRefused()
    {
        QFETCH(QString, name);
        QFETCH(QString, why);
        Browser browser;
        NewKey* window = open(browser);
        window->cmdNav_Click(NewKey::Next);
        field<QLineEdit>(window, "keyName")->setText(QStringLiteral("x"));
        field<QLineEdit>(window, "keyName")->setText(name);
        QCOMPARE(field<QLabel>(window, "keyNameProblem")->text(), why);
        QCOMPARE(field<QLineEdit>(window, "keyName")->accessibleDescription(), why);
        QCOMPARE(field<QPushButton>(window, "cmdNav_6")->isEnabled(), !name.isEmpty() && why.isEmpty());
    }

    void opensFreshFromMenuAndToolbar()
    {
        Browser browser;
        for (int opening = 0; opening < 2; ++opening) {
            if (opening == 0)
                browser.window->action(QStringLiteral("menuNewKey"))->trigger();
            else
                browser.window->Toolbar1_ButtonClick(4);
            NewKey* window = browser.fixture.program->newKey();
            QVERIFY(window);
            QVERIFY(window->isVisible());
            QCOMPARE(window->windowModality(), Qt::ApplicationModal);
            QCOMPARE(window->parentWidget(), static_cast<QWidget*>(browser.window));
            QCOMPARE(window->currentPage(), 0);
            QCOMPARE(field<QStackedWidget>(window, "passwordWizard")->currentIndex(), 0);
            QVERIFY(!button(window, NewKey::Back)->isEnabled());
            QVERIFY(button(window, NewKey::Next)->isEnabled());
            for (const char* name : {"keyName", "passwordBox", "keyUsername", "keyURL"})
                QVERIFY(field<QLineEdit>(window, name)->text().isEmpty());
            // Left with text in it: the next opening must not show it.
            walkTo(window, NewKeyWalk::AccountPage);
            type(window, "keyUsername", QStringLiteral("left over"));
            window->cmdNav_Click(NewKey::Cancel);
            tessary::test::flushDeletes();
            QVERIFY(!browser.fixture.program->newKey());
        }
    }

    void walkShowsButtonsAndPasswordBox()
    {
        Browser browser;
        NewKey* window = open(browser);
        auto* passwordBox = field<QLineEdit>(window, "passwordBox");
        QPushButton* back = button(window, NewKey::Back);
        QPushButton* nextButton = button(window, NewKey::Next);
        walkTo(window, NewKeyWalk::PasswordPage);
        QVERIFY(!nextButton->isEnabled());
        QCOMPARE(window->focusWidget(), passwordBox);
        type(window, "passwordBox", QStringLiteral("abcde"));
        QVERIFY(nextButton->isEnabled());

        next(window);
        QCOMPARE(window->currentPage(), 3);
        QVERIFY(passwordBox->text().isEmpty());
        QCOMPARE(window->enteredPassword(), QStringLiteral("abcde"));
        QCOMPARE(window->passwordBuffer().size(), 128);
        QCOMPARE(window->focusWidget(), nextButton);
        QVERIFY(nextButton->isEnabled() && back->isEnabled());

        window->cmdNav_Click(NewKey::Back);
        QCOMPARE(window->currentPage(), 2);
        QVERIFY(passwordBox->text().isEmpty());
        QVERIFY(!nextButton->isEnabled());
        type(window, "passwordBox", QStringLiteral("xyz"));
        window->cmdNav_Click(NewKey::Back);
        QCOMPARE(window->currentPage(), 1);
        QVERIFY(passwordBox->text().isEmpty());
        QCOMPARE(window->passwordBuffer(), QByteArray(128, ' '));
        QVERIFY(nextButton->isEnabled());
        QCOMPARE(window->focusWidget(), field<QLineEdit>(window, "keyName"));

        walkTo(window, NewKeyWalk::ClosingPage);
        QCOMPARE(nextButton->text(), QStringLiteral("&Finish"));
        window->cmdNav_Click(NewKey::Back);
        QCOMPARE(nextButton->text(), QStringLiteral("&Next >"));
        QCOMPARE(window->focusWidget(), field<QLineEdit>(window, "keyUsername"));
    }

    void enterInEachField_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("pageAfter");
        QTest::addColumn<QString>("focusAfter");
        const QString none;
        QTest::newRow("key name") << 1 << "keyName"
                                  << "bank" << 0 << 2 << "passwordBox";
        QTest::newRow("key name, duplicate") << 1 << "keyName"
                                             << "beta" << 0 << 1 << "keyName";
        QTest::newRow("key name, other case") << 1 << "keyName"
                                              << "Beta" << 0 << 2 << "passwordBox";
        QTest::newRow("key name, empty") << 1 << "keyName"
                                         << "" << 0 << 1 << "keyName";
        QTest::newRow("key name, line feed") << 1 << "keyName"
                                             << "bank" << int(Qt::ControlModifier) << 2 << "passwordBox";
        QTest::newRow("password") << 2 << "passwordBox"
                                  << "abc" << 0 << 3 << "cmdNav_6";
        QTest::newRow("password, empty") << 2 << "passwordBox"
                                         << "" << 0 << 2 << "passwordBox";
        QTest::newRow("user name") << 4 << "keyUsername"
                                   << "ann" << 0 << 4 << "keyURL";
        QTest::newRow("URL") << 4 << "keyURL"
                             << "x.example" << 0 << 4 << "keyDescription";
        QTest::newRow("notes") << 4 << "keyDescription"
                               << "notes" << 0 << 5 << "cmdNav_6";
        QTest::newRow("notes, line feed") << 4 << "keyDescription"
                                          << "notes" << int(Qt::ControlModifier) << 4 << "keyDescription";
    }

    void enterInEachField()
    {
        QFETCH(int, page);
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(int, modifiers);
        QFETCH(int, pageAfter);
        QFETCH(QString, focusAfter);
        Browser browser;
        NewKey* window = open(browser);
        walkTo(window, page);
        QWidget* target = field(window, name.toLatin1().constData());
        target->setFocus();
        if (auto* line = qobject_cast<QLineEdit*>(target)) {
            line->setText(text);
        } else {
            static_cast<QPlainTextEdit*>(target)->setPlainText(text);
            static_cast<QPlainTextEdit*>(target)->moveCursor(QTextCursor::End);
        }
        QTest::keyClick(target, Qt::Key_Return, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(window->currentPage(), pageAfter);
        QCOMPARE(window->focusWidget()->objectName(), focusAfter);
        // Enter that moved on leaves the notes as typed; Ctrl+Enter is their line break.
        if (name == QLatin1String("keyDescription"))
            QCOMPARE(static_cast<QPlainTextEdit*>(target)->toPlainText(), modifiers ? text + QLatin1Char('\n') : text);
    }

    void storedKeyReadBack_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("5 characters") << QStringLiteral("abcde") << QByteArray("abcde") + '\0' + QByteArray(122, ' ');
        QTest::newRow("128 characters") << QString(128, QLatin1Char('p')) << QByteArray(128, 'p');
        QTest::newRow("code page characters")
            << QStringLiteral("\u20ACuro\u00E9") << QByteArray("\x80uro\xE9") + '\0' + QByteArray(122, ' ');
    }

    void storedKeyReadBack()
    {
        QFETCH(QString, password);
        QFETCH(QByteArray, expected);
        Browser browser;
        NewKey* window = open(browser);
        walkTo(window, NewKeyWalk::AccountPage, QStringLiteral("bank"), password);
        type(window, "keyUsername", QStringLiteral("ann"));
        type(window, "keyURL", QStringLiteral("bank.example"));
        field<QPlainTextEdit>(window, "keyDescription")->setPlainText(QStringLiteral("one\ntwo"));
        finish(window);
        QVERIFY(MessageBox::takeRecorded().isEmpty());
        // In the list at once, as its last row.
        QCOMPARE(browser.window->model()->rowCount(), 4);
        QCOMPARE(browser.window->model()->index(3, KeyTableModel::KeyColumn).data().toString(), QStringLiteral("bank"));

        const KeyRecord record = stored(browser.fixture, "bank");
        QCOMPARE(record.password, expected);
        QCOMPARE(record.userName, QByteArray("ann"));
        QCOMPARE(record.url, QByteArray("http://bank.example"));
        QCOMPARE(record.description, QByteArray("one\r\ntwo"));
    }

    void nothingStoredWithoutFinish_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << QStringLiteral("cancel");
        QTest::newRow("close box") << QStringLiteral("close");
        QTest::newRow("Esc") << QStringLiteral("escape");
    }

    void nothingStoredWithoutFinish()
    {
        QFETCH(QString, how);
        Browser browser;
        const QByteArray before = fileBytes(browser.fixture.path(QStringLiteral("Ann.keyRing")));
        QPointer<NewKey> window = open(browser);
        walkTo(window, NewKeyWalk::ClosingPage);
        if (how == QLatin1String("cancel"))
            QTest::mouseClick(button(window, NewKey::Cancel), Qt::LeftButton);
        else if (how == QLatin1String("close"))
            window->close();
        else
            QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        // The typed password is gone before the window is.
        QVERIFY(window->passwordBuffer().isEmpty());
        QVERIFY(window->enteredPassword().isEmpty());
        tessary::test::flushDeletes();
        QVERIFY(!window);
        QCOMPARE(browser.table().keyCount(), 3);
        QCOMPARE(fileBytes(browser.fixture.path(QStringLiteral("Ann.keyRing"))), before);
    }

    void fullTable()
    {
        Browser browser;
        while (browser.table().keyCount() < KeyTable::capacity) {
            KeyRecord filler;
            filler.name = "f" + QByteArray::number(browser.table().keyCount());
            browser.window->model()->addKey(filler);
        }
        // A wizard opened before the table filled up (Ctrl+N refuses a full one at once).
        browser.table().removeKey(KeyTable::capacity);
        browser.window->showKeyRing();
        QPointer<NewKey> window = open(browser);
        QVERIFY(window);
        KeyRecord last;
        last.name = "last";
        browser.window->model()->addKey(last);
        finish(window);
        QCOMPARE(Fixture::texts(MessageBox::takeRecorded()), QStringList{maximumKeysMessage()});
        QCOMPARE(browser.table().keyCount(), KeyTable::capacity);
        QVERIFY(browser.table().findKey("bank") < 0);
        QVERIFY(!window->isVisible());
        // Still saved: the file holds the full table.
        QCOMPARE(browser.fixture.storedKeys(QStringLiteral("Ann"), QStringLiteral("pw")).size(), KeyTable::capacity);
    }

    void breakdownSetting_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("shown");
        QTest::newRow("none stored") << QVariant() << false;
        QTest::newRow("1") << QVariant(QStringLiteral("1")) << false;
        QTest::newRow("0") << QVariant(QStringLiteral("0")) << true;
        QTest::newRow("no number") << QVariant(QStringLiteral("off")) << false;
    }

    void breakdownSetting()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, shown);
        Browser browser;
        if (stored.isValid())
            QSettings(QStringLiteral("Tessary"), QStringLiteral("Tessary"))
                .setValue(QStringLiteral("Settings/HidePasswordBreakdown"), stored);
        NewKey* window = open(browser);
        auto* check1 = field<QCheckBox>(window, "Check1");
        QWidget* breakdown = field(window, "breakdownIndicator");
        QWidget* score = field(window, "totalScoreIndicator");
        QCOMPARE(check1->isChecked(), shown);
        QCOMPARE(breakdown->isHidden(), !shown);
        // Written back at once, as "0" or "1".
        QCOMPARE(storedSetting(), shown ? QStringLiteral("0") : QStringLiteral("1"));
        QVERIFY(QFileInfo::exists(browser.fixture.path(QStringLiteral("Tessary/Tessary.conf"))));

        walkTo(window, NewKeyWalk::PasswordPage);
        for (int click = 0; click < 2; ++click) {
            QTest::mouseClick(check1, Qt::LeftButton, {}, QPoint(4, check1->height() / 2));
            shown = !shown;
            QCOMPARE(storedSetting(), shown ? QStringLiteral("0") : QStringLiteral("1"));
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            QCOMPARE(breakdown->isHidden(), !shown);
            // The score panel stands where the breakdown starts, or right below it.
            QCOMPARE(score->y(), shown ? breakdown->y() + breakdown->height() : breakdown->y());
        }
    }

    void barFill_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("right");
        QTest::newRow("0") << 0 << 1;
        QTest::newRow("1") << 1 << 3;
        QTest::newRow("50") << 50 << 132;
        QTest::newRow("99") << 99 << 260;
        QTest::newRow("100") << 100 << 263;
        QTest::newRow("150") << 150 << 263;
    }

    void barFill()
    {
        QFETCH(int, value);
        QFETCH(int, right);
        auto drawn = static_cast<std::int16_t>(value);
        MeterBar bar;
        bar.DrawBar(drawn);
        const QImage image = bar.picture();
        QCOMPARE(int(drawn), std::min(value, 100));
        QCOMPARE(filledBarRight(MeterBar::barWidth, drawn), right);

        // Across the middle row: the filled part ends in its outline at right - 1; grey follows.
        const QColor highlight = bar.palette().color(QPalette::Active, QPalette::Highlight);
        const QColor grey(192, 192, 192);
        int filled = 0;
        for (int x = 0; x < MeterBar::barWidth; ++x)
            filled += image.pixelColor(x, 5) == highlight;
        QCOMPARE(filled, std::max(0, right - 3));
        if (right + 1 < 261)
            QCOMPARE(image.pixelColor(right + 1, 5), grey);
    }

    void barsPaintOverWhatWasThere()
    {
        MeterBar bar;
        std::int16_t full = 100;
        bar.DrawBar(full);
        std::int16_t half = 50;
        bar.DrawBar(half);
        const QImage fresh = drawnBar(50);
        // The full bar's outline one pixel beyond the grey bar stays; all else is as a fresh bar at 50.
        QVERIFY(bar.picture() != fresh);
        QCOMPARE(bar.picture().copy(0, 0, 262, 12), fresh.copy(0, 0, 262, 12));
    }

    void typingRedrawsTheBarsShown()
    {
        Browser browser;
        NewKey* window = open(browser);
        walkTo(window, NewKeyWalk::PasswordPage);
        const QImage untouched = field<MeterBar>(window, "Picture2")->picture();
        type(window, "passwordBox", QStringLiteral("Tr0ub4dor&3xyz"));
        const MeterScores scores = meterScores("Tr0ub4dor&3xyz");
        QCOMPARE(field<MeterBar>(window, "totalScore")->picture(), drawnBar(scores.total));
        QCOMPARE(field<MeterBar>(window, "Picture2")->picture(), untouched);

        // Enabling the breakdown draws all four for the current text.
        auto* check1 = field<QCheckBox>(window, "Check1");
        QTest::mouseClick(check1, Qt::LeftButton, {}, QPoint(4, check1->height() / 2));
        QCOMPARE(field<MeterBar>(window, "Picture2")->picture(), drawnBar(scores.length));
        QCOMPARE(field<MeterBar>(window, "Picture1")->picture(), drawnBar(scores.variety));
        QCOMPARE(field<MeterBar>(window, "Picture3")->picture(), drawnBar(scores.difficulty));

        // After the wipe on the way on and back, the bars keep the last password's scores.
        next(window);
        window->cmdNav_Click(NewKey::Back);
        QCOMPARE(field<MeterBar>(window, "totalScore")->picture(), drawnBar(scores.total));
    }

    void reportForAnInjectedLoopCount()
    {
        Browser browser;
        NewKey* window = open(browser);
        window->setFixedLoops(1000.0F);
        walkTo(window, NewKeyWalk::AnalysisPage, QStringLiteral("bank"), QStringLiteral("abcde"));
        ReportPicture* picture = window->reportArea()->picture();
        QVERIFY(picture->report().isEmpty());

        CrackTimeCheck reference;
        for (int run = 0; run < 2; ++run) {
            QTest::mouseClick(field<QPushButton>(window, "Command1"), Qt::LeftButton);
            QCOMPARE(picture->report(), reference.run("abcde", 1000.0F));
            // "WORDS.TXT " in red, on the first run only.
            QCOMPARE(redPixels(picture->grab().toImage()) > 0, run == 0);
            QVERIFY(!window->checkRunning());
        }
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        QScrollBar* bar = window->reportArea()->scrollBar();
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(picture->y(), -35);
        bar->setValue(1000);
        QCOMPARE(picture->y(), -100);
    }

    void picturesHandFocusToTheScrollBar()
    {
        Browser browser;
        NewKey* window = open(browser);
        walkTo(window, NewKeyWalk::AnalysisPage);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        for (const char* name : {"Picture6", "Picture7"}) {
            field(window, "Command1")->setFocus(); // anywhere else first
            field(window, name)->setFocus();
            QCOMPARE(QApplication::focusWidget(), window->reportArea()->scrollBar());
        }
    }

    void navigationWaitsForTheCheck()
    {
        Browser browser;
        QPointer<NewKey> window = open(browser);
        window->setFixedLoops(1000.0F);
        walkTo(window, NewKeyWalk::AnalysisPage);
        int pageDuring = -1;
        bool runningDuring = false;
        QTimer::singleShot(0, window, [&] {
            runningDuring = window->checkRunning();
            window->cmdNav_Click(NewKey::Cancel);
            window->cmdNav_Click(NewKey::Back);
            window->cmdNav_Click(NewKey::Next);
            window->close();
            QTest::keyClick(window, Qt::Key_Escape);
            window->Command1_Click(); // no second check inside the first
            pageDuring = window->currentPage();
        });
        QTest::mouseClick(field<QPushButton>(window, "Command1"), Qt::LeftButton);
        QVERIFY(runningDuring);
        QCOMPARE(pageDuring, 3);
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->currentPage(), 3);
        QCOMPARE(plainText(window->reportArea()->picture()->report()).constLast(),
                 QStringLiteral("Hey, Varnick - You like?"));
        QCOMPARE(browser.table().keyCount(), 3);
        // Once the report is done, Cancel works again, and takes the report that names the password with it.
        window->cmdNav_Click(NewKey::Cancel);
        QVERIFY(!window->isVisible());
        QVERIFY(window->reportArea()->picture()->report().isEmpty());
    }

    void programEndsDuringTheCheck()
    {
        Browser browser;
        QPointer<NewKey> window = open(browser);
        window->setFixedLoops(1000.0F);
        walkTo(window, NewKeyWalk::AnalysisPage);
        QTimer::singleShot(0, browser.fixture.program.get(), [&] { browser.fixture.program->shutdownProgram(); });
        QTest::mouseClick(field<QPushButton>(window, "Command1"), Qt::LeftButton);
        tessary::test::flushDeletes();
        QVERIFY(!window);
        QCOMPARE(browser.fixture.ends, 1);
        QCOMPARE(browser.fixture.storedKeys(QStringLiteral("Ann"), QStringLiteral("pw")),
                 (QList<QByteArray>{"alpha", "beta", "gamma"}));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void unloadedInTheShutdownOrder()
    {
        Browser browser;
        QPointer<NewKey> window = open(browser);
        walkTo(window, NewKeyWalk::AccountPage);
        QStringList order;
        connect(browser.fixture.program.get(), &Program::windowUnloaded, this,
                [&](const QString& name) { order << name; });
        browser.fixture.program->shutdownProgram();
        QCOMPARE(order,
                 (QStringList{QStringLiteral("keyBrowser"), QStringLiteral("TessaryTray"), QStringLiteral("newKey")}));
        QVERIFY(!window->isVisible());
        tessary::test::flushDeletes();
        QVERIFY(!window);
        QCOMPARE(browser.fixture.storedKeys(QStringLiteral("Ann"), QStringLiteral("pw")).size(), 3);
    }

    void textTheKeyRingCannotHold_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("named"); // the character the message names; none for the password
        const QString key = QString::fromUcs4(U"\U0001F511");
        QTest::newRow("password") << "passwordBox" << QStringLiteral("pass\u0416") << 2 << QString();
        QTest::newRow("user name") << "keyUsername" << QStringLiteral("\u0416enya") << 4 << QStringLiteral("\u0416");
        QTest::newRow("URL") << "keyURL" << QStringLiteral("\u0436.example") << 4 << QStringLiteral("\u0436");
        QTest::newRow("notes") << "keyDescription" << QStringLiteral("pin ") + key << 4 << key;
    }

    void textTheKeyRingCannotHold()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(int, page);
        QFETCH(QString, named);
        Browser browser;
        NewKey* window = open(browser);
        walkTo(window, 1);
        type(window, "keyName", QStringLiteral("\u0416"));
        QVERIFY(!button(window, NewKey::Next)->isEnabled());
        next(window);
        QCOMPARE(window->currentPage(), 1);

        walkTo(window, page);
        QWidget* target = field(window, name.toLatin1().constData());
        if (auto* line = qobject_cast<QLineEdit*>(target))
            line->setText(text);
        else
            static_cast<QPlainTextEdit*>(target)->setPlainText(text);
        next(window);
        const QList<MessageBox::Shown> shown = MessageBox::takeRecorded();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].text.contains(QStringLiteral("cannot store")));
        // The password's own characters stay off the screen.
        if (named.isEmpty())
            QVERIFY(!shown[0].text.contains(text.right(1)));
        else
            QVERIFY(shown[0].text.contains(named));
        QCOMPARE(window->currentPage(), page);
        QCOMPARE(window->focusWidget(), target);
        QCOMPARE(browser.table().keyCount(), 3);
    }

    void failingSave()
    {
        Browser browser;
        const QString ring = browser.fixture.path(QStringLiteral("Ann.keyRing"));
        // A folder where the file was: no write can replace it.
        QVERIFY(QFile::remove(ring));
        QVERIFY(QDir().mkdir(ring));
        QPointer<NewKey> window = open(browser);
        finish(window);
        const QList<MessageBox::Shown> shown = MessageBox::takeRecorded();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].kind, MessageBox::Kind::Failure);
        QVERIFY(shown[0].text.endsWith(keptUnsavedMessage({}).mid(2)));
        // Nothing in the list the file does not hold; the wizard waits on its last page with its answers.
        QVERIFY(window->isVisible());
        QCOMPARE(window->currentPage(), int(NewKeyWalk::ClosingPage));
        QCOMPARE(browser.window->model()->rowCount(), 3);
        QCOMPARE(browser.table().findKey("bank"), KeyTable::notFound);

        // Finish again once the file can be written.
        QVERIFY(QDir().rmdir(ring));
        window->cmdNav_Click(NewKey::Next);
        QVERIFY(MessageBox::takeRecorded().isEmpty());
        QVERIFY(!window || !window->isVisible());
        QCOMPARE(browser.window->model()->rowCount(), 4);
        QCOMPARE(stored(browser.fixture, "bank").password.left(6), QByteArray("abcde") + '\0');
    }

    // The generator on the password page: its password in the box, scored by the meter, and Next enabled.
    void generatorFillsThePasswordBox()
    {
        Browser browser;
        QPointer<NewKey> window = open(browser);
        window->cmdNav_Click(NewKey::Next);
        window->findChild<QLineEdit*>(QStringLiteral("keyName"))->setText(QStringLiteral("bank"));
        window->cmdNav_Click(NewKey::Next);
        auto* box = window->findChild<QLineEdit*>(QStringLiteral("passwordBox"));
        QCOMPARE(box->echoMode(), QLineEdit::Password);
        window->generator()->generateButton()->click();
        QCOMPARE(box->text().size(), GeneratorOptions::defaultLength);
        auto* score = window->findChild<MeterBar*>(QStringLiteral("totalScore"));
        QCOMPARE(score->value(), int(meterScores(toCodePage(box->text())).total));
        QVERIFY(score->value() > 0);
        // What a screen reader hears of the bar: a named progress bar and its value.
        QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(score);
        QCOMPARE(heard->role(), QAccessible::ProgressBar);
        QCOMPARE(heard->text(QAccessible::Name), QStringLiteral("Score"));
        QCOMPARE(heard->valueInterface()->currentValue().toInt(), score->value());
        QVERIFY(window->findChild<QPushButton*>(QStringLiteral("cmdNav_6"))->isEnabled());
        window->findChild<QCheckBox*>(QStringLiteral("showPassword"))->setChecked(true);
        QCOMPARE(box->echoMode(), QLineEdit::Normal);
    }
};

QTEST_MAIN(TestUiNewKey)
#include "test_ui_new_key.moc"
