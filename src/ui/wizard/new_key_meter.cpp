// The password page's strength meter: the bars drawn on every change of the password box, the breakdown
// option and its setting, and the wipe of the box.
#include "ui/wizard/new_key.h"

#include "analysis/strength_meter.h"
#include "crypto/random.h"
#include "crypto/wipe.h"
#include "storage/codepage.h"
#include "ui/widgets/meter_bar.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QSettings>

namespace tessary {

namespace {

// The program's one option, in the settings store's "Settings" section.
const QString breakdownSetting = QStringLiteral("Settings/HidePasswordBreakdown");

} // namespace

void NewKey::loadBreakdownSetting()
{
    const QSettings settings(QStringLiteral("Tessary"), QStringLiteral("Tessary"));
    m_check1->setChecked(!breakdownHidden(settings.value(breakdownSetting, QStringLiteral("1")).toString()));
    Check1_Click();
}

void NewKey::PasswordBox_Change()
{
    if (m_passwordBoxLocked)
        return;
    QByteArray text = toCodePage(m_passwordBox->text());
    MeterScores scores = meterScores(text);
    if (m_check1->isChecked()) {
        DrawBar(m_picture2, scores.length);
        DrawBar(m_picture1, scores.variety);
        DrawBar(m_picture3, scores.difficulty);
    }
    DrawBar(m_totalScore, scores.total);
    m_walk.passwordChanged(text.isEmpty());
    wipe(text);
    showWalk();
}

void NewKey::DrawBar(MeterBar* bar, std::int16_t& value)
{
    bar->DrawBar(value);
}

void NewKey::Check1_Click()
{
    const bool shown = m_check1->isChecked();
    QSettings(QStringLiteral("Tessary"), QStringLiteral("Tessary"))
        .setValue(breakdownSetting, shown ? QStringLiteral("0") : QStringLiteral("1"));
    m_breakdownIndicator->setVisible(shown);
    PasswordBox_Change();
}

void NewKey::GarblePasswordBox()
{
    m_passwordBoxLocked = true;
    m_passwordBox->setText({});
    const int length = passwordGarbleLength(QRandomGenerator::global()->generateDouble());
    m_passwordBox->setText(QString::fromLatin1(randomPassword(length)));
    m_passwordBox->setText({});
    m_passwordBoxLocked = false;
}

} // namespace tessary
