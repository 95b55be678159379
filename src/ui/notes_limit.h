#pragma once

#include <QObject>
#include <QString>

class QPlainTextEdit;

namespace tessary {

// The notes box of the new key wizard and of the key properties holds at most this many stored characters.
inline constexpr qsizetype maximumNotesLength = 255;

// The notes as stored: each line break of the box as a carriage return and a line feed.
QString storedNotes(const QString& shown);
// The longest start of the box's notes whose stored form has at most `maximum` characters.
QString notesWithinLimit(const QString& shown, qsizetype maximum);

// What an edit of a box limited to `maximum` stored characters leaves. An edit that fits, or does not lengthen the
// text, stands. Otherwise the text before it stays, with as much of what was typed or pasted as fits put in where
// it went; `cursor` is then the end of that.
QString limitedEdit(const QString& before, const QString& after, qsizetype maximum, qsizetype& cursor);

// Keeps a notes box within `maximum` stored characters as the user edits it, as a limited text box does: a key or
// a paste that does not fit is dropped where it was typed, and the rest of the notes stays.
class NotesLimit : public QObject
{
public:
    NotesLimit(QPlainTextEdit* box, qsizetype maximum);

    // Text the program puts in the box: kept whole, even beyond the limit.
    void setText(const QString& text);

private:
    void edited();

    QPlainTextEdit* m_box;
    qsizetype m_maximum;
    QString m_accepted;
};

} // namespace tessary
