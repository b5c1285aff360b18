// SPDX-License-Identifier: MIT
#include "virtual/codepages.h"

#include "protocol/values.h"

#include <QChar>
#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>

namespace Virtual {

namespace {

// The byte through a fresh decoder (one that met an undefined byte does not always recover):
// its character, or 0 where the codec gives none, a C1 control or a lead byte.
char16_t decodeByte(const char *codec, int byte)
{
    QStringDecoder decoder(codec);
    const char c = char(byte);
    const QString s = decoder(QByteArrayView(&c, 1));
    if (decoder.hasError() || s.size() != 1 || (s[0].unicode() >= 0x80 && s[0].unicode() <= 0x9F) ||
        s[0] == QChar::ReplacementCharacter || s[0].isSurrogate())
        return 0;
    return s[0].unicode();
}

// The code page through the codec; without a codec, ASCII alone, for the page's own
// characters to complete.
std::optional<CodePageTable> decodeCodePage(const char *codec)
{
    CodePageTable table{};
    if (!codec) {
        for (int byte = 0x20; byte < 0x7F; ++byte)
            table[std::size_t(byte)] = char16_t(byte);
        return table;
    }
    if (!QStringDecoder(codec).isValid())
        return std::nullopt;
    for (int byte = 0x20; byte <= 0xFF; ++byte) {
        if (byte != 0x7F)
            table[std::size_t(byte)] = decodeByte(codec, byte);
    }
    return table;
}

// Characters on the bytes from `first` on, one a byte.
struct Run
{
    std::uint8_t first;
    std::u16string_view characters;
};

// What the printers' pages hold beyond their codec.
// The Katakana page: block and box-drawing characters at 80-9F (rules and frames of receipt
// markup), and at E0-FF the graphics, suits and the date, time and address words of the
// JIS X 0201 printers' page.
constexpr Run katakana[] = {
    {0x80, u"▁▂▃▄▅▆▇█▏▎▍▌▋▊▉┼┴┬┤├▔─│▕┌┐└┘╭╮╰╯"},
    {0xE0, u"═╞╪╡◢◣◥◤♠♥♦♣●○╱╲╳円年月日時分秒〒市区町村人▒ "},
};
// PC858: the euro sign, where a codec reads the page as PC850.
constexpr Run pc858[] = {{0xD5, u"€"}};
// PC3012: PC866 with the Latvian letters in place of box-drawing characters and signs.
constexpr Run pc3012[] = {{0xB5, u"Ā"},          {0xB7, u"Ņ"},  {0xBD, u"Ō"},   {0xC6, u"ā"},
                          {0xD0, u"Š"},          {0xD2, u"čČ"}, {0xD6, u"ģĪī"}, {0xDD, u"ūŪ"},
                          {0xF0, u"ĒēĢķĶļĻžŽō"}, {0xFC, u"ņš"}};
// Thai character code 42: the digits and a few letters at 90-9E, then the consonants without
// the obsolete ฃ and ฅ, the vowels and the tone marks in order from A1.
constexpr Run thai42[] = {
    {0x90, u"๐๑๒๓๔๕๖๗๘๙ฃฅราไ"},
    {0xA1, u"กขคฆงจฉชซฌญฎฏฐฑฒณดตถทธนบปผฝพฟภมยรฤลวศษสหฬอฮะฦาำเแโใไๆฯุูิีึืัํ็่้๊๋์"},
    {0xEB, u"ะ"},
    {0xFF, u"\u00A0"},
};
// Thai character code 18: besides TIS-620's letters, the narrower forms of ร, า, ะ and เ at
// 90-9F that encoders of the page write.
constexpr Run thai18[] = {{0x90, u"รา"}, {0x93, u"ะ"}, {0x9F, u"เ"}};
// TCVN-3 (TCVN 5712 VN3): the Vietnamese letters, precomposed with their tone marks, around
// the places Windows-1252 gives to accented Latin letters.
constexpr Run tcvn3[] = {
    {0xA1, u"ĂÂÊÔƠƯĐăâêôơưđ"},  {0xB5, u"àảãáạ"},          {0xBB, u"ằẳẵắ"},
    {0xC6, u"ặầẩẫấậè"},         {0xCE, u"ẻẽéẹềểễếệìỉ"},    {0xDC, u"ĩíịò"},
    {0xE1, u"ỏõóọồổỗốộờởỡớợù"}, {0xF1, u"ủũúụừửữứựỳỷỹýỵ"},
};
// PC1118 (LST 1283) and PC1119 (LST 1284): PC437 and PC866 with the Lithuanian letters in
// place of box-drawing characters, and the low quotation marks of Lithuanian.
constexpr Run lithuanian[] = {{0xB5, u"ĄČĘĖ"}, {0xBD, u"ĮŠ"},        {0xC6, u"ŲŪ"},
                              {0xCF, u"Ž"},    {0xD0, u"ąčęėįšųūž"}, {0xF4, u"„“"}};
constexpr Run pc1119[] = {{0xF2, u"≥≤"}, {0xF6, u"÷≈"}, {0xFC, u"ⁿ²"}};
// KZ-1048: Windows-1251 with the Kazakh letters.
constexpr Run kz1048[] = {{0x8D, u"ҚҺ"}, {0x9D, u"қһ"}, {0xA1, u"ҰұӘ"},
                          {0xA5, u"Ө"},  {0xAA, u"Ғ"},  {0xAF, u"Ү"},
                          {0xB4, u"ө"},  {0xBA, u"ғ"},  {0xBC, u"әҢңү"}};

void put(std::span<const Run> runs, CodePageTable &table)
{
    for (const Run &run : runs)
        std::copy(run.characters.begin(), run.characters.end(), table.begin() + run.first);
}

void completeCodePage(int n, CodePageTable &table)
{
    switch (n) {
    case 1:
        put(katakana, table);
        break;
    case 9:
        put(pc3012, table);
        break;
    case 19:
        put(pc858, table);
        break;
    case 20:
        put(thai42, table);
        break;
    case 21:
    case 26: // TIS-620: the signs Windows-874 adds at 80-A0 are not the printers'
        std::fill(table.begin() + 0x80, table.begin() + 0xA1, u'\0');
        if (n == 26)
            put(thai18, table);
        break;
    case 30:
    case 31:
        put(tcvn3, table);
        if (n == 31) { // the same letters, all capitals
            for (std::size_t byte = 0x80; byte < table.size(); ++byte)
                table[byte] = QChar::toUpper(table[byte]);
        }
        break;
    case 42:
        put(lithuanian, table);
        break;
    case 43:
        put(lithuanian, table);
        put(pc1119, table);
        break;
    case 53:
        put(kz1048, table);
        break;
    default:
        break;
    }
}

CodePageTable windows1252Table()
{
    CodePageTable table{};
    for (int byte = 0x20; byte <= 0xFF; ++byte) {
        if (byte != 0x7F)
            table[std::size_t(byte)] = decodeByte("windows-1252", byte);
    }
    // Without the codec, Latin-1.
    if (!QStringDecoder("windows-1252").isValid()) {
        for (int byte = 0xA0; byte <= 0xFF; ++byte)
            table[std::size_t(byte)] = char16_t(byte);
        for (int byte = 0x20; byte < 0x7F; ++byte)
            table[std::size_t(byte)] = char16_t(byte);
    }
    return table;
}

} // namespace

const CodePageTable &defaultCodePage()
{
    static const CodePageTable table = windows1252Table();
    return table;
}

char16_t windows1252(std::uint8_t byte)
{
    return defaultCodePage()[byte];
}

const CodePageTable *codePageTable(int n)
{
    // Each page is decoded the first time a stream selects it.
    static std::mutex mutex;
    static std::array<std::optional<std::optional<CodePageTable>>, Protocol::codePages.size()>
        pages;
    for (std::size_t i = 0; i < Protocol::codePages.size(); ++i) {
        if (Protocol::codePages[i].n != n)
            continue;
        const std::lock_guard lock(mutex);
        if (!pages[i]) {
            pages[i] = decodeCodePage(Protocol::codePages[i].codec);
            if (*pages[i])
                completeCodePage(n, **pages[i]);
        }
        return *pages[i] ? &**pages[i] : nullptr;
    }
    return nullptr;
}

} // namespace Virtual
