#pragma once

#include <QDialog>

class QLabel;
class QTreeWidget;

namespace tessary {

class Session;

// The Key Health window: every key that needs attention, with why (the health rules of the command line's audit),
// its Score and zxcvbn's bits, and a summary line. A breach list chosen here adds the breached reason; its path is
// all the window keeps. Enter or a double click on a row asks for that key's Change Password; the report is
// computed again when that comes back.
class KeyHealthReport : public QDialog
{
    Q_OBJECT
public:
    enum Column
    {
        KeyColumn,
        ReasonsColumn,
        ScoreColumn,
        BitsColumn,
        BreachesColumn,
    };

    KeyHealthReport(Session& session, QWidget* owner);

    // Judges every key again, from the table as it is now.
    void refresh();
    void chooseBreachList();

    QTreeWidget* table() const { return m_table; }
    QString summary() const;

signals:
    void changePasswordRequested(const QString& keyName);

private:
    void openRow(int row);

    Session& m_session;
    QTreeWidget* m_table;
    QLabel* m_summary;
    QLabel* m_breachListLabel;
};

// The settings value that remembers the breach list's path.
QString breachListSetting();

} // namespace tessary
