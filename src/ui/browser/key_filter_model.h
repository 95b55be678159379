#pragma once

#include <QSortFilterProxyModel>

namespace tessary {

// Find's filter over the key table model: the keys whose name, user name, URL or notes contain the text, ignoring
// case, in slot order. The views show this model; the table model stays the one owner of the rows.
class KeyFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit KeyFilterModel(QObject* parent = nullptr);

    void setSearchText(const QString& text);
    const QString& searchText() const { return m_text; }
    bool isFiltering() const { return !m_text.isEmpty(); }

    // The key table's slot of a row of this model, or -1.
    int slotOf(int row) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QString m_text;
};

} // namespace tessary
