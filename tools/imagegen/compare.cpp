#include "compare.h"

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QList>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <cstdio>

namespace imagegen {
namespace {

// Every file under `dir`, named relative to it, sorted.
QStringList filesUnder(const QDir &dir)
{
    const QDir top(dir.absolutePath());
    QStringList files;
    QDirIterator it(top.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << top.relativeFilePath(it.next());
    files.sort();
    return files;
}

bool isPicture(const QString &name)
{
    return name.endsWith(QLatin1String(".bmp")) || name.endsWith(QLatin1String(".png"))
        || name.endsWith(QLatin1String(".ico"));
}

// Every image that a picture file holds (an ICO holds one for each size), in
// 32-bit ARGB; nothing when the file cannot be decoded.
QList<QImage> decodedImages(const QString &path)
{
    QImageReader reader(path);
    const int count = std::max(1, reader.imageCount());
    QList<QImage> images;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            return {};
        const QImage image = reader.read();
        if (image.isNull())
            return {};
        images << image.convertToFormat(QImage::Format_ARGB32);
    }
    return images;
}

QString hexColour(QRgb colour)
{
    return QStringLiteral("#%1").arg(colour, 8, 16, QLatin1Char('0'));
}

// Where the images of two files first differ, in words; empty when they show
// the same.
QString firstPixelDifference(const QList<QImage> &committed, const QList<QImage> &drawn)
{
    if (committed.isEmpty())
        return QStringLiteral("the committed file cannot be decoded");
    if (committed.size() != drawn.size())
        return QStringLiteral("%1 images, drawn %2").arg(committed.size()).arg(drawn.size());
    for (qsizetype i = 0; i < committed.size(); ++i) {
        const QImage &a = committed[i];
        const QImage &b = drawn[i];
        if (a.size() != b.size()) {
            return QStringLiteral("image %1 is %2x%3 pixels, drawn %4x%5")
                .arg(i)
                .arg(a.width())
                .arg(a.height())
                .arg(b.width())
                .arg(b.height());
        }
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                if (a.pixel(x, y) != b.pixel(x, y)) {
                    return QStringLiteral("image %1, pixel (%2, %3) is %4, drawn %5")
                        .arg(i)
                        .arg(x)
                        .arg(y)
                        .arg(hexColour(a.pixel(x, y)), hexColour(b.pixel(x, y)));
                }
            }
        }
    }
    return {};
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

int countDifferences(const QDir &drawn, const QDir &committed)
{
    int differences = 0;
    const auto report = [&](const QString &name, const QString &what) {
        std::fprintf(stderr, "imagegen: %s: %s\n", qPrintable(committed.filePath(name)), qPrintable(what));
        ++differences;
    };

    const QStringList drawnNames = filesUnder(drawn);
    for (const QString &name : drawnNames) {
        const QString committedPath = committed.filePath(name);
        if (!QFile::exists(committedPath)) {
            report(name, QStringLiteral("missing"));
        } else if (isPicture(name)) {
            const QString difference =
                firstPixelDifference(decodedImages(committedPath), decodedImages(drawn.filePath(name)));
            if (!difference.isEmpty())
                report(name, difference);
        } else if (fileBytes(committedPath) != fileBytes(drawn.filePath(name))) {
            report(name, QStringLiteral("its bytes differ"));
        }
    }

    const QSet<QString> drawnSet(drawnNames.cbegin(), drawnNames.cend());
    for (const QString &name : filesUnder(committed)) {
        if (!drawnSet.contains(name))
            report(name, QStringLiteral("not drawn by imagegen"));
    }
    return differences;
}

} // namespace imagegen
