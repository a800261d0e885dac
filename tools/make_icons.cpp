// Draws the tray pictures: a white calendar sheet with blue digits and a small clock face, and
// the same with a red ring and bar for the disabled state, at 16, 32, 48 and 64 pixels.
// Built and run by make_icons.sh; the PNG files are kept in resources/icons.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

void drawSheet(QPainter& p)
{
    // Drawn on a 16 x 16 grid; the painter is scaled to the picture's size.
    p.setPen(QPen(QColor(60, 60, 70), 0.8));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(0.9, 1.9, 12.2, 12.2), 1.2, 1.2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 90, 200));
    p.drawRect(QRectF(1.3, 2.3, 11.4, 2.4));
    p.setBrush(QColor(230, 230, 235));
    p.drawEllipse(QPointF(4, 2.6), 0.8, 0.8);
    p.drawEllipse(QPointF(10, 2.6), 0.8, 0.8);

    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPixelSize(7);
    p.setFont(f);
    p.setPen(QColor(20, 60, 200));
    p.drawText(QRectF(1.2, 4.6, 9.5, 7.5), Qt::AlignCenter, QStringLiteral("12"));

    const QPointF c(11.6, 11.6);
    p.setPen(QPen(QColor(30, 30, 30), 0.8));
    p.setBrush(QColor(255, 236, 140));
    p.drawEllipse(c, 3.7, 3.7);
    p.setPen(QPen(QColor(30, 30, 30), 0.7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(0, -2.6));
    p.drawLine(c, c + QPointF(1.8, 0));
}

void drawDisabledMark(QPainter& p)
{
    QPen pen(QColor(220, 20, 20), 1.6, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(8, 8), 6.8, 6.8);
    p.drawLine(QPointF(3.2, 3.2), QPointF(12.8, 12.8));
}

bool write(const QString& dir, const QString& name, int size, bool disabled)
{
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 16.0, size / 16.0);
    drawSheet(p);
    if (disabled) drawDisabledMark(p);
    p.end();
    const QString path = QStringLiteral("%1/%2-%3.png").arg(dir, name).arg(size);
    if (!img.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    bool ok = true;
    for (int size : {16, 32, 48, 64}) {
        ok = write(dir, QStringLiteral("zarvo"), size, false) && ok;
        ok = write(dir, QStringLiteral("zarvo-disabled"), size, true) && ok;
    }
    return ok ? 0 : 1;
}
