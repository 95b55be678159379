#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tessary {

// What a key's fields may hold, the same in the windows and in tessary-cli.

// A key's name: the wizard's name box, F2 and the command line's rename all stop at this many characters.
inline constexpr qsizetype keyNameLimit = 255;
// The notes of a key, counted as stored (each line break as CR LF).
inline constexpr qsizetype maximumNotesLength = 255;
// Size of the password buffer: every password the program stores is exactly this long.
inline constexpr qsizetype passwordBufferSize = 128;

// The password as the program stores it: the typed bytes, one NUL, then spaces up to 128 bytes; a longer password
// is cut to 128 bytes (and has no NUL).
QByteArray passwordBuffer(QByteArrayView password);

// The URL completion of a new key: "http://" goes in front unless the URL is empty or its first four characters,
// lower-cased, are "http", "ftp:", "goph" or "teln".
QByteArray completeUrl(QByteArrayView url);

// A text refused because the key ring's code page has no byte for some of its characters; `what` names the field.
// Given the text, the message names the first such character (so never give a password).
QString unstorableTextMessage(const QString& what, const QString& text = {});
// A text refused for its length.
QString tooLongTextMessage(const QString& what, qsizetype maximum);

} // namespace tessary
