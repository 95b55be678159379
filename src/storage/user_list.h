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

// Appends the name, quoted, as one line; creates the file when there is none. The whole new list replaces the old
// one, so a failed append leaves the list as it was. The caller keeps other writers of the list out meanwhile.
bool appendUser(const QString& path, const QString& userName, QString* error = nullptr);

} // namespace tessary
