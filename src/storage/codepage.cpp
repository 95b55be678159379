#include "storage/codepage.h"

#include <QList>

#include <algorithm>
#include <array>

namespace tessary {

namespace {

// Bytes 0x80 to 0x9F; every other byte is the Latin-1 character of the same number.
constexpr std::array<char16_t, 32> high{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98
};

char toByte(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (std::size_t i = 0; i < high.size(); ++i) {
        if (high[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

// Calls `use` with each code point of the text, a surrogate pair as one. Unlike toUcs4() it makes no copy of the
// text, which may be a password.
template <class Use> void forEachCodePoint(QStringView text, const Use& use)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        use(c);
    }
}

} // namespace

QByteArray toCodePage(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    forEachCodePoint(text, [&bytes](char32_t c) { bytes.append(toByte(c)); });
    return bytes;
}

bool fitsCodePage(QStringView text)
{
    bool fits = true;
    forEachCodePoint(text, [&fits](char32_t c) { fits = fits && (c == U'?' || toByte(c) != '?'); });
    return fits;
}

QString fromCodePage(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *out++ = QChar(b >= 0x80 && b < 0xA0 ? high[b - 0x80] : char16_t(b));
    }
    return text;
}

} // namespace tessary
