// Draws the program's icons into PNG files. Not part of the program: src/ui/resources/icons holds its output, kept
// in the tree so the program starts without drawing anything. Built with -DTESSARY_TOOLS=ON:
//   build/tools/draw_icons src/ui/resources/icons
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace {

using Painter = std::function<void(QPainter&)>;

// Everything is drawn on a 32 x 32 canvas and scaled.
void save(const QString& file, int size, const Painter& draw)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    draw(p);
    p.end();
    image.save(file);
}

void key(QPainter& p, const QColor& body, const QColor& edge)
{
    QPainterPath path;
    path.addEllipse(QRectF(3, 9, 14, 14));
    path.addRect(QRectF(15, 14, 14, 4));
    path.addRect(QRectF(24, 17, 3, 5));
    path.addRect(QRectF(19, 17, 3, 4));
    path = path.simplified();
    QPainterPath hole;
    hole.addEllipse(QRectF(6.5, 13.5, 5, 5));
    path = path.subtracted(hole);
    p.setPen(QPen(edge, 1.2));
    p.setBrush(body);
    p.drawPath(path);
}

void programIcon(QPainter& p)
{
    p.setPen(QPen(QColor(20, 40, 90), 1));
    QLinearGradient fill(0, 0, 0, 32);
    fill.setColorAt(0, QColor(70, 120, 200));
    fill.setColorAt(1, QColor(30, 60, 130));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    key(p, QColor(245, 200, 60), QColor(120, 80, 10));
}

// A box with an arrow leaving it (export) or entering it (import).
void arrow(QPainter& p, bool outward)
{
    p.setPen(QPen(QColor(90, 90, 90), 1.5));
    p.setBrush(QColor(235, 235, 220));
    p.drawRect(QRectF(3, 12, 18, 16));
    const QPointF inside(11, 20);
    const QPointF outside(28, 3);
    const QPointF from = outward ? inside : outside;
    const QPointF to = outward ? outside : inside;
    const QLineF shaft(from, to);
    p.setPen(QPen(QColor(20, 110, 20), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QLineF(from, shaft.pointAt(0.7)));
    QLineF side(to, from);
    side.setLength(11);
    QLineF left = side;
    left.setAngle(side.angle() + 30);
    QLineF right = side;
    right.setAngle(side.angle() - 30);
    p.setPen(QPen(QColor(20, 90, 20), 1));
    p.setBrush(QColor(60, 170, 60));
    p.drawPolygon(QPolygonF({to, left.p2(), right.p2()}));
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    for (int size : {16, 32, 48, 64, 128})
        save(QStringLiteral("%1/tessary-%2.png").arg(dir).arg(size), size, programIcon);
    for (int size : {16, 32})
        save(QStringLiteral("%1/key-%2.png").arg(dir).arg(size), size,
             [](QPainter& p) { key(p, QColor(245, 200, 60), QColor(120, 80, 10)); });
    save(dir + QStringLiteral("/export.png"), 16, [](QPainter& p) { arrow(p, true); });
    save(dir + QStringLiteral("/import.png"), 16, [](QPainter& p) { arrow(p, false); });
    save(dir + QStringLiteral("/add-key.png"), 16, [](QPainter& p) {
        key(p, QColor(245, 200, 60), QColor(120, 80, 10));
        p.setPen(QPen(QColor(20, 110, 20), 4));
        p.drawLine(QPointF(24, 1), QPointF(24, 13));
        p.drawLine(QPointF(18, 7), QPointF(30, 7));
    });
    save(dir + QStringLiteral("/delete-key.png"), 16, [](QPainter& p) {
        key(p, QColor(245, 200, 60), QColor(120, 80, 10));
        p.setPen(QPen(QColor(200, 30, 30), 4));
        p.drawLine(QPointF(19, 1), QPointF(30, 12));
        p.drawLine(QPointF(30, 1), QPointF(19, 12));
    });
    save(dir + QStringLiteral("/goto-page.png"), 16, [](QPainter& p) {
        p.setPen(QPen(QColor(20, 60, 130), 1.5));
        p.setBrush(QColor(120, 170, 230));
        p.drawEllipse(QRectF(2, 2, 28, 28));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(10, 2, 12, 28));
        p.drawLine(QPointF(2, 16), QPointF(30, 16));
        p.drawLine(QPointF(5, 9), QPointF(27, 9));
        p.drawLine(QPointF(5, 23), QPointF(27, 23));
    });
    return 0;
}
