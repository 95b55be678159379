#include "ui/browser/password_clipboard.h"

#include "crypto/wipe.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>

namespace tessary {

PasswordClipboard::PasswordClipboard(QObject* parent) : QObject(parent), m_timer(new QTimer(this))
{
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &PasswordClipboard::Timer1_Timer);
}

PasswordClipboard::~PasswordClipboard()
{
    wipe(m_copiedPassword);
}

void PasswordClipboard::copy(const QString& password)
{
    auto* data = new QMimeData;
    data->setText(password);
    data->setData(QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret"));
    QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
    wipe(m_copiedPassword);
    m_copiedPassword = password;
    m_clearCountdown = m_countdownTicks;
    m_timer->start();
}

void PasswordClipboard::Timer1_Timer()
{
    // Nothing copied: an idle tick must not empty a clipboard that holds someone else's picture or file.
    if (m_copiedPassword.isEmpty()) {
        m_timer->stop();
        return;
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard->text(QClipboard::Clipboard) != m_copiedPassword) {
        m_timer->stop();
        forget();
    } else if (m_clearCountdown == 0) {
        clipboard->setText(QString(), QClipboard::Clipboard);
        m_timer->stop();
        forget();
    } else {
        --m_clearCountdown;
    }
}

void PasswordClipboard::clearIfStillOurs()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!m_copiedPassword.isEmpty() && clipboard->text(QClipboard::Clipboard) == m_copiedPassword)
        clipboard->setText(QString(), QClipboard::Clipboard);
    m_timer->stop();
    forget();
}

bool PasswordClipboard::isCounting() const
{
    return m_timer->isActive();
}

void PasswordClipboard::forget()
{
    wipe(m_copiedPassword);
    m_clearCountdown = 0;
}

} // namespace tessary
