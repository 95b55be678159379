#pragma once

#include "app/key_table_watcher.h"
#include "storage/key_table.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QLocale>

namespace tessary {

class Session;

// The key browser's rows: a view of the key table, one row per key in slot order, so the row count is the key
// count. Whoever changes the table tells the model.
class KeyTableModel : public QAbstractTableModel, public KeyTableWatcher
{
    Q_OBJECT
public:
    enum Column
    {
        KeyColumn,
        UrlColumn,
        UserNameColumn,
        CreationColumn,
        ColumnCount
    };

    // A key's notes, for a search: no column shows them.
    static constexpr int NotesRole = Qt::UserRole + 1;

    explicit KeyTableModel(KeyTable& table, QObject* parent = nullptr);
    // Over the session's table: renames go through the session and are saved at once, and the rows its changes
    // add and take away are followed.
    explicit KeyTableModel(Session& session, QObject* parent = nullptr);
    ~KeyTableModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // A key's name edited in place: the table's rename rule decides.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    void setLocale(const QLocale& locale);
    // The table was replaced or refilled (a login): every row anew.
    void reload();
    // Changes to the table that add or remove rows go through here, so the views hear of them in step.
    bool removeKey(int slotNumber);
    KeyTable::AddResult addKey(KeyRecord& record, const QDateTime& now = QDateTime::currentDateTime());
    // A record kept as it is (an imported key); false when the table is full.
    bool appendRecord(const KeyRecord& record);
    // The key in `slotNumber` changed.
    void keyChanged(int slotNumber) override;
    void keyRemoving(int slotNumber) override;
    void keyRemoved() override;
    void keyInserting(int slotNumber) override;
    void keyInserted() override;
    // Keys were added after the last row, by the session (an import): the views hear of the new rows.
    void tableGrew();

    // The slot a row shows (rows and slots run in the same order).
    static int slotOf(int row) { return row + 1; }
    static int rowOf(int slot) { return slot - 1; }

signals:
    // A rename the table refused, with the message to show.
    void renameRefused(const QString& message);

private:
    KeyTable& m_table;
    Session* m_session = nullptr;
    QLocale m_locale;
    QIcon m_icon;
    int m_rows = 0; // what the views were last told
};

} // namespace tessary
