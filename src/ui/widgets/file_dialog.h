#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace tessary {

// The file dialogs the program shows, each modal over its window. Tests queue the answers (a path and the filter
// chosen, or nothing for Cancel) and no dialog is shown while any are queued or recording is on.
class FileDialog
{
public:
    struct Choice
    {
        QString path;   // empty: cancelled
        QString filter; // the filter the user left selected
    };

    static Choice openFile(QWidget* parent, const QString& caption, const QStringList& filters);
    // Asks no question about a file that exists: the caller decides what to do with one.
    static Choice saveFile(QWidget* parent, const QString& caption, const QStringList& filters);

    static void setRecording(bool on);
    static void setNextAnswer(const QString& path, const QString& filter = {});
};

} // namespace tessary
