#pragma once

#include "app/new_key_walk.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <optional>

class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace tessary {

class CrackTimeCheck;
class GeneratorPanel;
class KeyTableModel;
class MeterBar;
class ReportArea;
class Session;

// The password wizard: six pages that make one new key (its name, its password scored by the strength meter,
// the optional crack-time check, user name, URL and notes). Finish adds the key to the table and saves; Cancel
// and the close box store nothing. Modal over the key browser, which owns it; each opening is a new window.
class NewKey : public QDialog
{
    Q_OBJECT
public:
    enum Button
    {
        Next = 6,
        Back = 7,
        Cancel = 8,
        Help = 9,
    };

    NewKey(Session& session, KeyTableModel& model, QWidget* owner);
    ~NewKey() override;

    // The one handler of the four navigation buttons.
    void cmdNav_Click(int index);
    void keyName_Change();
    void PasswordBox_Change();
    void Check1_Click();
    void GarblePasswordBox();
    void DrawBar(MeterBar* bar, std::int16_t& value);
    void Command1_Click();
    // Entering the analysis page calls this; the check itself waits for Command1.
    void DoPasswordCheckAdvanced() {}

    int currentPage() const { return m_walk.currentPage(); }
    bool checkRunning() const { return m_walk.checking(); }
    const QByteArray& passwordBuffer() const { return m_passwordBuffer; }
    const QString& enteredPassword() const { return m_enteredPassword; }
    ReportArea* reportArea() const { return m_reportArea; }
    GeneratorPanel* generator() const { return m_generator; }
    // Both timing loops replaced by one count, so a check's report can be reproduced.
    void setFixedLoops(std::optional<float> loops) { m_fixedLoops = loops; }

    void reject() override;
    void done(int result) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Construction, in new_key_pages.cpp.
    void buildWindow();
    QWidget* welcomePage();
    QWidget* keyNamePage();
    QWidget* passwordPage();
    QWidget* meterPanels();
    QWidget* analysisPage();
    QWidget* accountPage();
    QWidget* closingPage();
    QWidget* buttonStrip();

    void Form_Load();
    // In new_key_meter.cpp.
    void loadBreakdownSetting();
    void next();
    void back();
    void help();
    void finish();
    void apply(const NewKeyWalk::Step& step);
    void showWalk();
    bool keyNameAcceptable() const;
    // Why a name that was typed cannot be the new key's, or empty.
    QString keyNameProblem() const;
    // False, after a message, when a field holds text the key ring cannot store.
    // `quoted`: the message names the first such character (never for the password).
    bool accountStorable();
    void enterKey(QObject* field, const QKeyEvent& key);
    void wipeSecrets();

    Session& m_session;
    KeyTableModel& m_model;
    NewKeyWalk m_walk;
    QByteArray m_passwordBuffer;
    QString m_enteredPassword;
    bool m_passwordBoxLocked = false;
    std::shared_ptr<CrackTimeCheck> m_check;
    std::optional<float> m_fixedLoops;

    QStackedWidget* m_passwordWizard = nullptr;
    QLineEdit* m_keyName = nullptr;
    QLabel* m_keyNameProblem = nullptr;
    QLineEdit* m_passwordBox = nullptr;
    QWidget* m_breakdownIndicator = nullptr;
    MeterBar* m_picture2 = nullptr; // Length
    MeterBar* m_picture1 = nullptr; // Variety
    MeterBar* m_picture3 = nullptr; // Difficulty
    MeterBar* m_totalScore = nullptr;
    QCheckBox* m_check1 = nullptr;
    GeneratorPanel* m_generator = nullptr;
    QPushButton* m_command1 = nullptr;
    ReportArea* m_reportArea = nullptr;
    QLineEdit* m_keyUsername = nullptr;
    QLineEdit* m_keyURL = nullptr;
    QPlainTextEdit* m_keyDescription = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_cancel = nullptr;
};

// "Tessary - Password Wizard"
QString passwordWizardCaption();
// Help's box title, and the key browser's caption after it.
QString hostileModeCaption();
QString keptUnsavedMessage(const QString& error);

} // namespace tessary
