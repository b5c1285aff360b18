// SPDX-License-Identifier: MIT
#include "virtual/glyphcells.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace Virtual {

namespace {

// Bump when FontSet draws any cell differently: files of an older drawing are then not opened.
constexpr char header[16] = {'T', 'E', 'S', 'S', 'I', 'V', 'A', 'R',
                             '-', 'C', 'E', 'L', 'L', 'S', '1', '\n'};
constexpr int characters = 0x10000;

// A cell on file: a byte of flags, then its rows, each as many bytes as the widest cell needs,
// the dot x of a row in bit x (low byte first).
enum Flag : std::uint8_t { Found = 1, FullWidth = 2 };

int rowBytes(FontSet::Size size)
{
    return (2 * FontSet::cellWidth(size) + 7) / 8;
}

int recordBytes(FontSet::Size size)
{
    return 1 + FontSet::cellHeight(size) * rowBytes(size);
}

qint64 sectionStart(FontSet::Size size)
{
    return size == FontSet::Size::Standard
               ? qint64(sizeof header)
               : qint64(sizeof header) + qint64(characters) * recordBytes(FontSet::Size::Standard);
}

qint64 fileBytes()
{
    return sectionStart(FontSet::Size::Small) +
           qint64(characters) * recordBytes(FontSet::Size::Small);
}

void encode(const GlyphCell &cell, FontSet::Size size, char *record)
{
    record[0] = char((cell.found ? Found : 0) | (cell.fullWidth ? FullWidth : 0));
    const int bytes = rowBytes(size);
    for (int y = 0; y < FontSet::cellHeight(size); ++y) {
        for (int b = 0; b < bytes; ++b)
            record[1 + y * bytes + b] = char(cell.rows[std::size_t(y)] >> (8 * b));
    }
}

GlyphCell decode(const char *record, FontSet::Size size)
{
    GlyphCell cell;
    const auto flags = std::uint8_t(record[0]);
    cell.found = flags & Found;
    cell.fullWidth = flags & FullWidth;
    cell.width = (cell.fullWidth ? 2 : 1) * FontSet::cellWidth(size);
    cell.height = FontSet::cellHeight(size);
    const int bytes = rowBytes(size);
    for (int y = 0; y < cell.height; ++y) {
        std::uint32_t row = 0;
        for (int b = 0; b < bytes; ++b)
            row |= std::uint32_t(std::uint8_t(record[1 + y * bytes + b])) << (8 * b);
        cell.rows[std::size_t(y)] = row;
    }
    return cell;
}

} // namespace

QString GlyphCellFile::pathFor(const QByteArray &fontsKey)
{
    QString base = QFile::decodeName(qgetenv("XDG_CACHE_HOME"));
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
        const QString home = QFile::decodeName(qgetenv("HOME"));
        if (home.isEmpty())
            return {};
        base = home + QLatin1String("/.cache");
    }
    return QStringLiteral("%1/tessivar/cells-%2.bin").arg(base, QString::fromLatin1(fontsKey));
}

bool GlyphCellFile::open(const QString &path)
{
    m_file.close();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly))
        return false;
    if (m_file.size() != fileBytes() ||
        m_file.read(sizeof header) != QByteArray(header, sizeof header)) {
        m_file.close();
        return false;
    }
    return true;
}

bool GlyphCellFile::make(const QString &path, const Draw &draw)
{
    const QFileInfo target(path);
    QDir folder(target.absolutePath());
    if (!folder.mkpath(QStringLiteral(".")))
        return false;
    QByteArray bytes(fileBytes(), '\0');
    std::copy(std::begin(header), std::end(header), bytes.begin());
    for (const Size size : {Size::Standard, Size::Small}) {
        char *record = bytes.data() + sectionStart(size);
        for (int ch = 0; ch < characters; ++ch, record += recordBytes(size))
            encode(draw(char16_t(ch), size), size, record);
    }
    QFile part(path + QStringLiteral(".%1.part").arg(QCoreApplication::applicationPid()));
    const bool written = part.open(QIODevice::WriteOnly) && part.write(bytes) == bytes.size();
    part.close();
    if (!written || part.error() != QFileDevice::NoError ||
        std::rename(QFile::encodeName(part.fileName()).constData(),
                    QFile::encodeName(path).constData()) != 0) {
        part.remove();
        return false;
    }
    for (const QString &old : folder.entryList({QStringLiteral("cells-*.bin")}, QDir::Files)) {
        if (old != target.fileName())
            folder.remove(old);
    }
    return open(path);
}

GlyphCell GlyphCellFile::read(char16_t ch, Size size)
{
    QByteArray record(recordBytes(size), '\0');
    if (!m_file.seek(sectionStart(size) + qint64(ch) * recordBytes(size)) ||
        m_file.read(record.data(), record.size()) != record.size())
        return {};
    return decode(record.constData(), size);
}

} // namespace Virtual
