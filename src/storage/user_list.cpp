#include "storage/user_list.h"

#include "storage/codepage.h"
#include "storage/file_io.h"
#include "storage/file_lock.h"
#include "storage/key_ring_file.h"

#include <limits>

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

QString unlistableNameReason(const QString& userName)
{
    // Each name is quoted on a line of its own, and a quote is not escaped.
    for (const QChar c : userName) {
        if (c == QLatin1Char('"') || c.category() == QChar::Other_Control)
            return QStringLiteral("A user name may not hold a double quote, a line break or another control "
                                  "character.");
    }
    if (!fitsCodePage(userName))
        return QStringLiteral("The user name holds characters the user list cannot store.");
    return {};
}

UserAddition addUser(const QString& path, const QString& userName)
{
    UserAddition result;
    if (result.reason = unlistableNameReason(userName); !result.reason.isEmpty())
        return result;
    // The list is rewritten whole, so two programs adding users at once take turns.
    FileLock lock(path, QStringLiteral("user list"));
    if (!lock.tryLock(std::chrono::seconds(5))) {
        result.reason = lock.refusal();
        return result;
    }
    QByteArray list;
    QString reason;
    if (readRegularFile(path, userListSizeLimit, list, reason) == FileReadStatus::Failed) {
        result.reason = QStringLiteral("Cannot write %1: %2").arg(path, reason);
        return result;
    }
    const QString fileName = keyRingFileName(userName);
    const QStringList names = parseUserList(list, std::numeric_limits<int>::max());
    for (const QString& name : names) {
        if (name == userName) {
            result.status = UserAddition::Status::AlreadyListed;
            return result;
        }
        if (!fileName.isEmpty() && keyRingFileName(name) == fileName) {
            result.status = UserAddition::Status::FileNameTaken;
            return result;
        }
    }
    // The login window and `users` read the first 255 names: a user listed after them could never log in.
    if (names.size() >= maximumUsers) {
        result.reason = QStringLiteral("The user list is full: it holds %1 users, the most Tessary can show. No user "
                                       "was added.")
                            .arg(names.size());
        return result;
    }
    // A list whose last line has no end (written by hand, or torn by an older program) gets one first.
    if (!list.isEmpty() && !isLineEnd(list.back()))
        list.append("\r\n");
    list.append('"' + toCodePage(userName) + "\"\r\n");
    if (!replaceFile(path, list, reason)) {
        result.reason = QStringLiteral("Cannot write %1: %2").arg(path, reason);
        return result;
    }
    result.status = UserAddition::Status::Added;
    return result;
}

} // namespace tessary
