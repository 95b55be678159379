#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace tessary {

inline constexpr char userListFileName[] = "Tessary.UserList";
inline constexpr int maximumUsers = 255;
// Far more than 255 names of any sensible length; a larger file is no user list and is not read.
inline constexpr qint64 userListSizeLimit = 1024 * 1024;

// The user names of a user list's text, in file order, at most `maximum` of them. Each line holds one field (or
// several, separated by commas): a quoted field runs to the next double quote, an unquoted one to the next comma
// or line end. Blank lines hold no name.
QStringList parseUserList(QByteArrayView data, int maximum = maximumUsers);

// A missing file gives no names; a file that exists but cannot be read (or is no regular file, or is too large)
// gives none and sets `error`.
QStringList readUserList(const QString& path, int maximum = maximumUsers, QString* error = nullptr);

// Why the list cannot hold `userName` (a double quote, a line break or another control character, a character
// outside the code page), or empty when it can.
QString unlistableNameReason(const QString& userName);

struct UserAddition
{
    enum class Status {
        Added,
        AlreadyListed, // the name is on the list already (a creation that stopped before its key ring was made)
        FileNameTaken, // another listed name makes the same key ring file name
        Refused,       // `reason` says why; the list is as it was
    };
    Status status = Status::Refused;
    QString reason;
};

// Adds a user to the list at `path`, the one way the list is written: under the list's lock (waiting a few seconds
// for another writer), checked against the names listed (and refused when maximumUsers are), then the name
// appended, quoted, as one line (the file is made when there is none). The whole new list replaces the old one, so
// a failed append leaves it as it was; a link at `path` is not written through.
UserAddition addUser(const QString& path, const QString& userName);

} // namespace tessary
