#pragma once

#include <QStackedWidget>

class QAbstractItemModel;
class QAbstractItemView;
class QItemSelectionModel;
class QListView;
class QMimeData;
class QTreeView;

namespace tessary {

// The key list with the four views of a list-view control: large icons, small icons and list share one list
// view, details is a tree view with columns. Both show one model and one selection.
class KeyView : public QStackedWidget
{
    Q_OBJECT
public:
    enum ViewMode
    {
        LargeIcon = 0,
        SmallIcon = 1,
        List = 2,
        Report = 3
    };

    explicit KeyView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model);
    ViewMode viewMode() const { return m_mode; }
    void setViewMode(ViewMode mode);

    QAbstractItemView* currentView() const;
    QListView* listView() const { return m_list; }
    QTreeView* detailsView() const { return m_details; }
    QItemSelectionModel* selectionModel() const;

    // The row under a point of the current view's viewport, or -1.
    int rowAt(const QPoint& viewportPoint) const;
    // The selected row, or -1 when none is selected.
    int selectedRow() const;
    void selectRow(int row);
    // Starts editing the row's text in place.
    void editRow(int row);

    // Whether dropped data is something the list reacts to: at least one file.
    static bool carriesFiles(const QMimeData* data);

signals:
    // A right button released over the list (`row` is -1 over empty space), or the Menu key or Shift+F10 pressed
    // with a row selected, which then gives that row's place.
    void rightButtonReleased(const QPoint& globalPosition, int row);
    void rowDoubleClicked(int row);
    void filesDropped();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QAbstractItemView* view);

    QListView* m_list;
    QTreeView* m_details;
    ViewMode m_mode = Report;
};

} // namespace tessary
