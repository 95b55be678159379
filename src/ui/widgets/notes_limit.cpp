#include "ui/widgets/notes_limit.h"

#include "storage/notes_text.h"

#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextCursor>

namespace tessary {

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
