#include "jobbench.h"
#include "wire.h"

#include <QPlainTextEdit>
#include <QTest>

#include <initializer_list>
#include <memory>
#include <utility>

using namespace Expect;

// The language tour: its stream section by section, the encodings on the wire, and the
// explanation in the console.
class TestLanguageJob : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void streamBySection_data();
    void streamBySection();
    void wholeStream();
    void account();

private:
    std::unique_ptr<JobBench> bench;
    QByteArray received;
};

namespace {

// Code points as UTF-16 code units, high byte first.
QByteArray unicode(std::initializer_list<std::pair<int, int>> runs)
{
    QByteArray out;
    for (const auto &[first, last] : runs) {
        for (int c = first; c <= last; ++c)
            out += char(c >> 8) + QByteArray(1, char(c & 0xFF));
    }
    return out;
}
QByteArray unicode(std::initializer_list<int> codes)
{
    QByteArray out;
    for (int c : codes)
        out += char(c >> 8) + QByteArray(1, char(c & 0xFF));
    return out;
}
// Double-byte codes of one row of a code table.
QByteArray row(int lead, int firstCell, int lastCell)
{
    QByteArray out;
    for (int cell = firstCell; cell <= lastCell; ++cell)
        out += char(lead) + QByteArray(1, char(cell));
    return out;
}

const QByteArray latin = "ABCDabcd1234%&/!)(.-_;" + hex("8024 40a3 a5a9 ae");
const QByteArray latin1 = hex("c6c3c0dcfca5b5ded8f8d1f1 80c6d4dff0ebe7faefd9ffdc");

QByteArray captioned(const QByteArray &caption, const QByteArray &sample)
{
    return caption + lf + sample + lf + lf;
}

struct Section
{
    const char *name;
    QByteArray bytes;
    int size;
};

QList<Section> sections()
{
    QList<Section> out;
    out.append(
        {"soft init and the Latin ranges",
         softInit + lf + captioned("[00h-7Fh]", latin) + captioned("[A0h-FFh]", latin1) +
             captioned("[100h-17Fh]", unicode({0x012B, 0x0135, 0x0107, 0x0126, 0x0176, 0x0108,
                                               0x0119, 0x010E, 0x017D, 0x014E, 0x015C, 0x017F,
                                               0x0151, 0x0162, 0x0132, 0x014A, 0x016F})) +
             captioned("[1A0h-1CFh 1F0h-1FFh 210h-21Fh]",
                       unicode({0x01A0, 0x01AD, 0x01BB, 0x01CE, 0x01CF, 0x01F1, 0x01F9, 0x01FF,
                                0x0210, 0x0216, 0x0219, 0x021C, 0x021F, 0x01BE, 0x01FC, 0x021B})) +
             captioned("[1EA0h-1EF9h]",
                       unicode({0x1EA1, 0x1EC7, 0x1EF3, 0x1EAB, 0x1EDB, 0x1EE9, 0x1EF1, 0x1ED6,
                                0x1EE7, 0x1EED, 0x1ECF, 0x1EDD, 0x1EBC, 0x1EF9, 0x1ECA, 0x1EB5})),
         242});
    out.append({"small font", "[Setting Small Font]" + lf + fontMode(1) + latin + lf + lf, 55});
    out.append({"standard font", fontMode(2) + captioned("[Setting Standard Font]", latin), 58});
    out.append({"Chinese",
                "[DoubleByte - Chinese]" + lf + dbOn +
                    hex("b7c9c1f7d6b1cfc2c8fdc7a7b3dfa3acd2c9cac7d2f8bad3c2e4bec5ccec") + lf + lf +
                    dbOff,
                59});
    QByteArray hiragana = "[DoubleByte - Hiragana]" + lf + dbOn;
    for (const auto &[first, last] : {std::pair{0x21, 0x2F},
                                      {0x30, 0x3F},
                                      {0x40, 0x4F},
                                      {0x50, 0x5F},
                                      {0x60, 0x6F},
                                      {0x70, 0x73}})
        hiragana += row(0x24, first, last) + lf;
    out.append({"Hiragana", hiragana + lf + dbOff, 201});
    QByteArray katakana = "[DoubleByte - Katakana]" + lf + dbOn;
    for (const auto &[first, last] :
         {std::pair{0x21, 0x2E}, {0x30, 0x3E}, {0x40, 0x4E}, {0x50, 0x5E}, {0x60, 0x6E}})
        katakana += row(0x25, first, last) + lf;
    katakana += row(0x25, 0x70, 0x76) + dbOff + lf + lf;
    katakana += dbOn + hex("4267383624644433244e3d50244649712426 5b30376e") + dbOff + lf + lf;
    out.append({"Katakana and the Japanese sentence", katakana, 225});
    out.append({"Latin again", captioned("[Latin Language]", latin), 48});
    QByteArray greek = "[Greek Language]\n[Firmware 04/2020 or newer]\n"
                       "[0374h-0375h 037Ah-037Eh]\n[0384h-038Ah 038Ch]\n"
                       "[038Eh-03A1h 03A3h-03CEh]\n" +
                       lf;
    for (const QByteArray &r :
         {unicode({{0x0374, 0x0375}, {0x037A, 0x037E}}),
          unicode({{0x0384, 0x038A}, {0x038C, 0x038C}, {0x038E, 0x038F}}),
          unicode({{0x0390, 0x039F}}), unicode({{0x03A0, 0x03A1}, {0x03A3, 0x03AF}}),
          unicode({{0x03B0, 0x03BF}}), unicode({{0x03C0, 0x03CE}})})
        greek += r + lf;
    out.append({"Greek", greek + lf, 283});
    QByteArray arabic = "[Arabic Language]\n[Firmware 04/2020 or newer]\n[060Ch 061Bh 061F]\n"
                        "[0621h-063Ah]\n[0640h-0655h]\n[0660h-066Fh]\n[0671h-06EDh]\n"
                        "[06F0h-06FEh]\n" +
                        lf;
    arabic += unicode({0x060C, 0x061B, 0x061F}) + lf;
    for (const auto &[first, last] : {std::pair{0x0621, 0x062F},
                                      {0x0630, 0x063A},
                                      {0x0640, 0x064F},
                                      {0x0650, 0x0658},
                                      {0x0660, 0x066F},
                                      {0x0671, 0x067F}})
        arabic += unicode({{first, last}}) + lf;
    for (int start = 0x0680; start < 0x0700; start += 16)
        arabic += unicode({{start, start + 15}}) + lf;
    out.append({"Arabic", arabic + lf, 578});
    return out;
}

} // namespace

// One press for the whole test: the sections are compared one by one so a fault names its
// section.
void TestLanguageJob::initTestCase()
{
    bench = std::make_unique<JobBench>();
    QVERIFY(bench->ready());
    QVERIFY(bench->click(QStringLiteral("pushButtonLanguage")));
    received = bench->receive(1749);
}

void TestLanguageJob::streamBySection_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("size");

    int offset = 0;
    for (const Section &s : sections()) {
        QTest::newRow(s.name) << offset << s.bytes << s.size;
        offset += s.size;
    }
}

void TestLanguageJob::streamBySection()
{
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    QFETCH(int, size);
    QCOMPARE(bytes.size(), size);
    QCOMPARE(received.mid(offset, size), bytes);
}

void TestLanguageJob::wholeStream()
{
    QCOMPARE(received.size(), 1749);
    QByteArray expected;
    for (const Section &s : sections())
        expected += s.bytes;
    QCOMPARE(firstDifference(received, expected), -1);
    QCOMPARE(received, expected);
    // A zero byte would have cut a sample short in the controller.
    QVERIFY(!received.contains('\0'));
    QCOMPARE(received.count(latin), 4);

    // Double-byte mode is switched off as often as on, never before it is on.
    int depth = 0;
    for (qsizetype i = 0; i + 1 < received.size(); ++i) {
        if (received[i] != '\x1c')
            continue;
        depth += received[i + 1] == '&' ? 1 : received[i + 1] == '.' ? -1 : 0;
        QVERIFY(depth == 0 || depth == 1);
    }
    QCOMPARE(depth, 0);

    // A second press queues the same stream again.
    QVERIFY(bench->click(QStringLiteral("pushButtonLanguage")));
    QCOMPARE(bench->receive(1749), expected);
}

void TestLanguageJob::account()
{
    const QStringList explanation = {
        "The Controller works with Unicode however basic Latin and Latin-1 can be send as single "
        "byte character",
        " all other need to be sent as Unicode. Other DoubleByte languages are also supported "
        "e.g. Chinese, Japanese.",
        "Here is the range:",
        "Basic Latin and Latin-1 in range of 0x00h-0xFFh can be send as single byte",
        "Unicode:",
        "(unicode >=  0x0020UL && unicode <= 0x007FUL) ||  basic latin",
        "(unicode >=  0x00A0UL && unicode <= 0x017FUL) ||  part of latin1 & latin extended A",
        "(unicode >=  0x01A0UL && unicode <= 0x01CFUL) ||  part of Latin extended B",
        "(unicode >=  0x01F0UL && unicode <= 0x01FFUL) ||  part of Latin extended B",
        "(unicode >=  0x0210UL && unicode <= 0x021FUL) ||  part of Latin extended B",
        "(unicode >=\t 0x1EA0UL && unicode <= 0x1EF9UL) ||  part of Latin Extended Additional",
        "",
        "Greek and Arabic requires firmware April 2020 or newer",
        "Greek language support range is:",
        "[0374h-0375h 037Ah-037Eh 0384h-038Ah 038Ch 038Eh-03A1h 03A3h-03CEh]",
        "Arabic language support range is:",
        "[060Ch 061Bh 061F 0621h-063Ah 0640h-0655h 0660h-066Fh 0671h-06EDh 06F0h-06FEh]",
    };
    QCOMPARE(explanation.join(QLatin1Char('\n')).size() + 1, 1040);

    // The explanation's own last line feed leaves an empty line before the section lines.
    const QStringList expected = QStringList{"Printing languages"} + explanation +
                                 QStringList{"",
                                             "Setting Font to Small",
                                             "Setting Font to Standard",
                                             "Printing DoubleByte Language",
                                             "Chinese",
                                             "Japanese - Hiragana",
                                             "Japanese - Katakana",
                                             "Latin Language",
                                             "Greek Language",
                                             "Arabic Language"};
    QCOMPARE(bench->consoleLines(), expected);
    QCOMPARE(bench->console()->document()->blockCount(), expected.size());
}

QTEST_MAIN(TestLanguageJob)
#include "tst_jobs_language.moc"
