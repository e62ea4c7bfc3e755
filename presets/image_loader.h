// Loading one brush image file: the decoder is chosen by the file's content
// (bitmap, then planar RGB, then tiled IFF), and when none of them gives an
// image a bitmap of the same name with the extension "dib" is tried.
#pragma once

#include <memory>

#include "platform/strings.h"
#include "presets/image_bytes.h"

class CPPixelBucket;

// Decodes a file held in memory by its content; null when no decoder
// recognises it or the recognised one gives no image. No dib fallback.
std::unique_ptr<CPPixelBucket> DecodeBrushImage(const SImageBytes& file);

// Decodes the plain file at path, falling back to the same name with the
// extension "dib" (appended after a dot when the name has none) decoded as
// a bitmap. Null for a missing file, a folder, or no image either way.
std::unique_ptr<CPPixelBucket> LoadBrushImage(const char* path);

// path with the text after its last dot replaced by "dib", or ".dib"
// appended when the file name has no dot. False when it does not fit.
bool DibFallbackPath(const char* path, CString1024& out);
