#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tessary {

class Session;

// Key Ring Security: the logged-in key ring's format and how its key is made, and its conversion to the other
// format under the master password, refused as Change Master Password refuses (a wrong password, a read-only key
// ring, a save that fails, and for the classic format a password it cannot hold). A read-only key ring may be
// accepted here too. Esc closes it.
class KeyRingSecurity : public QDialog
{
    Q_OBJECT
public:
    KeyRingSecurity(Session& session, QWidget* owner);
    ~KeyRingSecurity() override;

    // The conversion button: the key ring rewritten in the other format, then what that leaves behind, and a
    // question whether to remove the classic copies it names.
    void convert();
    // A key ring opened read-only, older than the one last saved here, taken as it is: writes go on from it.
    void acceptOlder();

private:
    void showFormat();
    void refuse(const QString& message, const QString& title = {});
    // Removes the classic copies a conversion left, saying which could not be.
    void removeCopies(const QStringList& copies);

    Session& m_session;
    QLabel* m_format;
    QLabel* m_derivation;
    QLabel* m_generationCaption;
    QLabel* m_generation;
    QLabel* m_note;
    QLabel* m_readOnly;
    QPushButton* m_acceptOlder;
    QLineEdit* m_password;
    QPushButton* m_convert;
};

} // namespace tessary
