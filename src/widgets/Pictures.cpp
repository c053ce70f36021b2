#include "widgets/Pictures.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor kBlue(46, 109, 180);
const QColor kGreen(56, 142, 60);
const QColor kRed(198, 40, 40);
const QColor kAmber(230, 160, 30);
const QColor kInk(60, 60, 60);

void drawDocument(QPainter &p, double s)
{
    QPainterPath page;
    page.moveTo(0.22 * s, 0.08 * s);
    page.lineTo(0.62 * s, 0.08 * s);
    page.lineTo(0.80 * s, 0.26 * s);
    page.lineTo(0.80 * s, 0.92 * s);
    page.lineTo(0.22 * s, 0.92 * s);
    page.closeSubpath();
    p.setPen(QPen(kInk, s / 16.0));
    p.setBrush(Qt::white);
    p.drawPath(page);
}

void drawPlus(QPainter &p, QPointF c, double r, const QColor &colour, double width)
{
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
    p.drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r));
}

void drawArrow(QPainter &p, double s, bool right, const QColor &colour)
{
    QPainterPath arrow;
    const double d = right ? 1 : -1;
    const double cx = 0.5 * s;
    arrow.moveTo(cx - d * 0.30 * s, 0.40 * s);
    arrow.lineTo(cx + d * 0.02 * s, 0.40 * s);
    arrow.lineTo(cx + d * 0.02 * s, 0.22 * s);
    arrow.lineTo(cx + d * 0.34 * s, 0.50 * s);
    arrow.lineTo(cx + d * 0.02 * s, 0.78 * s);
    arrow.lineTo(cx + d * 0.02 * s, 0.60 * s);
    arrow.lineTo(cx - d * 0.30 * s, 0.60 * s);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(arrow);
}

void paint(QPainter &p, Picture picture, double s)
{
    switch (picture) {
    case Picture::None:
        break;
    case Picture::NewConfiguration:
        drawDocument(p, s);
        drawPlus(p, QPointF(0.68 * s, 0.72 * s), 0.18 * s, kGreen, s / 7.0);
        break;
    case Picture::OpenConfiguration: {
        p.setPen(QPen(kInk, s / 18.0));
        p.setBrush(kAmber.lighter(130));
        p.drawRect(QRectF(0.08 * s, 0.22 * s, 0.80 * s, 0.62 * s));
        p.setBrush(kAmber);
        QPolygonF front{QPointF(0.18 * s, 0.40 * s), QPointF(0.94 * s, 0.40 * s), QPointF(0.84 * s, 0.84 * s),
                        QPointF(0.08 * s, 0.84 * s)};
        p.drawPolygon(front);
        break;
    }
    case Picture::SetCommunication:
        p.setPen(QPen(kInk, s / 14.0, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 3; ++i) {
            const double y = (0.25 + 0.25 * i) * s;
            p.drawLine(QPointF(0.12 * s, y), QPointF(0.88 * s, y));
        }
        p.setPen(QPen(kInk, s / 18.0));
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(0.32 * s, 0.25 * s), 0.10 * s, 0.10 * s);
        p.drawEllipse(QPointF(0.66 * s, 0.50 * s), 0.10 * s, 0.10 * s);
        p.drawEllipse(QPointF(0.44 * s, 0.75 * s), 0.10 * s, 0.10 * s);
        break;
    case Picture::UpdateDevice:
        p.setPen(QPen(kInk, s / 16.0));
        p.setBrush(QColor(90, 90, 90));
        p.drawRoundedRect(QRectF(0.14 * s, 0.56 * s, 0.72 * s, 0.32 * s), s / 12.0, s / 12.0);
        p.setBrush(kGreen);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(0.72 * s, 0.72 * s), 0.05 * s, 0.05 * s);
        p.setBrush(kBlue);
        p.drawPolygon(QPolygonF{QPointF(0.40 * s, 0.08 * s), QPointF(0.60 * s, 0.08 * s), QPointF(0.60 * s, 0.30 * s),
                                QPointF(0.74 * s, 0.30 * s), QPointF(0.50 * s, 0.52 * s), QPointF(0.26 * s, 0.30 * s),
                                QPointF(0.40 * s, 0.30 * s)});
        break;
    case Picture::Information: {
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawEllipse(QRectF(0.06 * s, 0.06 * s, 0.88 * s, 0.88 * s));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(0.5 * s, 0.28 * s), 0.07 * s, 0.07 * s);
        p.drawRoundedRect(QRectF(0.43 * s, 0.42 * s, 0.14 * s, 0.36 * s), s / 30.0, s / 30.0);
        break;
    }
    case Picture::Options: {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(100, 100, 100));
        p.translate(0.5 * s, 0.5 * s);
        for (int i = 0; i < 8; ++i) {
            p.drawRect(QRectF(-0.07 * s, -0.46 * s, 0.14 * s, 0.2 * s));
            p.rotate(45);
        }
        p.drawEllipse(QPointF(0, 0), 0.32 * s, 0.32 * s);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(0, 0), 0.13 * s, 0.13 * s);
        p.resetTransform();
        break;
    }
    case Picture::Close:
        p.setPen(Qt::NoPen);
        p.setBrush(kRed);
        p.drawEllipse(QRectF(0.06 * s, 0.06 * s, 0.88 * s, 0.88 * s));
        p.setPen(QPen(Qt::white, s / 9.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(0.33 * s, 0.33 * s), QPointF(0.67 * s, 0.67 * s));
        p.drawLine(QPointF(0.67 * s, 0.33 * s), QPointF(0.33 * s, 0.67 * s));
        break;
    case Picture::Ok:
        p.setPen(QPen(kGreen, s / 7.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF{QPointF(0.15 * s, 0.52 * s), QPointF(0.40 * s, 0.76 * s), QPointF(0.86 * s, 0.24 * s)});
        break;
    case Picture::Cancel:
        p.setPen(QPen(kRed, s / 7.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(0.22 * s, 0.22 * s), QPointF(0.78 * s, 0.78 * s));
        p.drawLine(QPointF(0.78 * s, 0.22 * s), QPointF(0.22 * s, 0.78 * s));
        break;
    case Picture::Previous:
        drawArrow(p, s, false, kBlue);
        break;
    case Picture::Next:
        drawArrow(p, s, true, kBlue);
        break;
    case Picture::CheckUpdate:
        p.setPen(QPen(kBlue, s / 9.0));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(0.14 * s, 0.14 * s, 0.72 * s, 0.72 * s), 60 * 16, 290 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawPolygon(QPolygonF{QPointF(0.62 * s, 0.02 * s), QPointF(0.90 * s, 0.20 * s), QPointF(0.60 * s, 0.34 * s)});
        break;
    case Picture::Collapse:
    case Picture::Expand:
        break; // pixel pictures, drawn by picturePixmap
    }
}

QPixmap pixelPicture(Picture picture, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(Qt::black);
    const int n = picture == Picture::Collapse ? 9 : 7;
    const int o = (size - n) / 2;
    for (int i = 0; i < n; ++i) {
        if (picture == Picture::Collapse) {
            p.drawPoint(o + i, o + i);
            p.drawPoint(o + n - 1 - i, o + i);
        } else {
            p.drawPoint(o + i, o + n / 2);
            p.drawPoint(o + n / 2, o + i);
        }
    }
    return pixmap;
}

QPixmap drawPicture(Picture picture, int size)
{
    if (picture == Picture::Collapse || picture == Picture::Expand)
        return pixelPicture(picture, size);
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p, picture, size);
    return pixmap;
}

// Each picture is drawn once per size and process; the windows share it (on their one thread).
const QIcon &cachedIcon(Picture picture, int size)
{
    static QHash<QPair<int, int>, QIcon> icons;
    const QPair<int, int> key(int(picture), size);
    auto it = icons.find(key);
    if (it == icons.end())
        it = icons.insert(key, QIcon(drawPicture(picture, size)));
    return *it;
}

} // namespace

QPixmap picturePixmap(Picture picture, int size)
{
    return cachedIcon(picture, size).pixmap(size, size);
}

QIcon pictureIcon(Picture picture, int size)
{
    return cachedIcon(picture, size);
}
