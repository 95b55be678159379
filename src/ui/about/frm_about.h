#pragma once

#include "ui/about/library_version.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tessary {

// The About window: the program's name and release, the crypto library's version, the maker's public key on
// request, and a test button for the Tempest bitmap text.
class FrmAbout : public QDialog
{
    Q_OBJECT
public:
    // `libraryVersion` is what the crypto library reports; a test may pretend another library.
    explicit FrmAbout(QWidget* owner, const QString& libraryVersion = libraryVersionText());

    void Form_Load(const QString& libraryVersion);
    void cmdOK_Click();
    void Command1_Click();
    void Command2_Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void reject() override;

private:

    QLabel* m_label5;
    QPushButton* m_command1;
    QPushButton* m_cmdOK;
    QPlainTextEdit* m_pgpKey;
    bool m_drawTempest = false; // only for the one repaint that Command2 asks for
};

QString aboutCaption();

} // namespace tessary
