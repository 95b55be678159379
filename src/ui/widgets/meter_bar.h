#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>

namespace tessary {

// One bar of the strength meter, 264 x 12 pixels. Drawing paints two rectangles over what the bar showed
// before, nothing cleared first; the bar keeps that picture, so it repaints what was last drawn.
class MeterBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int barWidth = 264;
    static constexpr int barHeight = 12;

    explicit MeterBar(QWidget* parent = nullptr);

    // A light grey bar, then the filled part in the active highlight colour. A value above 100 is drawn as
    // 100 and written back so.
    void DrawBar(std::int16_t& value);

    const QImage& picture() const { return m_picture; }
    // The value last drawn, 0 to 100: what a screen reader hears.
    int value() const { return m_value; }
    QSize sizeHint() const override { return {barWidth, barHeight}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void rectangle(QPainter& painter, int left, int top, int right, int bottom);

    QImage m_picture;
    int m_value = 0;
};

// The right edge (exclusive) of a bar's filled part for a value of 0 to 100: Int((width - 2) / 100 x value) + 1.
int filledBarRight(int width, int value);

} // namespace tessary
