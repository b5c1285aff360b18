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
Symbol encode(int symbology, QByteArrayView data, int option1 = -1)
{
    encodes.fetch_add(1, std::memory_order_relaxed);
    std::unique_ptr<zint_symbol, ZintDeleter> z(ZBarcode_Create());
    if (!z)
        return failure(QStringLiteral("out of memory"));
    z->symbology = symbology;
    z->input_mode = DATA_MODE;
    if (option1 >= 0)
        z->option_1 = option1;
    const int result = ZBarcode_Encode(
        z.get(), reinterpret_cast<const unsigned char *>(data.data()), int(data.size()));
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

} // namespace

QString barcodeName(BarcodeSystem system)
{
    switch (system) {
    case BarcodeSystem::UpcA:
        return QStringLiteral("UPC-A");
    case BarcodeSystem::UpcE:
        return QStringLiteral("UPC-E");
    case BarcodeSystem::Ean13:
        return QStringLiteral("EAN-13");
    case BarcodeSystem::Ean8:
        return QStringLiteral("EAN-8");
    case BarcodeSystem::Code39:
        return QStringLiteral("Code 39");
    case BarcodeSystem::Itf:
        return QStringLiteral("ITF");
    case BarcodeSystem::Codabar:
        return QStringLiteral("Codabar");
    case BarcodeSystem::Code93:
        return QStringLiteral("Code 93");
    case BarcodeSystem::Code128:
        return QStringLiteral("Code 128");
    }
    return QStringLiteral("unknown");
}

Symbol encodeBarcode(BarcodeSystem system, std::span<const std::uint8_t> bytes)
{
    const QByteArrayView data(reinterpret_cast<const char *>(bytes.data()),
                              qsizetype(bytes.size()));
    if (data.isEmpty())
        return failure(QStringLiteral("no data"));
    const qsizetype n = data.size();

    switch (system) {
    case BarcodeSystem::UpcA:
        if (!allDigits(data) || (n != 11 && n != 12))
            return failure(QStringLiteral("UPC-A takes 11 or 12 digits"));
        return encode(n == 11 ? BARCODE_UPCA : BARCODE_UPCA_CHK, data);
    case BarcodeSystem::UpcE:
        if (!allDigits(data) || n < 6 || n > 8 || (n > 6 && data[0] != '0' && data[0] != '1'))
            return failure(QStringLiteral("UPC-E takes 6 digits, or 7 or 8 beginning with 0 or 1"));
        return encode(n == 8 ? BARCODE_UPCE_CHK : BARCODE_UPCE, data);
    case BarcodeSystem::Ean13:
        if (!allDigits(data) || (n != 12 && n != 13))
            return failure(QStringLiteral("EAN-13 takes 12 or 13 digits"));
        return encode(n == 12 ? BARCODE_EANX : BARCODE_EANX_CHK, data);
    case BarcodeSystem::Ean8:
        // libzint makes an EAN-13 of eight digits given to EANX; with the check digit it must
        // go to EANX_CHK to stay an EAN-8.
        if (!allDigits(data) || (n != 7 && n != 8))
            return failure(QStringLiteral("EAN-8 takes 7 or 8 digits"));
        return encode(n == 7 ? BARCODE_EANX : BARCODE_EANX_CHK, data);
    case BarcodeSystem::Code39: {
        QByteArrayView body = data;
        if (n >= 2 && data.front() == '*' && data.back() == '*')
            body = data.sliced(1, n - 2);
        if (body.isEmpty() || !allOf(body, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%+-./"))
            return failure(QStringLiteral("Code 39 takes 0-9, A-Z, space and $ % + - . /"));
        return encode(BARCODE_CODE39, body);
    }
    case BarcodeSystem::Itf:
        if (!allDigits(data) || n % 2 != 0)
            return failure(QStringLiteral("ITF takes an even number of digits"));
        return encode(BARCODE_C25INTER, data);
    case BarcodeSystem::Codabar: {
        // libzint wants the start and stop characters in upper case.
        QByteArray upper = data.toByteArray().toUpper();
        const auto isStartStop = [](char c) { return c >= 'A' && c <= 'D'; };
        if (n < 3 || !isStartStop(upper.front()) || !isStartStop(upper.back()) ||
            !allOf(QByteArrayView(upper).sliced(1, n - 2), "0123456789-$:/.+"))
            return failure(
                QStringLiteral("Codabar takes 0-9 - $ : / . + between start and stop A-D"));
        return encode(BARCODE_CODABAR, upper);
    }
    case BarcodeSystem::Code93:
        if (!std::all_of(data.begin(), data.end(), [](char c) { return std::uint8_t(c) < 128; }))
            return failure(QStringLiteral("Code 93 takes ASCII only"));
        return encode(BARCODE_CODE93, data);
    case BarcodeSystem::Code128: {
        QString error;
        const std::optional<QByteArray> text = code128Text(data, error);
        if (!text)
            return failure(error);
        if (text->isEmpty())
            return failure(QStringLiteral("no data"));
        return encode(BARCODE_CODE128, *text);
    }
    }
    return failure(QStringLiteral("unknown barcode system"));
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

} // namespace Virtual
