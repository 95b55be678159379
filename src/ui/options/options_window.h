#pragma once

#include "app/program_options.h"

#include <QDialog>

class QCheckBox;
class QSpinBox;

namespace tessary {

// The Options window: when the program locks by itself, how long a copied password stays on the clipboard, and
// whether the wizard shows the password breakdown. OK hands the choice on; Cancel and Esc drop it.
class OptionsWindow : public QDialog
{
    Q_OBJECT
public:
    explicit OptionsWindow(const ProgramOptions& current, QWidget* parent = nullptr);

    // What the controls show now.
    ProgramOptions chosen() const;

    void accept() override;

signals:
    void optionsChosen(const tessary::ProgramOptions& options);

private:
    QSpinBox* m_idleMinutes;
    QCheckBox* m_lockOnScreenLock;
    QSpinBox* m_clipboardSeconds;
    QCheckBox* m_hideBreakdown;
};

} // namespace tessary
