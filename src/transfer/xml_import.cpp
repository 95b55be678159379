#include "transfer/xml_import.h"

#include <QXmlStreamReader>

#include <QtEndian>

namespace tessary {

namespace {

// Deeper groups than any person files keys in; the limit keeps the walk from a file built to exhaust it.
constexpr int maximumGroupDepth = 64;

class KeePassXmlReader
{
public:
    // The reader reads the caller's bytes in place: no copy of the file is made here.
    KeePassXmlReader(QByteArrayView data, ImportRows& read)
        : m_xml(QByteArray::fromRawData(data.data(), data.size())), m_read(read)
    {
    }

    // Empty when read; else why not.
    QString read()
    {
        // A KeePass file has no document type; one in a file could only declare entities to expand.
        while (!m_xml.atEnd() && m_xml.readNext() != QXmlStreamReader::StartElement) {
            if (m_xml.tokenType() == QXmlStreamReader::DTD)
                return QStringLiteral("it declares a document type");
        }
        if (m_xml.tokenType() != QXmlStreamReader::StartElement)
            return m_xml.hasError() ? failure() : QStringLiteral("it holds no element");
        if (m_xml.name() != QLatin1String("KeePassFile"))
            return QStringLiteral("its root element is <%1>, not <KeePassFile>").arg(m_xml.name().toString().left(80));
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == QLatin1String("Meta"))
                readMeta();
            else if (m_xml.name() == QLatin1String("Root"))
                readRoot();
            else
                m_xml.skipCurrentElement();
        }
        return failure();
    }

private:
    QString failure()
    {
        if (!m_limit.isEmpty())
            return m_limit;
        if (m_xml.hasError())
            return QStringLiteral("line %1: %2").arg(m_xml.lineNumber()).arg(m_xml.errorString());
        return {};
    }

    void stop(const QString& why)
    {
        m_limit = why;
        m_xml.raiseError(why);
    }

    void readMeta()
    {
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == QLatin1String("RecycleBinUUID"))
                m_recycleBin = m_xml.readElementText();
            else if (m_xml.name() == QLatin1String("RecycleBinEnabled"))
                m_recycleBinEnabled = m_xml.readElementText().compare(QLatin1String("False"), Qt::CaseInsensitive);
            else
                m_xml.skipCurrentElement();
        }
    }

    void readRoot()
    {
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == QLatin1String("Group"))
                readGroup(1, false);
            else
                m_xml.skipCurrentElement();
        }
    }

    void readGroup(int depth, bool deleted)
    {
        if (depth > maximumGroupDepth) {
            stop(QStringLiteral("groups nested more than %1 deep").arg(maximumGroupDepth));
            return;
        }
        while (m_xml.readNextStartElement()) {
            const QStringView name = m_xml.name();
            if (name == QLatin1String("UUID")) {
                const QString uuid = m_xml.readElementText();
                deleted = deleted || (m_recycleBinEnabled && !uuid.isEmpty() && uuid == m_recycleBin &&
                                      uuid != QLatin1String("AAAAAAAAAAAAAAAAAAAAAA=="));
            } else if (name == QLatin1String("Group")) {
                readGroup(depth + 1, deleted);
            } else if (name == QLatin1String("Entry")) {
                readEntry(deleted);
            } else {
                m_xml.skipCurrentElement();
            }
        }
    }

    void readEntry(bool deleted)
    {
        ImportRow row;
        row.number = ++m_entries;
        bool enciphered = false;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == QLatin1String("String"))
                readString(row, enciphered);
            else if (m_xml.name() == QLatin1String("Times"))
                readTimes(row);
            else if (m_xml.name() == QLatin1String("Binary"))
                row.dropped.append(QStringLiteral("attachments"));
            else
                m_xml.skipCurrentElement(); // History among them: earlier versions of this entry
        }
        if (m_xml.hasError())
            return;
        if (deleted) {
            ++m_read.skipped;
            m_read.skippedWhat = QStringLiteral("in the recycle bin");
            return;
        }
        if (enciphered)
            row.refusal = QStringLiteral("its fields are enciphered (Protected=\"True\"); export it from KeePass "
                                         "or KeePassXC as XML");
        if (m_read.rows.size() >= maximumImportRows) {
            stop(QStringLiteral("more than %1 entries").arg(maximumImportRows));
            return;
        }
        row.dropped.removeDuplicates();
        m_read.rows.append(std::move(row));
    }

    void readString(ImportRow& row, bool& enciphered)
    {
        QString key;
        QString value;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == QLatin1String("Key")) {
                key = m_xml.readElementText();
            } else if (m_xml.name() == QLatin1String("Value")) {
                enciphered = enciphered || m_xml.attributes().value(QLatin1String("Protected")) ==
                                               QLatin1String("True");
                value = m_xml.readElementText();
            } else {
                m_xml.skipCurrentElement();
            }
        }
        QString* field = key == QLatin1String("Title")      ? &row.title
                         : key == QLatin1String("UserName") ? &row.userName
                         : key == QLatin1String("Password") ? &row.password
                         : key == QLatin1String("URL")      ? &row.url
                         : key == QLatin1String("Notes")    ? &row.notes
                                                            : nullptr;
        if (field)
            *field = value;
        else if (!value.isEmpty())
            row.dropped.append(key.left(40));
    }

    void readTimes(ImportRow& row)
    {
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == QLatin1String("CreationTime"))
                row.created = stampOf(m_xml.readElementText().trimmed());
            else
                m_xml.skipCurrentElement();
        }
    }

    // ISO 8601 in an export; a database's own XML has the seconds since 0001-01-01 UTC, as 8 bytes in base64.
    static QDateTime stampOf(const QString& text)
    {
        const QDateTime iso = QDateTime::fromString(text, Qt::ISODate);
        if (iso.isValid())
            return iso;
        const QByteArray bytes = QByteArray::fromBase64(text.toLatin1());
        if (bytes.size() != 8)
            return {};
        const qint64 seconds = qFromLittleEndian<qint64>(bytes.constData());
        const QDateTime start(QDate(1, 1, 1), QTime(0, 0), Qt::UTC);
        return seconds > 0 ? start.addSecs(seconds) : QDateTime();
    }

    QXmlStreamReader m_xml;
    ImportRows& m_read;
    QString m_recycleBin;
    bool m_recycleBinEnabled = true;
    int m_entries = 0;
    QString m_limit;
};

} // namespace

ImportRows readKeePassXml(QByteArrayView data, const QString& fileName)
{
    ImportRows read;
    read.format = TransferFormat::KeePassXml;
    QString why;
    {
        KeePassXmlReader reader(data, read);
        why = reader.read();
    }
    if (!why.isEmpty()) {
        read.wipe();
        read.skipped = 0;
        read.failure = QStringLiteral("%1 is not a KeePass XML file Tessary can read (%2). Nothing was read.")
                           .arg(fileName, why);
    }
    return read;
}

} // namespace tessary
