// The glyph cells the print head gets, and the trace's word when the fonts are missing. The
// cells are checked against pictures under glyphs/, one per path a character takes through the
// fonts. A cell that differs is written to <name>.pbm in the working folder: look at it, and copy
// it over the expected one when the change is meant.
#include "virtual/bitmapfont.h"
#include "virtual/virtualcontroller.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using Virtual::FontSet;
using Virtual::GlyphCell;

namespace {

// A cell as a plain PBM picture (P1): 1 is ink.
QByteArray pbmOf(const GlyphCell &cell)
{
    QByteArray pbm =
        "P1\n" + QByteArray::number(cell.width) + ' ' + QByteArray::number(cell.height) + '\n';
    for (int y = 0; y < cell.height; ++y) {
        for (int x = 0; x < cell.width; ++x)
            pbm += cell.dot(x, y) ? '1' : '0';
        pbm += '\n';
    }
    return pbm;
}

} // namespace

class TestVirtualGlyphs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cells_data();
    void cells();
    void missingFontsTracedOnce();
};

void TestVirtualGlyphs::cells_data()
{
    QTest::addColumn<char16_t>("character");
    QTest::addColumn<FontSet::Size>("size");

    QTest::newRow("latin-A-efont-24") << char16_t(u'A') << FontSet::Size::Standard;
    QTest::newRow("latin-g-efont-16") << char16_t(u'g') << FontSet::Size::Small;
    QTest::newRow("cjk-kan-efont-24-full-width") << char16_t(u'漢') << FontSet::Size::Standard;
    QTest::newRow("devanagari-ka-unifont-scaled") << char16_t(u'क') << FontSet::Size::Standard;
    QTest::newRow("devanagari-ka-unifont-16") << char16_t(u'क') << FontSet::Size::Small;
}

void TestVirtualGlyphs::cells()
{
    QFETCH(char16_t, character);
    QFETCH(FontSet::Size, size);
    const FontSet &fonts = FontSet::system();
    QVERIFY2(fonts.isComplete(), qPrintable(fonts.missing()));

    const GlyphCell cell = fonts.glyph(character, size);
    QVERIFY(cell.found);
    const QString name = QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".pbm");
    QFile expected(QStringLiteral(TESSIVAR_GLYPH_DIR "/") + name);
    const QByteArray actual = pbmOf(cell);
    if (!expected.open(QIODevice::ReadOnly) || actual != expected.readAll()) {
        QFile written(name);
        QVERIFY(written.open(QIODevice::WriteOnly) && written.write(actual) == actual.size());
        QFAIL(qPrintable(QStringLiteral("the cell differs from %1; it is in %2")
                             .arg(expected.fileName(), QFileInfo(written).absoluteFilePath())));
    }
}

void TestVirtualGlyphs::missingFontsTracedOnce()
{
    const FontSet none(QStringLiteral("/nonexistent"));
    QBuffer trace;
    trace.open(QIODevice::WriteOnly);
    Virtual::VirtualController controller({0, Virtual::Paper::defaultMaxLength, &trace, &none});
    controller.feed("A\nB\n");
    controller.finish();
    const QByteArray lines = trace.data();
    QCOMPARE(lines.count("fonts missing"), 1);
    QVERIFY2(lines.contains("install xfonts-efont-unicode xfonts-unifont"), lines.constData());
}

QTEST_GUILESS_MAIN(TestVirtualGlyphs)
#include "tst_virtual_glyphs.moc"
