#include "ui/widgets/file_dialog.h"

#include <QFileDialog>
#include <QList>

namespace tessary {

namespace {

bool recording = false;
QList<FileDialog::Choice> answers;

FileDialog::Choice ask(QWidget* parent, const QString& caption, const QStringList& filters, bool save)
{
    if (recording)
        return answers.isEmpty() ? FileDialog::Choice{} : answers.takeFirst();
    FileDialog::Choice choice;
    const QString joined = filters.join(QStringLiteral(";;"));
    choice.path = save ? QFileDialog::getSaveFileName(parent, caption, {}, joined, &choice.filter,
                                                      QFileDialog::DontConfirmOverwrite)
                       : QFileDialog::getOpenFileName(parent, caption, {}, joined, &choice.filter);
    return choice;
}

} // namespace

FileDialog::Choice FileDialog::openFile(QWidget* parent, const QString& caption, const QStringList& filters)
{
    return ask(parent, caption, filters, false);
}

FileDialog::Choice FileDialog::saveFile(QWidget* parent, const QString& caption, const QStringList& filters)
{
    return ask(parent, caption, filters, true);
}

void FileDialog::setRecording(bool on)
{
    recording = on;
    answers.clear();
}

void FileDialog::setNextAnswer(const QString& path, const QString& filter)
{
    answers.append({path, filter});
}

} // namespace tessary
