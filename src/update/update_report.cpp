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

namespace {

// Counts `count` more left out. The first time, the note takes the last entry's place, so that one is left out too.
void leaveOut(qsizetype& leftOut, qsizetype count)
{
    leftOut += leftOut == 0 ? count + 1 : count;
}

} // namespace

void UpdateReport::add(const UpdateCheck& check)
{
    for (const UpdateLine& line : check.lines) {
        if (m_unshownLines == 0 && m_lines.size() < maximumLines)
            m_lines.append({shortened(line.text), line.red});
        else
            leaveOut(m_unshownLines, 1);
    }
    if (m_unshownLines > 0)
        m_lines.last() = {unshownLinesNote(m_unshownLines)};

    for (const QString& item : check.listItems) {
        if (m_unlistedItems == 0 && m_items.size() < maximumItems)
            m_items.append(shortened(item));
        else
            leaveOut(m_unlistedItems, 1);
    }
    // A check with releases left unlisted has listed as many as the report holds.
    if (check.unlistedItems > 0)
        leaveOut(m_unlistedItems, check.unlistedItems);
    if (m_unlistedItems > 0)
        m_items.last() = unlistedReleasesItem(m_unlistedItems);
}

} // namespace tessary
