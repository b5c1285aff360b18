// SPDX-License-Identifier: MIT
#include "virtual/receiptpdf.h"

#include "protocol/values.h"

#include <QFile>
#include <QIODevice>

#include <algorithm>
#include <vector>

namespace Virtual {

namespace {

// PDF's unit, the point, is 1/72 inch.
QByteArray points(int dots)
{
    return QByteArray::number(dots * 72.0 / 25.4 / Protocol::dotsPerMm, 'f', 2);
}

// The objects of a PDF, written one after another, with the byte offset of each for the
// cross-reference table at the end.
class PdfFile
{
public:
    explicit PdfFile(QIODevice *device) : m_device(device) {}

    // Objects are numbered from 1 in the order they are written.
    int nextObject() const { return int(m_offsets.size()) + 1; }
    void object(const QByteArray &dictionary, const QByteArray &stream = {}, bool isStream = false)
    {
        m_offsets.push_back(m_written);
        QByteArray text = QByteArray::number(nextObject() - 1) + " 0 obj\n" + dictionary;
        if (isStream)
            text += "\nstream\n" + stream + "\nendstream";
        put(text + "\nendobj\n");
    }
    void begin() { put("%PDF-1.4\n%\xe2\xe3\xcf\xd3\n"); }
    void end(int root, int info)
    {
        const qint64 table = m_written;
        QByteArray text = "xref\n0 " + QByteArray::number(nextObject()) + "\n0000000000 65535 f \n";
        for (const qint64 offset : m_offsets)
            text += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
        text += "trailer\n<< /Size " + QByteArray::number(nextObject()) + " /Root " +
                QByteArray::number(root) + " 0 R /Info " + QByteArray::number(info) +
                " 0 R >>\nstartxref\n" + QByteArray::number(table) + "\n%%EOF\n";
        put(text);
    }
    bool ok() const { return m_ok; }

private:
    void put(const QByteArray &bytes)
    {
        m_ok = m_ok && m_device->write(bytes) == bytes.size();
        m_written += bytes.size();
    }

    QIODevice *m_device;
    std::vector<qint64> m_offsets;
    qint64 m_written = 0;
    bool m_ok = true;
};

// The picture's dots, zlib-compressed as PDF's FlateDecode reads them.
QByteArray flated(const GreyImage &picture)
{
    const QByteArray dots(reinterpret_cast<const char *>(picture.constScanLine(0)),
                          qsizetype(picture.width()) * picture.height());
    // qCompress puts the length before the zlib stream; PDF wants the stream alone.
    return qCompress(dots, 6).mid(4);
}

// A page's objects: the page, its contents and its picture.
void writePage(PdfFile &pdf, int pages, const GreyImage &picture)
{
    const int page = pdf.nextObject();
    const QByteArray width = points(picture.width());
    // A page at least a millimetre tall: an empty receipt still makes a page.
    const int pageDots = std::max(picture.height(), Protocol::dotsPerMm);
    pdf.object("<< /Type /Page /Parent " + QByteArray::number(pages) + " 0 R /MediaBox [0 0 " +
               width + ' ' + points(pageDots) + "] /Resources << /XObject << /Paper " +
               QByteArray::number(page + 2) + " 0 R >> >> /Contents " +
               QByteArray::number(page + 1) + " 0 R >>");
    // The picture fills the page's width from its top; PDF counts upwards from the bottom.
    const QByteArray draw = "q " + width + " 0 0 " + points(picture.height()) + " 0 " +
                            points(pageDots - picture.height()) + " cm /Paper Do Q";
    pdf.object("<< /Length " + QByteArray::number(draw.size()) + " >>", draw, true);
    const QByteArray dots = flated(picture);
    pdf.object("<< /Type /XObject /Subtype /Image /Width " + QByteArray::number(picture.width()) +
                   " /Height " + QByteArray::number(picture.height()) +
                   " /ColorSpace /DeviceGray /BitsPerComponent 8 /Interpolate false"
                   " /Filter /FlateDecode /Length " +
                   QByteArray::number(dots.size()) + " >>",
               dots, true);
}

} // namespace

bool writePdf(const QString &path, const QList<GreyImage> &pages, QString *error)
{
    QFile file(path);
    if (pages.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = QStringLiteral("cannot write %1: %2")
                     .arg(path,
                          pages.isEmpty() ? QStringLiteral("nothing printed") : file.errorString());
        return false;
    }
    const bool written = writePdf(&file, pages, error);
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool writePdf(QIODevice *device, const QList<GreyImage> &pages, QString *error)
{
    if (pages.isEmpty()) {
        *error = QStringLiteral("nothing printed");
        return false;
    }
    if (std::any_of(pages.begin(), pages.end(), [](const GreyImage &p) { return p.isNull(); })) {
        *error = QStringLiteral("a page has no picture");
        return false;
    }
    PdfFile pdf(device);
    pdf.begin();
    // 1 the catalogue, 2 the document's information, 3 the page tree, then three objects a page.
    const int firstPage = 4;
    pdf.object("<< /Type /Catalog /Pages 3 0 R >>");
    pdf.object("<< /Creator (Tessivar) /Producer (Tessivar) >>");
    QByteArray kids;
    for (qsizetype i = 0; i < pages.size(); ++i)
        kids += (i ? " " : "") + QByteArray::number(firstPage + 3 * i) + " 0 R";
    pdf.object("<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages.size()) +
               " >>");
    for (const GreyImage &picture : pages)
        writePage(pdf, 3, picture);
    pdf.end(1, 2);
    if (!pdf.ok())
        *error = device->errorString().isEmpty() ? QStringLiteral("cannot write the PDF")
                                                 : device->errorString();
    return pdf.ok();
}

} // namespace Virtual
