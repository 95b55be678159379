#pragma once

#include <QLineEdit>

class QTimer;

namespace tessary {

// The login window's masked password field. Besides text, enabling and colour it has two settings of its own:
// the text time-out (typed text is cleared after that many seconds without a key, 0 keeps it) and whether the
// text is shown in clear.
class PasswordBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit PasswordBox(QWidget* parent = nullptr);

    int textTimeout() const { return m_textTimeout; }
    void setTextTimeout(int seconds);
    bool showsText() const { return echoMode() == QLineEdit::Normal; }
    void setShowsText(bool shown);

    void setBackground(const QColor& colour);

    // The time-out's handler: clears what was typed.
    void textTimedOut();

private:
    void restartTimeout();

    int m_textTimeout = 30;
    QTimer* m_timeout = nullptr;
};

// A plain masked field for a new or current password, named `objectName`.
QLineEdit* maskedField(const char* objectName, QWidget* parent);

// The light grey of a box that takes no typing.
QColor disabledBoxColour();

} // namespace tessary
