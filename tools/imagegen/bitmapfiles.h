// Byte-exact writers for the BMP files the program ships: Qt's own BMP writer
// picks the bit depth by itself.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace imagegen {

// An uncompressed 8-bit BMP, rows bottom-up, always with a full 256-entry
// colour table (a shorter table is padded with black).
QByteArray encodeBmp8(const QImage &indexed);

// An uncompressed 24-bit BMP, rows bottom-up; alpha is dropped.
QByteArray encodeBmp24(const QImage &image);

// Writes `bytes` to `path`, replacing the file; false on any failure.
bool writeFile(const QString &path, const QByteArray &bytes);

} // namespace imagegen
