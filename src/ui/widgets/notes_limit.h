#pragma once

#include <QObject>
#include <QString>

class QPlainTextEdit;

namespace tessary {

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
