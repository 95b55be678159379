#pragma once

#include <QString>

namespace tessary {

// The new key wizard's walk through its six pages, without widgets: the current page, what Next and Back do,
// which buttons are enabled and where the focus goes. The window shows this state and carries out the effects.
class NewKeyWalk
{
public:
    enum Page
    {
        Welcome,
        KeyNamePage,
        PasswordPage,
        AnalysisPage,
        AccountPage,
        ClosingPage,
        Finished, // only the finishing step: no page shows it
    };

    enum class Focus
    {
        Unchanged,
        KeyName,
        PasswordBox,
        NextButton,
        KeyUsername
    };

    enum class Effect
    {
        None,
        Ignored,      // a step asked for while the password check runs
        TakePassword, // into the password buffer and the check's input, then wipe the box
        DropPassword, // wipe the box and blank the password buffer
        Finish,       // store the key, save, close
    };

    struct Step
    {
        Effect effect = Effect::None;
        Focus focus = Focus::Unchanged;
    };

    int currentPage() const { return m_page; }
    // While the check runs the buttons that lead away are shown disabled as well as ignored.
    bool backEnabled() const { return m_page != Welcome && !m_checking; }
    bool nextEnabled() const { return m_nextEnabled && !m_checking; }
    bool cancelEnabled() const { return !m_checking; }
    bool nextIsFinish() const { return m_page == ClosingPage; }
    bool checking() const { return m_checking; }

    // `keyNameAcceptable`: the name is not empty, no listed key has it and the key ring can store it.
    Step next(bool keyNameAcceptable);
    // `keyNameFilled`: the name is not empty.
    Step back(bool keyNameFilled);
    // The finishing step could not store the key: back on the closing page, for Finish to try again.
    void finishFailed()
    {
        if (m_page == Finished)
            m_page = ClosingPage;
    }
    // Whether Cancel or the close box may end the wizard now.
    bool mayClose() const { return !m_checking; }

    void keyNameChanged(bool keyNameAcceptable);
    // The meter's change handler: on the password page Next follows whether the box holds anything.
    void passwordChanged(bool empty);

    // The advanced check lets window events run in its middle; nothing may lead away from it until it is done.
    void setChecking(bool running) { m_checking = running; }

private:
    int m_page = Welcome;
    bool m_nextEnabled = true;
    bool m_checking = false;
};

// The stored "HidePasswordBreakdown" value: its number's whole part, non-zero meaning hidden. A value that is
// no number at all (or none stored) keeps the breakdown hidden.
bool breakdownHidden(const QString& stored);

// How many random characters overwrite the password box when the wizard leaves the password page: 255 plus the
// whole part of 100 r, for r in [0, 1).
int passwordGarbleLength(double r);

} // namespace tessary
