#include "ui/options/options_window.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <utility>

namespace tessary {

namespace {

QSpinBox* spinBox(const char* name, int lowest, int highest, int value, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(lowest, highest);
    box->setValue(value);
    return box;
}

QCheckBox* checkBox(const char* name, const QString& text, bool checked, QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    box->setChecked(checked);
    return box;
}

} // namespace

OptionsWindow::OptionsWindow(const ProgramOptions& current, QWidget* parent)
    : QDialog(parent),
      m_idleMinutes(spinBox("idleMinutes", 0, ProgramOptions::maximumIdleMinutes, current.lockAfterIdleMinutes, this)),
      m_lockOnScreenLock(checkBox("lockOnScreenLock",
                                  QStringLiteral("Lock when the &screen locks or the computer sleeps"),
                                  current.lockOnScreenLock, this)),
      m_clipboardSeconds(spinBox("clipboardSeconds", ProgramOptions::minimumClipboardSeconds,
                                 ProgramOptions::maximumClipboardSeconds, current.clipboardSeconds, this)),
      m_hideBreakdown(checkBox("hideBreakdown", QStringLiteral("&Hide the password breakdown"),
                               current.hidePasswordBreakdown, this))
{
    setObjectName(QStringLiteral("optionsWindow"));
    setWindowTitle(QStringLiteral("Options"));
    setWindowModality(Qt::ApplicationModal);

    auto* form = new QFormLayout;
    const std::pair<QSpinBox*, QString> numbers[] = {
        {m_idleMinutes, QStringLiteral("Lock after &idle (minutes):")},
        {m_clipboardSeconds, QStringLiteral("Clear the clip&board after (seconds):")}};
    for (const auto& [box, caption] : numbers) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(box);
        // The label's words without the access key's mark and the colon.
        box->setAccessibleName(QString(caption).remove(QLatin1Char('&')).chopped(1));
        form->addRow(label, box);
        if (box == m_idleMinutes)
            form->addRow(m_lockOnScreenLock);
    }
    form->addRow(m_hideBreakdown);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &OptionsWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &OptionsWindow::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    m_idleMinutes->setFocus();
}

ProgramOptions OptionsWindow::chosen() const
{
    ProgramOptions options;
    options.lockAfterIdleMinutes = m_idleMinutes->value();
    options.lockOnScreenLock = m_lockOnScreenLock->isChecked();
    options.clipboardSeconds = m_clipboardSeconds->value();
    options.hidePasswordBreakdown = m_hideBreakdown->isChecked();
    return options;
}

void OptionsWindow::accept()
{
    // A number typed and not yet taken by its box counts, as Enter in the box would make it.
    m_idleMinutes->interpretText();
    m_clipboardSeconds->interpretText();
    emit optionsChosen(chosen());
    QDialog::accept();
}

} // namespace tessary
