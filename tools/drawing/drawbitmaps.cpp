// SPDX-License-Identifier: MIT
// drawbitmaps DIRECTORY
//
// Draws the six sample bitmaps as one-bit PNG files (white paper, black dots) of exactly their
// dot size into DIRECTORY. Shapes are painted antialiased at four times the size, scaled down
// and then cut to black and white; the raster logo's gradient is dithered with an ordered
// (Bayer) matrix so that it survives the cut as a pattern of dots.
//
// Needs libqrencode for the QR code and the DejaVu fonts of fonts-dejavu-core for lettering.

#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

#include <qrencode.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

constexpr int Oversampling = 4;
constexpr QRgb Paper = 0xffffffff;
constexpr QRgb Ink = 0xff000000;

const char *const SansBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const char *const Sans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

QFont fontFromFile(const char *path)
{
    const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(path));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) {
        std::fprintf(stderr, "drawbitmaps: cannot load the font %s\n", path);
        std::exit(1);
    }
    QFont font(families.first());
    font.setBold(QString::fromLatin1(path).contains(QLatin1String("Bold")));
    font.setPixelSize(100);
    return font;
}

// The outline of a text, scaled to fit the box (keeping its proportions) and centred in it
// horizontally; vertically its ink fills the box if the width allows.
QPainterPath textIn(const QString &text, const QFont &font, const QRectF &box,
                    Qt::Alignment horizontal = Qt::AlignHCenter)
{
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF ink = path.boundingRect();
    const qreal scale = qMin(box.width() / ink.width(), box.height() / ink.height());
    const qreal width = ink.width() * scale;
    qreal left = box.left() + (box.width() - width) / 2;
    if (horizontal & Qt::AlignLeft)
        left = box.left();
    else if (horizontal & Qt::AlignRight)
        left = box.right() - width;
    QTransform transform;
    transform.translate(left, box.center().y() - ink.height() * scale / 2);
    transform.scale(scale, scale);
    transform.translate(-ink.left(), -ink.top());
    return transform.map(path);
}

// Paints at Oversampling times the size in dots, with the painter scaled so that the drawing
// code works in dots, and returns the grey picture scaled back to width x height.
QImage paint(int width, int height, const std::function<void(QPainter &)> &draw)
{
    QImage big(width * Oversampling, height * Oversampling, QImage::Format_RGB32);
    big.fill(Paper);
    {
        QPainter painter(&big);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(Oversampling, Oversampling);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(Ink));
        draw(painter);
    }
    return big.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_Grayscale8);
}

// Cuts a grey picture to black and white: at a fixed middle threshold, or against an 8 x 8
// Bayer matrix so that greys become an even pattern of dots.
QImage blackAndWhite(const QImage &grey, bool dither)
{
    static constexpr int Bayer[8][8] = {
        {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
        {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
        {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
        {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21},
    };
    QImage mono(grey.size(), QImage::Format_Mono);
    mono.setColorCount(2);
    mono.setColor(0, Paper);
    mono.setColor(1, Ink);
    for (int y = 0; y < grey.height(); ++y) {
        const uchar *line = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            const int threshold = dither ? Bayer[y % 8][x % 8] * 4 + 2 : 128;
            mono.setPixel(x, y, line[x] < threshold ? 1 : 0);
        }
    }
    return mono;
}

QImage drawing(int width, int height, const std::function<void(QPainter &)> &draw,
               bool dither = false)
{
    return blackAndWhite(paint(width, height, draw), dither);
}

QPainterPath star(QPointF centre, qreal outer, qreal inner, int points = 5)
{
    QPainterPath path;
    for (int i = 0; i < 2 * points; ++i) {
        const qreal angle = -M_PI / 2 + i * M_PI / points;
        const qreal radius = i % 2 == 0 ? outer : inner;
        const QPointF p = centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
        i == 0 ? path.moveTo(p) : path.lineTo(p);
    }
    path.closeSubpath();
    return path;
}

QPainterPath polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

// The small symbols of the two strips, each drawn in a 20 x 20 dot cell at (0, 0).
namespace glyph {

void star(QPainter &p)
{
    p.drawPath(::star({10, 10.6}, 9.8, 4.1));
}

void heart(QPainter &p)
{
    QPainterPath path;
    path.moveTo(10, 18.5);
    path.cubicTo(2, 12.5, -1.5, 7, 2.5, 3);
    path.cubicTo(5.5, 0.2, 9, 1.5, 10, 5);
    path.cubicTo(11, 1.5, 14.5, 0.2, 17.5, 3);
    path.cubicTo(21.5, 7, 18, 12.5, 10, 18.5);
    p.drawPath(path);
}

void check(QPainter &p)
{
    p.setPen(QPen(Qt::black, 3.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({{2.5, 10.5}, {7.5, 15.5}, {17.5, 3.5}}));
    p.setPen(Qt::NoPen);
}

void cross(QPainter &p)
{
    const QPen pen(Qt::black, 3.6, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(QPointF(3.5, 3.5), QPointF(16.5, 16.5));
    p.drawLine(QPointF(16.5, 3.5), QPointF(3.5, 16.5));
    p.setPen(Qt::NoPen);
}

void arrowRight(QPainter &p)
{
    p.drawPath(polygon({{1, 7.5}, {10, 7.5}, {10, 2}, {19, 10}, {10, 18}, {10, 12.5}, {1, 12.5}}));
}

void arrowUp(QPainter &p)
{
    p.drawPath(polygon({{7.5, 19}, {7.5, 10}, {2, 10}, {10, 1}, {18, 10}, {12.5, 10}, {12.5, 19}}));
}

void diamond(QPainter &p)
{
    p.drawPath(polygon({{10, 0.5}, {18, 10}, {10, 19.5}, {2, 10}}));
}

void bullseye(QPainter &p)
{
    QPainterPath path;
    path.addEllipse(QPointF(10, 10), 9.5, 9.5);
    path.addEllipse(QPointF(10, 10), 6.5, 6.5);
    path.addEllipse(QPointF(10, 10), 3.5, 3.5);
    p.drawPath(path);
}

void ballot(QPainter &p)
{
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(2, 2, 16, 16));
    p.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({{5.5, 10}, {9, 13.5}, {15, 6}}));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
}

void smiley(QPainter &p)
{
    QPainterPath face;
    face.addEllipse(QPointF(10, 10), 9.5, 9.5);
    QPainterPath features;
    features.addEllipse(QPointF(6.8, 7.5), 1.6, 2.2);
    features.addEllipse(QPointF(13.2, 7.5), 1.6, 2.2);
    QPainterPath mouth;
    mouth.moveTo(5, 11.5);
    mouth.quadTo(10, 17.5, 15, 11.5);
    QPainterPathStroker stroker;
    stroker.setWidth(2);
    stroker.setCapStyle(Qt::RoundCap);
    features.addPath(stroker.createStroke(mouth));
    p.drawPath(face.subtracted(features.simplified()));
}

void envelope(QPainter &p)
{
    p.drawRect(QRectF(1, 4, 18, 12));
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({{2.5, 5.5}, {10, 11.5}, {17.5, 5.5}}));
    p.setPen(Qt::NoPen);
}

void note(QPainter &p)
{
    p.drawEllipse(QPointF(5, 16), 3.6, 2.8);
    p.drawEllipse(QPointF(15, 14), 3.6, 2.8);
    p.drawRect(QRectF(7.2, 3, 1.8, 13));
    p.drawRect(QRectF(17.2, 1, 1.8, 13));
    p.drawPath(polygon({{7.2, 3}, {19, 0}, {19, 4}, {7.2, 7}}));
}

void clock(QPainter &p)
{
    p.setPen(QPen(Qt::black, 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(10, 10), 8.6, 8.6);
    p.setPen(QPen(Qt::black, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 10), QPointF(10, 4.5));
    p.drawLine(QPointF(10, 10), QPointF(14, 12.5));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
}

void house(QPainter &p)
{
    p.drawPath(polygon({{10, 1}, {19.5, 9.5}, {17, 9.5}, {17, 19}, {3, 19}, {3, 9.5}, {0.5, 9.5}})
                   .subtracted([] {
                       QPainterPath door;
                       door.addRect(QRectF(8, 12, 4, 7));
                       return door;
                   }()));
}

} // namespace glyph

using Glyph = void (*)(QPainter &);

// A strip of glyphs in 20-dot cells, the first starting at `left`, one cell every `pitch` dots.
QImage strip(int width, int left, int pitch, std::initializer_list<Glyph> glyphs)
{
    return drawing(width, 20, [&](QPainter &p) {
        int x = left;
        for (const Glyph draw : glyphs) {
            p.save();
            p.translate(x, 0);
            draw(p);
            p.restore();
            x += pitch;
        }
    });
}

QImage companyLogo()
{
    const QFont bold = fontFromFile(SansBold);
    return drawing(384, 94, [&](QPainter &p) {
        // Emblem: a receipt coming out of a black printer block.
        p.drawRoundedRect(QRectF(3, 3, 88, 88), 16, 16);
        p.setBrush(Qt::white);
        QPainterPath receipt;
        receipt.moveTo(25, 14);
        receipt.lineTo(69, 14);
        receipt.lineTo(69, 74);
        for (int i = 0; i < 6; ++i) {
            receipt.lineTo(69 - 44.0 / 6 * (i + 0.5), 80);
            receipt.lineTo(69 - 44.0 / 6 * (i + 1), 74);
        }
        receipt.closeSubpath();
        p.drawPath(receipt);
        p.setBrush(Qt::black);
        p.drawRect(QRectF(16, 12, 62, 5));
        for (const auto &[y, w] : {std::pair{26.0, 34.0}, {36.0, 26.0}, {46.0, 30.0}})
            p.drawRect(QRectF(30, y, w, 4));
        p.drawRect(QRectF(30, 58, 34, 8));

        p.drawPath(textIn(QStringLiteral("ZP40x"), bold, QRectF(104, 4, 276, 58)));
        p.drawRect(QRectF(104, 68, 276, 4));
        p.drawPath(
            textIn(QStringLiteral("RECEIPT PRINTER CONTROLLERS"), bold, QRectF(104, 78, 276, 12)));
    });
}

QImage rasterLogo()
{
    const QFont bold = fontFromFile(SansBold);
    return drawing(
        256, 256,
        [&](QPainter &p) {
            const QPointF centre(128, 128);
            QPainterPath ring;
            ring.addEllipse(centre, 126, 126);
            ring.addEllipse(centre, 118, 118);
            p.drawPath(ring);

            // A shaded sphere: light from the upper left, dark towards the rim.
            QRadialGradient shade(centre, 112, QPointF(92, 86));
            shade.setColorAt(0, QColor(250, 250, 250));
            shade.setColorAt(0.55, QColor(150, 150, 150));
            shade.setColorAt(1, QColor(24, 24, 24));
            p.setBrush(shade);
            p.drawEllipse(centre, 112, 112);

            QPainterPath hexagon;
            for (int i = 0; i < 6; ++i) {
                const qreal angle = M_PI / 6 + i * M_PI / 3;
                const QPointF corner = centre + 64 * QPointF(std::cos(angle), std::sin(angle));
                i == 0 ? hexagon.moveTo(corner) : hexagon.lineTo(corner);
            }
            hexagon.closeSubpath();
            p.setBrush(Qt::white);
            p.setPen(QPen(Qt::black, 7, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            p.drawPath(hexagon);
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::black);
            p.drawPath(textIn(QStringLiteral("ZP"), bold, QRectF(84, 104, 88, 48)));
        },
        true);
}

QImage receiptHead()
{
    const QFont bold = fontFromFile(SansBold);
    const QFont book = fontFromFile(Sans);
    return drawing(384, 256, [&](QPainter &p) {
        // Emblem: a steaming cup on a saucer, white on a black disc.
        p.drawEllipse(QPointF(192, 64), 58, 58);
        p.setBrush(Qt::white);
        QPainterPath cup;
        cup.moveTo(160, 62);
        cup.lineTo(214, 62);
        cup.cubicTo(214, 84, 204, 96, 187, 96);
        cup.cubicTo(170, 96, 160, 84, 160, 62);
        QPainterPath handle;
        handle.addEllipse(QPointF(216, 74), 10, 9);
        handle.addEllipse(QPointF(216, 74), 5, 4);
        p.drawPath(cup.united(handle));
        p.drawRoundedRect(QRectF(150, 99, 74, 6), 3, 3);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
        for (const qreal x : {174.0, 187.0, 200.0}) {
            QPainterPath steam;
            steam.moveTo(x, 54);
            steam.cubicTo(x - 7, 46, x + 7, 38, x, 28);
            p.drawPath(steam);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);

        p.drawPath(textIn(QStringLiteral("TESSIVAR CAFE"), bold, QRectF(14, 136, 356, 38)));
        p.drawRect(QRectF(40, 184, 304, 3));
        p.drawPath(
            textIn(QStringLiteral("12 Harbour Street, Portsmere"), book, QRectF(24, 196, 336, 16)));
        p.drawPath(textIn(QStringLiteral("Tel. 01234 567890  -  Open daily 7-19"), book,
                          QRectF(24, 222, 336, 16)));
        p.drawRect(QRectF(40, 248, 304, 3));
    });
}

// The QR symbol: version 2 (25 x 25 modules), 7 dots a module, with the standard quiet zone of
// four modules on each side; 33 modules x 7 = 231 dots, so one more row and column of paper
// at the right and bottom make up the 232 x 232 of the array.
QImage qrCode(const char *text)
{
    constexpr int ModuleDots = 7;
    constexpr int QuietModules = 4;
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(text, 2, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!code || code->width != 25) {
        std::fprintf(stderr, "drawbitmaps: cannot encode \"%s\" as a version 2 QR symbol\n", text);
        std::exit(1);
    }
    QImage mono(232, 232, QImage::Format_Mono);
    mono.setColorCount(2);
    mono.setColor(0, Paper);
    mono.setColor(1, Ink);
    mono.fill(0);
    for (int row = 0; row < code->width; ++row) {
        for (int column = 0; column < code->width; ++column) {
            if (!(code->data[row * code->width + column] & 1))
                continue;
            for (int dy = 0; dy < ModuleDots; ++dy) {
                for (int dx = 0; dx < ModuleDots; ++dx)
                    mono.setPixel((QuietModules + column) * ModuleDots + dx,
                                  (QuietModules + row) * ModuleDots + dy, 1);
            }
        }
    }
    return mono;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: drawbitmaps DIRECTORY\n");
        return 2;
    }
    const QDir directory(QString::fromLocal8Bit(argv[1]));

    const std::pair<const char *, QImage> pictures[] = {
        {"ZP_company_384_94", companyLogo()},
        {"wingdings_256_20",
         strip(256, 2, 21,
               {glyph::star, glyph::heart, glyph::check, glyph::cross, glyph::arrowRight,
                glyph::arrowUp, glyph::diamond, glyph::bullseye, glyph::ballot, glyph::smiley,
                glyph::envelope, glyph::note})},
        {"wingdings_72_20", strip(72, 2, 24, {glyph::clock, glyph::envelope, glyph::house})},
        {"rlLogoBuff1", rasterLogo()},
        {"sample_company_384_256bmp", receiptHead()},
        {"zuvrel_qr_code_232_232", qrCode("Tessivar 1.1.1")},
    };
    for (const auto &[name, image] : pictures) {
        const QString path = directory.filePath(QString::fromLatin1(name) + QLatin1String(".png"));
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "drawbitmaps: cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s: %d x %d\n", qPrintable(path), image.width(), image.height());
    }
    return 0;
}
