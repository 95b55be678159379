#include "ui/widgets/password_box.h"

#include <QTimer>

namespace tessary {

PasswordBox::PasswordBox(QWidget* parent) : QLineEdit(parent), m_timeout(new QTimer(this))
{
    setEchoMode(QLineEdit::Password);
    m_timeout->setSingleShot(true);
    connect(m_timeout, &QTimer::timeout, this, &PasswordBox::textTimedOut);
    connect(this, &QLineEdit::textEdited, this, &PasswordBox::restartTimeout);
}

void PasswordBox::setTextTimeout(int seconds)
{
    m_textTimeout = seconds;
    if (seconds <= 0)
        m_timeout->stop();
}

void PasswordBox::setShowsText(bool shown)
{
    setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
}

void PasswordBox::setBackground(const QColor& colour)
{
    QPalette colours = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        colours.setColor(group, QPalette::Base, colour);
    setPalette(colours);
}

void PasswordBox::textTimedOut()
{
    if (m_textTimeout > 0)
        clear();
}

void PasswordBox::restartTimeout()
{
    if (m_textTimeout > 0)
        m_timeout->start(m_textTimeout * 1000);
}

QLineEdit* maskedField(const char* objectName, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(objectName));
    field->setEchoMode(QLineEdit::Password);
    return field;
}

QColor disabledBoxColour()
{
    return QColor(208, 208, 208);
}

} // namespace tessary
