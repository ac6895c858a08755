// The decorative close-up of an old brass compass along the window's left edge.
#pragma once

#include <QImage>

namespace imagegen {

// Size of the picture at scale 1, in pixels. Only the left 181 columns are
// shown by the window; the rest is cut off by the picture box.
inline constexpr int kPhotoWidthPx = 208;
inline constexpr int kPhotoHeightPx = 415;
inline constexpr int kPhotoShownWidthPx = 181;

// The picture at `scale` (1 or 2): the same scene, `scale` times the detail.
QImage drawPhoto(int scale);

} // namespace imagegen
