// The reading of the update server's response: where one reader could split it differently from another (a proxy
// between, say), it is refused. Each row is fed whole and a byte at a time.
#include "update/http_response.h"

#include <QTest>

using namespace tessary;

Q_DECLARE_METATYPE(tessary::HttpResponse::Progress)

namespace {

using P = HttpResponse::Progress;

const QByteArray chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";

QByteArray lengths(const QByteArray& fields)
{
    return "HTTP/1.1 200 OK\r\n" + fields + "\r\nWEBUPD";
}

} // namespace

class TestHttpResponse : public QObject
{
    Q_OBJECT
private slots:
    void responses_data()
    {
        QTest::addColumn<QByteArray>("response");
        QTest::addColumn<HttpResponse::Progress>("progress");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("one length") << lengths("Content-Length: 4\r\n") << P::Complete << QByteArray("WEBU");
        QTest::newRow("the same length twice")
            << lengths("Content-Length: 4\r\ncontent-length: 4\r\n") << P::Complete << QByteArray("WEBU");
        QTest::newRow("the same length twice in one field")
            << lengths("Content-Length: 4, 4\r\n") << P::Complete << QByteArray("WEBU");
        QTest::newRow("two lengths") << lengths("Content-Length: 4\r\nContent-Length: 6\r\n") << P::Malformed
                                     << QByteArray();
        QTest::newRow("two lengths in one field")
            << lengths("Content-Length: 6, 4\r\n") << P::Malformed << QByteArray();
        QTest::newRow("an empty length") << lengths("Content-Length:\r\n") << P::Malformed << QByteArray();

        QTest::newRow("chunks, upper and lower hex, extensions")
            << chunked + "A ;x=1\r\n0123456789\r\nf\r\nabcdefghijklmno\r\n0\r\n\r\n"
            << P::Complete << QByteArray("0123456789abcdefghijklmno");
        for (const char* size : {"0x4", "+4", " 4", "4 ", "-4", "", "4g"})
            QTest::addRow("chunk size \"%s\"", size) << chunked + size + "\r\nWEBU\r\n0\r\n\r\n"
                                                     << P::Malformed << QByteArray();
        for (const char* end : {"XY", "XY\r\n", "\n", "\rX", "  \r\n"})
            QTest::addRow("%s after a chunk's data", QByteArray(end).toPercentEncoding().constData())
                << chunked + "4\r\nWEBU" + end + "0\r\n\r\n"
                << P::Malformed << QByteArray();
    }

    void responses()
    {
        QFETCH(QByteArray, response);
        QFETCH(HttpResponse::Progress, progress);
        QFETCH(QByteArray, body);
        for (const qsizetype piece : {response.size(), qsizetype(1)}) {
            HttpResponse reader;
            P seen = P::NeedMore;
            for (qsizetype at = 0; at < response.size() && seen == P::NeedMore; at += piece)
                seen = reader.feed(QByteArrayView(response).sliced(at, std::min(piece, response.size() - at)));
            if (seen == P::NeedMore)
                seen = reader.finish();
            QCOMPARE(seen, progress);
            if (progress == P::Complete)
                QCOMPARE(reader.body(), body);
        }
    }
};

QTEST_GUILESS_MAIN(TestHttpResponse)
#include "test_http_response.moc"
