#include "storage/user_list.h"

#include "storage/codepage.h"
#include "storage/file_io.h"

namespace tessary {

namespace {

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

} // namespace

QStringList parseUserList(QByteArrayView data, int maximum)
{
    QStringList names;
    qsizetype i = 0;
    const qsizetype end = data.size();
    while (i < end && names.size() < maximum) {
        while (i < end && (data[i] == ' ' || data[i] == '\t'))
            ++i;
        if (i < end && isLineEnd(data[i])) { // a blank line
            ++i;
            continue;
        }
        if (i == end)
            break;

        qsizetype first = i;
        qsizetype last = i;
        if (data[i] == '"') {
            first = ++i;
            while (i < end && data[i] != '"' && !isLineEnd(data[i]))
                ++i;
            last = i;
            // Whatever follows the closing quote, up to the next comma or line end, belongs to no name.
            while (i < end && data[i] != ',' && !isLineEnd(data[i]))
                ++i;
        } else {
            while (i < end && data[i] != ',' && !isLineEnd(data[i]))
                ++i;
            last = i;
            while (last > first && (data[last - 1] == ' ' || data[last - 1] == '\t'))
                --last;
        }
        if (last > first) // a name-less field names no user
            names.append(fromCodePage(data.sliced(first, last - first)));

        if (i < end && data[i] == ',') {
            ++i;
        } else if (i < end) { // CR LF, or a lone CR or LF, ends the record
            if (data[i] == '\r' && i + 1 < end && data[i + 1] == '\n')
                ++i;
            ++i;
        }
    }
    return names;
}

QStringList readUserList(const QString& path, int maximum, QString* error)
{
    QByteArray bytes;
    QString reason;
    switch (readRegularFile(path, userListSizeLimit, bytes, reason)) {
    case FileReadStatus::Ok:
        return parseUserList(bytes, maximum);
    case FileReadStatus::Missing:
        return {};
    case FileReadStatus::Failed:
        break;
    }
    if (error)
        *error = QStringLiteral("Cannot read %1: %2").arg(path, reason);
    return {};
}

bool appendUser(const QString& path, const QString& userName, QString* error)
{
    QByteArray list;
    QString reason;
    bool written = readRegularFile(path, userListSizeLimit, list, reason) != FileReadStatus::Failed;
    if (written) {
        // A list whose last line has no end (written by hand, or torn by an older program) gets one first.
        if (!list.isEmpty() && !isLineEnd(list.back()))
            list.append("\r\n");
        list.append('"' + toCodePage(userName) + "\"\r\n");
        written = replaceFile(path, list, reason);
    }
    if (!written && error)
        *error = QStringLiteral("Cannot write %1: %2").arg(path, reason);
    return written;
}

} // namespace tessary
