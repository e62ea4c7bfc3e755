// Copies a rectangle of pixels between two buckets in memory, stretching by
// nearest neighbour when the sizes differ: the system's own blit where no
// GDI does the work (the POSIX backend and its hosts).
#pragma once

#include <cstdint>

#include "platform/native.h"
#include "platform/pixel_bucket.h"

// srcRect and destRect are in pixels from each bucket's top-left corner
// (origins are not used) and are clipped to their buckets; destination
// pixels whose source falls outside the source are left alone. The target
// must be 24 or 32 bits, or have the source's depth of 8 bits or more.
// Palette sources (1, 4, 8 bits) need sourceColours (RGBQUAD entries,
// colourCount of them); 16-bit sources are read as 5-5-5. Widened pixels get
// alpha 0xFF. False for empty or mirrored rectangles and unsupported depths.
bool StretchPixels(const CPPixelBucket& source, const void* sourceColours, int colourCount, const TRect& srcRect,
                   CPPixelBucket& target, const TRect& destRect);
