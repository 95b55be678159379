#pragma once

#include "analysis/report.h"

#include <QFrame>

class QScrollBar;

namespace tessary {

// The white sheet the password check prints on, 281 x 1000 pixels: its lines from the top, each piece in its
// style, cut off at the right edge. It keeps what was printed, so it repaints it.
class ReportPicture : public QWidget
{
    Q_OBJECT
public:
    explicit ReportPicture(QWidget* parent = nullptr);

    void setReport(const Report& report);
    // Overwrites what was printed (it shows the password) and leaves the sheet blank.
    void clear();
    const Report& report() const { return m_report; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void print(QPainter& painter) const;

    Report m_report;
};

// The report's viewport `Picture7`, 311 x 169 pixels, showing part of the sheet `Picture6`; the scroll bar
// `VScroll1` (0 to 100, steps 7 and 35) beside it moves the sheet up. Neither picture keeps the focus: it passes
// to the scroll bar.
class ReportArea : public QFrame
{
    Q_OBJECT
public:
    explicit ReportArea(QWidget* parent = nullptr);

    ReportPicture* picture() const { return m_picture6; }
    QScrollBar* scrollBar() const { return m_vScroll1; }

    void VScroll1_Change(int value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_picture7;
    ReportPicture* m_picture6;
    QScrollBar* m_vScroll1;
};

} // namespace tessary
