// SImageBytes: a file held in memory, read by the image decoders through
// checked accessors only. Every read names its offset and answers false (or
// 0 bytes) past the end, so no decoder can read outside the file.
#pragma once

#include <cstddef>
#include <cstdint>

struct SImageBytes {
    const uint8_t* data = nullptr;
    size_t size = 0;

    // True when [offset, offset + count) lies inside the file.
    bool Has(size_t offset, size_t count) const { return offset <= size && count <= size - offset; }
    // Bytes available from offset (0 past the end).
    size_t Available(size_t offset) const { return offset < size ? size - offset : 0; }

    bool U8(size_t offset, uint32_t* out) const {
        if (!Has(offset, 1)) return false;
        *out = data[offset];
        return true;
    }
    bool BigU16(size_t offset, uint32_t* out) const {
        if (!Has(offset, 2)) return false;
        *out = (uint32_t{data[offset]} << 8) | data[offset + 1];
        return true;
    }
    bool BigU32(size_t offset, uint32_t* out) const {
        if (!Has(offset, 4)) return false;
        *out = (uint32_t{data[offset]} << 24) | (uint32_t{data[offset + 1]} << 16) |
               (uint32_t{data[offset + 2]} << 8) | data[offset + 3];
        return true;
    }
    bool LittleU16(size_t offset, uint32_t* out) const {
        if (!Has(offset, 2)) return false;
        *out = uint32_t{data[offset]} | (uint32_t{data[offset + 1]} << 8);
        return true;
    }
    bool LittleU32(size_t offset, uint32_t* out) const {
        if (!Has(offset, 4)) return false;
        *out = uint32_t{data[offset]} | (uint32_t{data[offset + 1]} << 8) | (uint32_t{data[offset + 2]} << 16) |
               (uint32_t{data[offset + 3]} << 24);
        return true;
    }
    bool LittleI32(size_t offset, int32_t* out) const {
        uint32_t u = 0;
        if (!LittleU32(offset, &u)) return false;
        *out = static_cast<int32_t>(u);
        return true;
    }
};
