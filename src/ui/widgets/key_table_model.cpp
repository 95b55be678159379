#include "ui/widgets/key_table_model.h"

#include "app/session.h"
#include "storage/codepage.h"
#include "storage/key_fields.h"
#include "storage/key_table.h"
#include "ui/widgets/icons.h"

namespace tessary {

KeyTableModel::KeyTableModel(KeyTable& table, QObject* parent)
    : QAbstractTableModel(parent), m_table(table), m_icon(keyIcon()), m_rows(table.keyCount())
{
}

KeyTableModel::KeyTableModel(Session& session, QObject* parent) : KeyTableModel(session.keyTable(), parent)
{
    m_session = &session;
    session.setKeyTableWatcher(this);
}

KeyTableModel::~KeyTableModel()
{
    if (m_session)
        m_session->setKeyTableWatcher(nullptr);
}

int KeyTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int KeyTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant KeyTableModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const KeyRecord& record = m_table.slot(slotOf(index.row()));
    if (role == Qt::DecorationRole && index.column() == KeyColumn)
        return m_icon;
    if (role == NotesRole)
        return fromCodePage(record.description);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case KeyColumn:
        return fromCodePage(record.name);
    case UrlColumn:
        return fromCodePage(record.url);
    case UserNameColumn:
        return fromCodePage(record.userName);
    case CreationColumn:
        return creationStamp(record, m_locale);
    }
    return {};
}

QVariant KeyTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case KeyColumn:
        return QStringLiteral("Keys");
    case UrlColumn:
        return QStringLiteral("URL");
    case UserNameColumn:
        return QStringLiteral("Username");
    case CreationColumn:
        return QStringLiteral("Creation Date");
    }
    return {};
}

Qt::ItemFlags KeyTableModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid())
        flags |= Qt::ItemNeverHasChildren;
    if (index.isValid() && index.column() == KeyColumn)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool KeyTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid) || index.column() != KeyColumn)
        return false;
    const QString newName = value.toString();
    if (!fitsCodePage(newName)) {
        emit renameRefused(unstorableTextMessage(QStringLiteral("key name")));
        return false;
    }
    if (m_session) {
        QString error;
        if (m_session->renameKey(slotOf(index.row()), toCodePage(newName), &error))
            return true; // the session told this model of the change
        emit renameRefused(error);
        return false;
    }
    const QByteArray oldName = m_table.slot(slotOf(index.row())).name;
    switch (m_table.renameKey(oldName, toCodePage(newName))) {
    case KeyTable::RenameResult::Renamed:
        emit dataChanged(index, index);
        return true;
    case KeyTable::RenameResult::Unchanged:
        return true;
    case KeyTable::RenameResult::NotUnique:
        emit renameRefused(namesMustBeUniqueMessage());
        return false;
    case KeyTable::RenameResult::EmptyName:
        emit renameRefused(emptyKeyNameMessage());
        return false;
    case KeyTable::RenameResult::TooLong:
        emit renameRefused(tooLongTextMessage(QStringLiteral("key name"), keyNameLimit));
        return false;
    case KeyTable::RenameResult::NotFound:
        break;
    }
    return false;
}

void KeyTableModel::setLocale(const QLocale& locale)
{
    m_locale = locale;
    if (m_rows > 0)
        emit dataChanged(index(0, CreationColumn), index(m_rows - 1, CreationColumn));
}

void KeyTableModel::reload()
{
    beginResetModel();
    m_rows = m_table.keyCount();
    endResetModel();
}

bool KeyTableModel::removeKey(int slotNumber)
{
    const int row = slotNumber - 1;
    if (row < 0 || row >= m_rows)
        return false;
    beginRemoveRows({}, row, row);
    const bool removed = m_table.removeKey(slotNumber);
    m_rows = m_table.keyCount();
    endRemoveRows();
    return removed;
}

KeyTable::AddResult KeyTableModel::addKey(KeyRecord& record, const QDateTime& now)
{
    if (m_table.isFull() || m_table.keyCount() != m_rows)
        return m_table.addKey(record, now); // refused, or the views were behind: they see it on the next reload
    beginInsertRows({}, m_rows, m_rows);
    const KeyTable::AddResult result = m_table.addKey(record, now);
    m_rows = m_table.keyCount();
    endInsertRows();
    return result;
}

bool KeyTableModel::appendRecord(const KeyRecord& record)
{
    if (m_table.isFull() || m_table.keyCount() != m_rows)
        return false;
    beginInsertRows({}, m_rows, m_rows);
    const bool appended = m_table.appendRecord(record);
    m_rows = m_table.keyCount();
    endInsertRows();
    return appended;
}

void KeyTableModel::keyRemoving(int slotNumber)
{
    beginRemoveRows({}, rowOf(slotNumber), rowOf(slotNumber));
}

void KeyTableModel::keyRemoved()
{
    m_rows = m_table.keyCount();
    endRemoveRows();
}

void KeyTableModel::keyInserting(int slotNumber)
{
    beginInsertRows({}, rowOf(slotNumber), rowOf(slotNumber));
}

void KeyTableModel::keyInserted()
{
    m_rows = m_table.keyCount();
    endInsertRows();
}

void KeyTableModel::tableGrew()
{
    // The views still see m_rows rows, whose keys are unchanged; only the new ones are announced.
    if (m_table.keyCount() <= m_rows) {
        reload();
        return;
    }
    beginInsertRows({}, m_rows, m_table.keyCount() - 1);
    m_rows = m_table.keyCount();
    endInsertRows();
}

void KeyTableModel::keyChanged(int slotNumber)
{
    const int row = slotNumber - 1;
    if (row >= 0 && row < m_rows)
        emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

} // namespace tessary
