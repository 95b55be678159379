// Find: a search box above the key list that filters it, in all four views, to the keys whose name, user name,
// URL or notes hold the text. Every command acts on the key selected in what is left.
#include "ui/browser/key_browser.h"

#include "ui/browser/key_filter_model.h"
#include "ui/widgets/key_table_model.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QToolBar>
#include <QTreeView>

namespace tessary {

void KeyBrowser::buildFindBar()
{
    addToolBarBreak(Qt::TopToolBarArea);
    m_findBar = new QToolBar(QStringLiteral("Find"), this);
    m_findBar->setObjectName(QStringLiteral("findBar"));
    m_findBar->setMovable(false);
    m_findBar->setFloatable(false);
    m_findBar->toggleViewAction()->setEnabled(false);
    m_findBox = new QLineEdit(m_findBar);
    m_findBox->setObjectName(QStringLiteral("findBox"));
    m_findBox->setClearButtonEnabled(true);
    m_findBox->setPlaceholderText(QStringLiteral("Name, user name, URL or notes"));
    auto* label = new QLabel(QStringLiteral("F&ind:"), m_findBar);
    label->setBuddy(m_findBox);
    label->setContentsMargins(4, 0, 4, 0);
    m_findBar->addWidget(label);
    m_findBar->addWidget(m_findBox);
    addToolBar(Qt::TopToolBarArea, m_findBar);
    m_findBar->hide();

    connect(m_findBox, &QLineEdit::textChanged, this, &KeyBrowser::findTextChanged);
    connect(m_findBox, &QLineEdit::returnPressed, this, &KeyBrowser::goToFirstMatch);
    m_findBox->installEventFilter(this);
    m_keyView->listView()->installEventFilter(this);
    m_keyView->detailsView()->installEventFilter(this);
    // The bar moves the list down: its size follows once the window has laid the bar out.
    m_central->installEventFilter(this);
    // The count follows deletes, new keys and renames as well as typing.
    for (auto rowsChanged : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_filter, rowsChanged, this, &KeyBrowser::showFindCount);
    connect(m_filter, &QAbstractItemModel::modelReset, this, &KeyBrowser::showFindCount);
}

void KeyBrowser::startFind()
{
    m_findBar->show();
    m_findBox->setFocus();
    m_findBox->selectAll();
}

void KeyBrowser::clearFind()
{
    // The key selected in the filtered list stays selected in the whole one.
    const QModelIndex selected = m_filter->mapToSource(m_filter->index(m_keyView->selectedRow(), 0));
    m_findBox->clear();
    m_findBar->hide();
    if (selected.isValid())
        m_keyView->selectRow(m_filter->mapFromSource(selected).row());
    m_keyView->currentView()->setFocus();
}

void KeyBrowser::findTextChanged(const QString& text)
{
    m_filter->setSearchText(text);
    showFindCount();
}

// "N of M keys" while Find filters, and what the status bar said before once it stops; a command's own report
// (a copy, an export) meanwhile is left standing.
void KeyBrowser::showFindCount()
{
    const bool countShown = !m_findCount.isEmpty() && statusText() == m_findCount;
    if (!m_filter->isFiltering()) {
        if (countShown)
            setStatusText(m_statusBeforeFind);
        m_findCount.clear();
        return;
    }
    if (m_findCount.isEmpty())
        m_statusBeforeFind = statusText();
    else if (!countShown)
        return;
    m_findCount = QStringLiteral("%1 of %2 keys").arg(m_filter->rowCount()).arg(m_model.rowCount());
    setStatusText(m_findCount);
}

void KeyBrowser::goToFirstMatch()
{
    if (m_filter->rowCount() == 0)
        return;
    m_keyView->selectRow(0);
    m_keyView->currentView()->setFocus();
}

bool KeyBrowser::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_central && (event->type() == QEvent::Resize || event->type() == QEvent::Move)) {
        Form_Resize();
        return false;
    }
    const bool inList = watched == m_keyView->listView() || watched == m_keyView->detailsView();
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        (watched == m_findBox || (inList && m_findBar->isVisible()))) {
        clearFind();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace tessary
