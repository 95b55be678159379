#pragma once

#include <QString>
#include <QStringView>

namespace tessary {

// A key's notes keep their line breaks as CR LF, whichever front end wrote them: a notes box shows a break as a
// bare LF, and a line of the command line may hold either.

// The notes as stored: each bare LF becomes CR LF; a CR LF stays as it is.
QString storedNotes(const QString& typed);
// How many characters `typed` takes once stored.
qsizetype storedNotesLength(QStringView typed);
// The longest start of `typed` whose stored form has at most `maximum` characters.
QString notesWithinLimit(const QString& typed, qsizetype maximum);

// What an edit of a box limited to `maximum` stored characters leaves. An edit that fits, or does not lengthen the
// text, stands. Otherwise the text before it stays, with as much of what was typed or pasted as fits put in where
// it went; `cursor` is then the end of that.
QString limitedEdit(const QString& before, const QString& after, qsizetype maximum, qsizetype& cursor);

} // namespace tessary
