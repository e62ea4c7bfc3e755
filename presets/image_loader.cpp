#include "presets/image_loader.h"

#include <new>

#include "platform/file.h"
#include "platform/file_spec.h"
#include "platform/pixel_bucket.h"
#include "presets/image_bmp.h"
#include "presets/image_iff.h"
#include "presets/image_limits.h"
#include "presets/image_rgb.h"

namespace {

// A whole file in memory; empty when it is missing, a folder, unreadable
// or larger than any image worth decoding.
struct SFileContents {
    std::unique_ptr<uint8_t[]> data;
    size_t size = 0;
    bool ok = false;
    SImageBytes Bytes() const { return {data.get(), size}; }
};

SFileContents ReadWholeFile(const char* path) {
    SFileContents contents;
    if (!path || !CPFileSpec::FileExists(path)) return contents;
    CPFile file;
    if (!file.Open(path, CPFile::kReadExisting)) return contents;
    const int64_t size = file.Size();
    if (size < 0 || static_cast<uint64_t>(size) > kMaxImageFileBytes) return contents;
    contents.size = static_cast<size_t>(size);
    contents.data.reset(new (std::nothrow) uint8_t[contents.size > 0 ? contents.size : 1]);
    if (!contents.data) return contents;
    size_t done = 0;
    while (done < contents.size) {
        const size_t left = contents.size - done;
        const int32_t chunk = static_cast<int32_t>(left < (size_t{1} << 30) ? left : (size_t{1} << 30));
        const int32_t got = file.Read(contents.data.get() + done, chunk);
        if (got <= 0) break;
        done += static_cast<size_t>(got);
    }
    contents.size = done;  // a file that shrank while read is decoded as far as it goes
    contents.ok = true;
    return contents;
}

}  // namespace

std::unique_ptr<CPPixelBucket> DecodeBrushImage(const SImageBytes& file) {
    if (ReadBitmapHeader(file, nullptr)) return DecodeBitmap(file);
    if (ReadPlanarRgbHeader(file, nullptr)) return DecodePlanarRgb(file);
    if (ReadIffHeader(file, nullptr)) return DecodeIff(file);
    return nullptr;
}

bool DibFallbackPath(const char* path, CString1024& out) {
    out.Clear();
    if (!path) return false;
    if (!out.Set(path)) return false;
    // Only a dot in the file name counts, not one in a folder name.
    int nameStart = 0;
    int lastDot = -1;
    for (int i = 0; path[i]; ++i) {
        if (path[i] == '/' || path[i] == '\\') {
            nameStart = i + 1;
            lastDot = -1;
        } else if (path[i] == '.') {
            lastDot = i;
        }
    }
    if (lastDot >= nameStart) {
        out.Truncate(lastDot + 1);
        return out.Append("dib");
    }
    return out.Append(".dib");
}

std::unique_ptr<CPPixelBucket> LoadBrushImage(const char* path) {
    {
        const SFileContents contents = ReadWholeFile(path);
        if (!contents.ok) return nullptr;
        if (auto image = DecodeBrushImage(contents.Bytes())) return image;
    }
    CString1024 fallback;
    if (!DibFallbackPath(path, fallback)) return nullptr;
    const SFileContents dib = ReadWholeFile(fallback.CStr());
    if (!dib.ok) return nullptr;
    return DecodeBitmap(dib.Bytes());
}
