#include "ui/health/key_health_report.h"

#include "analysis/breach_list.h"
#include "analysis/key_health.h"
#include "app/session.h"
#include "storage/codepage.h"
#include "ui/widgets/message_box.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tessary {

KeyHealthReport::KeyHealthReport(Session& session, QWidget* owner)
    : QDialog(owner), m_session(session), m_table(new QTreeWidget(this)), m_summary(new QLabel(this)),
      m_breachListLabel(new QLabel(this))
{
    setObjectName(QStringLiteral("keyHealth"));
    setWindowTitle(QStringLiteral("Key Health"));
    // Modal to the whole program, as Key Properties: a login meanwhile would swap the table it reports on.
    setWindowModality(Qt::ApplicationModal);

    m_table->setObjectName(QStringLiteral("healthTable"));
    m_table->setAccessibleName(QStringLiteral("Keys that need attention"));
    m_table->setRootIsDecorated(false);
    m_table->setUniformRowHeights(true);
    m_table->setAllColumnsShowFocus(true);
    m_table->setHeaderLabels({QStringLiteral("Key"), QStringLiteral("Reasons"), QStringLiteral("Score"),
                              QStringLiteral("Bits"), QStringLiteral("Breaches")});
    m_table->header()->setStretchLastSection(false);
    // A long key name gives up its middle, never the columns after it.
    m_table->setTextElideMode(Qt::ElideMiddle);
    m_table->header()->setSectionResizeMode(ReasonsColumn, QHeaderView::Stretch);
    // Enter and a double click alike.
    connect(m_table, &QAbstractItemView::activated, this, [this](const QModelIndex& row) { openRow(row.row()); });
    m_summary->setObjectName(QStringLiteral("healthSummary"));
    m_breachListLabel->setObjectName(QStringLiteral("breachListPath"));
    m_breachListLabel->setTextFormat(Qt::PlainText);

    auto* breachButton = new QPushButton(QStringLiteral("&Breach list..."), this);
    breachButton->setObjectName(QStringLiteral("breachListButton"));
    breachButton->setAutoDefault(false);
    connect(breachButton, &QPushButton::clicked, this, &KeyHealthReport::chooseBreachList);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &KeyHealthReport::reject);
    buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(breachButton);
    bottom->addWidget(m_breachListLabel, 1);
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_table, 1);
    layout->addLayout(bottom);
    resize(560, 360);
    refresh();
}

void KeyHealthReport::refresh()
{
    const QString listPath =
        QSettings(QStringLiteral("Tessary"), QStringLiteral("Tessary")).value(breachListSetting()).toString();
    BreachList breaches;
    HealthOptions options;
    QString reason;
    if (!listPath.isEmpty()) {
        if (breaches.open(listPath, reason))
            options.breaches = &breaches;
        m_breachListLabel->setText(options.breaches ? QFileInfo(listPath).fileName()
                                                    : QStringLiteral("%1: %2").arg(QFileInfo(listPath).fileName(), reason));
    }
    m_table->setColumnHidden(BreachesColumn, options.breaches == nullptr);

    const KeyTable& keys = m_session.keyTable();
    const QList<KeyHealth> health = checkKeyHealth(keys, m_session.secret().password, options);
    if (breaches.failed()) {
        // Counts from a list that failed half-way would say "not breached" of keys that may be.
        m_breachListLabel->setText(breaches.failure(QFileInfo(listPath).fileName()));
        m_table->setColumnHidden(BreachesColumn, true);
    }
    const QString selected = m_table->currentItem() ? m_table->currentItem()->text(KeyColumn) : QString();
    m_table->clear();
    for (const KeyHealth& key : health) {
        if (key.reasons.isEmpty())
            continue;
        auto* row = new QTreeWidgetItem(m_table);
        const QString name = fromCodePage(keys.slot(key.slot).name);
        row->setText(KeyColumn, name);
        row->setToolTip(KeyColumn, name);
        row->setData(KeyColumn, Qt::AccessibleTextRole, name);
        row->setText(ReasonsColumn, reasonList(key.reasons));
        row->setText(ScoreColumn, QString::number(key.score));
        row->setText(BitsColumn, QString::number(key.entropyBits, 'f', 1));
        row->setText(BreachesColumn, QString::number(key.breachCount));
        for (int column : {ScoreColumn, BitsColumn, BreachesColumn})
            row->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        if (row->text(KeyColumn) == selected)
            m_table->setCurrentItem(row);
    }
    if (!m_table->currentItem() && m_table->topLevelItemCount() > 0)
        m_table->setCurrentItem(m_table->topLevelItem(0));
    for (int column : {KeyColumn, ScoreColumn, BitsColumn, BreachesColumn})
        m_table->resizeColumnToContents(column);
    // At most about 24 characters: the rest of the name is in its tool tip.
    const int keyWidth = m_table->fontMetrics().averageCharWidth() * 24;
    if (m_table->columnWidth(KeyColumn) > keyWidth)
        m_table->setColumnWidth(KeyColumn, keyWidth);
    m_summary->setText(attentionSummary(health));
}

void KeyHealthReport::chooseBreachList()
{
    QSettings settings(QStringLiteral("Tessary"), QStringLiteral("Tessary"));
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Breach list"),
                                                      settings.value(breachListSetting()).toString());
    if (path.isEmpty())
        return;
    settings.setValue(breachListSetting(), path);
    refresh();
}

QString KeyHealthReport::summary() const
{
    return m_summary->text();
}

void KeyHealthReport::openRow(int row)
{
    if (row >= 0 && row < m_table->topLevelItemCount())
        emit changePasswordRequested(m_table->topLevelItem(row)->text(KeyColumn));
}

QString breachListSetting()
{
    return QStringLiteral("Settings/BreachList");
}

} // namespace tessary
