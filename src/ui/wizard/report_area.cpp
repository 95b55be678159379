#include "ui/wizard/report_area.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

namespace tessary {

namespace {

constexpr QSize sheetSize(281, 1000);
constexpr QSize viewportSize(311, 169);

QFont pieceFont(const QFont& plain, unsigned style)
{
    QFont font = plain;
    font.setBold(style & ReportPiece::Bold);
    font.setItalic(style & ReportPiece::Italic);
    font.setUnderline(style & ReportPiece::Underline);
    return font;
}

} // namespace

ReportPicture::ReportPicture(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture6"));
    setFixedSize(sheetSize);
    setFocusPolicy(Qt::ClickFocus);
    setAccessibleName(QStringLiteral("Password check report"));
    // The sheet's 100 pixels of scrolling show about twenty lines in the small dialog font.
    QFont font = QApplication::font();
    font.setPixelSize(11);
    setFont(font);
}

void ReportPicture::setReport(const Report& report)
{
    m_report = report;
    update();
    // What the sheet shows, for a screen reader: a painted sheet says nothing by itself.
    setAccessibleDescription(plainText(m_report).join(QLatin1Char('\n')));
}

void ReportPicture::clear()
{
    for (ReportLine& line : m_report) {
        for (ReportPiece& piece : line)
            piece.text.fill(QChar(u'\0'));
    }
    m_report.clear();
    update();
    setAccessibleDescription({});
}

void ReportPicture::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    print(painter);
}

void ReportPicture::print(QPainter& painter) const
{
    painter.fillRect(QRect(QPoint(0, 0), sheetSize), Qt::white);
    const int lineHeight = QFontMetrics(font()).lineSpacing();
    int top = 0;
    for (const ReportLine& line : m_report) {
        int left = 0;
        for (const ReportPiece& piece : line) {
            const QFont font = pieceFont(this->font(), piece.style);
            painter.setFont(font);
            painter.setPen(piece.style & ReportPiece::Red ? Qt::red : Qt::black);
            const QFontMetrics metrics(font);
            painter.drawText(left, top + metrics.ascent(), piece.text);
            left += metrics.horizontalAdvance(piece.text);
        }
        top += lineHeight;
    }
}

ReportArea::ReportArea(QWidget* parent)
    : QFrame(parent), m_picture7(new QWidget(this)), m_picture6(new ReportPicture(m_picture7)),
      m_vScroll1(new QScrollBar(Qt::Vertical, this))
{
    setObjectName(QStringLiteral("reportArea"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    m_picture7->setObjectName(QStringLiteral("Picture7"));
    m_picture7->setFixedSize(viewportSize.width() - m_vScroll1->sizeHint().width(), viewportSize.height());
    m_picture7->setFocusPolicy(Qt::ClickFocus);
    m_picture7->setAutoFillBackground(true);
    QPalette white = m_picture7->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_picture7->setPalette(white);

    m_vScroll1->setObjectName(QStringLiteral("VScroll1"));
    m_vScroll1->setAccessibleName(QStringLiteral("Scroll the report"));
    m_vScroll1->setRange(0, 100);
    m_vScroll1->setSingleStep(7);
    m_vScroll1->setPageStep(35);
    m_vScroll1->setFocusPolicy(Qt::StrongFocus);
    connect(m_vScroll1, &QScrollBar::valueChanged, this, &ReportArea::VScroll1_Change);

    for (QWidget* picture : {static_cast<QWidget*>(m_picture6), m_picture7})
        picture->installEventFilter(this);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(frameWidth(), frameWidth(), frameWidth(), frameWidth());
    layout->setSpacing(0);
    layout->addWidget(m_picture7);
    layout->addWidget(m_vScroll1);
    setFixedSize(sizeHint());
}

// Both the change and the dragging of the thumb: the sheet's top is minus the scroll bar's value.
void ReportArea::VScroll1_Change(int value)
{
    m_picture6->move(0, -value);
}

bool ReportArea::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
        m_vScroll1->setFocus(Qt::OtherFocusReason);
        return false;
    case QEvent::Wheel:
        // A wheel over the sheet scrolls it, as one over the bar does.
        QApplication::sendEvent(m_vScroll1, event);
        return true;
    default:
        return QFrame::eventFilter(watched, event);
    }
}

} // namespace tessary
