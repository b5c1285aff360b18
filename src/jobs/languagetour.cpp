// SPDX-License-Identifier: MIT
#include "jobs/languagetour.h"

#include <cstddef>

namespace Jobs::Language {

const char explanation[] =
    "The Controller works with Unicode however basic Latin and Latin-1 can be send as single "
    "byte character\n"
    " all other need to be sent as Unicode. Other DoubleByte languages are also supported e.g. "
    "Chinese, Japanese.\n"
    "Here is the range:\n"
    "Basic Latin and Latin-1 in range of 0x00h-0xFFh can be send as single byte\n"
    "Unicode:\n"
    "(unicode >=  0x0020UL && unicode <= 0x007FUL) ||  basic latin\n"
    "(unicode >=  0x00A0UL && unicode <= 0x017FUL) ||  part of latin1 & latin extended A\n"
    "(unicode >=  0x01A0UL && unicode <= 0x01CFUL) ||  part of Latin extended B\n"
    "(unicode >=  0x01F0UL && unicode <= 0x01FFUL) ||  part of Latin extended B\n"
    "(unicode >=  0x0210UL && unicode <= 0x021FUL) ||  part of Latin extended B\n"
    "(unicode >=\t 0x1EA0UL && unicode <= 0x1EF9UL) ||  part of Latin Extended Additional\n"
    "\n"
    "Greek and Arabic requires firmware April 2020 or newer\n"
    "Greek language support range is:\n"
    "[0374h-0375h 037Ah-037Eh 0384h-038Ah 038Ch 038Eh-03A1h 03A3h-03CEh]\n"
    "Arabic language support range is:\n"
    "[060Ch 061Bh 061F 0621h-063Ah 0640h-0655h 0660h-066Fh 0671h-06EDh 06F0h-06FEh]\n";
static_assert(sizeof explanation == 1040 + 1);

namespace {

// A NUL-terminated byte string made at compile time.
template <std::size_t N>
struct Bytes
{
    char data[N + 1] = {};

    // The controller would stop at a zero byte, and so would the text operation.
    constexpr bool whole() const
    {
        for (std::size_t i = 0; i < N; ++i) {
            if (data[i] == 0)
                return false;
        }
        return true;
    }
};

constexpr void putCodeUnit(char *out, char16_t unit)
{
    out[0] = char(unit >> 8);
    out[1] = char(unit & 0xFF);
}

// Unicode as the controller takes it: UTF-16 code units, high byte first.
template <std::size_t N>
constexpr Bytes<2 * (N - 1)> unicode(const char16_t (&text)[N])
{
    Bytes<2 * (N - 1)> out;
    for (std::size_t i = 0; i + 1 < N; ++i)
        putCodeUnit(out.data + 2 * i, text[i]);
    return out;
}

struct Run
{
    char16_t first;
    char16_t last;
};

// The code points of the runs, ascending within each run, in the same encoding.
template <Run... Runs>
constexpr auto unicodeRuns()
{
    constexpr std::size_t count = ((std::size_t(Runs.last - Runs.first) + 1) + ...);
    Bytes<2 * count> out;
    std::size_t at = 0;
    for (const Run run : {Runs...}) {
        for (char32_t c = run.first; c <= run.last; ++c, at += 2)
            putCodeUnit(out.data + at, char16_t(c));
    }
    return out;
}

// Double-byte codes of one row of a code table: the row's byte, then each cell's byte.
template <unsigned char Row, unsigned char FirstCell, unsigned char LastCell>
constexpr auto doubleByteRow()
{
    Bytes<2 * (LastCell - FirstCell + 1)> out;
    std::size_t at = 0;
    for (unsigned cell = FirstCell; cell <= LastCell; ++cell) {
        out.data[at++] = char(Row);
        out.data[at++] = char(cell);
    }
    return out;
}

// Single bytes: "ABCDabcd1234%&/!)(.-_;" and the signs Euro (0x80 in the controller's code
// page), $, @, pound, yen, copyright and registered.
constexpr char latin[] = "ABCDabcd1234%&/!)(.-_;\x80\x24\x40\xA3\xA5\xA9\xAE";
// Latin-1 letters as single bytes: AE, A tilde, A grave, U umlaut, ...
constexpr char latin1[] = "\xC6\xC3\xC0\xDC\xFC\xA5\xB5\xDE\xD8\xF8\xD1\xF1"
                          "\x80\xC6\xD4\xDF\xF0\xEB\xE7\xFA\xEF\xD9\xFF\xDC";

constexpr auto latinExtendedA = unicode(u"\u012B\u0135\u0107\u0126\u0176\u0108\u0119\u010E"
                                        u"\u017D\u014E\u015C\u017F\u0151\u0162\u0132\u014A\u016F");
constexpr auto latinExtendedB = unicode(u"\u01A0\u01AD\u01BB\u01CE\u01CF\u01F1\u01F9\u01FF"
                                        u"\u0210\u0216\u0219\u021C\u021F\u01BE\u01FC\u021B");
constexpr auto latinExtendedAdditional =
    unicode(u"\u1EA1\u1EC7\u1EF3\u1EAB\u1EDB\u1EE9\u1EF1\u1ED6\u1EE7\u1EED\u1ECF\u1EDD\u1EBC"
            u"\u1EF9\u1ECA\u1EB5");

// GB2312 in its 8-bit form: 飞流直下三千尺，疑是银河落九天
constexpr char chinese[] = "\xB7\xC9\xC1\xF7\xD6\xB1\xCF\xC2\xC8\xFD\xC7\xA7\xB3\xDF\xA3\xAC"
                           "\xD2\xC9\xCA\xC7\xD2\xF8\xBA\xD3\xC2\xE4\xBE\xC5\xCC\xEC";

// JIS X 0208 in its 7-bit form. Hiragana is row 4, all 83 cells.
constexpr auto hiragana1 = doubleByteRow<0x24, 0x21, 0x2F>();
constexpr auto hiragana2 = doubleByteRow<0x24, 0x30, 0x3F>();
constexpr auto hiragana3 = doubleByteRow<0x24, 0x40, 0x4F>();
constexpr auto hiragana4 = doubleByteRow<0x24, 0x50, 0x5F>();
constexpr auto hiragana5 = doubleByteRow<0x24, 0x60, 0x6F>();
constexpr auto hiragana6 = doubleByteRow<0x24, 0x70, 0x73>();
// Katakana is row 5, cells 1-86 without the last cell of each printed row (15, 31, 47, 63, 79).
constexpr auto katakana1 = doubleByteRow<0x25, 0x21, 0x2E>();
constexpr auto katakana2 = doubleByteRow<0x25, 0x30, 0x3E>();
constexpr auto katakana3 = doubleByteRow<0x25, 0x40, 0x4E>();
constexpr auto katakana4 = doubleByteRow<0x25, 0x50, 0x5E>();
constexpr auto katakana5 = doubleByteRow<0x25, 0x60, 0x6E>();
constexpr auto katakana6 = doubleByteRow<0x25, 0x70, 0x76>();
// 大原や蝶の出て舞う朧月
constexpr char japaneseSentence[] =
    "\x42\x67\x38\x36\x24\x64\x44\x33\x24\x4E\x3D\x50\x24\x46\x49\x71\x24\x26\x5B\x30\x37\x6E";

// Together exactly the supported Greek set, 79 code points.
constexpr auto greek1 = unicodeRuns<Run{0x0374, 0x0375}, Run{0x037A, 0x037E}>();
constexpr auto greek2 =
    unicodeRuns<Run{0x0384, 0x038A}, Run{0x038C, 0x038C}, Run{0x038E, 0x038F}>();
constexpr auto greek3 = unicodeRuns<Run{0x0390, 0x039F}>();
constexpr auto greek4 = unicodeRuns<Run{0x03A0, 0x03A1}, Run{0x03A3, 0x03AF}>();
constexpr auto greek5 = unicodeRuns<Run{0x03B0, 0x03BF}>();
constexpr auto greek6 = unicodeRuns<Run{0x03C0, 0x03CE}>();

// The Arabic rows go beyond the ranges that the captions name (they also send U+0656-U+0658,
// U+06EE, U+06EF and U+06FF): the controller shows what it makes of them.
constexpr auto arabic1 =
    unicodeRuns<Run{0x060C, 0x060C}, Run{0x061B, 0x061B}, Run{0x061F, 0x061F}>();
constexpr auto arabic2 = unicodeRuns<Run{0x0621, 0x062F}>();
constexpr auto arabic3 = unicodeRuns<Run{0x0630, 0x063A}>();
constexpr auto arabic4 = unicodeRuns<Run{0x0640, 0x064F}>();
constexpr auto arabic5 = unicodeRuns<Run{0x0650, 0x0658}>();
constexpr auto arabic6 = unicodeRuns<Run{0x0660, 0x066F}>();
constexpr auto arabic7 = unicodeRuns<Run{0x0671, 0x067F}>();
constexpr auto arabic8 = unicodeRuns<Run{0x0680, 0x068F}>();
constexpr auto arabic9 = unicodeRuns<Run{0x0690, 0x069F}>();
constexpr auto arabic10 = unicodeRuns<Run{0x06A0, 0x06AF}>();
constexpr auto arabic11 = unicodeRuns<Run{0x06B0, 0x06BF}>();
constexpr auto arabic12 = unicodeRuns<Run{0x06C0, 0x06CF}>();
constexpr auto arabic13 = unicodeRuns<Run{0x06D0, 0x06DF}>();
constexpr auto arabic14 = unicodeRuns<Run{0x06E0, 0x06EF}>();
constexpr auto arabic15 = unicodeRuns<Run{0x06F0, 0x06FF}>();

template <typename... Samples>
constexpr bool allWhole(const Samples &...samples)
{
    return (samples.whole() && ...);
}
static_assert(allWhole(latinExtendedA, latinExtendedB, latinExtendedAdditional, hiragana1,
                       hiragana2, hiragana3, hiragana4, hiragana5, hiragana6, katakana1, katakana2,
                       katakana3, katakana4, katakana5, katakana6, greek1, greek2, greek3, greek4,
                       greek5, greek6, arabic1, arabic2, arabic3, arabic4, arabic5, arabic6,
                       arabic7, arabic8, arabic9, arabic10, arabic11, arabic12, arabic13, arabic14,
                       arabic15));

constexpr Step text(const char *bytes)
{
    return {Op::Text, bytes};
}
// A row of a table: its bytes, then a line feed of its own.
constexpr Step line(const char *bytes)
{
    return {Op::Line, bytes};
}
constexpr Step lf{Op::LineFeed};
constexpr Step dbOn{Op::DoubleByteOn};
constexpr Step dbOff{Op::DoubleByteOff};

constexpr Step start[] = {{Op::SoftInit}, lf};
constexpr Step basicLatin[] = {text("[00h-7Fh]"), lf, text(latin), lf, lf};
constexpr Step latin1Range[] = {text("[A0h-FFh]"), lf, text(latin1), lf, lf};
constexpr Step latinExtendedARange[] = {text("[100h-17Fh]"), lf, text(latinExtendedA.data), lf, lf};
constexpr Step latinExtendedBRange[] = {text("[1A0h-1CFh 1F0h-1FFh 210h-21Fh]"), lf,
                                        text(latinExtendedB.data), lf, lf};
constexpr Step latinExtendedAdditionalRange[] = {text("[1EA0h-1EF9h]"), lf,
                                                 text(latinExtendedAdditional.data), lf, lf};
// The caption still goes out in the standard font, the sample in the small one ...
constexpr Step smallFont[] = {
    text("[Setting Small Font]"), lf, {Op::SmallFont}, text(latin), lf, lf};
// ... while here the font changes before the caption.
constexpr Step standardFont[] = {
    {Op::StandardFont}, text("[Setting Standard Font]"), lf, text(latin), lf, lf};
constexpr Step chineseSection[] = {
    text("[DoubleByte - Chinese]"), lf, dbOn, text(chinese), lf, lf, dbOff};
constexpr Step hiraganaSection[] = {text("[DoubleByte - Hiragana]"),
                                    lf,
                                    dbOn,
                                    line(hiragana1.data),
                                    line(hiragana2.data),
                                    line(hiragana3.data),
                                    line(hiragana4.data),
                                    line(hiragana5.data),
                                    line(hiragana6.data),
                                    lf,
                                    dbOff};
// The last Katakana row's line is ended after double-byte mode is off.
constexpr Step katakanaSection[] = {text("[DoubleByte - Katakana]"),
                                    lf,
                                    dbOn,
                                    line(katakana1.data),
                                    line(katakana2.data),
                                    line(katakana3.data),
                                    line(katakana4.data),
                                    line(katakana5.data),
                                    text(katakana6.data),
                                    dbOff,
                                    lf,
                                    lf};
constexpr Step sentenceSection[] = {dbOn, text(japaneseSentence), dbOff, lf, lf};
constexpr Step latinAgain[] = {text("[Latin Language]"), lf, text(latin), lf, lf};
// The captions carry their own line feeds.
constexpr Step greekSection[] = {text("[Greek Language]\n"),
                                 text("[Firmware 04/2020 or newer]\n"),
                                 text("[0374h-0375h 037Ah-037Eh]\n"),
                                 text("[0384h-038Ah 038Ch]\n"),
                                 text("[038Eh-03A1h 03A3h-03CEh]\n"),
                                 lf,
                                 line(greek1.data),
                                 line(greek2.data),
                                 line(greek3.data),
                                 line(greek4.data),
                                 line(greek5.data),
                                 line(greek6.data),
                                 lf};
constexpr Step arabicSection[] = {text("[Arabic Language]\n"),
                                  text("[Firmware 04/2020 or newer]\n"),
                                  text("[060Ch 061Bh 061F]\n"),
                                  text("[0621h-063Ah]\n"),
                                  text("[0640h-0655h]\n"),
                                  text("[0660h-066Fh]\n"),
                                  text("[0671h-06EDh]\n"),
                                  text("[06F0h-06FEh]\n"),
                                  lf,
                                  line(arabic1.data),
                                  line(arabic2.data),
                                  line(arabic3.data),
                                  line(arabic4.data),
                                  line(arabic5.data),
                                  line(arabic6.data),
                                  line(arabic7.data),
                                  line(arabic8.data),
                                  line(arabic9.data),
                                  line(arabic10.data),
                                  line(arabic11.data),
                                  line(arabic12.data),
                                  line(arabic13.data),
                                  line(arabic14.data),
                                  line(arabic15.data),
                                  lf};

constexpr Section sections[] = {
    {{nullptr, nullptr}, start},
    {{nullptr, nullptr}, basicLatin},
    {{nullptr, nullptr}, latin1Range},
    {{nullptr, nullptr}, latinExtendedARange},
    {{nullptr, nullptr}, latinExtendedBRange},
    {{nullptr, nullptr}, latinExtendedAdditionalRange},
    {{"Setting Font to Small", nullptr}, smallFont},
    {{"Setting Font to Standard", nullptr}, standardFont},
    {{"Printing DoubleByte Language", "Chinese"}, chineseSection},
    {{"Japanese - Hiragana", nullptr}, hiraganaSection},
    {{"Japanese - Katakana", nullptr}, katakanaSection},
    {{nullptr, nullptr}, sentenceSection},
    {{"Latin Language", nullptr}, latinAgain},
    {{"Greek Language", nullptr}, greekSection},
    {{"Arabic Language", nullptr}, arabicSection},
};

} // namespace

std::span<const Section> tour()
{
    return sections;
}

} // namespace Jobs::Language
