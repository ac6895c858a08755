// Byte-exact writers for the bitmap containers the program ships: Qt's own
// BMP writer picks the bit depth by itself and it cannot write ICO at all.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace imagegen {

// Little-endian field writers, shared by the BMP and ICO encoders.
void putU8(QByteArray &out, quint8 value);
void putU16(QByteArray &out, quint16 value);
void putU32(QByteArray &out, quint32 value);

// A 40-byte BITMAPINFOHEADER, uncompressed (BI_RGB), one plane.
QByteArray bitmapInfoHeader(qint32 width, qint32 height, quint16 bitCount,
                            quint32 imageBytes, quint32 coloursUsed);

// Bytes of one BMP row of `bytesPerRow` payload, padded to a 4-byte boundary.
int paddedRowBytes(int bytesPerRow);

// An uncompressed 8-bit BMP, rows bottom-up, always with a full 256-entry
// colour table (a shorter table is padded with black).
QByteArray encodeBmp8(const QImage &indexed);

// An uncompressed 24-bit BMP, rows bottom-up; alpha is dropped.
QByteArray encodeBmp24(const QImage &image);

// Writes `bytes` to `path`, replacing the file; false on any failure.
bool writeFile(const QString &path, const QByteArray &bytes);

} // namespace imagegen
