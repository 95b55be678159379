#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace tessary {

class ImportPlan;

// What an import from a file will do, shown before anything is written: the count above a table of the file's
// rows, each with what becomes of it (its key's name, or why it is refused). Import is greyed while nothing can be
// imported; Cancel and Esc leave the key ring alone.
class ImportPreview : public QDialog
{
    Q_OBJECT
public:
    ImportPreview(const QString& fileName, const ImportPlan& plan, QWidget* parent = nullptr);

    QLabel* headline() const { return m_headline; }
    QTreeWidget* rowTable() const { return m_rows; }
    QPushButton* importButton() const { return m_import; }

signals:
    // Import was chosen: the flow adds the plan's keys.
    void importChosen();

private:
    QLabel* m_headline;
    QTreeWidget* m_rows;
    QPushButton* m_import;
};

// "Import from alice.csv"
QString importPreviewTitle(const QString& fileName);

} // namespace tessary
