// The program's resources as the POSIX build carries them: the same files
// that windres compiles into the Windows module, embedded at build time and
// found by type and id.
#pragma once

#include <cstddef>
#include <cstdint>

// Resource types, with the Windows type names they stand for.
enum class TResourceType : uint8_t {
    Bitmap,  // RT_BITMAP: a packed DIB (BITMAPINFOHEADER, colours, rows), no file header
    Fdib,    // "FDIB": a whole .bmp file, starting with the "BM" file header
    Text,    // "TEXT": layout text
    String,  // a string table entry
    Icon,    // RT_GROUP_ICON's image
    Dialog,  // RT_DIALOG, carried as layout text: caption, size and push buttons in dialog units
};

struct SEmbeddedResource {
    TResourceType type;
    int id;
    const uint8_t* data;
    size_t size;
};

// The resource of that type and id, or null.
const SEmbeddedResource* FindEmbeddedResource(TResourceType type, int id);
