#pragma once

#include <QList>
#include <QString>

namespace tessary {

struct Release
{
    float version = 0.0F;
    QString description;
};

struct VersionHistory
{
    QList<Release> releases;
    QString error; // why the history could not be read; empty when it was
};

// The history's value as comma-separated list items: a version, its description, the next version... A quoted
// item may hold commas; blanks around an unquoted one are dropped.
VersionHistory parseVersionHistory(const QString& text);

// The update check's round trip through its scratch file: the value written as one line (replacing the file),
// then read back.
VersionHistory passThroughHistoryFile(const QString& path, const QString& history);

} // namespace tessary
