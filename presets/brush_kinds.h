// The values of the brush attributes that select a behaviour by number:
// brushType and textureType, named once for the code that reads them.
#pragma once

#include <cstdint>

// brushType: how a stamp changes the canvas.
enum TBrushType : int32_t {
    kBrushPaint = 0,  // lays the stamp's own colour
    kBrushSmear = 1,  // drags the canvas under the stamp along
    kBrushBlur = 2,   // softens the canvas under the stamp
    kBrushErase = 3,  // paints the background back
};

// textureType: the pattern a textured brush samples.
enum TTextureType : int32_t {
    kTextureChecker = 0,
    kTextureRampU = 1,
    kTextureRampV = 2,
    kTextureFractal = 3,
    kTextureImage = 4,  // the brush image named by imageName
};
