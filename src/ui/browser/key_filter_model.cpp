#include "ui/browser/key_filter_model.h"

#include "ui/widgets/key_table_model.h"

namespace tessary {

KeyFilterModel::KeyFilterModel(QObject* parent) : QSortFilterProxyModel(parent) {}

void KeyFilterModel::setSearchText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    invalidateFilter();
}

int KeyFilterModel::slotOf(int row) const
{
    const QModelIndex source = mapToSource(index(row, 0));
    return source.isValid() ? KeyTableModel::slotOf(source.row()) : -1;
}

bool KeyFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (m_text.isEmpty())
        return true;
    const QAbstractItemModel* keys = sourceModel();
    const std::pair<int, int> fields[] = {{KeyTableModel::KeyColumn, Qt::DisplayRole},
                                          {KeyTableModel::UserNameColumn, Qt::DisplayRole},
                                          {KeyTableModel::UrlColumn, Qt::DisplayRole},
                                          {KeyTableModel::KeyColumn, KeyTableModel::NotesRole}};
    for (const auto& [column, role] : fields) {
        if (keys->index(sourceRow, column, sourceParent).data(role).toString().contains(m_text, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace tessary
