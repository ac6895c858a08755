// imagegen: draws every image the program ships and writes them into a folder.
// It is run by hand when a picture changes, never during the program's build:
//
//   cmake -S tools/imagegen -B build-imagegen
//   cmake --build build-imagegen
//   build-imagegen/imagegen assets
//
// `imagegen --check assets` draws everything into a temporary folder instead
// and compares it with the committed files, by decoded pixels for the
// pictures, since PNG and ICO bytes depend on the zlib and icoutils versions
// (`make images-check`, run by CI).
//
// Output (all deterministic, so a re-run changes no committed pixel):
//   dial.bmp, dial@2x.bmp        the compass dial, 8-bit palette BMP, 165 and 330 px
//   compass.bmp, compass@2x.bmp  the side picture, 24-bit BMP, 208x415 and 416x830
//   tervalo.ico                  24 px in 256 colours + mask, and 32-bit 16..256 px,
//                                put together from the PNGs by icotool (package icoutils)
//   tervalo.svg                  the icon as vector shapes
//   icons/tervalo-N.png          the icon at N = 16, 24, 32, 48, 64, 128, 256
// The "@2x" names follow Qt's convention, so QPixmap/QIcon loading ":/dial.bmp"
// pick the double-size file on a screen with a device pixel ratio of 2.
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

#include "bitmapfiles.h"
#include "compare.h"
#include "dial.h"
#include "icon.h"
#include "photo.h"

namespace {

// The fonts are loaded from their files, not looked up by name, so that a
// different font configuration cannot change the pictures.
const char *const kFontFiles[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf",
};

const QList<int> kIconSizes{16, 24, 32, 48, 64, 128, 256};
constexpr int kIndexedIconSize = 24; // the icon also in 256 colours, first in the ICO
constexpr int kLargestBmpEntry = 255; // larger ICO entries are stored as PNG

bool write(const QDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    if (!imagegen::writeFile(path, bytes)) {
        std::fprintf(stderr, "imagegen: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s (%lld bytes)\n", qPrintable(path), static_cast<long long>(bytes.size()));
    return true;
}

QByteArray pngBytes(const QImage &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

QString iconPngName(int size)
{
    return QStringLiteral("icons/tervalo-%1.png").arg(size);
}

// The ICO holds the 256-colour icon, then the written PNG of every size in
// 32 bits with alpha; the largest is stored as the PNG itself. icotool adds
// each entry's 1-bit mask, clear where alpha is 127 or less: the same cut as
// the 256-colour icon's.
bool writeIco(const QDir &out, const QString &name)
{
    const QString path = out.filePath(name);
    QTemporaryDir scratch;
    const QString indexedPath = scratch.filePath(QStringLiteral("indexed.png"));
    const QByteArray indexedPng = pngBytes(imagegen::indexedIcon(kIndexedIconSize));
    if (!scratch.isValid() || !imagegen::writeFile(indexedPath, indexedPng)) {
        std::fprintf(stderr, "imagegen: cannot write a temporary file for %s\n", qPrintable(path));
        return false;
    }
    QStringList arguments{"--create",      "--output=" + path, "--alpha-threshold=127",
                          "--bit-depth=8", indexedPath,        "--bit-depth=32"};
    for (int size : kIconSizes) {
        const QString png = out.filePath(iconPngName(size));
        arguments += size > kLargestBmpEntry ? "--raw=" + png : png;
    }
    QProcess icotool;
    icotool.setProcessChannelMode(QProcess::ForwardedChannels);
    icotool.start(QStringLiteral(IMAGEGEN_ICOTOOL), arguments);
    if (!icotool.waitForFinished(-1) || icotool.exitStatus() != QProcess::NormalExit || icotool.exitCode() != 0) {
        std::fprintf(stderr, "imagegen: icotool could not write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s (%lld bytes)\n", qPrintable(path), static_cast<long long>(QFileInfo(path).size()));
    return true;
}

// Draws every image and writes it into `out`; false on any failure.
bool writeImages(const QDir &out)
{
    if (!out.mkpath(QStringLiteral("icons"))) {
        std::fprintf(stderr, "imagegen: cannot create %s/icons\n", qPrintable(out.path()));
        return false;
    }
    using namespace imagegen;
    bool ok = write(out, "dial.bmp", encodeBmp8(drawDial(1))) && write(out, "dial@2x.bmp", encodeBmp8(drawDial(2)))
        && write(out, "compass.bmp", encodeBmp24(drawPhoto(1)))
        && write(out, "compass@2x.bmp", encodeBmp24(drawPhoto(2))) && write(out, "tervalo.svg", iconSvg());
    for (int size : kIconSizes) {
        const QImage icon = drawIcon(size).convertToFormat(QImage::Format_ARGB32);
        ok = ok && write(out, iconPngName(size), pngBytes(icon));
    }
    return ok && writeIco(out, "tervalo.ico");
}

// Draws every image into a temporary folder and compares it with `committed`.
int checkImages(const QDir &committed)
{
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::fprintf(stderr, "imagegen: cannot create a temporary folder\n");
        return 1;
    }
    if (!writeImages(QDir(scratch.path())))
        return 1;
    const int differences = imagegen::countDifferences(QDir(scratch.path()), committed);
    if (differences > 0) {
        std::fprintf(stderr, "imagegen: %d %s in %s %s from a fresh drawing; draw them anew with imagegen %s\n",
                     differences, differences == 1 ? "file" : "files", qPrintable(committed.path()),
                     differences == 1 ? "differs" : "differ", qPrintable(committed.path()));
        return 1;
    }
    std::printf("imagegen: every image in %s shows what a fresh drawing shows\n", qPrintable(committed.path()));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    // Drawing needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    const bool check = arguments.size() == 2 && arguments[0] == QLatin1String("--check");
    if (arguments.size() != 1 && !check) {
        std::fprintf(stderr, "usage: imagegen OUTPUT-FOLDER\n       imagegen --check COMMITTED-FOLDER\n");
        return 2;
    }
    for (const char *file : kFontFiles) {
        if (QFontDatabase::addApplicationFont(QString::fromLatin1(file)) < 0) {
            std::fprintf(stderr, "imagegen: missing font %s (package fonts-dejavu-core)\n", file);
            return 1;
        }
    }

    const QDir folder(arguments.last());
    if (check)
        return checkImages(folder);
    return writeImages(folder) ? 0 : 1;
}
