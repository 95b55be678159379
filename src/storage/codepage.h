#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace tessary {

// Key ring text is single-byte Windows-1252. All 256 byte values map to a character and back (the five bytes the
// code page leaves undefined map to the C1 controls of the same number), so enciphered bytes survive a QString.

// One byte per character; a character the code page cannot hold becomes '?'.
QByteArray toCodePage(QStringView text);
QString fromCodePage(QByteArrayView bytes);

// Whether every character of `text` has a byte in the code page, so storing it changes nothing.
bool fitsCodePage(QStringView text);

} // namespace tessary
