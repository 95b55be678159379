#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace tessary {

// Every box the program shows goes through here: a modal box with an OK button. Tests switch on recording, and
// the boxes are then kept for them to read instead of being shown.
class MessageBox
{
public:
    // What a box tells, which alone decides its icon, so that every box of one kind looks the same.
    enum class Kind
    {
        Notice,      // the program's own remarks (help, documentation): no icon
        Information, // what a command did
        Refusal,     // what the user asked for cannot be done as asked: a warning sign
        Failure,     // the system failed the program (a file, a disk, the network): a stop sign
        Alarm,       // the wizard's hostile mode, a stop sign in jest
    };

    struct Shown
    {
        QString title; // empty: the application's default title
        QString text;
        Kind kind = Kind::Notice;
    };

    static void show(QWidget* parent, const QString& text, const QString& title = {}, Kind kind = Kind::Notice);

    // No pictures on any box's or dialog's standard buttons, whatever the desktop theme says: no other button of
    // the program has one. Once, on the application.
    static void plainButtonsEverywhere();

    // After the program's end no box may hold the process up (a desktop logging out waits for it to go).
    static void endOfProgram();

    static void setRecording(bool on);
    static QList<Shown> takeRecorded();

    // Asks for a password in a modal box; false when cancelled. Tests queue the answers.
    static bool askPassword(QWidget* parent, const QString& title, const QString& label, QString* password);
    static void setNextPasswordAnswer(const QString& password, bool accepted = true);

    // Asks a question with Yes and No, No the default (Enter on it answers No, and so does Esc); true for Yes. While
    // recording the question is kept and answered from the queue, No when it is empty.
    static bool askYesNo(QWidget* parent, const QString& text, const QString& title = {}, Kind kind = Kind::Notice);
    static void setNextAnswer(bool yes);

    // The title of boxes that name none.
    static QString defaultTitle();
    // "Tessary", the title of the boxes that name one.
    static QString programTitle();
};

} // namespace tessary
