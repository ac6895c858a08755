#include "bitmapfiles.h"

#include <QFile>

namespace imagegen {

namespace {
constexpr quint32 kFileHeaderBytes = 14;
constexpr quint32 kInfoHeaderBytes = 40;
constexpr int kPaletteEntries = 256;
constexpr int kPaletteEntryBytes = 4; // blue, green, red, reserved
constexpr quint32 kBiRgb = 0; // no compression

// Little-endian field writers.
void putU8(QByteArray &out, quint8 value)
{
    out.append(char(value));
}

void putU16(QByteArray &out, quint16 value)
{
    putU8(out, quint8(value & 0xff));
    putU8(out, quint8(value >> 8));
}

void putU32(QByteArray &out, quint32 value)
{
    putU16(out, quint16(value & 0xffff));
    putU16(out, quint16(value >> 16));
}

// A 40-byte BITMAPINFOHEADER, uncompressed (BI_RGB), one plane.
QByteArray bitmapInfoHeader(qint32 width, qint32 height, quint16 bitCount, quint32 imageBytes, quint32 coloursUsed)
{
    constexpr quint32 kPixelsPerMetreAt96Dpi = 3780;
    QByteArray out;
    putU32(out, kInfoHeaderBytes);
    putU32(out, quint32(width));
    putU32(out, quint32(height));
    putU16(out, 1); // planes
    putU16(out, bitCount);
    putU32(out, kBiRgb);
    putU32(out, imageBytes);
    putU32(out, kPixelsPerMetreAt96Dpi);
    putU32(out, kPixelsPerMetreAt96Dpi);
    putU32(out, coloursUsed);
    putU32(out, 0); // all colours important
    return out;
}

// Bytes of one BMP row of `bytesPerRow` payload, padded to a 4-byte boundary.
int paddedRowBytes(int bytesPerRow)
{
    return (bytesPerRow + 3) / 4 * 4;
}

QByteArray fileHeader(quint32 fileBytes, quint32 pixelOffset)
{
    QByteArray out;
    out.append("BM");
    putU32(out, fileBytes);
    putU32(out, 0); // reserved
    putU32(out, pixelOffset);
    return out;
}

} // namespace

QByteArray encodeBmp8(const QImage &indexed)
{
    Q_ASSERT(indexed.format() == QImage::Format_Indexed8);
    const int rowBytes = paddedRowBytes(indexed.width());
    const quint32 imageBytes = quint32(rowBytes * indexed.height());
    const quint32 pixelOffset = kFileHeaderBytes + kInfoHeaderBytes + kPaletteEntries * kPaletteEntryBytes;

    QByteArray out = fileHeader(pixelOffset + imageBytes, pixelOffset);
    out += bitmapInfoHeader(indexed.width(), indexed.height(), 8, imageBytes, kPaletteEntries);
    const QList<QRgb> table = indexed.colorTable();
    for (int i = 0; i < kPaletteEntries; ++i) {
        const QRgb c = i < table.size() ? table[i] : qRgb(0, 0, 0);
        putU8(out, quint8(qBlue(c)));
        putU8(out, quint8(qGreen(c)));
        putU8(out, quint8(qRed(c)));
        putU8(out, 0);
    }
    for (int y = indexed.height() - 1; y >= 0; --y) {
        const uchar *line = indexed.constScanLine(y);
        out.append(reinterpret_cast<const char *>(line), indexed.width());
        out.append(rowBytes - indexed.width(), '\0');
    }
    return out;
}

QByteArray encodeBmp24(const QImage &image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int rowBytes = paddedRowBytes(rgb.width() * 3);
    const quint32 imageBytes = quint32(rowBytes * rgb.height());
    const quint32 pixelOffset = kFileHeaderBytes + kInfoHeaderBytes;

    QByteArray out = fileHeader(pixelOffset + imageBytes, pixelOffset);
    out += bitmapInfoHeader(rgb.width(), rgb.height(), 24, imageBytes, 0);
    for (int y = rgb.height() - 1; y >= 0; --y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            putU8(out, quint8(qBlue(line[x])));
            putU8(out, quint8(qGreen(line[x])));
            putU8(out, quint8(qRed(line[x])));
        }
        out.append(rowBytes - rgb.width() * 3, '\0');
    }
    return out;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush();
}

} // namespace imagegen
