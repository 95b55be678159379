// The key browser's commands: what its menus, toolbar, pop-up menu and list do to keys and to the key ring.
#include "ui/browser/key_browser.h"

#include "app/key_ring_import.h"
#include "app/session.h"
#include "storage/codepage.h"
#include "ui/browser/key_filter_model.h"
#include "ui/browser/password_clipboard.h"
#include "ui/widgets/key_table_model.h"
#include "ui/widgets/message_box.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QToolBar>
#include <QUrl>

#include <algorithm>

namespace tessary {

void KeyBrowser::connectCommands()
{
    auto on = [this](const char* name, auto command) {
        connect(action(QLatin1String(name)), &QAction::triggered, this, command);
    };
    on("copyPassword", [this] { CopyPasswordToClipboard(); });
    on("popupCopyPassword", [this] { CopyPasswordToClipboard(); });
    on("menuDeleteKey", [this] { deleteKey(false); });
    on("menuRenameKey", [this] { startRename(); });
    on("menuKeyProperties", [this] { KeyPropertiesDialog(); });
    on("popUpKeyProps", [this] { KeyPropertiesDialog(); });
    on("menuChangePassword", [this] { changePassword(); });
    on("menuChangeMasterPassword", [this] { emit changeMasterPasswordRequested(); });
    on("menuImportKeyring", [this] { importKeyring(); });
    on("menuExportKeyring", [this] { exportKeyring(); });
    on("menuImportFrom", [this] { emit importFromRequested(); });
    on("menuExportTo", [this] { emit exportToRequested(); });
    on("menuGotoPage", [this] { gotoPage(); });
    on("menuNewKey", [this] { newKeyEntry(); });
    on("menuDocumentation", [this] { showDocumentation(); });
    on("menuAbout", [this] { emit aboutRequested(); });
    on("menuWebUpdate", [this] { emit webUpdateRequested(); });
    connect(m_keyView, &KeyView::rowDoubleClicked, this, [this] { CopyPasswordToClipboard(); });
    connect(m_toolbar, &QToolBar::actionTriggered, this,
            [this](QAction* button) { Toolbar1_ButtonClick(button->data().toInt()); });
    // A key just made or imported is the one the commands then act on (not one a changed filter lets back in).
    connect(&m_model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int, int last) {
        const QModelIndex shown = m_filter->mapFromSource(m_model.index(last, 0));
        if (shown.isValid())
            m_keyView->selectRow(shown.row());
    });
    // After the editor has closed, so the box does not interrupt the list's own editing.
    connect(
        &m_model, &KeyTableModel::renameRefused, this,
        [this](const QString& message) { MessageBox::show(this, message, {}, MessageBox::Kind::Refusal); },
        Qt::QueuedConnection);
}

int KeyBrowser::selectedSlot() const
{
    const int row = m_keyView->selectedRow();
    return row < 0 ? -1 : m_filter->slotOf(row);
}

void KeyBrowser::CopyPasswordToClipboard()
{
    copyPassword(selectedSlot());
}

void KeyBrowser::copyPassword(int slot)
{
    if (slot < 1 || slot > m_session.keyTable().keyCount())
        return;
    m_clipboard->copy(fromCodePage(usablePassword(m_session.keyTable().slot(slot))));
    setStatusText(passwordCopiedText());
}

void KeyBrowser::deleteKey(bool saveAtOnce)
{
    const int slot = selectedSlot();
    if (slot < 0)
        return;
    const int row = m_keyView->selectedRow();
    m_model.removeKey(slot);
    // The row that moved up into its place, or the new last row, keeps the commands working.
    m_keyView->selectRow(std::min(row, m_filter->rowCount() - 1));
    if (saveAtOnce)
        saveNow();
}

void KeyBrowser::startRename()
{
    m_keyView->editRow(m_keyView->selectedRow());
}

void KeyBrowser::KeyPropertiesDialog()
{
    const int row = m_keyView->selectedRow();
    if (row < 0)
        return;
    emit keyPropertiesRequested(m_filter->index(row, KeyTableModel::KeyColumn).data().toString());
}

void KeyBrowser::changePassword()
{
    const int row = m_keyView->selectedRow();
    if (row >= 0)
        emit changePasswordRequested(m_filter->index(row, KeyTableModel::KeyColumn).data().toString());
}

void KeyBrowser::newKeyEntry()
{
    // Refused at once rather than after the wizard's six pages.
    if (m_session.keyTable().isFull()) {
        MessageBox::show(this, maximumKeysMessage(), {}, MessageBox::Kind::Refusal);
        return;
    }
    emit newKeyRequested();
}

void KeyBrowser::Toolbar1_ButtonClick(int index)
{
    switch (index) {
    case 1:
        exportKeyring();
        break;
    case 2:
        importKeyring();
        break;
    case 4:
        newKeyEntry();
        break;
    case 5:
        deleteKey(true);
        break;
    case 7:
        gotoPage();
        break;
    default:
        break;
    }
}

void KeyBrowser::exportKeyring()
{
    QString error;
    if (!m_session.exportKeyRing(&error)) {
        MessageBox::show(this, error, MessageBox::programTitle(), MessageBox::Kind::Failure);
        return;
    }
    const QFileInfo file(m_session.path(QLatin1String(exportFileName)));
    setStatusText(exportedText(QDir::toNativeSeparators(file.absoluteFilePath())));
}

void KeyBrowser::importKeyring()
{
    KeyRingImport import(m_session);
    if (!import.failure().isEmpty()) {
        MessageBox::show(this, import.failure(), MessageBox::programTitle(), MessageBox::Kind::Failure);
        return;
    }
    if (import.needsPassword()) {
        QString password;
        // The program may end while the box waits, and take this window with it.
        const QPointer<KeyBrowser> alive(this);
        if (!MessageBox::askPassword(this, MessageBox::programTitle(), importPasswordPrompt(), &password) || !alive ||
            isHidden())
            return;
        const bool unlocked = import.unlock(password);
        password.fill(QChar(u'\0'));
        if (!unlocked) {
            MessageBox::show(this, incorrectPasswordMessage(), MessageBox::programTitle(), MessageBox::Kind::Refusal);
            return;
        }
    }
    const KeyRingImport::Count count =
        import.merge(m_session.keyTable(), [this](const KeyRecord& record) { return m_model.appendRecord(record); });
    MessageBox::show(this, importSummaryMessage(count), MessageBox::programTitle(), MessageBox::Kind::Information);
}

void KeyBrowser::gotoPage()
{
    const int slot = selectedSlot();
    if (slot < 0) {
        setStatusText(noKeySelectedText());
        return;
    }
    const KeyRecord& record = m_session.keyTable().slot(slot);
    const QString url = fromCodePage(record.url);
    if (url.isEmpty()) {
        setStatusText(noUrlText(fromCodePage(record.name)));
        return;
    }
    const QUrl address = QUrl::fromUserInput(url);
    if (!address.isValid()) {
        setStatusText(notAnAddressText(url));
        return;
    }
    setStatusText(QDesktopServices::openUrl(address) ? openingText(address.toString())
                                                     : noBrowserText(address.scheme()));
}

void KeyBrowser::showDocumentation()
{
    MessageBox::show(this, documentationMessage());
}

void KeyBrowser::saveNow()
{
    QString error;
    if (!m_session.save(&error))
        MessageBox::show(this, error, MessageBox::programTitle(), MessageBox::Kind::Failure);
}

QString passwordCopiedText()
{
    return QStringLiteral("Password Copied to Clipboard...");
}

QString exportedText(const QString& path)
{
    return QStringLiteral("Key ring exported to %1").arg(path);
}

QString noKeySelectedText()
{
    return QStringLiteral("No key is selected.");
}

QString noUrlText(const QString& keyName)
{
    return QStringLiteral("The key \"%1\" has no URL to open.").arg(keyName);
}

QString notAnAddressText(const QString& url)
{
    return QStringLiteral("No browser opened: \"%1\" is not a web address.").arg(url);
}

QString openingText(const QString& url)
{
    return QStringLiteral("Opening %1 ...").arg(url);
}

QString noBrowserText(const QString& scheme)
{
    return QStringLiteral("No browser opened: the system has no program for %1 addresses.").arg(scheme);
}

QString documentationMessage()
{
    return QStringLiteral("Documentation is availible via the PDF file include with the distribution");
}

QString importPasswordPrompt()
{
    return QStringLiteral("%1 was saved under another master password. Its master password:")
        .arg(QLatin1String(exportFileName));
}

} // namespace tessary
