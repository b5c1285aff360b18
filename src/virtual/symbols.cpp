// SPDX-License-Identifier: MIT
#include "virtual/symbols.h"

#include <QByteArray>

#include <zint.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>

namespace Virtual {

namespace {

std::atomic<std::uint64_t> encodes{0};

struct ZintDeleter
{
    void operator()(zint_symbol *symbol) const { ZBarcode_Delete(symbol); }
};

bool allDigits(QByteArrayView data)
{
    return std::all_of(data.begin(), data.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool allOf(QByteArrayView data, const char *alphabet)
{
    const QByteArrayView allowed(alphabet);
    return std::all_of(data.begin(), data.end(), [&](char c) { return allowed.contains(c); });
}

Symbol failure(const QString &why)
{
    Symbol symbol;
    symbol.error = why;
    return symbol;
}

// libzint's module matrix (eight modules to a byte, least significant bit first).
Symbol encodeWith(zint_symbol *z, int symbology, QByteArrayView data, int option1, int option2,
                  int option3, int inputMode)
{
    encodes.fetch_add(1, std::memory_order_relaxed);
    z->symbology = symbology;
    z->input_mode = inputMode;
    if (option1 >= 0)
        z->option_1 = option1;
    if (option2 > 0)
        z->option_2 = option2;
    if (option3 > 0)
        z->option_3 = option3;
    const int result =
        ZBarcode_Encode(z, reinterpret_cast<const unsigned char *>(data.data()), int(data.size()));
    if (result >= ZINT_ERROR)
        return failure(QString::fromUtf8(z->errtxt));

    Symbol symbol;
    symbol.ok = true;
    symbol.columns = z->width;
    symbol.rows = z->rows;
    symbol.modules.resize(std::size_t(symbol.columns) * std::size_t(symbol.rows));
    for (int row = 0; row < symbol.rows; ++row) {
        for (int column = 0; column < symbol.columns; ++column) {
            symbol.modules[std::size_t(row * symbol.columns + column)] =
                (z->encoded_data[row][column >> 3] >> (column & 7)) & 1;
        }
    }
    symbol.text = QString::fromUtf8(reinterpret_cast<const char *>(z->text));
    return symbol;
}

Symbol encode(int symbology, QByteArrayView data, int option1 = -1, int inputMode = DATA_MODE)
{
    std::unique_ptr<zint_symbol, ZintDeleter> z(ZBarcode_Create());
    if (!z)
        return failure(QStringLiteral("out of memory"));
    return encodeWith(z.get(), symbology, data, option1, 0, 0, inputMode);
}

// ESC/POS Code 128 data: "{A", "{B", "{C" select a code set, "{{" is a brace, "{1".."{4" and
// "{S" are the function and shift characters, which the virtual controller leaves out. In code
// set C every byte is a number 0-99 that stands for two digits.
std::optional<QByteArray> code128Text(QByteArrayView data, QString &error)
{
    QByteArray text;
    char set = 'B';
    for (qsizetype i = 0; i < data.size(); ++i) {
        const auto byte = std::uint8_t(data[i]);
        if (byte == '{' && i + 1 < data.size()) {
            const char next = data[++i];
            if (next == 'A' || next == 'B' || next == 'C')
                set = next;
            else if (next == '{')
                text.append('{');
            else if (next != 'S' && !(next >= '1' && next <= '4')) {
                error = QStringLiteral("unknown Code 128 escape {%1").arg(QChar::fromLatin1(next));
                return std::nullopt;
            }
            continue;
        }
        if (set == 'C') {
            if (byte > 99) {
                error = QStringLiteral("code set C takes numbers 0-99");
                return std::nullopt;
            }
            text.append(char('0' + byte / 10));
            text.append(char('0' + byte % 10));
        } else {
            if (byte > 127) {
                error = QStringLiteral("Code 128 takes ASCII only");
                return std::nullopt;
            }
            text.append(char(byte));
        }
    }
    return text;
}

Symbol encodeExtended(BarcodeSystem system, QByteArrayView data);
std::optional<QByteArray> upcAToUpcE(QByteArrayView a);

// UPC-E from its own 6 to 8 digits, or from the 11 or 12 digits of the UPC-A it stands for.
Symbol encodeUpcE(QByteArrayView data)
{
    const qsizetype n = data.size();
    if (allDigits(data) && (n == 11 || n == 12) && (data[0] == '0' || data[0] == '1')) {
        const std::optional<QByteArray> e = upcAToUpcE(data.first(11));
        if (!e)
            return failure(QStringLiteral("this UPC-A number has no UPC-E form"));
        if (n == 12) {
            const Symbol check = encode(BARCODE_UPCA_CHK, data);
            if (!check.ok)
                return check;
        }
        return encode(BARCODE_UPCE, QByteArray(1, data[0]) + *e);
    }
    if (!allDigits(data) || n < 6 || n > 8 || (n > 6 && data[0] != '0' && data[0] != '1'))
        return failure(QStringLiteral(
            "UPC-E takes 6 digits, 7 or 8 beginning with 0 or 1, or the UPC-A's 11 or 12"));
    return encode(n == 8 ? BARCODE_UPCE_CHK : BARCODE_UPCE, data);
}

// The UPC and EAN systems: a number of digits, the check digit given or left to the encoder.
Symbol encodeUpcEan(BarcodeSystem system, QByteArrayView data)
{
    const qsizetype n = data.size();
    switch (system) {
    case BarcodeSystem::UpcA:
        if (!allDigits(data) || (n != 11 && n != 12))
            return failure(QStringLiteral("UPC-A takes 11 or 12 digits"));
        return encode(n == 11 ? BARCODE_UPCA : BARCODE_UPCA_CHK, data);
    case BarcodeSystem::UpcE:
        return encodeUpcE(data);
    case BarcodeSystem::Ean13:
        if (!allDigits(data) || (n != 12 && n != 13))
            return failure(QStringLiteral("EAN-13 takes 12 or 13 digits"));
        return encode(n == 12 ? BARCODE_EANX : BARCODE_EANX_CHK, data);
    default:
        break;
    }
    // EAN-8. libzint makes an EAN-13 of eight digits given to EANX; with the check digit it
    // must go to EANX_CHK to stay an EAN-8.
    if (!allDigits(data) || (n != 7 && n != 8))
        return failure(QStringLiteral("EAN-8 takes 7 or 8 digits"));
    return encode(n == 7 ? BARCODE_EANX : BARCODE_EANX_CHK, data);
}

Symbol encodeCode39(QByteArrayView data)
{
    const qsizetype n = data.size();
    QByteArrayView body = data;
    if (n >= 2 && data.front() == '*' && data.back() == '*')
        body = data.sliced(1, n - 2);
    if (body.isEmpty() || !allOf(body, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%+-./"))
        return failure(QStringLiteral("Code 39 takes 0-9, A-Z, space and $ % + - . /"));
    return encode(BARCODE_CODE39, body);
}

Symbol encodeCodabar(QByteArrayView data)
{
    const qsizetype n = data.size();
    // libzint wants the start and stop characters in upper case.
    QByteArray upper = data.toByteArray().toUpper();
    const auto isStartStop = [](char c) { return c >= 'A' && c <= 'D'; };
    if (n < 3 || !isStartStop(upper.front()) || !isStartStop(upper.back()) ||
        !allOf(QByteArrayView(upper).sliced(1, n - 2), "0123456789-$:/.+"))
        return failure(QStringLiteral("Codabar takes 0-9 - $ : / . + between start and stop A-D"));
    return encode(BARCODE_CODABAR, upper);
}

Symbol encodeCode128(QByteArrayView data)
{
    QString error;
    const std::optional<QByteArray> text = code128Text(data, error);
    if (!text)
        return failure(error);
    if (text->isEmpty())
        return failure(QStringLiteral("no data"));
    return encode(BARCODE_CODE128, *text);
}

} // namespace

QString barcodeName(BarcodeSystem system)
{
    const std::string_view name = Protocol::barcodeNames[std::size_t(system)];
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

Symbol encodeBarcode(BarcodeSystem system, std::span<const std::uint8_t> bytes)
{
    const QByteArrayView data(reinterpret_cast<const char *>(bytes.data()),
                              qsizetype(bytes.size()));
    if (data.isEmpty())
        return failure(QStringLiteral("no data"));

    switch (system) {
    case BarcodeSystem::UpcA:
    case BarcodeSystem::UpcE:
    case BarcodeSystem::Ean13:
    case BarcodeSystem::Ean8:
        return encodeUpcEan(system, data);
    case BarcodeSystem::Code39:
        return encodeCode39(data);
    case BarcodeSystem::Itf:
        if (!allDigits(data) || data.size() % 2 != 0)
            return failure(QStringLiteral("ITF takes an even number of digits"));
        return encode(BARCODE_C25INTER, data);
    case BarcodeSystem::Codabar:
        return encodeCodabar(data);
    case BarcodeSystem::Code93:
        if (!std::all_of(data.begin(), data.end(), [](char c) { return std::uint8_t(c) < 128; }))
            return failure(QStringLiteral("Code 93 takes ASCII only"));
        return encode(BARCODE_CODE93, data);
    case BarcodeSystem::Code128:
        return encodeCode128(data);
    default:
        break;
    }
    return encodeExtended(system, data);
}

namespace {

// A UPC-A number (number system 0 or 1, 10 digits, without its check digit) in the six digits
// of the UPC-E that stands for it, if there is one.
std::optional<QByteArray> upcAToUpcE(QByteArrayView a)
{
    const QByteArrayView maker = a.sliced(1, 5), item = a.sliced(6, 5);
    QByteArray e;
    if (maker.sliced(2, 3) == "000" || maker.sliced(2, 3) == "100" || maker.sliced(2, 3) == "200") {
        if (item.first(2) != "00")
            return std::nullopt;
        e = maker.first(2).toByteArray() + item.sliced(2, 3).toByteArray() + maker[2];
    } else if (maker.sliced(3, 2) == "00") {
        if (item.first(3) != "000")
            return std::nullopt;
        e = maker.first(3).toByteArray() + item.sliced(3, 2).toByteArray() + '3';
    } else if (maker[4] == '0') {
        if (item.first(4) != "0000")
            return std::nullopt;
        e = maker.first(4).toByteArray() + item[4] + '4';
    } else {
        if (item.first(4) != "0000" || item[4] < '5')
            return std::nullopt;
        e = maker.toByteArray() + item[4];
    }
    return e;
}

// GS1 element strings as printers take them, AI and data run together, into libzint's
// bracketed form. Only the fixed-length AIs this needs are known; a variable-length AI runs to
// the end or to a group separator.
std::optional<QByteArray> gs1Brackets(QByteArrayView data)
{
    static const struct
    {
        const char *ai;
        int length;
    } fixed[] = {{"00", 18}, {"01", 14}, {"02", 14}, {"11", 6},  {"12", 6},  {"13", 6},
                 {"15", 6},  {"16", 6},  {"17", 6},  {"20", 2},  {"31", -6}, {"32", -6},
                 {"33", -6}, {"34", -6}, {"35", -6}, {"36", -6}, {"41", 13}};
    QByteArray clean;
    for (qsizetype i = 0; i < data.size(); ++i) {
        if (data[i] == '{' && i + 1 < data.size()) { // {1: FNC1, a separator here
            ++i;
            clean.append('\x1d');
            continue;
        }
        if (data[i] != '(' && data[i] != ')')
            clean.append(data[i]);
    }
    QByteArray out;
    qsizetype i = 0;
    while (i < clean.size()) {
        if (clean[i] == '\x1d') {
            ++i;
            continue;
        }
        if (i + 2 > clean.size())
            return std::nullopt;
        const QByteArray two = clean.mid(i, 2);
        int aiLength = 2, dataLength = 0;
        for (const auto &f : fixed) {
            if (two == f.ai) {
                aiLength = f.length < 0 ? 4 : 2;
                dataLength = f.length < 0 ? -f.length : f.length;
            }
        }
        if (aiLength == 2 && dataLength == 0 && two[0] >= '2' && two[0] <= '9')
            aiLength = two[0] == '2' && two[1] < '3' ? 2 : 3; // 21, 22 ...; 240, 400 ...
        if (i + aiLength > clean.size())
            return std::nullopt;
        out += '[' + clean.mid(i, aiLength) + ']';
        i += aiLength;
        qsizetype end = dataLength > 0 ? i + dataLength : clean.indexOf('\x1d', i);
        if (end < 0 || end > clean.size())
            end = clean.size();
        out += clean.mid(i, end - i);
        i = end;
    }
    return out;
}

// The GTIN of a DataBar: 13 digits, or 14 with the check digit, or "01" and those.
std::optional<QByteArray> gtin13(QByteArrayView data)
{
    QByteArrayView d = data;
    if (d.size() == 16 && d.startsWith("01"))
        d = d.sliced(2);
    if (!allDigits(d) || (d.size() != 13 && d.size() != 14))
        return std::nullopt;
    return d.first(13).toByteArray();
}

Symbol encodeExtended(BarcodeSystem system, QByteArrayView data)
{
    switch (system) {
    case BarcodeSystem::Gs1_128:
    case BarcodeSystem::DataBarExpanded: {
        const std::optional<QByteArray> text = gs1Brackets(data);
        if (!text || text->isEmpty())
            return failure(QStringLiteral("not GS1 data"));
        return encode(system == BarcodeSystem::Gs1_128 ? BARCODE_GS1_128 : BARCODE_DBAR_EXP, *text,
                      -1, GS1_MODE);
    }
    case BarcodeSystem::DataBarOmni:
    case BarcodeSystem::DataBarTruncated:
    case BarcodeSystem::DataBarLimited: {
        const std::optional<QByteArray> gtin = gtin13(data);
        if (!gtin)
            return failure(QStringLiteral("GS1 DataBar takes the 13 digits of a GTIN"));
        return encode(system == BarcodeSystem::DataBarLimited ? BARCODE_DBAR_LTD : BARCODE_DBAR_OMN,
                      *gtin);
    }
    case BarcodeSystem::Code128Auto:
        if (!std::all_of(data.begin(), data.end(), [](char c) { return std::uint8_t(c) < 128; }))
            return failure(QStringLiteral("Code 128 takes ASCII only"));
        return encode(BARCODE_CODE128, data);
    default:
        return failure(QStringLiteral("unknown barcode system"));
    }
}

} // namespace

Symbol encodePdf417(QByteArrayView data, int columns, int rows, int level, bool truncated)
{
    if (data.isEmpty())
        return failure(QStringLiteral("no data stored"));
    std::unique_ptr<zint_symbol, ZintDeleter> z(ZBarcode_Create());
    if (!z)
        return failure(QStringLiteral("out of memory"));
    return encodeWith(z.get(), truncated ? BARCODE_PDF417COMP : BARCODE_PDF417, data,
                      level >= 0 ? level : -1, columns > 0 ? columns : 0, rows > 0 ? rows : 0,
                      DATA_MODE);
}

std::uint64_t symbolsEncoded()
{
    return encodes.load(std::memory_order_relaxed);
}

Symbol encodeQr(QByteArrayView data, int level)
{
    if (data.isEmpty())
        return failure(QStringLiteral("no data stored"));
    return encode(BARCODE_QRCODE, data, std::clamp(level, 0, 3) + 1);
}

QString scannedContent(BarcodeSystem system, const Symbol &symbol)
{
    QString text = symbol.text;
    switch (system) {
    case BarcodeSystem::Code39:
        if (text.size() >= 2 && text.startsWith(QLatin1Char('*')) &&
            text.endsWith(QLatin1Char('*')))
            text = text.mid(1, text.size() - 2);
        break;
    case BarcodeSystem::Gs1_128:
    case BarcodeSystem::DataBarOmni:
    case BarcodeSystem::DataBarTruncated:
    case BarcodeSystem::DataBarLimited:
    case BarcodeSystem::DataBarExpanded:
        text.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
        break;
    default:
        break;
    }
    return text;
}

Symbol encodeMaxiCode(QByteArrayView data, int mode, int dots)
{
    if (data.isEmpty())
        return failure(QStringLiteral("no data stored"));
    std::unique_ptr<zint_symbol, ZintDeleter> z(ZBarcode_Create());
    if (!z)
        return failure(QStringLiteral("out of memory"));
    encodes.fetch_add(1, std::memory_order_relaxed);
    z->symbology = BARCODE_MAXICODE;
    z->option_1 = std::clamp(mode, 2, 6);
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.data());
    if (ZBarcode_Encode(z.get(), bytes, int(data.size())) >= ZINT_ERROR ||
        ZBarcode_Buffer(z.get(), 0) >= ZINT_ERROR || z->bitmap_width <= 0)
        return failure(QString::fromUtf8(z->errtxt));
    // Drawn again at the scale that makes it `dots` wide.
    z->scale = float(dots) / float(z->bitmap_width);
    if (ZBarcode_Buffer(z.get(), 0) >= ZINT_ERROR)
        return failure(QString::fromUtf8(z->errtxt));
    Symbol symbol;
    symbol.ok = true;
    symbol.columns = z->bitmap_width;
    symbol.rows = z->bitmap_height;
    symbol.modules.resize(std::size_t(symbol.columns) * std::size_t(symbol.rows));
    for (std::size_t i = 0; i < symbol.modules.size(); ++i)
        symbol.modules[i] = z->bitmap[i * 3] < 128 ? 1 : 0; // RGB, dark is ink
    return symbol;
}

Symbol encodeAztec(QByteArrayView data, bool compact, int layers, int percent)
{
    if (data.isEmpty())
        return failure(QStringLiteral("no data stored"));
    // libzint's sizes: 1-4 compact with 1-4 layers, 5-36 full range with 1-32 layers; its error
    // correction levels 1-4 are about 10, 23, 36 and 50 per cent.
    const int size = layers <= 0 ? 0 : compact ? std::min(layers, 4) : 4 + std::min(layers, 32);
    const int level = percent <= 0    ? -1
                      : percent <= 10 ? 1
                      : percent <= 23 ? 2
                      : percent <= 36 ? 3
                                      : 4;
    std::unique_ptr<zint_symbol, ZintDeleter> z(ZBarcode_Create());
    if (!z)
        return failure(QStringLiteral("out of memory"));
    return encodeWith(z.get(), BARCODE_AZTEC, data, level, size, 0, DATA_MODE);
}

Symbol encodeDataMatrix(QByteArrayView data, bool square)
{
    if (data.isEmpty())
        return failure(QStringLiteral("no data stored"));
    std::unique_ptr<zint_symbol, ZintDeleter> z(ZBarcode_Create());
    if (!z)
        return failure(QStringLiteral("out of memory"));
    return encodeWith(z.get(), BARCODE_DATAMATRIX, data, -1, 0, square ? DM_SQUARE : 0, DATA_MODE);
}

} // namespace Virtual
