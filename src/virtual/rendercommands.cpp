// SPDX-License-Identifier: MIT
// The renderer's handlers: one per row of the command table that changes what is printed,
// reached through one dispatch table. A handler reads its command's parameters by their names
// in the row; what a value means and which values are allowed is the row's.
#include "virtual/renderer.h"

#include "virtual/parameters.h"

#include <algorithm>
#include <utility>

namespace Virtual {

namespace {

namespace Mode = Protocol::PrintMode;

QString ignored(const char *what)
{
    return QString::fromLatin1(what) + QStringLiteral(" (ignored)");
}

} // namespace

// --- The dispatch ----------------------------------------------------------------------------

// Each row's operation and its handler; an operation without one changes nothing printed.
const std::pair<Op, Renderer::Handler> Renderer::dispatch[] = {
    {Op::Character, &Renderer::onCharacter},
    {Op::LineFeed, &Renderer::onLineFeed},
    {Op::CarriageReturn, &Renderer::onCarriageReturn},
    {Op::Tab, &Renderer::onTab},
    {Op::Initialise, &Renderer::onInitialise},
    {Op::ClearBuffer, &Renderer::onClearBuffer},
    {Op::PrintMode, &Renderer::onPrintMode},
    {Op::Font, &Renderer::onFont},
    {Op::Darkness, &Renderer::onDarkness},
    {Op::Align, &Renderer::onAlign},
    {Op::LineSpacing, &Renderer::onLineSpacing},
    {Op::DefaultLineSpacing, &Renderer::onLineSpacing},
    {Op::MotionUnits, &Renderer::onMotionUnits},
    {Op::DefineCharacters, &Renderer::onDefineCharacters},
    {Op::UserCharacter, &Renderer::onUserCharacter},
    {Op::UserCharactersOn, &Renderer::onUserCharacterSetting},
    {Op::CancelCharacter, &Renderer::onUserCharacterSetting},
    {Op::TabStops, &Renderer::onTabStops},
    {Op::FeedDots, &Renderer::onFeedDots},
    {Op::FeedLines, &Renderer::onFeedLines},
    {Op::LeftMargin, &Renderer::onMargin},
    {Op::RightMargin, &Renderer::onMargin},
    {Op::LeftMarginDots, &Renderer::onMargin},
    {Op::PrintAreaWidth, &Renderer::onMargin},
    {Op::AbsolutePosition, &Renderer::onPosition},
    {Op::RelativePosition, &Renderer::onPosition},
    {Op::PrintHead, &Renderer::onPrintHead},
    {Op::FullCut, &Renderer::onCut},
    {Op::PartialCut, &Renderer::onCut},
    {Op::Cut, &Renderer::onCut},
    {Op::BarcodeHeight, &Renderer::onBarcodeSetting},
    {Op::BarcodeWidth, &Renderer::onBarcodeSetting},
    {Op::BarcodeText, &Renderer::onBarcodeSetting},
    {Op::BarcodeFont, &Renderer::onBarcodeSetting},
    {Op::Barcode, &Renderer::barcode},
    {Op::QrModuleSize, &Renderer::onQrSetting},
    {Op::QrErrorCorrection, &Renderer::onQrSetting},
    {Op::QrStore, &Renderer::onSymbolStore},
    {Op::QrPrint, &Renderer::onQrPrint},
    {Op::Pdf417Columns, &Renderer::onPdf417Setting},
    {Op::Pdf417Rows, &Renderer::onPdf417Setting},
    {Op::Pdf417ModuleWidth, &Renderer::onPdf417Setting},
    {Op::Pdf417RowHeight, &Renderer::onPdf417Setting},
    {Op::Pdf417ErrorCorrection, &Renderer::onPdf417Setting},
    {Op::Pdf417Options, &Renderer::onPdf417Setting},
    {Op::Pdf417Store, &Renderer::onSymbolStore},
    {Op::Pdf417Print, &Renderer::onPdf417Print},
    {Op::SymbolSetting, &Renderer::onSymbolSetting},
    {Op::SymbolStore, &Renderer::onSymbolStore},
    {Op::SymbolPrint, &Renderer::onSymbolPrint},
    {Op::Symbol, &Renderer::onOtherSymbol},
    {Op::SymbolType, &Renderer::onSymbolType},
    {Op::SymbolCommand, &Renderer::onSymbolCommand},
    {Op::Raster, &Renderer::onRaster},
    {Op::StoreBitmap, &Renderer::onStoreBitmap},
    {Op::PrintStoredBitmap, &Renderer::onPrintStoredBitmap},
    {Op::ColumnPicture, &Renderer::columnPicture},
    {Op::GraphicsStore, &Renderer::onGraphicsStore},
    {Op::GraphicsPrint, &Renderer::onGraphicsPrint},
    {Op::NvGraphicsStore, &Renderer::onNvGraphicsStore},
    {Op::NvGraphicsPrint, &Renderer::onNvGraphicsPrint},
    {Op::Graphics, &Renderer::onOtherGraphics},
    {Op::Emphasis, &Renderer::onTextStyle},
    {Op::DoubleStrike, &Renderer::onTextStyle},
    {Op::Italic, &Renderer::onTextStyle},
    {Op::ReverseMode, &Renderer::onTextStyle},
    {Op::UpsideDown, &Renderer::onTextStyle},
    {Op::Underline, &Renderer::onUnderline},
    {Op::KanjiUnderline, &Renderer::onUnderline},
    {Op::CharacterSize, &Renderer::onCharacterSize},
    {Op::RightSpacing, &Renderer::onCharacterSetting},
    {Op::KanjiPrintMode, &Renderer::onCharacterSetting},
    {Op::Rotate, &Renderer::onCharacterSetting},
    {Op::CodePage, &Renderer::onCharacterSetting},
    {Op::International, &Renderer::onCharacterSetting},
    {Op::KanjiCode, &Renderer::onCharacterSetting},
    {Op::PageMode, &Renderer::onPageMode},
    {Op::StandardMode, &Renderer::onStandardMode},
    {Op::PrintDirection, &Renderer::onPrintDirection},
    {Op::PageArea, &Renderer::onPageArea},
    {Op::PageVertical, &Renderer::onPageVertical},
    {Op::PrintPage, &Renderer::onPrintPage},
    {Op::CancelPage, &Renderer::onCancelPage},
};

const Renderer::Handlers &Renderer::handlers()
{
    static const Handlers table = [] {
        Handlers all{};
        for (const auto &[op, handler] : dispatch)
            all[std::size_t(op)] = handler;
        return all;
    }();
    return table;
}

QString Renderer::command(const Event &event)
{
    const Handler handler = handlers()[std::size_t(event.op)];
    return handler ? (this->*handler)(event) : QString();
}

// --- Text and the line -----------------------------------------------------------------------

QString Renderer::onCharacter(const Event &event)
{
    character(event.character);
    return {};
}

QString Renderer::onLineFeed(const Event &)
{
    lineFeed();
    return {};
}

// Back to the start of the line: what is in the buffer prints, and what follows prints over it
// until the paper moves.
QString Renderer::onCarriageReturn(const Event &)
{
    printLine();
    return {};
}

QString Renderer::onTab(const Event &)
{
    return m_layout.tab();
}

QString Renderer::onInitialise(const Event &)
{
    if (m_state.pageMode) // the page is dropped unprinted
        leavePageMode();
    m_page.reset();
    m_layout.clear();
    m_blocks.reset();
    m_state.reset();
    return {};
}

QString Renderer::onClearBuffer(const Event &)
{
    m_layout.clear();
    return {};
}

// The print mode sets the styles of ESC E, ESC - and GS ! as well.
QString Renderer::onPrintMode(const Event &event)
{
    m_state.printMode = std::uint8_t(event.value("n"));
    m_state.emphasis = false;
    m_state.underline = 0;
    m_state.widthScale = 1;
    m_state.heightScale = 1;
    return {};
}

QString Renderer::onFont(const Event &event)
{
    // ESC SI, compressed characters, has no parameter: the small font; DC2 ends it.
    const std::optional<int> font =
        event.command == &Protocol::cancelCompressed ? std::optional<int>(Protocol::Font::Standard)
        : event.command->parameters.empty()          ? std::optional<int>(Protocol::Font::Small)
                                                     : event.accepted("n");
    if (!font)
        return ignored("no such font");
    m_state.font = *font == Protocol::Font::Small ? FontSet::Size::Small : FontSet::Size::Standard;
    return {};
}

QString Renderer::onDarkness(const Event &event)
{
    const std::optional<int> level = event.accepted("n");
    if (!level)
        return ignored("darkness goes from 0 to 8");
    m_state.darkness = *level;
    return {};
}

QString Renderer::onAlign(const Event &event)
{
    const std::optional<int> align = event.accepted("n");
    if (!align)
        return ignored("no such alignment");
    m_state.align = *align;
    return {};
}

namespace {
constexpr int dotsPerInch = 203;
}

// ESC 3 n counts in the vertical motion unit: a dot (1/203 inch) unless GS P set another.
QString Renderer::onLineSpacing(const Event &event)
{
    const int n = event.value("n");
    const int unit = m_state.verticalUnit;
    m_state.lineSpacing = event.op != Op::LineSpacing ? defaultLineSpacing
                          : unit == 0                 ? n
                                                      : (n * dotsPerInch + unit / 2) / unit;
    return {};
}

// GS P x y: the motion units 1/x and 1/y inch; only the vertical one moves anything here.
QString Renderer::onMotionUnits(const Event &event)
{
    m_state.verticalUnit = event.value("y") == dotsPerInch ? 0 : event.value("y");
    return {};
}

QString Renderer::onTabStops(const Event &event)
{
    const bool doubleWidth = m_state.printMode & Mode::DoubleWidth;
    const int column = FontSet::cellWidth(m_state.font) * (doubleWidth ? 2 : 1);
    m_state.tabStopCount = std::min(int(event.data.size()), int(m_state.tabStops.size()));
    for (std::size_t i = 0; i < std::size_t(m_state.tabStopCount); ++i)
        m_state.tabStops[i] = event.data[i] * column;
    return {};
}

QString Renderer::onFeedDots(const Event &event)
{
    const int dots = event.value("n");
    printLine();
    advance(m_rowHeight > 0 ? std::max(dots, m_rowHeight) : dots);
    return {};
}

QString Renderer::onFeedLines(const Event &event)
{
    const int lines = event.value("n");
    printLine();
    if (m_rowHeight == 0)
        advance(lines * m_state.lineSpacing);
    else if (lines == 0)
        advance(m_rowHeight);
    else
        advance(std::max(m_state.lineSpacing, m_rowHeight) + (lines - 1) * m_state.lineSpacing);
    return {};
}

QString Renderer::onMargin(const Event &event)
{
    const int n = event.value("n");
    switch (event.op) {
    case Op::LeftMargin:
        m_state.leftMarginMm = n;
        break;
    case Op::RightMargin:
        m_state.rightEdgeMm = n;
        break;
    case Op::LeftMarginDots:
        m_state.leftMarginDots = n;
        break;
    default:
        m_state.areaWidthDots = n;
        break;
    }
    return {};
}

QString Renderer::onPosition(const Event &event)
{
    startLine();
    if (event.op == Op::AbsolutePosition) {
        if (event.value("n") >= m_layout.width())
            return ignored("beyond the right edge");
        m_layout.setX(event.value("n"));
        return {};
    }
    const int to = m_layout.x() + std::int16_t(std::uint16_t(event.value("n")));
    if (to < 0 || to >= m_layout.width())
        return ignored("outside the print area");
    m_layout.setX(to);
    return {};
}

QString Renderer::onPrintHead(const Event &event)
{
    const int type = event.value("n");
    if (!Protocol::printHead(type))
        return ignored("no such print head type");
    m_paper.setWidth(paperWidth(type), m_y);
    return {};
}

// GS V 65, 66 (and 97, 98, 103, 104) feed n dots before they cut.
QString Renderer::onCut(const Event &event)
{
    if (m_state.pageMode)
        return ignored("in page mode");
    if (event.op != Op::Cut) {
        cut(event.op == Op::PartialCut);
        return {};
    }
    const int m = event.value("m");
    if (m >= 65) {
        endTextRow();
        advance(event.value("n"));
    }
    cut(m == 1 || m == 49 || m == 66 || m == 98 || m == 104);
    return {};
}

// --- User-defined characters -----------------------------------------------------------------

// ESC & y c1 c2: the definitions that follow are those of c1, c1 + 1, ... c2.
QString Renderer::onDefineCharacters(const Event &event)
{
    if (!event.accepted("y") || !event.accepted("c1") || !event.accepted("c2") ||
        event.value("c1") > event.value("c2"))
        return ignored("y goes from 1 to 3, c1 to c2 within 32-126");
    m_state.nextUserCharacter = event.value("c1");
    m_state.userCharacterHeight = event.value("y");
    return {};
}

// One definition: x columns of y bytes, the top dot in each byte's high bit.
QString Renderer::onUserCharacter(const Event &event)
{
    const int code = m_state.nextUserCharacter++;
    const int x = event.value("x");
    if (!event.accepted("x")) {
        m_blocks.begin(Block{BlockKind::None});
        return QStringLiteral("wider than a cell of 12 dots; refused, its data skipped");
    }
    const int y = m_state.userCharacterHeight;
    GlyphCell cell;
    cell.width = x;
    cell.height = 24;
    cell.found = true;
    for (int column = 0; column < x; ++column) {
        for (int row = 0; row < 8 * y; ++row) {
            if (event.data[std::size_t(column * y + row / 8)] & (0x80 >> (row % 8)))
                cell.setDot(column, row);
        }
    }
    m_state.userCharacters[char16_t(code)] = cell;
    return {};
}

// ESC % n switches the user-defined characters on or off; ESC ? n forgets the one of n.
QString Renderer::onUserCharacterSetting(const Event &event)
{
    if (event.op == Op::UserCharactersOn)
        m_state.userCharactersOn = event.value("n") & 1;
    else
        m_state.userCharacters.erase(char16_t(event.value("n")));
    return {};
}

// --- Text styles of common printers ----------------------------------------------------------

// An on/off switch counts by its lowest bit, as on common printers (ESC E, ESC G, ESC {, GS B).
QString Renderer::onTextStyle(const Event &event)
{
    const bool on = event.value("n") & 1;
    PrintState &m = m_state;
    switch (event.op) {
    case Op::Emphasis:
        m.emphasis = on;
        m.printMode &= std::uint8_t(~Mode::Bold);
        break;
    case Op::DoubleStrike:
        m.doubleStrike = on;
        break;
    case Op::Italic:
        // ESC 4 and ESC 5 without a parameter: on and off.
        m.italic = event.command->parameters.empty() ? event.command->bytes[1] == '4' : on;
        break;
    case Op::ReverseMode:
        m.reverse = on;
        m.printMode &= std::uint8_t(~Mode::Reverse);
        break;
    default:
        m.upsideDown = on;
        break;
    }
    return {};
}

QString Renderer::onUnderline(const Event &event)
{
    const std::optional<int> dots = event.accepted("n");
    if (!dots)
        return ignored("no such underline");
    if (event.op == Op::KanjiUnderline) {
        m_state.kanjiUnderline = *dots;
        return {};
    }
    m_state.underline = *dots;
    m_state.printMode &= std::uint8_t(~Mode::Underline);
    return {};
}

QString Renderer::onCharacterSize(const Event &event)
{
    const int n = event.value("n");
    if ((n & 0x0F) > 7 || (n >> 4) > 7)
        return ignored("sizes go from 1 to 8");
    m_state.widthScale = (n >> 4) + 1;
    m_state.heightScale = (n & 0x0F) + 1;
    m_state.printMode &= std::uint8_t(~(Mode::DoubleWidth | Mode::DoubleHeight));
    return {};
}

QString Renderer::onCharacterSetting(const Event &event)
{
    const int n = event.value("n");
    const std::optional<int> accepted = event.accepted("n");
    switch (event.op) {
    case Op::RightSpacing:
        m_state.rightSpacing = n;
        return {};
    case Op::KanjiPrintMode:
        m_state.kanjiMode = std::uint8_t(n);
        return {};
    case Op::Rotate:
        if (!accepted)
            return ignored("no such rotation");
        m_state.rotated = *accepted != 0;
        return {};
    case Op::CodePage:
        // The decoder reads the text in it; here only whether it is known.
        if (!codePageTable(n))
            return ignored("no such code page; the text stays in the one before");
        return {};
    case Op::International:
        if (!accepted)
            return ignored("no such international character set");
        m_state.international = *accepted;
        return {};
    default: // FS C
        if (!accepted)
            return ignored("no such double-byte code");
        return {};
    }
}

// --- Barcodes and 2D symbols -----------------------------------------------------------------

QString Renderer::onBarcodeSetting(const Event &event)
{
    const std::optional<int> n = event.accepted("n");
    switch (event.op) {
    case Op::BarcodeHeight:
        if (!n)
            return ignored("the height goes from 1 to 255");
        m_state.barcodeHeight = *n;
        return {};
    case Op::BarcodeWidth:
        if (!n)
            return ignored("the module width goes from 1 to 6");
        m_state.barcodeModule = *n;
        return {};
    case Op::BarcodeText:
        if (!n)
            return ignored("no such text position");
        m_state.barcodeText = *n;
        return {};
    default: // GS f
        m_state.smallBarcodeText = (event.value("n") & 1) != 0;
        return {};
    }
}

namespace {
// MaxiCode, Aztec and DataMatrix: 0, 1 and 2 in the block collector.
int symbolIndex(int cn)
{
    return cn == Protocol::Symbol2D::MaxiCode ? 0 : cn == Protocol::Symbol2D::Aztec ? 1 : 2;
}
} // namespace

QString Renderer::onQrSetting(const Event &event)
{
    const std::optional<int> n = event.accepted("n");
    if (event.op == Op::QrModuleSize) {
        if (!n)
            return ignored("the module size goes from 1 to 16");
        m_state.qrModule = *n;
        return {};
    }
    if (!n)
        return ignored("no such error correction level");
    m_state.qrLevel = *n - '0';
    return {};
}

// QR and PDF417 data are collected as they arrive, up to what a symbol holds.
QString Renderer::onSymbolStore(const Event &event)
{
    Block block;
    block.kind = event.op == Op::QrStore       ? BlockKind::Qr
                 : event.op == Op::Pdf417Store ? BlockKind::Pdf417
                                               : BlockKind::Symbol;
    block.place = symbolIndex(event.value("cn"));
    m_blocks.begin(block);
    return {};
}

QString Renderer::onQrPrint(const Event &event)
{
    if (event.value("m") != Protocol::Symbol2D::PrintMode)
        return ignored("unknown print mode");
    return printQr();
}

QString Renderer::onPdf417Setting(const Event &event)
{
    const int n = event.value("n");
    const int m = event.value("m");
    PrintState &modes = m_state;
    switch (event.op) {
    case Op::Pdf417Columns:
        modes.pdfColumns = std::clamp(n, 0, 30);
        break;
    case Op::Pdf417Rows:
        modes.pdfRows = n == 0 ? 0 : std::clamp(n, 3, 90);
        break;
    case Op::Pdf417ModuleWidth:
        modes.pdfModule = std::clamp(n, 2, 8);
        break;
    case Op::Pdf417RowHeight:
        modes.pdfRowHeight = std::clamp(n, 2, 8);
        break;
    case Op::Pdf417ErrorCorrection: // m 48 a level n 48-56, m 49 a ratio
        modes.pdfLevel = m == '0' && n >= '0' && n <= '8' ? n - '0' : -1;
        break;
    default: // options
        modes.pdfTruncated = m == 1;
        break;
    }
    return {};
}

QString Renderer::onPdf417Print(const Event &)
{
    return printPdf417();
}

// MaxiCode, Aztec and DataMatrix settings; a value outside the row's is ignored.
QString Renderer::onSymbolSetting(const Event &event)
{
    PrintState &m = m_state;
    const int cn = event.value("cn");
    const int fn = event.value("fn");
    if (cn == Protocol::Symbol2D::DataMatrix && fn == 'B') {
        const std::optional<int> shape = event.accepted("m");
        if (!shape)
            return ignored("no such DataMatrix shape");
        m.dataMatrixSquare = *shape == 0;
        return {};
    }
    const std::optional<int> n =
        event.accepted(cn == Protocol::Symbol2D::Aztec && fn == '2' ? "n1" : "n");
    if (!n)
        return ignored("outside the values of this setting");
    if (cn == Protocol::Symbol2D::MaxiCode)
        m.maxiMode = *n - '0';
    else if (cn == Protocol::Symbol2D::DataMatrix)
        m.dataMatrixModule = *n;
    else if (fn == '2') {
        m.aztecCompact = *n == 1;
        m.aztecLayers = event.value("n2");
    } else if (fn == '3')
        m.aztecModule = *n;
    else
        m.aztecPercent = *n;
    return {};
}

// A MaxiCode is an inch across, as printers make it; Aztec and DataMatrix modules are squares.
QString Renderer::onSymbolPrint(const Event &event)
{
    if (event.value("m") != Protocol::Symbol2D::PrintMode)
        return ignored("unknown print mode");
    const PrintState &m = m_state;
    const int cn = event.value("cn");
    const QByteArray &data = m_blocks.symbolData(symbolIndex(cn));
    if (cn == Protocol::Symbol2D::MaxiCode)
        return printModules(encodeMaxiCode(data, m.maxiMode, 203), 1, QStringLiteral("MaxiCode"),
                            data);
    if (cn == Protocol::Symbol2D::Aztec)
        return printModules(encodeAztec(data, m.aztecCompact, m.aztecLayers, m.aztecPercent),
                            m.aztecModule, QStringLiteral("Aztec"), data);
    return printModules(encodeDataMatrix(data, m.dataMatrixSquare), m.dataMatrixModule,
                        QStringLiteral("DataMatrix"), data);
}

QString Renderer::onSymbolType(const Event &event)
{
    const std::optional<int> n = event.accepted("n");
    if (!n)
        return ignored("no such symbol");
    m_state.escZSymbol = *n;
    return {};
}

// ESC Z m n k dL dH after GS Z: the symbol's settings from m, n and k, its data collected as
// they arrive and printed once they are in. The QR Code's version (m) is the data's.
QString Renderer::onSymbolCommand(const Event &event)
{
    PrintState &s = m_state;
    const int m = event.value("m");
    const int n = event.value("n");
    const int k = event.value("k");
    Block block;
    switch (s.escZSymbol) {
    case 0: // m columns, n the error correction level, k the module width
        s.pdfColumns = std::clamp(m, 0, 30);
        s.pdfLevel = n >= 0 && n <= 8 ? n : -1;
        s.pdfModule = std::clamp(k, 2, 8);
        block.kind = BlockKind::Pdf417;
        break;
    case 1:
        s.dataMatrixModule = std::clamp(k, 2, 16);
        block.kind = BlockKind::Symbol;
        block.place = symbolIndex(Protocol::Symbol2D::DataMatrix);
        break;
    default: { // n the level as a letter (L, M, Q, H) or 0-3
        const std::string_view levels = "LMQH";
        const std::size_t letter = levels.find(char(n));
        s.qrLevel = letter != std::string_view::npos ? int(letter) : std::clamp(n, 0, 3);
        s.qrModule = std::clamp(k, 1, 16);
        block.kind = BlockKind::Qr;
        break;
    }
    }
    m_blocks.begin(block);
    m_printAtBlockEnd = true;
    return {};
}

QString Renderer::printSymbolOfEscZ()
{
    m_printAtBlockEnd = false;
    if (m_state.escZSymbol == 0)
        return printPdf417();
    if (m_state.escZSymbol == 2)
        return printQr();
    const QByteArray &data = m_blocks.symbolData(symbolIndex(Protocol::Symbol2D::DataMatrix));
    return printModules(encodeDataMatrix(data, m_state.dataMatrixSquare), m_state.dataMatrixModule,
                        QStringLiteral("DataMatrix"), data);
}

// The QR model is accepted (a row of its own, with no handler); other symbols are skipped.
QString Renderer::onOtherSymbol(const Event &event)
{
    if (event.value("cn") == Protocol::Symbol2D::Pdf417)
        return QStringLiteral("PDF417 function %1 not carried out").arg(event.value("fn"));
    return QStringLiteral("not a function of this controller; skipped");
}

// --- Pictures --------------------------------------------------------------------------------

QString Renderer::onRaster(const Event &event)
{
    const std::optional<Parameters::Scale> scale = Parameters::pictureScale(event.value("m"));
    if (!scale)
        return ignored("no such size mode; its data skipped");
    endTextRow();
    const int x = event.value("x");
    Block block;
    block.kind = BlockKind::Raster;
    block.bytesPerRow = x;
    block.rows = event.value("y");
    block.scaleX = scale->x;
    block.scaleY = scale->y;
    block.ink = ink();
    const QSize size(x * 8 * scale->x, block.rows * block.scaleY);
    const bool wider = size.width() > room();
    const QPoint at = spot(size.width(), size.height(), m_state.align);
    block.x = at.x();
    block.y = at.y();
    m_blocks.begin(block);
    recordPicture(QStringLiteral("raster"), QRect(at, size));
    if (m_state.pageMode) // on the roll the paper moves on at the picture's end
        pass(QRect(at, size));
    if (wider)
        return QStringLiteral("wider than the print area; cut at the edge");
    return {};
}

QString Renderer::onStoreBitmap(const Event &event)
{
    const int place = event.value("n");
    const std::uint64_t size = event.blockLength;
    const int available = m_blocks.bitmapRoom(place);
    if (size == 0)
        return ignored("an empty bitmap");
    if (size > std::uint64_t(available))
        return QStringLiteral("does not fit the bitmap memory (%1 bytes free); not stored")
            .arg(available);
    Block block;
    block.kind = BlockKind::Store;
    block.place = place;
    block.align = event.value("m");
    block.bytesPerRow = event.value("x");
    block.rows = event.value("y");
    m_blocks.begin(block);
    return {};
}

QString Renderer::onPrintStoredBitmap(const Event &event)
{
    return printStored(event.value("n"), event.value("m"));
}

// GS ( L and GS 8 L: function 112 keeps a raster picture in the print buffer, function 50
// prints it; function 67 keeps a picture as NV graphics under a two-byte key (ESC @ keeps
// them), function 69 prints it.
QString Renderer::onGraphicsStore(const Event &event)
{
    if (event.value("y") < 0)
        return QStringLiteral("too short for graphics; skipped");
    const int bx = event.value("bx"), by = event.value("by");
    if (event.value("a") != 48 || (bx != 1 && bx != 2) || (by != 1 && by != 2))
        return QStringLiteral("not monochrome graphics at size 1 or 2; skipped");
    Graphics graphics;
    graphics.width = event.value("x");
    graphics.rows = event.value("y");
    graphics.scaleX = bx;
    graphics.scaleY = by;
    const std::uint64_t size =
        std::uint64_t((graphics.width + 7) / 8) * std::uint64_t(graphics.rows);
    if (size != event.blockLength)
        return QStringLiteral("the size does not match the data; skipped");
    m_blocks.beginGraphics(graphics);
    return {};
}

QString Renderer::onGraphicsPrint(const Event &)
{
    if (m_state.pageMode && m_blocks.graphics().data.isEmpty())
        return ignored("in page mode graphics go onto the page as they are stored");
    return printGraphics();
}

// m fn a kc1 kc2 b x y, then c and the picture.
QString Renderer::onNvGraphicsStore(const Event &event)
{
    if (event.value("y") < 0)
        return QStringLiteral("too short for NV graphics; skipped");
    Graphics graphics;
    graphics.width = event.value("x");
    graphics.rows = event.value("y");
    const std::uint64_t size =
        std::uint64_t((graphics.width + 7) / 8) * std::uint64_t(graphics.rows);
    if (event.value("a") != 48 || event.value("b") != 1 || size + 1 != event.blockLength)
        return QStringLiteral("not one monochrome picture of the announced size; skipped");
    const int key = event.value("kc1") << 8 | event.value("kc2");
    if (!m_blocks.nvGraphicsFit(key, size))
        return QStringLiteral("does not fit the NV graphics memory; not kept");
    m_blocks.beginNvGraphics(key, graphics);
    return {};
}

QString Renderer::onNvGraphicsPrint(const Event &event)
{
    const int x = event.value("x"), y = event.value("y");
    if (y < 0)
        return QStringLiteral("too short to print NV graphics; skipped");
    const int kc1 = event.value("kc1"), kc2 = event.value("kc2");
    const Graphics *found = m_blocks.nvGraphics(kc1 << 8 | kc2);
    if (!found)
        return QStringLiteral("no NV graphics with the key %1 %2; nothing printed")
            .arg(kc1)
            .arg(kc2);
    if ((x != 1 && x != 2) || (y != 1 && y != 2))
        return QStringLiteral("no such size; nothing printed");
    return drawGraphics(*found, x, y);
}

QString Renderer::onOtherGraphics(const Event &event)
{
    return QStringLiteral("graphics function %1 not carried out").arg(event.value("fn"));
}

// --- Page mode -------------------------------------------------------------------------------

// ESC L: common printers take it only at the beginning of a line.
QString Renderer::onPageMode(const Event &)
{
    if (m_state.pageMode)
        return ignored("already in page mode");
    if (m_layout.pending() > 0)
        return ignored("not at the beginning of a line");
    if (m_rowHeight > 0) // a line that CR printed: the page begins below it
        feedRoll(m_rowHeight);
    m_layout.clear();
    m_page.enter(m_paper.width());
    m_state.pageMode = true;
    m_layout.setPaper(m_page.canvas());
    m_blocks.setPaper(m_page.canvas());
    return {};
}

// ESC S: the page is dropped unprinted.
QString Renderer::onStandardMode(const Event &)
{
    if (m_state.pageMode)
        leavePageMode();
    return {};
}

// ESC T and ESC W are kept in standard mode too, for the next page. In page mode what the line
// holds goes onto the page first, in the area and direction it was written for.
QString Renderer::onPrintDirection(const Event &event)
{
    const std::optional<int> direction = event.accepted("n");
    if (!direction)
        return ignored("no such direction");
    if (m_state.pageMode)
        developLine(false);
    m_page.setDirection(*direction);
    return {};
}

QString Renderer::onPageArea(const Event &event)
{
    if (m_state.pageMode)
        developLine(false);
    return m_page.setArea(event.value("x"), event.value("y"), event.value("dx"), event.value("dy"),
                          m_paper.width());
}

// GS $ and GS \: the line so far goes onto the page where it was, and what follows on the line
// continues at the new height.
QString Renderer::onPageVertical(const Event &event)
{
    if (!m_state.pageMode)
        return ignored("not in page mode");
    developLine(true);
    const int n = event.value("n");
    return event.command->bytes[1] == '$' ? m_page.setVertical(n)
                                          : m_page.moveVertical(std::int16_t(std::uint16_t(n)));
}

// FF prints the page and returns to standard mode; ESC FF prints it and keeps it, to go on
// writing on it or to print it again.
QString Renderer::onPrintPage(const Event &event)
{
    if (!m_state.pageMode)
        return ignored("not in page mode");
    const bool stay = event.command->length == 2;
    developLine(stay);
    printPage();
    if (!stay)
        leavePageMode();
    return {};
}

QString Renderer::onCancelPage(const Event &)
{
    if (!m_state.pageMode)
        return ignored("not in page mode");
    m_layout.clear();
    m_page.cancel();
    return {};
}

} // namespace Virtual
