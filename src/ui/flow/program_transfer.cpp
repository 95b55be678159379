// Import From and Export To: keys from and to other password managers' files.
#include "ui/flow/program.h"

#include "app/file_import.h"
#include "crypto/wipe.h"
#include "transfer/key_export.h"
#include "transfer/new_file.h"
#include "ui/browser/key_browser.h"
#include "ui/health/key_health_report.h"
#include "ui/transfer/import_preview.h"
#include "ui/widgets/file_dialog.h"
#include "ui/widgets/key_table_model.h"
#include "ui/widgets/message_box.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>

#include <memory>
#include <optional>

namespace tessary {

namespace {

struct Filter
{
    std::optional<TransferFormat> format; // none: the file says
    const char* text;
};

const Filter importFilters[] = {
    {std::nullopt, "Files Tessary reads (*.csv *.xml *.keyRing)"},
    {TransferFormat::KeePassXcCsv, "KeePassXC CSV (*.csv)"},
    {TransferFormat::BitwardenCsv, "Bitwarden CSV (*.csv)"},
    {TransferFormat::ChromeCsv, "Chrome CSV (*.csv)"},
    {TransferFormat::FirefoxCsv, "Firefox CSV (*.csv)"},
    {TransferFormat::KeePassXml, "KeePass 2 XML (*.xml)"},
    {TransferFormat::TessaryKeyRing, "Tessary key ring (*.keyRing)"},
    {std::nullopt, "All files (*)"},
};

const Filter exportFilters[] = {
    {TransferFormat::KeePassXcCsv, "KeePassXC CSV (*.csv)"},
    {TransferFormat::KeePassXml, "KeePass 2 XML (*.xml)"},
};

template <std::size_t N> QStringList filterTexts(const Filter (&filters)[N])
{
    QStringList texts;
    for (const Filter& filter : filters)
        texts.append(QLatin1String(filter.text));
    return texts;
}

template <std::size_t N> std::optional<TransferFormat> formatOf(const Filter (&filters)[N], const QString& chosen)
{
    for (const Filter& filter : filters) {
        if (chosen == QLatin1String(filter.text))
            return filter.format;
    }
    return std::nullopt;
}

QString shownPath(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

} // namespace

ImportPreview* Program::importPreview() const
{
    return m_importPreview;
}

ImportPreview* Program::showImportFrom()
{
    if (!m_keyBrowser || m_importPreview)
        return m_importPreview;
    const QPointer<KeyBrowser> browser(m_keyBrowser);
    const FileDialog::Choice choice =
        FileDialog::openFile(browser, QStringLiteral("Import From"), filterTexts(importFilters));
    // The program may have ended, or locked, while the dialog was open.
    if (choice.path.isEmpty() || !browser || browser != m_keyBrowser || m_ended)
        return nullptr;
    const QString fileName = QFileInfo(choice.path).fileName();
    FileImport import(choice.path, formatOf(importFilters, choice.filter), fileName);
    import.attach(m_session);
    if (!import.failure().isEmpty()) {
        MessageBox::show(browser, import.failure(), MessageBox::programTitle(), MessageBox::Kind::Failure);
        return nullptr;
    }
    if (import.needsPassword()) {
        QString password;
        const bool answered = MessageBox::askPassword(
            browser, MessageBox::programTitle(),
            QStringLiteral("%1 was saved under another master password. Its master password:").arg(fileName),
            &password);
        const bool unlocked = answered && browser && browser == m_keyBrowser && !m_ended && import.unlock(password);
        wipe(password);
        if (!answered || !browser || browser != m_keyBrowser || m_ended)
            return nullptr;
        if (!unlocked) {
            MessageBox::show(browser, incorrectPasswordMessage(), MessageBox::programTitle(),
                             MessageBox::Kind::Refusal);
            return nullptr;
        }
    }
    // The preview's Import adds what it showed, though the key ring may have changed meanwhile: it is modal.
    const auto plan = std::make_shared<ImportPlan>(import.plan(m_session));
    m_importPreview = new ImportPreview(fileName, *plan, browser);
    m_importPreview->setAttribute(Qt::WA_DeleteOnClose);
    m_importPreview->setWindowModality(Qt::WindowModal);
    connect(m_importPreview, &ImportPreview::importChosen, this,
            [this, plan, fileName] { importKeys(*plan, fileName); });
    m_importPreview->show();
    return m_importPreview;
}

void Program::importKeys(const ImportPlan& plan, const QString& fileName)
{
    if (!m_keyBrowser)
        return;
    QString error;
    if (!m_session.addKeys(plan.records, &error)) {
        MessageBox::show(m_keyBrowser, error, MessageBox::programTitle(), MessageBox::Kind::Failure);
        return;
    }
    m_model->tableGrew();
    m_keyBrowser->setStatusText(importedFromText(int(plan.records.size()), fileName));
    if (m_keyHealth)
        m_keyHealth->refresh();
}

void Program::exportTo()
{
    if (!m_keyBrowser)
        return;
    const QPointer<KeyBrowser> browser(m_keyBrowser);
    const FileDialog::Choice choice =
        FileDialog::saveFile(browser, QStringLiteral("Export To"), filterTexts(exportFilters));
    if (choice.path.isEmpty() || !browser || browser != m_keyBrowser || m_ended)
        return;
    QString path = choice.path;
    std::optional<TransferFormat> format = formatOf(exportFilters, choice.filter);
    if (!format)
        format = path.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive) ? TransferFormat::KeePassXml
                                                                           : TransferFormat::KeePassXcCsv;
    if (QFileInfo(path).suffix().isEmpty())
        path += *format == TransferFormat::KeePassXml ? QStringLiteral(".xml") : QStringLiteral(".csv");
    if (!MessageBox::askYesNo(browser, clearExportWarning(shownPath(path)), MessageBox::programTitle(),
                              MessageBox::Kind::Refusal) ||
        !browser || browser != m_keyBrowser || m_ended)
        return;

    QString refusal;
    QByteArray bytes = *format == TransferFormat::KeePassXml ? keePassXml(m_session.keyTable(), refusal)
                                                             : keePassXcCsv(m_session.keyTable());
    if (!refusal.isEmpty()) {
        MessageBox::show(browser, refusal, MessageBox::programTitle(), MessageBox::Kind::Refusal);
        return;
    }
    QString reason;
    const bool written = writeNewFile(path, bytes, reason);
    wipe(bytes);
    if (!written) {
        MessageBox::show(browser, QStringLiteral("%1 was not written: %2.").arg(shownPath(path), reason),
                         MessageBox::programTitle(), MessageBox::Kind::Failure);
        return;
    }
    browser->setStatusText(QStringLiteral("%1 keys exported to %2 (not enciphered)")
                               .arg(m_session.keyTable().keyCount())
                               .arg(shownPath(path)));
}

QString importedFromText(int count, const QString& fileName)
{
    return QStringLiteral("%1 keys imported from %2").arg(count).arg(fileName);
}

QString clearExportWarning(const QString& path)
{
    return QStringLiteral("%1 will not be enciphered: whoever can read it can read every password of this key "
                          "ring. Export it anyway?")
        .arg(path);
}

} // namespace tessary
