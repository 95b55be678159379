#pragma once

#include "update/transfer_lamps.h"
#include "update/update_script.h"

#include <QList>
#include <QStringList>

#include <array>

namespace tessary {

// What the update window shows, kept across checks until the window closes: the printed lines, the release list
// and the seven lamps. Every check appends; a script from the network is untrusted, so lines and items stop at a
// bound, the last one then counting what was left out, and over-long ones are shortened.
class UpdateReport
{
public:
    static constexpr int maximumLines = 1000;
    static constexpr int maximumItems = maximumListItems; // as many as one check lists
    static constexpr int maximumLength = 500;

    using Colour = LampChange::Colour;

    UpdateReport();

    // A new check begins: the previous one's "Error" goes out. The other lamps stay as they were.
    void startCheck();
    void transferState(int state);
    // The transfer ended without a response: the stage that was lit goes grey, "Error" red.
    void transferFailed();
    void add(const UpdateCheck& check);

    const QList<UpdateLine>& lines() const { return m_lines; }
    const QStringList& listItems() const { return m_items; }
    Colour lamp(int index) const { return m_lamps.at(static_cast<std::size_t>(index)); }

private:
    QList<UpdateLine> m_lines; // the last one a note once lines are left out
    QStringList m_items;       // likewise for releases
    qsizetype m_unshownLines = 0;
    qsizetype m_unlistedItems = 0;
    std::array<Colour, lampCount> m_lamps;
};

inline constexpr int errorLamp = lampCount - 1;

} // namespace tessary
