// Checks the committed images against a fresh drawing by what they show, not
// by their bytes: PNG and ICO bytes depend on the zlib and icoutils that wrote
// them, the pixels do not.
#pragma once

#include <QDir>

namespace imagegen {

// Compares every file under `drawn` with the file of the same name under
// `committed`, and counts every committed file that was not drawn. Pictures
// (BMP, PNG, ICO) must hold the same number of images, each of the same size
// with the same pixels once decoded; any other file must match byte for
// byte. Prints one line for each difference to standard error and returns how
// many there are.
int countDifferences(const QDir &drawn, const QDir &committed);

} // namespace imagegen
