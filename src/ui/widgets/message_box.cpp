#include "ui/widgets/message_box.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProxyStyle>

#include <utility>

namespace tessary {

namespace {

bool recording = false;
bool ended = false;
QList<MessageBox::Shown> recorded;
QList<std::pair<QString, bool>> passwordAnswers;
QList<bool> questionAnswers;

QMessageBox::Icon iconOf(MessageBox::Kind kind)
{
    switch (kind) {
    case MessageBox::Kind::Information:
        return QMessageBox::Information;
    case MessageBox::Kind::Refusal:
        return QMessageBox::Warning;
    case MessageBox::Kind::Failure:
    case MessageBox::Kind::Alarm:
        return QMessageBox::Critical;
    case MessageBox::Kind::Notice:
        break;
    }
    return QMessageBox::NoIcon;
}

class PlainButtonStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override
    {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

} // namespace

void MessageBox::plainButtonsEverywhere()
{
    QApplication::setStyle(new PlainButtonStyle); // the application takes it
}

void MessageBox::show(QWidget* parent, const QString& text, const QString& title, Kind kind)
{
    if (ended)
        return;
    if (recording) {
        recorded.append({title, text, kind});
        return;
    }
    // The program's two-line texts break with a line feed and a carriage return; the box needs only the first.
    QString shownText = text;
    shownText.remove(QLatin1Char('\r'));
    QMessageBox box(iconOf(kind), title.isEmpty() ? defaultTitle() : title, shownText, QMessageBox::Ok, parent);
    box.exec();
}

void MessageBox::endOfProgram()
{
    ended = true;
}

void MessageBox::setRecording(bool on)
{
    recording = on;
    ended = false;
    recorded.clear();
    passwordAnswers.clear();
    questionAnswers.clear();
}

QList<MessageBox::Shown> MessageBox::takeRecorded()
{
    return std::exchange(recorded, {});
}

bool MessageBox::askPassword(QWidget* parent, const QString& title, const QString& label, QString* password)
{
    if (ended)
        return false;
    if (recording) {
        recorded.append({title, label, Kind::Notice});
        if (passwordAnswers.isEmpty())
            return false;
        const auto [answer, accepted] = passwordAnswers.takeFirst();
        *password = answer;
        return accepted;
    }
    bool accepted = false;
    *password = QInputDialog::getText(parent, title, label, QLineEdit::Password, {}, &accepted, Qt::WindowFlags(),
                                      Qt::ImhSensitiveData | Qt::ImhNoPredictiveText);
    return accepted;
}

void MessageBox::setNextPasswordAnswer(const QString& password, bool accepted)
{
    passwordAnswers.append({password, accepted});
}

bool MessageBox::askYesNo(QWidget* parent, const QString& text, const QString& title, Kind kind)
{
    if (ended)
        return false;
    if (recording) {
        recorded.append({title, text, kind});
        return !questionAnswers.isEmpty() && questionAnswers.takeFirst();
    }
    QMessageBox box(kind == Kind::Notice ? QMessageBox::Question : iconOf(kind), title.isEmpty() ? defaultTitle() : title, text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void MessageBox::setNextAnswer(bool yes)
{
    questionAnswers.append(yes);
}

QString MessageBox::defaultTitle()
{
    return QGuiApplication::applicationDisplayName();
}

QString MessageBox::programTitle()
{
    return QStringLiteral("Tessary");
}

} // namespace tessary
