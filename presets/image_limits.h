// The limits every brush image decoder enforces before it allocates, so a
// lying header can neither overflow a size computation nor ask for a huge
// bucket that the file could never fill.
#pragma once

#include <cstddef>
#include <memory>

#include "presets/image_bytes.h"

class CPPixelBucket;

// The longest side accepted. 16383 keeps the row stride of a 32-bit image
// (4 x width bytes) inside the 16-bit stride of the image table's entries.
constexpr int kMaxImageSide = 16383;

// A decoded image may be at most this many times larger than its file, plus
// a small allowance: run-length coding expands at most about 64 times, so
// the factor leaves room for real files while a 100-byte file claiming a
// 16383 x 16383 picture is refused before anything is allocated.
constexpr size_t kMaxImageBytesPerFileByte = 1024;
constexpr size_t kImageBytesAllowance = size_t{4} << 20;

// The largest image file read into memory.
constexpr size_t kMaxImageFileBytes = size_t{1} << 30;

// True when a width x height image of channels bytes per pixel has sides
// of 1..kMaxImageSide and is plausible for a file of fileSize bytes.
bool ImageSizeAcceptable(long long width, long long height, int channels, size_t fileSize);

// A zero-filled, owning, bottom-up bucket of width x height with 8 x channels
// bits per pixel (channels 3 or 4), or null when the size is not acceptable
// for the file or the memory cannot be had.
std::unique_ptr<CPPixelBucket> NewImageBucket(long long width, long long height, int channels, size_t fileSize);
