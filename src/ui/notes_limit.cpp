#include "ui/notes_limit.h"

#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextCursor>

#include <algorithm>

namespace tessary {

namespace {

qsizetype storedLength(QStringView shown)
{
    qsizetype stored = 0;
    for (const QChar c : shown)
        stored += c == QLatin1Char('\n') ? 2 : (c.isLowSurrogate() ? 0 : 1);
    return stored;
}

} // namespace

QString storedNotes(const QString& shown)
{
    return QString(shown).replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

QString notesWithinLimit(const QString& shown, qsizetype maximum)
{
    qsizetype stored = 0;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const qsizetype width = shown.at(i) == QLatin1Char('\n') ? 2 : 1;
        // A surrogate pair is one character of the key ring: keep or cut both halves together.
        const bool pair = shown.at(i).isHighSurrogate() && i + 1 < shown.size() && shown.at(i + 1).isLowSurrogate();
        if (stored + width > maximum)
            return shown.left(i);
        stored += width;
        if (pair)
            ++i;
    }
    return shown;
}

QString limitedEdit(const QString& before, const QString& after, qsizetype maximum, qsizetype& cursor)
{
    const qsizetype length = storedLength(after);
    if (length <= maximum || length <= storedLength(before)) {
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
    const qsizetype room = maximum - storedLength(QStringView(before).first(head)) -
                           storedLength(QStringView(before).last(tail));
    const QString kept = room > 0 ? notesWithinLimit(typed, room) : QString();
    cursor = head + kept.size();
    return before.first(head) + kept + before.last(tail);
}

NotesLimit::NotesLimit(QPlainTextEdit* box, qsizetype maximum) : QObject(box), m_box(box), m_maximum(maximum)
{
    m_accepted = box->toPlainText();
    connect(box, &QPlainTextEdit::textChanged, this, &NotesLimit::edited);
}

void NotesLimit::setText(const QString& text)
{
    const QSignalBlocker quiet(m_box);
    m_box->setPlainText(text);
    m_accepted = m_box->toPlainText();
}

void NotesLimit::edited()
{
    const QString shown = m_box->toPlainText();
    qsizetype cursor = -1;
    const QString kept = limitedEdit(m_accepted, shown, m_maximum, cursor);
    m_accepted = kept;
    if (cursor < 0)
        return;
    const QSignalBlocker quiet(m_box);
    m_box->setPlainText(kept);
    QTextCursor at = m_box->textCursor();
    at.setPosition(static_cast<int>(cursor));
    m_box->setTextCursor(at);
}

} // namespace tessary
