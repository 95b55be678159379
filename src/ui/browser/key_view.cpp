#include "ui/browser/key_view.h"

#include "storage/key_fields.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QUrl>

#include <algorithm>

namespace tessary {

namespace {

// A name typed in place (F2) stops where the wizard's and the command line's do.
class NameDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setMaxLength(static_cast<int>(keyNameLimit));
            line->setAccessibleName(QStringLiteral("Key name"));
        }
        return editor;
    }
};

// In the small icon and list views an item is as wide as its text; held to its grid cell, the delegate elides a
// long name instead of drawing it over the next one.
class CellDelegate : public NameDelegate
{
public:
    using NameDelegate::NameDelegate;
    void setMaximumWidth(int width) { m_maximumWidth = width; }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (m_maximumWidth > 0)
            size.setWidth(std::min(size.width(), m_maximumWidth));
        return size;
    }

private:
    int m_maximumWidth = 0;
};

} // namespace

KeyView::KeyView(QWidget* parent) : QStackedWidget(parent), m_list(new QListView(this)), m_details(new QTreeView(this))
{
    setObjectName(QStringLiteral("keyView"));
    m_list->setObjectName(QStringLiteral("keyViewIcons"));
    m_details->setObjectName(QStringLiteral("keyViewDetails"));
    m_details->setRootIsDecorated(false);
    m_details->setUniformRowHeights(true);
    m_details->setAllColumnsShowFocus(true);
    m_details->setItemsExpandable(false);
    // The last column takes what the others leave, so the header runs to the edge with or without a scroll bar.
    m_details->header()->setStretchLastSection(true);
    m_list->setMovement(QListView::Static);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setWrapping(true);
    m_list->setItemDelegate(new CellDelegate(m_list));
    m_details->setItemDelegate(new NameDelegate(m_details));
    // A screen reader names the list, in whichever view, by what it holds.
    for (QWidget* view : {static_cast<QWidget*>(m_list), static_cast<QWidget*>(m_details)})
        view->setAccessibleName(QStringLiteral("Keys"));
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(m_list), static_cast<QAbstractItemView*>(m_details)}) {
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setContextMenuPolicy(Qt::NoContextMenu);
        watch(view);
    }
    addWidget(m_list);
    addWidget(m_details);
    setViewMode(Report);
}

void KeyView::watch(QAbstractItemView* view)
{
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
    view->viewport()->setAcceptDrops(true);
    view->setDragDropMode(QAbstractItemView::DropOnly);
    connect(view, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { emit rowDoubleClicked(index.row()); });
}

void KeyView::setModel(QAbstractItemModel* model)
{
    m_details->setModel(model);
    m_list->setModel(model);
    m_list->setSelectionModel(m_details->selectionModel());
}

void KeyView::setViewMode(ViewMode mode)
{
    m_mode = mode;
    switch (mode) {
    case LargeIcon:
        m_list->setViewMode(QListView::IconMode);
        m_list->setIconSize(QSize(32, 32));
        m_list->setFlow(QListView::LeftToRight);
        m_list->setGridSize(QSize(80, 64));
        break;
    case SmallIcon:
        m_list->setViewMode(QListView::ListMode);
        m_list->setIconSize(QSize(16, 16));
        m_list->setFlow(QListView::LeftToRight);
        m_list->setGridSize(QSize(150, 20));
        break;
    case List:
        m_list->setViewMode(QListView::ListMode);
        m_list->setIconSize(QSize(16, 16));
        m_list->setFlow(QListView::TopToBottom);
        m_list->setGridSize(QSize(150, 20));
        break;
    case Report:
        break;
    }
    // Large icons wrap and elide within their cell by themselves.
    static_cast<CellDelegate*>(m_list->itemDelegate())
        ->setMaximumWidth(mode == SmallIcon || mode == List ? m_list->gridSize().width() - 2 : 0);
    if (mode != Report) {
        m_list->setMovement(QListView::Static);
        m_list->setWrapping(true);
    }
    setCurrentWidget(mode == Report ? static_cast<QWidget*>(m_details) : m_list);
}

QAbstractItemView* KeyView::currentView() const
{
    return m_mode == Report ? static_cast<QAbstractItemView*>(m_details) : m_list;
}

QItemSelectionModel* KeyView::selectionModel() const
{
    return m_details->selectionModel();
}

int KeyView::rowAt(const QPoint& viewportPoint) const
{
    const QModelIndex index = currentView()->indexAt(viewportPoint);
    return index.isValid() ? index.row() : -1;
}

int KeyView::selectedRow() const
{
    const QItemSelectionModel* selection = selectionModel();
    if (!selection)
        return -1;
    const QModelIndexList rows = selection->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void KeyView::selectRow(int row)
{
    QAbstractItemModel* model = m_details->model();
    if (!model || row < 0 || row >= model->rowCount())
        return;
    selectionModel()->setCurrentIndex(model->index(row, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void KeyView::editRow(int row)
{
    QAbstractItemModel* model = m_details->model();
    if (!model || row < 0 || row >= model->rowCount())
        return;
    currentView()->edit(model->index(row, 0));
}

bool KeyView::carriesFiles(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return false;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

bool KeyView::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        // The keyboard's way to the pop-up menu: the Menu key or Shift+F10, at the selected row.
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool menuKey =
            key->key() == Qt::Key_Menu || (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier);
        const int row = selectedRow();
        if (!menuKey || watched != currentView() || row < 0)
            break;
        const QModelIndex index = currentView()->model()->index(row, 0);
        currentView()->scrollTo(index);
        const QRect cell = currentView()->visualRect(index);
        emit rightButtonReleased(currentView()->viewport()->mapToGlobal(cell.center()), row);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            emit rightButtonReleased(mouse->globalPosition().toPoint(), rowAt(mouse->position().toPoint()));
            return true;
        }
        break;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        if (carriesFiles(drop->mimeData()))
            emit filesDropped();
        return true;
    }
    default:
        break;
    }
    return QStackedWidget::eventFilter(watched, event);
}

} // namespace tessary
