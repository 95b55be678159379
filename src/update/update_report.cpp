#include "update/update_report.h"

namespace tessary {

namespace {

QString shortened(const QString& text)
{
    if (text.size() <= UpdateReport::maximumLength)
        return text;
    return text.left(UpdateReport::maximumLength - 1) + QChar(0x2026);
}

QString unshownLinesNote(qsizetype count)
{
    return QStringLiteral("(%1 more lines not shown)").arg(count);
}

} // namespace

UpdateReport::UpdateReport()
{
    m_lamps.fill(Colour::Grey);
}

void UpdateReport::startCheck()
{
    m_lamps[errorLamp] = Colour::Grey;
}

void UpdateReport::transferState(int state)
{
    for (const LampChange& change : lampChanges(state))
        m_lamps[static_cast<std::size_t>(change.lamp)] = change.colour;
}

void UpdateReport::transferFailed()
{
    for (Colour& colour : m_lamps) {
        if (colour == Colour::Blue)
            colour = Colour::Grey;
    }
    m_lamps[errorLamp] = Colour::Red;
}

void UpdateReport::add(const UpdateCheck& check)
{
    for (const UpdateLine& line : check.lines) {
        if (m_unshownLines == 0 && m_lines.size() < maximumLines)
            m_lines.append({shortened(line.text), line.red});
        else
            m_unshownLines += m_unshownLines == 0 ? 2 : 1; // the first time, the note takes the last line's place
    }
    if (m_unshownLines > 0)
        m_lines.last() = {unshownLinesNote(m_unshownLines)};

    for (const QString& item : check.listItems) {
        if (m_unlistedItems == 0 && m_items.size() < maximumItems)
            m_items.append(shortened(item));
        else
            m_unlistedItems += m_unlistedItems == 0 ? 2 : 1;
    }
    if (check.unlistedItems > 0) {
        if (m_unlistedItems == 0 && m_items.size() < maximumItems)
            m_items.append(QString());
        else if (m_unlistedItems == 0)
            m_unlistedItems = 1;
        m_unlistedItems += check.unlistedItems;
    }
    if (m_unlistedItems > 0)
        m_items.last() = unlistedReleasesItem(m_unlistedItems);
}

} // namespace tessary
