#pragma once

#include <QObject>
#include <QString>

class QTimer;

namespace tessary {

// Copy Password's clipboard and its clearing: a copied password leaves the clipboard at the 61st tick of a
// one-second timer (by default), unless the user has copied something else by then, which is left alone.
class PasswordClipboard : public QObject
{
    Q_OBJECT
public:
    static constexpr int countdownTicks = 60;

    explicit PasswordClipboard(QObject* parent = nullptr);
    ~PasswordClipboard() override;

    // Puts the text on the clipboard, marked as a secret so clipboard managers keep it out of their history.
    void copy(const QString& password);
    // One tick of the timer.
    void Timer1_Timer();
    // At shutdown: a password still on the clipboard goes with the program.
    void clearIfStillOurs();

    // The ticks a copy stays for (the Options window's seconds); the next copy counts them.
    void setCountdownTicks(int ticks) { m_countdownTicks = ticks; }
    int countdownLength() const { return m_countdownTicks; }

    bool isCounting() const;
    int clearCountdown() const { return m_clearCountdown; }
    QTimer* timer() const { return m_timer; }

private:
    void forget();

    QTimer* m_timer;
    int m_countdownTicks = countdownTicks;
    int m_clearCountdown = 0;
    QString m_copiedPassword;
};

} // namespace tessary
