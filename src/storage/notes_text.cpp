#include "storage/notes_text.h"

#include <algorithm>

namespace tessary {

namespace {

bool bareLineFeed(QStringView text, qsizetype i)
{
    return text.at(i) == QLatin1Char('\n') && (i == 0 || text.at(i - 1) != QLatin1Char('\r'));
}

// How many stored characters the one at `i` takes: a bare LF two, the low half of a surrogate pair none.
qsizetype storedWidth(QStringView text, qsizetype i)
{
    return bareLineFeed(text, i) ? 2 : (text.at(i).isLowSurrogate() ? 0 : 1);
}

} // namespace

QString storedNotes(const QString& typed)
{
    QString stored;
    stored.reserve(typed.size());
    for (qsizetype i = 0; i < typed.size(); ++i) {
        if (bareLineFeed(typed, i))
            stored.append(QLatin1Char('\r'));
        stored.append(typed.at(i));
    }
    return stored;
}

qsizetype storedNotesLength(QStringView typed)
{
    qsizetype stored = 0;
    for (qsizetype i = 0; i < typed.size(); ++i)
        stored += storedWidth(typed, i);
    return stored;
}

QString notesWithinLimit(const QString& typed, qsizetype maximum)
{
    qsizetype stored = 0;
    for (qsizetype i = 0; i < typed.size(); ++i) {
        // A surrogate pair is one character of the key ring: keep or cut both halves together.
        const bool pair = typed.at(i).isHighSurrogate() && i + 1 < typed.size() && typed.at(i + 1).isLowSurrogate();
        const qsizetype width = storedWidth(typed, i);
        if (stored + width > maximum)
            return typed.left(i);
        stored += width;
        if (pair)
            ++i;
    }
    return typed;
}

QString limitedEdit(const QString& before, const QString& after, qsizetype maximum, qsizetype& cursor)
{
    const qsizetype length = storedNotesLength(after);
    if (length <= maximum || length <= storedNotesLength(before)) {
        cursor = -1;
        return after;
    }
    // The edit replaced before's middle by after's: what the two share at the start and at the end stays.
    const qsizetype shortest = std::min(before.size(), after.size());
    qsizetype head = 0;
    while (head < shortest && before.at(head) == after.at(head))
        ++head;
    qsizetype tail = 0;
    while (tail < shortest - head && before.at(before.size() - 1 - tail) == after.at(after.size() - 1 - tail))
        ++tail;
    const QString typed = after.mid(head, after.size() - head - tail);
    const qsizetype room = maximum - storedNotesLength(QStringView(before).first(head)) -
                           storedNotesLength(QStringView(before).last(tail));
    const QString kept = room > 0 ? notesWithinLimit(typed, room) : QString();
    cursor = head + kept.size();
    return before.first(head) + kept + before.last(tail);
}

} // namespace tessary
