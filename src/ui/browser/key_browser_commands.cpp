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
#include <QCoreApplication>
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
    on("menuDeleteKey", [this] { deleteKey(); });
    on("menuUndoDelete", [this] { undoDelete(); });
    on("menuCopyUserName", [this] { copyUserName(); });
    on("menuRenameKey", [this] { startRename(); });
    on("menuKeyProperties", [this] { KeyPropertiesDialog(); });
    on("popUpKeyProps", [this] { KeyPropertiesDialog(); });
    on("menuChangePassword", [this] { changePassword(); });
    on("menuChangeMasterPassword", [this] { emit changeMasterPasswordRequested(); });
    on("menuKeyRingSecurity", [this] { emit keyRingSecurityRequested(); });
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

void KeyBrowser::copyUserName()
{
    const int slot = selectedSlot();
    if (slot < 1 || slot > m_session.keyTable().keyCount())
        return;
    // Cleared as a password is: a user name is half of what a login needs.
    m_clipboard->copy(fromCodePage(m_session.keyTable().slot(slot).userName));
    setStatusText(userNameCopiedText());
}

void KeyBrowser::deleteKey()
{
    const int slot = selectedSlot();
    if (slot < 0)
        return;
    const int row = m_keyView->selectedRow();
    const QString name = fromCodePage(m_session.keyTable().slot(slot).name);
    // The program may end while the box waits, and take this window with it.
    const QPointer<KeyBrowser> alive(this);
    const bool yes = MessageBox::askYesNo(this, deleteKeyQuestion(name), MessageBox::programTitle());
    if (!alive || isHidden())
        return;
    // Where no window manager hands the focus back, the list takes it again itself.
    activateWindow();
    if (!yes)
        return;
    // The table may have changed under the box (a tray login): the name, not the slot, says which key.
    const int current = fitsCodePage(name) ? m_session.keyTable().findKey(toCodePage(name)) : KeyTable::notFound;
    if (current < 1 || current > m_session.keyTable().keyCount())
        return;
    QString error;
    if (!m_session.removeKey(current, &error)) {
        MessageBox::show(this, error, MessageBox::programTitle(), MessageBox::Kind::Failure);
        return;
    }
    // The row that moved up into its place, or the new last row, keeps the commands working.
    m_keyView->selectRow(std::min(row, m_filter->rowCount() - 1));
    showUndoState();
}

void KeyBrowser::undoDelete()
{
    const QString name = fromCodePage(m_session.removedKeyName());
    QString error;
    const int slot = m_session.undoRemove(&error);
    showUndoState();
    if (slot < 1) {
        MessageBox::show(this, error, MessageBox::programTitle(), MessageBox::Kind::Refusal);
        return;
    }
    const QModelIndex shown = m_filter->mapFromSource(m_model.index(KeyTableModel::rowOf(slot), 0));
    if (shown.isValid())
        m_keyView->selectRow(shown.row());
    setStatusText(keyRestoredText(name));
}

void KeyBrowser::showUndoState()
{
    action(QStringLiteral("menuUndoDelete"))->setEnabled(m_session.canUndoRemove());
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
        deleteKey();
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
    const int before = m_session.keyTable().keyCount();
    const KeyRingImport::Count count =
        import.merge(m_session.keyTable(), [this](const KeyRecord& record) { return m_model.appendRecord(record); });
    QString error;
    if (count.added > 0 && !m_session.save(&error)) {
        // What the file does not hold leaves the list too.
        while (m_session.keyTable().keyCount() > before)
            m_model.removeKey(m_session.keyTable().keyCount());
        MessageBox::show(this, unsavedChangeMessage(error), MessageBox::programTitle(), MessageBox::Kind::Failure);
        return;
    }
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
    const QString help = helpFilePath();
    if (help.isEmpty()) {
        MessageBox::show(this, documentationMessage());
        return;
    }
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(help)))
        setStatusText(openingText(QDir::toNativeSeparators(help)));
    else
        MessageBox::show(this, noHelpViewerMessage(QDir::toNativeSeparators(help)));
}

QString passwordCopiedText()
{
    return QStringLiteral("Password Copied to Clipboard...");
}

QString userNameCopiedText()
{
    return QStringLiteral("User Name Copied to Clipboard...");
}

QString deleteKeyQuestion(const QString& keyName)
{
    return QStringLiteral("Delete the key \"%1\"?").arg(keyName);
}

QString keyRestoredText(const QString& keyName)
{
    return QStringLiteral("The key \"%1\" is back.").arg(keyName);
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

QString helpFilePath()
{
    const QFileInfo help(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/doc/tessary/tessary.html"));
    return help.isFile() ? help.canonicalFilePath() : QString();
}

QString noHelpViewerMessage(const QString& path)
{
    return QStringLiteral("No program here opens web pages. The help is in %1; \"man tessary\" shows it too.")
        .arg(path);
}

QString importPasswordPrompt()
{
    return QStringLiteral("%1 was saved under another master password. Its master password:")
        .arg(QLatin1String(exportFileName));
}

} // namespace tessary
