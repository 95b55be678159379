#include "ui/transfer/import_preview.h"

#include "transfer/import_plan.h"
#include "ui/widgets/icons.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tessary {

namespace {

QString outcomeText(const PlannedRow& row)
{
    QString text;
    switch (row.outcome) {
    case PlannedRow::Outcome::Imported:
        text = QStringLiteral("Imported");
        break;
    case PlannedRow::Outcome::Renamed:
        text = QStringLiteral("Imported, renamed");
        break;
    case PlannedRow::Outcome::Refused:
        return QStringLiteral("Refused: ") + row.reason;
    }
    if (!row.dropped.isEmpty())
        text += QStringLiteral("; not kept: ") + row.dropped.join(QStringLiteral(", "));
    return text;
}

// A title may hold a line break or a tab; one row of the table shows it on one line.
QString oneLine(QString text)
{
    text.replace(QLatin1Char('\r'), QChar(0x240D)).replace(QLatin1Char('\n'), QChar(0x2424));
    return text.replace(QLatin1Char('\t'), QLatin1Char(' '));
}

} // namespace

ImportPreview::ImportPreview(const QString& fileName, const ImportPlan& plan, QWidget* parent)
    : QDialog(parent), m_headline(new QLabel(this)), m_rows(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("importPreview"));
    setWindowTitle(importPreviewTitle(fileName));
    setWindowIcon(programIcon());

    QString headline = planHeadline(plan);
    if (const QString skipped = skippedText(plan); !skipped.isEmpty())
        headline += QStringLiteral("\n") + skipped;
    m_headline->setObjectName(QStringLiteral("importHeadline"));
    m_headline->setText(headline);
    m_headline->setTextFormat(Qt::PlainText);

    m_rows->setObjectName(QStringLiteral("importRows"));
    m_rows->setAccessibleName(QStringLiteral("Rows of the file"));
    m_rows->setAccessibleDescription(headline);
    m_rows->setRootIsDecorated(false);
    m_rows->setUniformRowHeights(true);
    m_rows->setAllColumnsShowFocus(true);
    m_rows->setHeaderLabels({QStringLiteral("Row"), QStringLiteral("Title"), QStringLiteral("Key name"),
                             QStringLiteral("Outcome")});
    for (const PlannedRow& row : plan.rows) {
        auto* item = new QTreeWidgetItem(m_rows, {row.label, oneLine(row.title), oneLine(row.name), outcomeText(row)});
        item->setToolTip(3, outcomeText(row));
    }
    m_rows->header()->setStretchLastSection(true);
    for (int column = 0; column < 3; ++column)
        m_rows->resizeColumnToContents(column);
    // A 300-character title must not push the reasons out of sight.
    const int em = fontMetrics().averageCharWidth();
    m_rows->setColumnWidth(1, std::min(m_rows->columnWidth(1), 28 * em));
    m_rows->setColumnWidth(2, std::min(m_rows->columnWidth(2), 28 * em));
    if (m_rows->topLevelItemCount() > 0)
        m_rows->setCurrentItem(m_rows->topLevelItem(0));
    m_headline->setBuddy(m_rows);

    auto* buttons = new QDialogButtonBox(this);
    m_import = buttons->addButton(QStringLiteral("&Import"), QDialogButtonBox::AcceptRole);
    m_import->setObjectName(QStringLiteral("importButton"));
    m_import->setEnabled(!plan.records.isEmpty());
    m_import->setDefault(!plan.records.isEmpty());
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setText(QStringLiteral("Cancel"));
    connect(m_import, &QPushButton::clicked, this, [this] {
        emit importChosen();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_headline);
    layout->addWidget(m_rows, 1);
    layout->addWidget(buttons);
    resize(100 * em, 24 * fontMetrics().height());
    m_rows->setFocus();
}

QString importPreviewTitle(const QString& fileName)
{
    return QStringLiteral("Import from %1").arg(fileName);
}

} // namespace tessary
