#pragma once

#include "ui/browser/key_view.h"

#include <QMainWindow>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QToolBar;

namespace tessary {

class KeyFilterModel;
class KeyTableModel;
class PasswordClipboard;
class Session;

// The logged-in user's main window: the key list in four views, toolbar, menu bar, pop-up menu and status bar. The
// windows its commands open (key properties, the wizard, About, the update check) are asked for through its signals.
class KeyBrowser : public QMainWindow
{
    Q_OBJECT
public:
    // `model` shows `session`'s key table.
    KeyBrowser(Session& session, KeyTableModel& model);
    ~KeyBrowser() override;

    // Fills the list from the key table, from scratch.
    void showKeyRing();
    // The unload handler: writes the key ring.
    void Form_Unload();
    // Before a lock: the layout kept for the next login, and a password still on the clipboard taken off it. (The
    // session's lock saves.)
    void leaveSession();

    void Form_Resize();
    void switchView(KeyView::ViewMode mode);
    void keyView_MouseUp(const QPoint& globalPosition, int row);
    void keyView_OLEDragDrop();
    void menuRefreshDisplay_Click();
    void SortbyName_Click();

    // The commands on keys and on the key ring.
    void CopyPasswordToClipboard();
    // The same for the key in `slot`, selected or not.
    void copyPassword(int slot);
    void KeyPropertiesDialog();
    void changePassword();
    void newKeyEntry();
    void Toolbar1_ButtonClick(int index);
    // Asks first (No the default), then deletes and saves at once; Undo Delete brings the key back.
    void deleteKey();
    void undoDelete();
    void copyUserName();
    void startRename();
    void exportKeyring();
    void importKeyring();
    void gotoPage();
    void showDocumentation();
    // Find: the search box above the list, and the filter it sets; clearing it shows every key again.
    void startFind();
    void clearFind();

    KeyView* keyView() const { return m_keyView; }
    PasswordClipboard* passwordClipboard() const { return m_clipboard; }
    KeyTableModel* model() const { return &m_model; }
    // What the views show: the keys Find leaves, all of them when it is not in use.
    KeyFilterModel* filterModel() const { return m_filter; }
    QLineEdit* findBox() const { return m_findBox; }
    QMenu* popupMenu() const { return m_popUp; }
    QString statusText() const;
    void setStatusText(const QString& text);
    QAction* action(const QString& name) const;

signals:
    // "E&xit" or the close box: the program ends.
    void exitChosen();
    // "&Lock" (Ctrl+L) and "Log &Out": the same end of the session, named for what each user wants.
    void lockRequested();
    void logOutRequested();
    // View's "&Options...".
    void optionsRequested();
    // Key Properties, or Change Password, for the key of this name (the selected row's).
    void keyPropertiesRequested(const QString& keyName);
    void changePasswordRequested(const QString& keyName);
    void changeMasterPasswordRequested();
    void keyRingSecurityRequested();
    void newKeyRequested();
    // The Help menu's windows. "&Web Update" stays disabled; code may still ask for the window.
    void aboutRequested();
    void webUpdateRequested();
    void keyHealthRequested();
    // Import From and Export To: keys from and to another password manager's file.
    void importFromRequested();
    void exportToRequested();

protected:
    // None: the window's only pop-up menu is the list's, over a row.
    QMenu* createPopupMenu() override { return nullptr; }
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildMenus();
    void connectCommands();
    // The selected row's slot in the key table, or -1 when no row is selected.
    int selectedSlot() const;
    void showUndoState();
    // The size and view of the last session, from the settings store, and back into it.
    void restoreLayout();
    void storeLayout() const;
    void buildToolbar();
    void buildFindBar();
    void findTextChanged(const QString& text);
    void showFindCount();
    void goToFirstMatch();
    QAction* addItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut = {});
    QMenu* addMenu(QMenu* parent, const char* name, const QString& caption);
    void addSeparator(QMenu* menu, const char* name);
    int sizeColumns();

    Session& m_session;
    KeyTableModel& m_model;
    KeyFilterModel* m_filter;
    QWidget* m_central;
    KeyView* m_keyView;
    QToolBar* m_toolbar = nullptr;
    QToolBar* m_findBar = nullptr;
    QLineEdit* m_findBox = nullptr;
    QString m_statusBeforeFind;
    QString m_findCount; // the count Find last showed, empty while it does not filter
    QLabel* m_statusPanel = nullptr;
    QMenu* m_popUp = nullptr;
    PasswordClipboard* m_clipboard;
};

// "Tessory v0.1 Alpha II"
QString initialStatusText();
QString soonToComeMessage();
QString passwordCopiedText();
QString userNameCopiedText();
QString deleteKeyQuestion(const QString& keyName);
QString keyRestoredText(const QString& keyName);
QString documentationMessage();
// The help the package ships, beside the program's own folder as installed (and in the build tree), or empty.
QString helpFilePath();
QString noHelpViewerMessage(const QString& path);
QString importPasswordPrompt();
// Status bar feedback of Export and Goto Page.
QString exportedText(const QString& path);
QString noKeySelectedText();
QString noUrlText(const QString& keyName);
QString notAnAddressText(const QString& url);
QString openingText(const QString& url);
QString noBrowserText(const QString& scheme);

} // namespace tessary
