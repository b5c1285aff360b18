// SPDX-License-Identifier: MIT
// drawicons DIRECTORY
//
// Draws the four action icons of the main window as 128 x 128 RGBA PNG files into DIRECTORY:
// connect (a closed chain link), disconnect (the link broken, with sparks), settings (a gear)
// and application-exit (an arrow leaving through a door). Flat shapes, antialiased, on a
// transparent background.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <cstdio>
#include <functional>

namespace {

constexpr int IconSize = 128;

const QColor LinkGreen(0x2e, 0x9e, 0x5b);
const QColor BrokenRed(0xd9, 0x48, 0x3b);
const QColor GearBlue(0x4a, 0x6f, 0x9c);
const QColor DoorGrey(0x5a, 0x63, 0x6e);
const QColor ExitOrange(0xe6, 0x7e, 0x22);

QImage icon(const std::function<void(QPainter &)> &draw)
{
    QImage image(IconSize, IconSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter);
    }
    return image.convertToFormat(QImage::Format_ARGB32);
}

// One half of a chain link: a pill outline open towards the middle, its open ends at x = `open`
// and its round end reaching to x = `open` + `length` (both signed; negative for the left
// half). The icon is drawn with the link lying along the x axis; the caller turns it.
void drawHalfLink(QPainter &p, qreal open, qreal length)
{
    constexpr qreal Radius = 20;
    const qreal direction = length < 0 ? -1 : 1;
    const qreal arcCentre = open + length - direction * Radius;
    QPainterPath half;
    half.moveTo(open, -Radius);
    half.lineTo(arcCentre, -Radius);
    half.arcTo(QRectF(arcCentre - Radius, -Radius, 2 * Radius, 2 * Radius), 90, -direction * 180);
    half.lineTo(open, Radius);
    p.drawPath(half);
}

void setLinkPen(QPainter &p, const QColor &colour)
{
    p.setPen(QPen(colour, 12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
}

QImage connectIcon()
{
    return icon([](QPainter &p) {
        p.translate(64, 64);
        p.rotate(-45);
        setLinkPen(p, LinkGreen);
        drawHalfLink(p, -8, -48);
        drawHalfLink(p, 8, 48);
        p.drawLine(QPointF(-22, 0), QPointF(22, 0));
    });
}

QImage disconnectIcon()
{
    return icon([](QPainter &p) {
        p.translate(64, 64);
        p.rotate(-45);
        setLinkPen(p, BrokenRed);
        drawHalfLink(p, -22, -38);
        drawHalfLink(p, 22, 38);
        // Break marks across the gap, on both sides of the chain.
        p.setPen(QPen(BrokenRed, 6, Qt::SolidLine, Qt::RoundCap));
        for (const qreal x : {-7.0, 7.0}) {
            p.drawLine(QPointF(x, -14), QPointF(x, -28));
            p.drawLine(QPointF(x, 14), QPointF(x, 28));
        }
    });
}

QImage settingsIcon()
{
    return icon([](QPainter &p) {
        p.translate(64, 64);
        constexpr int Teeth = 8;
        QPainterPath gear;
        gear.addEllipse(QPointF(0, 0), 42, 42);
        for (int i = 0; i < Teeth; ++i) {
            QPainterPath tooth;
            tooth.addRoundedRect(QRectF(-11, -60, 22, 30), 4, 4);
            gear = gear.united(QTransform().rotate(i * 360.0 / Teeth).map(tooth));
        }
        QPainterPath hole;
        hole.addEllipse(QPointF(0, 0), 18, 18);
        p.setPen(Qt::NoPen);
        p.setBrush(GearBlue);
        p.drawPath(gear.subtracted(hole));
    });
}

QImage exitIcon()
{
    return icon([](QPainter &p) {
        // The door frame, open at the right where the arrow leaves.
        p.setPen(QPen(DoorGrey, 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({{76, 40}, {76, 16}, {20, 16}, {20, 112}, {76, 112}, {76, 88}}));
        // The arrow going out.
        p.setPen(QPen(ExitOrange, 12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(46, 64), QPointF(104, 64));
        p.setPen(Qt::NoPen);
        p.setBrush(ExitOrange);
        p.drawPolygon(QPolygonF({{122, 64}, {92, 38}, {92, 90}}));
    });
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: drawicons DIRECTORY\n");
        return 2;
    }
    const QDir directory(QString::fromLocal8Bit(argv[1]));

    const std::pair<const char *, QImage> icons[] = {
        {"connect", connectIcon()},
        {"disconnect", disconnectIcon()},
        {"settings", settingsIcon()},
        {"application-exit", exitIcon()},
    };
    for (const auto &[name, image] : icons) {
        const QString path = directory.filePath(QString::fromLatin1(name) + QLatin1String(".png"));
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "drawicons: cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s: %d x %d\n", qPrintable(path), image.width(), image.height());
    }
    return 0;
}
