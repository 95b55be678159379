#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace tessary {

// Where the update script lives: the maker's update server, path "/a.txt".
QUrl updateScriptUrl();

struct UpdateLine
{
    QString text;
    bool red = false; // the upgrade recommendation

    friend bool operator==(const UpdateLine&, const UpdateLine&) = default;
};

// What one check makes of a script: the lines the window prints, the items it adds to its release list, and the
// message box, if any, that ends it.
struct UpdateCheck
{
    enum class Outcome {
        Listed,       // a newer release, printed and listed
        UpToDate,     // "Current Version is already up to date"
        WrongProgram, // the script is another program's
        MessageBox,   // `message` is shown in a box and the check ends
        Unreadable,   // the script's numbers or history make no sense; `message` says which
    };

    Outcome outcome = Outcome::Unreadable;
    QList<UpdateLine> lines;
    QStringList listItems;
    qsizetype unlistedItems = 0; // newer releases beyond maximumListItems
    QString message;
};

// A history from the network may name any number of releases; one check lists this many at most and counts
// the rest.
inline constexpr int maximumListItems = 1000;

// Evaluates a fetched script. Only a script that passes every test before the history writes `historyPath`.
UpdateCheck evaluateUpdateScript(const QString& script, const QString& historyPath);

// The note that stands for the releases a list leaves out.
QString unlistedReleasesItem(qsizetype count);

} // namespace tessary
