#pragma once

#include "update/update_report.h"

#include <QDialog>
#include <QUrl>

#include <array>
#include <chrono>

class QLabel;
class QListWidget;
class QPushButton;

namespace tessary {

class ScriptFetch;

// The update window: asks the maker's server for the update script and shows what the update check makes of
// it, printed on the window's surface, listed in List1 and followed by the seven lamps. The fetch runs on the
// event loop; closing the window cancels it.
class WebUpdate : public QDialog
{
    Q_OBJECT
public:
    // "history.dat" goes into `dataDirectory`.
    WebUpdate(const QString& dataDirectory, QWidget* owner);
    ~WebUpdate() override;

    // The maker's server unless set otherwise.
    void setScriptUrl(const QUrl& url) { m_scriptUrl = url; }
    void setTimeout(std::chrono::milliseconds timeout);

    void Command2_Click();
    bool isChecking() const;
    const UpdateReport& report() const { return m_report; }

signals:
    // A check is over, whatever its outcome, after its message box if it had one.
    void checkFinished();

protected:
    void paintEvent(QPaintEvent* event) override;
    void done(int result) override;

private:
    void Inet1_StateChanged(int state);
    void transferFinished();
    void showReport();
    QRect reportArea() const;

    QString m_historyPath;
    QUrl m_scriptUrl;
    ScriptFetch* m_inet1;
    UpdateReport m_report;

    QPushButton* m_command2;
    QListWidget* m_list1;
    std::array<QRect, lampCount> m_statusIcons;
};

} // namespace tessary
