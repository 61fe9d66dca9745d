#pragma once
// Picture resizing for the authoring tool.
#include <utility>

#include "graphics/Bitmap.h"

namespace kv {

// Resamples to width x height, each axis on its own: a shrinking axis averages the exact
// source area that each target pixel covers (a box filter with fractional edges); an
// enlarging axis interpolates linearly between pixel centres. All four bytes of a
// pixel are treated alike. Raises kv::Error for an empty source or a size below 1x1.
Bitmap ScaleBitmap(const Bitmap& source, int width, int height);

// The largest size of the same aspect ratio as w x h that fits inside boxW x boxH,
// never larger than w x h itself and never below 1x1. Raises kv::Error unless all
// four values are positive.
std::pair<int, int> FitWithin(int w, int h, int boxW, int boxH);

}  // namespace kv
