#include "ui/update/web_update.h"

#include "storage/codepage.h"
#include "ui/widgets/message_box.h"
#include "ui/widgets/twips.h"
#include "update/script_fetch.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPointer>
#include <QPushButton>

#include <algorithm>

namespace tessary {

namespace {

// The design's client area, in twips; the report is printed into its top band, above the controls.
constexpr int designWidth = 6465;
constexpr int designHeight = 7725;
constexpr int reportBottom = 3000;

QColor lampColour(LampChange::Colour colour)
{
    switch (colour) {
    case LampChange::Colour::Blue:
        return QColor(0, 0, 255);
    case LampChange::Colour::Red:
        return QColor(255, 0, 0);
    case LampChange::Colour::Grey:
        break;
    }
    return QColor(0x80, 0x80, 0x80);
}

} // namespace

WebUpdate::WebUpdate(const QString& dataDirectory, QWidget* owner)
    : QDialog(owner), m_historyPath(QDir(dataDirectory).filePath(QStringLiteral("history.dat"))),
      m_scriptUrl(updateScriptUrl()), m_inet1(new ScriptFetch(this)),
      m_command2(new QPushButton(QStringLiteral("Check for &Updates"), this)), m_list1(new QListWidget(this))
{
    setObjectName(QStringLiteral("webUpdate"));
    setWindowTitle(QStringLiteral("WebUpdate!"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twipsOn(*this, designWidth), twipsOn(*this, designHeight));

    auto* programVersion = new QLabel(QStringLiteral("Tessary v0.1 Alpha III"), this);
    QFont verdana(QStringLiteral("Verdana"), 10, QFont::Bold);
    verdana.setStyleHint(QFont::SansSerif);
    programVersion->setFont(verdana);
    placeInTwips(programVersion, "lblProgramVersion", 120, 3120, 6225, 300);

    auto* label1 = new QLabel(QStringLiteral("Click below to check the OrvalenSoft Website for newest releases, "
                                             "documentation and bugfixes to Tessary."),
                              this);
    label1->setWordWrap(true);
    label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeInTwips(label1, "Label1", 120, 3480, 6225, 540);

    placeInTwips(m_command2, "Command2", 120, 4140, 2040, 375);
    for (int lamp = 0; lamp < lampCount; ++lamp) {
        const int top = 4740 + lamp * 240;
        const int lampSide = twipsOn(*this, 180);
        m_statusIcons[static_cast<std::size_t>(lamp)] =
            QRect(twipsOn(*this, 240), twipsOn(*this, top), lampSide, lampSide);
        auto* caption = new QLabel(lampLabel(lamp), this);
        caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        placeInTwips(caption, QStringLiteral("Label2_%1").arg(lamp).toLatin1().constData(), 540, top - 30, 2100, 240);
    }

    auto* label3 = new QLabel(QStringLiteral("Newest Version Online:"), this);
    placeInTwips(label3, "Label3", 2760, 4140, 3585, 375);
    placeInTwips(m_list1, "List1", 2760, 4500, 3585, 3105);

    connect(m_command2, &QPushButton::clicked, this, &WebUpdate::Command2_Click);
    connect(m_inet1, &ScriptFetch::stateChanged, this, &WebUpdate::Inet1_StateChanged);
    connect(m_inet1, &ScriptFetch::finished, this, &WebUpdate::transferFinished);
}

WebUpdate::~WebUpdate() = default;

QRect WebUpdate::reportArea() const
{
    return QRect(0, 0, width(), twipsOn(*this, reportBottom));
}

void WebUpdate::setTimeout(std::chrono::milliseconds timeout)
{
    m_inet1->setTimeout(timeout);
}

bool WebUpdate::isChecking() const
{
    return !m_command2->isEnabled();
}

void WebUpdate::Command2_Click()
{
    if (isChecking())
        return;
    m_command2->setEnabled(false);
    m_report.startCheck();
    update();
    m_inet1->start(m_scriptUrl);
}

void WebUpdate::Inet1_StateChanged(int state)
{
    m_report.transferState(state);
    update();
}

void WebUpdate::transferFinished()
{
    QString message;
    MessageBox::Kind kind = MessageBox::Kind::Notice;
    if (!m_inet1->error().isEmpty()) {
        m_report.transferFailed();
        message = m_inet1->error();
        kind = MessageBox::Kind::Failure;
    } else {
        // A server's error page is judged like any answer, but the transfer did not bring the script.
        if (m_inet1->httpError())
            m_report.transferFailed();
        const UpdateCheck check = evaluateUpdateScript(fromCodePage(m_inet1->body()), m_historyPath);
        m_report.add(check);
        message = check.message;
    }
    showReport();
    QPointer<WebUpdate> alive(this);
    if (!message.isEmpty())
        MessageBox::show(this, message, MessageBox::programTitle(), kind);
    if (!alive)
        return;
    m_command2->setEnabled(true);
    emit checkFinished();
}

void WebUpdate::showReport()
{
    const QStringList& items = m_report.listItems();
    for (int row = 0; row < items.size(); ++row) {
        if (row < m_list1->count())
            m_list1->item(row)->setText(items.at(row));
        else
            m_list1->addItem(items.at(row));
    }
    update();
}

void WebUpdate::done(int result)
{
    // Closing unloads the window: a check still running is dropped with it.
    if (isChecking()) {
        m_inet1->cancel();
        m_command2->setEnabled(true);
    }
    QDialog::done(result);
}

void WebUpdate::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter p(this);

    // The report as printed, line under line from the top left corner; once the band is full, its newest lines.
    const QRect area = reportArea();
    const QFontMetrics metrics(font());
    const int lineHeight = metrics.height();
    const QList<UpdateLine>& lines = m_report.lines();
    const qsizetype fitting = std::max(1, area.height() / lineHeight);
    const qsizetype first = std::max<qsizetype>(0, lines.size() - fitting);
    p.setClipRect(area);
    for (qsizetype i = first; i < lines.size(); ++i) {
        p.setPen(lines.at(i).red ? QColor(255, 0, 0) : QColor(0, 0, 0));
        p.drawText(0, static_cast<int>(i - first) * lineHeight + metrics.ascent(), lines.at(i).text);
    }
    p.setClipping(false);

    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0, 0, 0));
    for (int lamp = 0; lamp < lampCount; ++lamp) {
        p.setBrush(lampColour(m_report.lamp(lamp)));
        p.drawEllipse(m_statusIcons[static_cast<std::size_t>(lamp)]);
    }
}

} // namespace tessary
