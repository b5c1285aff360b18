#include "expectedjobs.h"

#include "resources/samplebitmaps.h"

#include <initializer_list>
#include <utility>

namespace Expect {

namespace {

const QByteArray rule(33, '.');

QByteArray receipt(int paymentMode, const QByteArray &cut)
{
    QByteArray s = align(0) + softInit + darkness(4);
    s += picture(sample_company_384_256bmp, 48, 256) + lf;
    s += align(1) + line("Customer Receipt") + feedLines(2);
    s += align(0) + line("Date: DD/MM/YYYY") + line("PID: 034/344/00288394") + feedLines(2);
    s += QByteArray("  Qty      Item      Price") + feedDots(24);
    s += line(rule) + line("2x  1L 1.5% Milk     $3.98") + line("6x  1L 3.5% Milk     $16.75") +
         line("10x 100g Yogurt Cup  $8.50") + line(rule);
    s += line("Total:              $29.23", 0x08) + feedLines(1);
    s += line("Incl. 19% VAT $5.55 (Net $23.68)") + line(rule);
    s += line("Credit Card         $29.23", paymentMode) + feedLines(2);
    s += align(1) + line("THANK YOU FOR YOUR VISIT") + feedLines(2);
    return s + cut;
}

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

const QByteArray latin1 = hex("c6c3c0dcfca5b5ded8f8d1f1 80c6d4dff0ebe7faefd9ffdc");

QByteArray captioned(const QByteArray &caption, const QByteArray &sample)
{
    return caption + lf + sample + lf + lf;
}

const QString zp40x = QStringLiteral("Updating ZP40x controller flash...");
const QString zp404 = QStringLiteral("Updating ZP404 controller flash...");

} // namespace

QByteArray quickTest()
{
    QByteArray s = softInit + align(0) + darkness(4);
    s += picture(ZP_company_384_94, 48, 94) + lf;
    s += line("======== S A M P L E ========");
    s += line("Normal 0123456 ABCD abcd", 0x00) + line("Bold 0123456 ABCD abcd", 0x08) +
         line("Double Width", 0x20) + line("Double Height", 0x10) +
         line("Reverse 0123456 ABCD abcd", 0x40) + line("Underlined 0123456 ABCD abcd", 0x80) +
         line("Italic 0123456 ABCD abcd", 0x02) + line("Italic 0123456 ABCD abcd", 0x82);
    s += lf;
    s += picture(wingdings_256_20, 32, 20) + lf;
    s += picture(wingdings_72_20, 9, 20) + lf;
    s += leftMargin(4) + barWidth(3) + barHeight(64) + barcode(0, "01234567890") + leftMargin(0);
    s += picture(rlLogoBuff1, 32, 256) + lf;
    return s;
}

QByteArray attributes()
{
    const QByteArray alphabets =
        "\nabcdefghijklmnopqrstuvwxyz\nABCDEFGHIJKLMNOPQRSTUVWXYZ\n0123456789";
    QByteArray s = align(0) + softInit + line(rule);
    s +=
        line("Normal" + alphabets, 0x00) + line("Bold" + alphabets, 0x08) +
        line("Double Width" + alphabets, 0x20) +
        line(
            "Double Height\nabcdefghijklmnop\nqrstuvwxyz\nABCDEFGHIJKLMNOP\nQRSTUVWXYZ\n0123456789",
            0x10) +
        line("Reverse" + alphabets, 0x40) + line("Underlined" + alphabets, 0x80) +
        line("Italic" + alphabets, 0x02);
    return s + line(rule + "\n\n");
}

QByteArray density()
{
    QByteArray s = align(0) + softInit + line(rule);
    for (int level = 0; level <= 8; ++level)
        s += darkness(level) + line(QByteArray::number(level) + ": abcdefghijklmnopqrstuvwxyz");
    return s + line(rule + "\n\n") + darkness(4);
}

QByteArray formatting()
{
    const QByteArray abc = "abcdefghijklmnopqrstuvwxyz";
    const QByteArray three = abc + '\n' + abc + '\n' + abc;
    const QByteArray defaultSpacing33 = "Default Line Space 33:\n " + three;
    QByteArray s = align(0) + softInit + line(rule) + line(defaultSpacing33);
    s += spacing(66) + line("Line Space 66:\n " + three) + defaultSpacing + line(defaultSpacing33);
    s += line(rule) + line("Feeding 20 dots after printing:\n" + three) + feedDots(20);
    s += line(rule) + line("Feeding 5 lines after printing:\n" + three) + feedLines(5);
    s += line(rule) + cr;
    s += leftMargin(8) + line("Left Margin 8:\nabcd\nabcd\nabcd") + leftMargin(0);
    s += rightMargin(38) + line("Right Margin 38:\nabcd\nabcd\nabcd") + rightMargin(48);
    return s;
}

QByteArray alignment()
{
    QByteArray s = align(0) + softInit + hex("1b44081826") + hex("00");
    s += line(rule) + line("No Tab: abcd");
    s += tab + "Tab1" + tab + "Tab2" + tab + "Tab3" + lf;
    s += line(rule) + hex("1b243200") + line("Abs: 1234") + line(rule);
    s += align(1) + line("Center: abcd") + align(2) + line("Right: abcd") + align(0) +
         line("Left: abcd");
    return s + line(rule);
}

QByteArray plainReceipt()
{
    return receipt(0x90, {});
}

QByteArray fullCutReceipt()
{
    return receipt(0x10, fullCut);
}

QByteArray partialCutReceipt()
{
    return receipt(0x10, partialCut);
}

QByteArray qrBitmap()
{
    return softInit + picture(zuvrel_qr_code_232_232, 29, 232);
}

const BarcodeSample barcodeSamples[] = {
    {"pushButtonBarcodeUPCA", "Printing UPC-A bar code: 01234567890", "UPCA height=64 width=3", 3,
     0, "01234567890", 58, 61},
    {"pushButtonBarcodeUPCE", "Printing UPC-E bar code: 012345", "UPC-E height=64 width=3", 3, 1,
     "012345", 54, 57},
    {"pushButtonBarcodeEAN13", "Printing EAN-13 bar code: 012345678901", "EAN13 height=64 width=3",
     3, 2, "012345678901", 60, 63},
    {"pushButtonBarcodeEAN8", "Printing EAN-8 bar code: 0123456", "EAN-8 height=64 width=3", 3, 3,
     "0123456", 55, 58},
    {"pushButtonBarcodeCODE39", "Printing Code 39 bar code: 123456ZP402",
     "Code 39 height=64 width=2", 2, 4, "123456ZP402", 61, 64},
    {"pushButtonBarcodeITF25", "Printing ITF 2 5 bar code: 12345678", "ITF 2 5 height=64 width=3",
     3, 5, "12345678", 58, 61},
    {"pushButtonBarcodeCODABAR", "Printing CODA BAR bar code: a123456a",
     "CODA BAR height=64 width=3", 3, 6, "a123456a", 59, 62},
    {"pushButtonBarcodeCODE93", "Printing CODE 93 bar code: 12345678", "CODE 93 height=64 width=3",
     3, 7, "12345678", 58, 61},
    {"pushButtonBarcodeCODE128A", "Printing CODE 128A bar code: 12345678",
     "CODE 128A height=64 width=2", 2, 8, "12345678", 60, 63},
};

const BarcodeSample *barcodeSampleFor(const char *button)
{
    for (const BarcodeSample &s : barcodeSamples) {
        if (qstrcmp(s.button, button) == 0)
            return &s;
    }
    return nullptr;
}

QByteArray barcodeStream(const BarcodeSample &sample, bool margin)
{
    const QByteArray head = softInit + line(sample.caption) + feedLines(2);
    const QByteArray tail = barWidth(sample.width) + barHeight(64) +
                            barcode(sample.system, sample.data) + feedLines(2) + leftMargin(0);
    return margin ? head + leftMargin(4) + tail : head + tail;
}

const HeadSample heads[] = {
    {"pushButtonFTP628", 0, "58mm FTP628MCL101 or compatible", zp40x},
    {"pushButtonFTP638", 1, "80mm FTP638MCL101 or compatible", zp40x},
    {"pushButtonLTP0213", 2, "58mm Seiko LTP02-245-13 or compatible", zp40x},
    {"pushButtonLTP02C1", 3, "58mm Seiko LTP02-245-C1 or compatible", zp40x},
    {"pushButton58_384", 4, "58mm 384 dots with cutter 7.2V/24V", zp404},
    {"pushButton80_576", 5, "80mm 576 dots with cutter 7.2V/24V", zp404},
    {"pushButtonM23_H69", 6, "58mm M23-DH-H69 or compatible", zp40x},
    {"pushButtonM23_SX", 7, "58mm M23-SX or compatible", zp40x},
};

const QByteArray latin = "ABCDabcd1234%&/!)(.-_;" + hex("8024 40a3 a5a9 ae");

QList<LanguageSection> languageSections()
{
    QList<LanguageSection> out;
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

QByteArray languageTour()
{
    QByteArray out;
    for (const LanguageSection &s : languageSections())
        out += s.bytes;
    return out;
}

} // namespace Expect
