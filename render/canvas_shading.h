// The canvas state that only the stamping and shading read: lights, the
// depth-reset flag, dither position and the like.
#pragma once

struct TCanvasShading {
};
