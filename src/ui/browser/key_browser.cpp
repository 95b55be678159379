#include "ui/browser/key_browser.h"

#include "app/session.h"
#include "storage/key_table.h"
#include "storage/ole_date.h"
#include "ui/browser/key_filter_model.h"
#include "ui/browser/key_view_layout.h"
#include "ui/browser/password_clipboard.h"
#include "ui/widgets/icons.h"
#include "ui/widgets/key_table_model.h"
#include "ui/widgets/message_box.h"
#include "ui/widgets/twips.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTreeView>

#include <algorithm>
#include <utility>

namespace tessary {

namespace {

// The design's list top and initial client area, in twips.
constexpr int designClientWidth = 7260;
constexpr int designClientHeight = 3660;
// Column widths: 3281, 3281, 2540 and 2540 hundredths of a millimetre.
constexpr int columnTwips[] = {1860, 1860, 1440, 1440};

const QString geometrySetting = QStringLiteral("Settings/KeyBrowserGeometry");
const QString viewSetting = QStringLiteral("Settings/KeyBrowserView");

} // namespace

KeyBrowser::KeyBrowser(Session& session, KeyTableModel& model)
    : m_session(session), m_model(model), m_filter(new KeyFilterModel(this)), m_central(new QWidget(this)),
      m_keyView(new KeyView(m_central)), m_clipboard(new PasswordClipboard(this))
{
    setObjectName(QStringLiteral("keyBrowser"));
    setWindowTitle(QStringLiteral("Tessary"));
    setWindowIcon(programIcon());
    setCentralWidget(m_central);
    m_filter->setSourceModel(&m_model);
    m_keyView->setModel(m_filter);

    buildMenus();
    buildToolbar();
    buildFindBar();

    statusBar()->setObjectName(QStringLiteral("StatusBar2"));
    statusBar()->setSizeGripEnabled(true);
    m_statusPanel = new QLabel(initialStatusText(), statusBar());
    m_statusPanel->setObjectName(QStringLiteral("statusPanel"));
    statusBar()->addWidget(m_statusPanel, 1);

    const int listWidth = sizeColumns();

    connect(m_keyView, &KeyView::rightButtonReleased, this, &KeyBrowser::keyView_MouseUp);
    connect(m_keyView, &KeyView::filesDropped, this, &KeyBrowser::keyView_OLEDragDrop);
    connectCommands();

    const int dpi = dotsPerInch(*this);
    resize(std::max(twipsToPixels(designClientWidth, dpi), listWidth),
           twipsToPixels(designClientHeight, dpi) + menuBar()->sizeHint().height());
    // Never so small that the bars overlap: the menu bar and the toolbar whole, and room for a few rows.
    setMinimumSize(std::max(menuBar()->sizeHint().width(), m_toolbar->sizeHint().width()),
                   menuBar()->sizeHint().height() + m_toolbar->sizeHint().height() + statusBar()->sizeHint().height() +
                       4 * fontMetrics().height());
    restoreLayout();
}

void KeyBrowser::restoreLayout()
{
    const QSettings settings(QStringLiteral("Tessary"), QStringLiteral("Tessary"));
    restoreGeometry(settings.value(geometrySetting).toByteArray());
    bool known = false;
    const int mode = settings.value(viewSetting).toInt(&known);
    if (known && mode >= KeyView::LargeIcon && mode <= KeyView::Report)
        switchView(KeyView::ViewMode(mode));
}

void KeyBrowser::storeLayout() const
{
    QSettings settings(QStringLiteral("Tessary"), QStringLiteral("Tessary"));
    settings.setValue(geometrySetting, saveGeometry());
    settings.setValue(viewSetting, int(m_keyView->viewMode()));
}

// The design's widths were made for its own small font: each column is widened to what this font needs for its
// header, and the Creation Date column for the widest stamp the locale writes. Returns the width the list needs
// to show all four columns whole.
int KeyBrowser::sizeColumns()
{
    QTreeView* details = m_keyView->detailsView();
    const QFontMetrics metrics = details->fontMetrics();
    const QStyle* style = details->style();
    const int textMargin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, details) + 1;
    int widestStamp = 0;
    for (int month = 1; month <= 12; ++month) {
        for (int hour : {10, 22}) {
            KeyRecord sample;
            sample.dateCreated = toOleDate(QDate(2000, month, 28));
            sample.timeCreated = toOleTime(QTime(hour, 58, 58));
            widestStamp = std::max(widestStamp, metrics.horizontalAdvance(creationStamp(sample, QLocale())));
        }
    }
    const int dpi = dotsPerInch(*this);
    int total = 2 * details->frameWidth() + style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, details);
    for (int column = 0; column < KeyTableModel::ColumnCount; ++column) {
        int width = std::max(twipsToPixels(columnTwips[column], dpi), details->header()->sectionSizeHint(column));
        if (column == KeyTableModel::CreationColumn)
            width = std::max(width, widestStamp + 2 * textMargin + 2);
        details->setColumnWidth(column, width);
        total += width;
    }
    return total;
}

KeyBrowser::~KeyBrowser() = default;

QAction* KeyBrowser::addItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut)
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    item->setShortcut(shortcut);
    item->setShortcutContext(Qt::WindowShortcut);
    return item;
}

QMenu* KeyBrowser::addMenu(QMenu* parent, const char* name, const QString& caption)
{
    QMenu* menu = parent ? parent->addMenu(caption) : menuBar()->addMenu(caption);
    menu->setObjectName(QLatin1String(name));
    menu->menuAction()->setObjectName(QLatin1String(name));
    return menu;
}

void KeyBrowser::addSeparator(QMenu* menu, const char* name)
{
    menu->addSeparator()->setObjectName(QLatin1String(name));
}

void KeyBrowser::buildMenus()
{
    QMenu* file = addMenu(nullptr, "menuFile", QStringLiteral("&File"));
    // The toolbar's import and export, for the keyboard too.
    addItem(file, "menuImportKeyring", QStringLiteral("&Import Keyring"));
    addItem(file, "menuExportKeyring", QStringLiteral("&Export Keyring"), QKeySequence(Qt::CTRL | Qt::Key_E));
    addItem(file, "menuImportFrom", QStringLiteral("Import &From..."));
    addItem(file, "menuExportTo", QStringLiteral("Export &To..."));
    addItem(file, "menuChangeMasterPassword", QStringLiteral("Change &Master Password..."));
    addItem(file, "menuKeyRingSecurity", QStringLiteral("Key Ring &Security..."));
    addSeparator(file, "menuFileSeperator");
    connect(addItem(file, "menuLock", QStringLiteral("&Lock"), QKeySequence(Qt::CTRL | Qt::Key_L)), &QAction::triggered,
            this, &KeyBrowser::lockRequested);
    connect(addItem(file, "menuLogOut", QStringLiteral("Log &Out")), &QAction::triggered, this,
            &KeyBrowser::logOutRequested);
    addSeparator(file, "menuFileSeperatorLock");
    connect(addItem(file, "menuExit", QStringLiteral("E&xit")), &QAction::triggered, this, &KeyBrowser::exitChosen);

    QMenu* edit = addMenu(nullptr, "menuEdit", QStringLiteral("&Edit"));
    addItem(edit, "menuUndoDelete", QStringLiteral("&Undo Delete"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    // A lock or another login may have let go of the deleted key since the last delete.
    connect(edit, &QMenu::aboutToShow, this, &KeyBrowser::showUndoState);

    QMenu* view = addMenu(nullptr, "ViewMenu", QStringLiteral("&View"));
    for (auto [name, caption] : {std::pair{"ViewToolbar", "&Toolbar"}, std::pair{"ViewStatusbar", "&Status Bar"}}) {
        QAction* item = addItem(view, name, QLatin1String(caption));
        item->setCheckable(true);
        item->setChecked(true);
        item->setEnabled(false);
    }
    addSeparator(view, "ViewSep");
    // No exclusive group: its items would show radio bullets, and these carry check marks; switchView moves the
    // mark itself.
    const std::pair<const char*, const char*> viewItems[] = {{"LargeIconView", "Lar&ge Icons"},
                                                             {"SmallIconView", "S&mall  Icons"},
                                                             {"ListView", "&List"},
                                                             {"ReportView", "&Details"}};
    for (int mode = KeyView::LargeIcon; mode <= KeyView::Report; ++mode) {
        QAction* item = addItem(view, viewItems[mode].first, QLatin1String(viewItems[mode].second));
        item->setCheckable(true);
        item->setChecked(mode == KeyView::Report);
        connect(item, &QAction::triggered, this, [this, mode] { switchView(KeyView::ViewMode(mode)); });
    }
    addSeparator(view, "ViewSep2");
    QMenu* arrange = addMenu(view, "Sortby", QStringLiteral("&Arrange Icons"));
    arrange->menuAction()->setEnabled(false);
    connect(addItem(arrange, "SortbyName", QStringLiteral("&Key Name")), &QAction::triggered, this,
            &KeyBrowser::SortbyName_Click);
    addItem(arrange, "SortbyDate", QStringLiteral("&Key Date"));
    addItem(arrange, "SortbyDescription", QStringLiteral("&Key Description"));
    addItem(view, "lineUpIcons", QStringLiteral("Line &Up Icons")); // Alt+V L is List's
    addSeparator(view, "ViewSep3");
    connect(addItem(view, "menuFind", QStringLiteral("&Find..."), QKeySequence(Qt::CTRL | Qt::Key_F)),
            &QAction::triggered, this, &KeyBrowser::startFind);
    connect(addItem(view, "menuKeyHealth", QStringLiteral("Key &Health...")), &QAction::triggered, this,
            &KeyBrowser::keyHealthRequested);
    addSeparator(view, "ViewSep4");
    connect(addItem(view, "menuRefreshDisplay", QStringLiteral("&Refresh")), &QAction::triggered, this,
            &KeyBrowser::menuRefreshDisplay_Click);
    connect(addItem(view, "viewOptions", QStringLiteral("&Options...")), &QAction::triggered, this,
            &KeyBrowser::optionsRequested);

    QMenu* key = addMenu(nullptr, "menuKey", QStringLiteral("&Key"));
    addItem(key, "copyPassword", QStringLiteral("&Copy Password"), QKeySequence(Qt::CTRL | Qt::Key_C));
    addItem(key, "menuCopyUserName", QStringLiteral("Copy &User Name"), QKeySequence(Qt::CTRL | Qt::Key_B));
    addSeparator(key, "menuKeySeperatorC");
    addItem(key, "menuNewKey", QStringLiteral("&New Key"), QKeySequence(Qt::CTRL | Qt::Key_N));
    addItem(key, "menuDeleteKey", QStringLiteral("&Delete Key"), QKeySequence(Qt::Key_Delete));
    addSeparator(key, "menuKeySeperatorA");
    addItem(key, "menuRenameKey", QStringLiteral("&Rename Key"), QKeySequence(Qt::Key_F2));
    addItem(key, "menuKeyProperties", QStringLiteral("Key &Properties"), QKeySequence(Qt::Key_F4));
    addItem(key, "menuChangePassword", QStringLiteral("Change Pass&word..."));
    addSeparator(key, "menuKeySeperatorB");
    // The toolbar's Goto Page, for the keyboard too; Ctrl+G as before.
    addItem(key, "menuGotoPage", QStringLiteral("&Open URL"))
        ->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_U), QKeySequence(Qt::CTRL | Qt::Key_G)});

    QMenu* help = addMenu(nullptr, "menuHelp", QStringLiteral("&Help"));
    addItem(help, "menuWebUpdate", QStringLiteral("&Web Update"))->setEnabled(false);
    addItem(help, "menuDocumentation", QStringLiteral("&Documentation"), QKeySequence(Qt::Key_F1));
    addSeparator(help, "menuHelpSeperator");
    addItem(help, "menuAbout", QStringLiteral("&About"));

    m_popUp = new QMenu(QStringLiteral("PopupMenu"), this);
    m_popUp->setObjectName(QStringLiteral("popUp"));
    QAction* popupCopy = m_popUp->addAction(QStringLiteral("&Copy Password"));
    popupCopy->setObjectName(QStringLiteral("popupCopyPassword"));
    m_popUp->addSeparator()->setObjectName(QStringLiteral("sepa"));
    m_popUp->addAction(QStringLiteral("&Key Properties"))->setObjectName(QStringLiteral("popUpKeyProps"));
    m_popUp->setDefaultAction(popupCopy);
}

void KeyBrowser::buildToolbar()
{
    m_toolbar = new QToolBar(QStringLiteral("Toolbar"), this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setIconSize(QSize(16, 16));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolbar->toggleViewAction()->setEnabled(false);
    addToolBar(Qt::TopToolBarArea, m_toolbar);

    struct Button
    {
        const char* name;
        const char* icon;
        const char* tip;
    };
    // By index 1 to 7; the index is what the command looks at.
    const Button buttons[] = {
        {"exportButton", "export", "Export Keyring"},    {"importButton", "import", "Import Keyring"},
        {"toolbarSeparator1", nullptr, nullptr},         {"addKeyButton", "add-key", "Add New Key"},
        {"deleteKeyButton", "delete-key", "Delete Key"}, {"toolbarSeparator2", nullptr, nullptr},
        {"gotoPageButton", "goto-page", "Goto Page"}};
    int index = 0;
    for (const Button& button : buttons) {
        ++index;
        QAction* action = button.icon ? m_toolbar->addAction(toolbarIcon(button.icon), QLatin1String(button.tip))
                                      : m_toolbar->addSeparator();
        action->setObjectName(QLatin1String(button.name));
        action->setData(index);
        if (button.tip) {
            action->setToolTip(QLatin1String(button.tip));
            // An icon alone says nothing to a screen reader: the button is named by its command.
            m_toolbar->widgetForAction(action)->setAccessibleName(QLatin1String(button.tip));
        }
    }
}

QAction* KeyBrowser::action(const QString& name) const
{
    return findChild<QAction*>(name);
}

void KeyBrowser::showKeyRing()
{
    // Another user's keys: a search in the last one's has no place here.
    clearFind();
    m_model.reload();
    // The commands act on the selected row, so the first row starts selected and current.
    m_keyView->selectRow(0);
    showUndoState();
}

void KeyBrowser::Form_Unload()
{
    storeLayout();
    m_clipboard->clearIfStillOurs();
    QString error;
    // A read-only key ring refused every change as it came: there is nothing to save.
    if (m_session.isLoggedIn() && !m_session.isReadOnly() && !m_session.save(&error))
        MessageBox::show(this, error, MessageBox::programTitle(), MessageBox::Kind::Failure);
}

void KeyBrowser::leaveSession()
{
    storeLayout();
    m_clipboard->clearIfStillOurs();
}

void KeyBrowser::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit exitChosen();
}

void KeyBrowser::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void KeyBrowser::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    Form_Resize();
}

void KeyBrowser::Form_Resize()
{
    if (isMinimized())
        return;
    // The design's arithmetic with this window's real frame and bars, in pixels, so the list fills the client
    // area between the toolbar and the status bar exactly.
    const QSize outer = frameGeometry().size();
    const QSize frame(outer.width() - width(), outer.height() - height() + menuBar()->height());
    const int top = m_toolbar->height() + (m_findBar->isVisible() ? m_findBar->height() : 0);
    m_keyView->setGeometry(QRect(QPoint(0, 0), keyViewSize(outer, top, statusBar()->height(), frame)));
}

void KeyBrowser::switchView(KeyView::ViewMode mode)
{
    m_keyView->setViewMode(mode);
    QSettings(QStringLiteral("Tessary"), QStringLiteral("Tessary")).setValue(viewSetting, int(mode));
    const char* names[] = {"LargeIconView", "SmallIconView", "ListView", "ReportView"};
    for (int item = KeyView::LargeIcon; item <= KeyView::Report; ++item)
        action(QLatin1String(names[item]))->setChecked(item == mode);
}

void KeyBrowser::keyView_MouseUp(const QPoint& globalPosition, int row)
{
    if (row < 0)
        return;
    m_popUp->popup(globalPosition, m_popUp->defaultAction());
}

void KeyBrowser::keyView_OLEDragDrop()
{
    MessageBox::show(this, soonToComeMessage());
}

void KeyBrowser::menuRefreshDisplay_Click()
{
    m_keyView->currentView()->viewport()->update();
}

void KeyBrowser::SortbyName_Click()
{
    // Only the sort column is set; sorting itself stays off.
    m_keyView->detailsView()->header()->setSortIndicator(0, Qt::AscendingOrder);
}

QString KeyBrowser::statusText() const
{
    return m_statusPanel->text();
}

void KeyBrowser::setStatusText(const QString& text)
{
    m_statusPanel->setText(text);
}

QString initialStatusText()
{
    return QStringLiteral("Tessory v0.1 Alpha II");
}

QString soonToComeMessage()
{
    return QStringLiteral("Soon to come...");
}

} // namespace tessary
