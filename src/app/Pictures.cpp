#include "app/Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>

namespace {

// A Yagi antenna on a mast, its boom pointing up and to the left; all
// coordinates are fractions of the picture size.
void paintYagi(QPainter& p, double s, const QColor& color) {
    p.setPen(QPen(color, std::max(1.0, s * 0.025), Qt::SolidLine, Qt::RoundCap));
    const QPointF foot(s * 0.70, s * 0.96);
    const QPointF top(s * 0.70, s * 0.62);
    p.drawLine(foot, top);
    const QPointF boomStart(s * 0.84, s * 0.70);
    const QPointF boomEnd(s * 0.48, s * 0.50);
    p.drawLine(boomStart, boomEnd);
    p.setPen(QPen(color, std::max(1.0, s * 0.018), Qt::SolidLine, Qt::RoundCap));
    constexpr std::array<double, 5> at = {0.05, 0.28, 0.50, 0.72, 0.95};
    constexpr std::array<double, 5> half = {0.11, 0.09, 0.08, 0.07, 0.06};
    for (size_t i = 0; i < at.size(); ++i) {
        const QPointF c = boomStart + (boomEnd - boomStart) * at[i];
        const double h = s * half[i];
        p.drawLine(QPointF(c.x() - h * 0.35, c.y() - h), QPointF(c.x() + h * 0.35, c.y() + h));
    }
}

void paintSky(QPainter& p, double s) {
    QLinearGradient sky(0, 0, 0, s);
    sky.setColorAt(0.0, QColor(8, 12, 40));
    sky.setColorAt(0.75, QColor(28, 40, 96));
    sky.setColorAt(1.0, QColor(60, 52, 90));
    p.fillRect(QRectF(0, 0, s, s), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 230));
    constexpr std::array<std::array<double, 3>, 9> stars = {{{0.12, 0.10, 0.012},
                                                             {0.30, 0.22, 0.008},
                                                             {0.55, 0.08, 0.010},
                                                             {0.86, 0.14, 0.012},
                                                             {0.92, 0.40, 0.008},
                                                             {0.20, 0.48, 0.010},
                                                             {0.40, 0.38, 0.007},
                                                             {0.08, 0.72, 0.008},
                                                             {0.62, 0.30, 0.007}}};
    for (const auto& star : stars) {
        p.drawEllipse(QPointF(s * star[0], s * star[1]), s * star[2], s * star[2]);
    }
}

void paintMeteor(QPainter& p, double s) {
    const QPointF tail(s * 0.92, s * 0.04);
    const QPointF head(s * 0.34, s * 0.40);
    QLinearGradient trail(tail, head);
    trail.setColorAt(0.0, QColor(255, 255, 255, 0));
    trail.setColorAt(0.7, QColor(255, 220, 140, 170));
    trail.setColorAt(1.0, QColor(255, 255, 255, 255));
    p.setPen(QPen(QBrush(trail), std::max(1.5, s * 0.045), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(tail, head);
    QRadialGradient glow(head, s * 0.09);
    glow.setColorAt(0.0, QColor(255, 255, 255, 255));
    glow.setColorAt(0.4, QColor(255, 230, 160, 160));
    glow.setColorAt(1.0, QColor(255, 200, 100, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(head, s * 0.09, s * 0.09);
}

} // namespace

QPixmap paintMeteorScene(int size) {
    QPixmap pixmap(size, size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    paintSky(p, s);
    // Ground.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 30, 24));
    QPainterPath hill;
    hill.moveTo(0, s);
    hill.lineTo(0, s * 0.88);
    hill.quadTo(s * 0.5, s * 0.80, s, s * 0.90);
    hill.lineTo(s, s);
    hill.closeSubpath();
    p.drawPath(hill);
    paintMeteor(p, s);
    paintYagi(p, s, QColor(210, 215, 225));
    return pixmap;
}

QPixmap paintEchoAntenna(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    p.setPen(QPen(QColor(120, 140, 190), 1));
    p.setBrush(QColor(225, 235, 250));
    p.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s * 0.15, s * 0.15);
    // Echo waves coming back from the sky.
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(QColor(230, 120, 20, 255 - i * 60), std::max(1.0, s * 0.05)));
        const double r = s * (0.16 + 0.13 * i);
        p.drawArc(QRectF(s * 0.30 - r, s * 0.30 - r, 2 * r, 2 * r), 200 * 16, 70 * 16);
    }
    paintYagi(p, s, QColor(40, 60, 110));
    return pixmap;
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) {
        icon.addPixmap(paintMeteorScene(size));
    }
    return icon;
}
