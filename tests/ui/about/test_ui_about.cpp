// The About window: its version line, "&PGP Key" once, Enter and Esc, the key it carries, and the Tempest sheets
// and the cell arithmetic of the text drawn from them.
#include "ui/about/frm_about.h"
#include "ui/about/library_version.h"
#include "ui/about/tempest.h"
#include "ui/widgets/twips.h"
#include "ui_fixture.h"

#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>

#include <nettle/sha1.h>

using namespace tessary;
using tessary::test::Browser;

namespace {

template <typename Widget> Widget* part(QWidget* window, const char* name)
{
    return window->findChild<Widget*>(QLatin1String(name));
}

quint32 crc24(const QByteArray& data)
{
    quint32 crc = 0xB704CE;
    for (const char byte : data) {
        crc ^= static_cast<quint32>(static_cast<unsigned char>(byte)) << 16;
        for (int bit = 0; bit < 8; ++bit) {
            crc <<= 1;
            if (crc & 0x1000000)
                crc ^= 0x1864CFB;
        }
    }
    return crc & 0xFFFFFF;
}

struct Packet
{
    int tag = -1;
    QByteArray body;
};

// The OpenPGP packets of a decoded key block; a tag of -1 marks a header that runs past the data.
QList<Packet> packets(const QByteArray& data)
{
    QList<Packet> result;
    qsizetype at = 0;
    auto byte = [&data](qsizetype i) { return i < data.size() ? static_cast<unsigned char>(data.at(i)) : 0u; };
    while (at < data.size()) {
        const unsigned header = byte(at++);
        Packet packet;
        qsizetype length = 0;
        if (header & 0x40) {
            packet.tag = static_cast<int>(header & 0x3F);
            const unsigned first = byte(at++);
            if (first < 192) {
                length = first;
            } else if (first < 224) {
                length = ((first - 192) << 8) + byte(at++) + 192;
            } else {
                length = (qsizetype(byte(at)) << 24) | (byte(at + 1) << 16) | (byte(at + 2) << 8) | byte(at + 3);
                at += 4;
            }
        } else {
            packet.tag = static_cast<int>((header >> 2) & 0x0F);
            const int octets = 1 << (header & 3);
            for (int i = 0; i < octets && octets <= 4; ++i)
                length = (length << 8) | byte(at++);
        }
        if (!(header & 0x80) || at + length > data.size())
            return result << Packet{};
        packet.body = data.mid(at, length);
        at += length;
        result.append(packet);
    }
    return result;
}

QString fingerprintOf(const Packet& publicKey)
{
    QByteArray hashed = "\x99";
    hashed += char(publicKey.body.size() >> 8);
    hashed += char(publicKey.body.size() & 0xFF);
    hashed += publicKey.body;
    sha1_ctx context;
    sha1_init(&context);
    sha1_update(&context, static_cast<size_t>(hashed.size()), reinterpret_cast<const uint8_t*>(hashed.constData()));
    QByteArray digest(SHA1_DIGEST_SIZE, '\0');
    sha1_digest(&context, SHA1_DIGEST_SIZE, reinterpret_cast<uint8_t*>(digest.data()));
    return QString::fromLatin1(digest.toHex().toUpper());
}

QImage cellOf(int sheet, unsigned char code)
{
    return tempestFontTable(sheet).copy(tempestCell(code));
}

int darkPixels(const QImage& image)
{
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 150;
    return dark;
}

} // namespace

class TestUiAbout : public QObject
{
    Q_OBJECT
private slots:
    void libraryVersionAsItIs_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<QString>("shown");
        QTest::newRow("3.8") << 3 << 8 << QStringLiteral("3.8");
        QTest::newRow("3.10, not 3.1 or 4") << 3 << 10 << QStringLiteral("3.10");
        QTest::newRow("4.0") << 4 << 0 << QStringLiteral("4.0");
    }

    void libraryVersionAsItIs()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(QString, shown);
        QCOMPARE(majorMinorText(major, minor), shown);
        QVERIFY(libraryVersionText().contains(QLatin1Char('.')));
    }

    void init() { MessageBox::setRecording(true); }

    void versionLine_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("shown");
        QTest::newRow("0.2") << QStringLiteral("0.2") << QStringLiteral("0.2");
        QTest::newRow("3.10") << QStringLiteral("3.10") << QStringLiteral("3.10");
    }

    void versionLine()
    {
        QFETCH(QString, version);
        QFETCH(QString, shown);
        QPointer<FrmAbout> window = new FrmAbout(nullptr, version);
        QCOMPARE(part<QLabel>(window, "Label5")->text(),
                 QStringLiteral("Tessary DLL Version Number: v") + shown +
                     QStringLiteral(" (We need v0.1 or better to work)"));
        delete window;
    }

    void pgpKeyEnlargesOnce()
    {
        QPointer<FrmAbout> window = new FrmAbout(nullptr);
        window->show();
        auto* key = part<QPlainTextEdit>(window, "pgpKey");
        auto* button = part<QPushButton>(window, "Command1");
        QVERIFY(key->y() >= window->height()); // below the client area until asked for
        QVERIFY(button->isEnabled());
        QCOMPARE(key->focusPolicy(), Qt::NoFocus);

        button->click();
        const int dpi = window->logicalDpiY();
        QCOMPARE(window->frameGeometry().height(), twipsToPixels(6210, dpi));
        QVERIFY(key->geometry().bottom() < window->height());
        QVERIFY(key->verticalScrollBar()->maximum() > 0);
        QVERIFY(!button->isEnabled());
        // Shown, the key box takes the focus and is on the Tab round; hidden, it was not.
        QCOMPARE(window->focusWidget(), static_cast<QWidget*>(key));
        QCOMPARE(key->focusPolicy(), Qt::StrongFocus);
        const int enlarged = window->height();
        button->click();
        QCOMPARE(window->height(), enlarged);
        delete window;
    }

    void enterAndEscClose_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Esc") << int(Qt::Key_Escape);
    }

    void enterAndEscClose()
    {
        QFETCH(int, key);
        QPointer<FrmAbout> window = new FrmAbout(nullptr);
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key(key));
        QVERIFY(!window || !window->isVisible());
        test::flushDeletes();
        QVERIFY(window.isNull());
    }

    void aboutMenuOpensAFreshWindow()
    {
        Browser browser;
        QVERIFY(browser.window);
        browser.window->action(QStringLiteral("menuAbout"))->trigger();
        QPointer<FrmAbout> window = browser.window->findChild<FrmAbout*>();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QVERIFY(window->isModal());
        part<QPushButton>(window, "Command1")->click();
        part<QPushButton>(window, "cmdOK")->click();
        test::flushDeletes();
        QVERIFY(window.isNull());

        FrmAbout* again = browser.fixture.program->showAbout();
        QVERIFY(part<QPushButton>(again, "Command1")->isEnabled());
    }

    // The key box holds a public key block whose fingerprint is the one its note gives, and nothing secret.
    void keyAndItsFingerprint()
    {
        QPointer<FrmAbout> window = new FrmAbout(nullptr);
        const QString text = part<QPlainTextEdit>(window, "pgpKey")->toPlainText();
        delete window;

        const QRegularExpressionMatch line =
            QRegularExpression(QStringLiteral("Fingerprint: ((?:[0-9A-F]{4} ){9}[0-9A-F]{4})\\n")).match(text);
        QVERIFY2(line.hasMatch(), qPrintable(text));
        QString fingerprint = line.captured(1);
        fingerprint.remove(QLatin1Char(' '));

        const qsizetype begin = text.indexOf(QStringLiteral("-----BEGIN PGP PUBLIC KEY BLOCK-----\n"));
        const qsizetype end = text.indexOf(QStringLiteral("-----END PGP PUBLIC KEY BLOCK-----"));
        QVERIFY(begin >= 0 && end > begin);
        QVERIFY(!text.contains(QStringLiteral("PRIVATE")));
        const QStringList armour = text.mid(begin, end - begin).split(QLatin1Char('\n'));
        const qsizetype blank = armour.indexOf(QString());
        QVERIFY(blank > 0);
        QByteArray base64;
        QByteArray checksum;
        for (qsizetype i = blank + 1; i < armour.size(); ++i) {
            if (armour.at(i).startsWith(QLatin1Char('=')))
                checksum = QByteArray::fromBase64(armour.at(i).mid(1).toLatin1());
            else
                base64 += armour.at(i).toLatin1();
        }
        const QByteArray data = QByteArray::fromBase64(base64);
        QCOMPARE(checksum.size(), 3);
        QCOMPARE(crc24(data), (quint32(quint8(checksum[0])) << 16) | (quint8(checksum[1]) << 8) | quint8(checksum[2]));

        const QList<Packet> found = packets(data);
        QVERIFY(found.size() >= 3);
        QCOMPARE(found.first().tag, 6); // the public key
        QCOMPARE(found.first().body.at(0), '\x04');
        for (const Packet& packet : found)
            QVERIFY2(QList<int>({6, 13, 2, 14}).contains(packet.tag), qPrintable(QString::number(packet.tag)));
        QCOMPARE(fingerprintOf(found.first()), fingerprint);
    }

    void tempestCell_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QRect>("cell");
        QTest::newRow("blank, the top left") << 32 << QRect(0, 0, 8, 14);
        QTest::newRow("A, row 2 column 1") << 65 << QRect(8, 28, 8, 14);
        QTest::newRow("127 ends row 5") << 127 << QRect(120, 70, 8, 14);
        QTest::newRow("160 starts row 6") << 160 << QRect(0, 84, 8, 14);
        QTest::newRow("e acute, row 10 column 9") << 0xE9 << QRect(72, 140, 8, 14);
        QTest::newRow("255 ends row 11") << 255 << QRect(120, 154, 8, 14);
        QTest::newRow("128 has no cell") << 128 << QRect(0, 0, 8, 14);
        QTest::newRow("159 has no cell") << 159 << QRect(0, 0, 8, 14);
        QTest::newRow("a control code has none") << 9 << QRect(0, 0, 8, 14);
    }

    void tempestCell()
    {
        QFETCH(int, code);
        QFETCH(QRect, cell);
        QCOMPARE(tessary::tempestCell(static_cast<unsigned char>(code)), cell);
    }

    // Each character is the cell of the sheet its random number chose, 8 pixels on from the last, and nothing
    // outside the text's own cells is touched.
    void drawTempestText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<double>>("randoms");
        QTest::addColumn<QByteArray>("codes");
        QTest::addColumn<QList<int>>("sheets");

        QTest::newRow("Hello, World!") << QStringLiteral("Hello, World!") << QList<double>{0.0, 0.3, 0.6, 0.99}
                                       << QByteArray("Hello, World!") << QList<int>{0, 1, 2, 3};
        QTest::newRow("e acute") << QStringLiteral("\u00e9") << QList<double>{0.5} << QByteArray("\xe9")
                                 << QList<int>{2};
        QTest::newRow("euro sign and a control code draw blanks")
            << QStringLiteral("\u20ac\t") << QList<double>{0.25, 0.75} << QByteArray("  ") << QList<int>{1, 3};
    }

    void drawTempestText()
    {
        QFETCH(QString, text);
        QFETCH(QList<double>, randoms);
        QFETCH(QByteArray, codes);
        QFETCH(QList<int>, sheets);

        const QRgb untouched = qRgb(255, 0, 255);
        QImage target(200, 40, QImage::Format_RGB32);
        target.fill(untouched);
        int draws = 0;
        {
            QPainter painter(&target);
            tessary::drawTempestText(text, painter, 5, 7, [&] { return randoms.at(draws++ % randoms.size()); });
        }
        QCOMPARE(draws, codes.size());
        const QRect covered(5, 7, 8 * int(codes.size()), 14);
        for (int i = 0; i < codes.size(); ++i) {
            const QImage cell = target.copy(5 + 8 * i, 7, 8, 14);
            QCOMPARE(cell, cellOf(sheets.at(i % sheets.size()), static_cast<unsigned char>(codes.at(i))));
        }
        for (int y = 0; y < target.height(); ++y)
            for (int x = 0; x < target.width(); ++x)
                QCOMPARE(covered.contains(x, y), target.pixel(x, y) != untouched);
    }

    void thirteenCharactersCover104By14()
    {
        QImage target(120, 20, QImage::Format_RGB32);
        target.fill(Qt::black);
        {
            QPainter painter(&target);
            tessary::drawTempestText(QStringLiteral("Hello, World!"), painter, 0, 0);
        }
        QRect drawn;
        for (int y = 0; y < target.height(); ++y)
            for (int x = 0; x < target.width(); ++x)
                if (target.pixel(x, y) != qRgb(0, 0, 0))
                    drawn |= QRect(x, y, 1, 1);
        QCOMPARE(drawn, QRect(0, 0, 104, 14));
    }

    // The four sheets: the same glyphs in the same cells, each a different rendering of them.
    void sheets()
    {
        for (int sheet = 0; sheet < tempestSheetCount; ++sheet) {
            const QImage& image = tempestFontTable(sheet);
            QCOMPARE(image.size(), QSize(128, 168));
            QCOMPARE(darkPixels(cellOf(sheet, ' ')), 0);
            QCOMPARE(darkPixels(cellOf(sheet, 0xA0)), 0);
            QVERIFY(darkPixels(cellOf(sheet, 'A')) >= 8);
            QVERIFY(darkPixels(cellOf(sheet, 0xE9)) >= 6);
            const QColor paper = image.pixelColor(3, 3);
            QVERIFY(qAbs(paper.red() - 229) <= 4 && paper.red() == paper.blue());
            for (int other = 0; other < sheet; ++other) {
                int differing = 0;
                for (int y = 0; y < image.height(); ++y)
                    for (int x = 0; x < image.width(); ++x)
                        differing += image.pixel(x, y) != tempestFontTable(other).pixel(x, y);
                QVERIFY(differing > image.width() * image.height() / 2);
            }
        }
    }
};

QTEST_MAIN(TestUiAbout)
#include "test_ui_about.moc"
