#include "ui/widgets/meter_bar.h"

#include "ui/widgets/painted_accessible.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tessary {

MeterBar::MeterBar(QWidget* parent) : QWidget(parent), m_picture(barWidth, barHeight, QImage::Format_RGB32)
{
    exposePaintedWidgets();
    setFixedSize(barWidth, barHeight);
    m_picture.fill(palette().color(QPalette::Window));
}

void MeterBar::DrawBar(std::int16_t& value)
{
    if (value > 100)
        value = 100;
    QPainter painter(&m_picture);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setBrush(QColor(192, 192, 192));
    rectangle(painter, 1, 1, barWidth - 2, 11);
    painter.setBrush(palette().color(QPalette::Active, QPalette::Highlight));
    rectangle(painter, 1, 1, filledBarRight(barWidth, value), 11);
    update();
    if (value != m_value) {
        m_value = std::max<int>(0, value);
        announceValue(this);
    }
}

// As the system's rectangle call: outlined in the pen, filled with the brush, right and bottom edges excluded.
void MeterBar::rectangle(QPainter& painter, int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top)
        return;
    painter.drawRect(left, top, right - left - 1, bottom - top - 1);
}

void MeterBar::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_picture);
}

int filledBarRight(int width, int value)
{
    return static_cast<int>(std::floor((width - 2) / 100.0 * value)) + 1;
}

} // namespace tessary
