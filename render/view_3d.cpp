#include "render/view_3d.h"

#include <algorithm>

void TFL3dView::SetPreviewSize(int32_t previewWidth, int32_t previewHeight) {
    width = previewWidth;
    height = previewHeight;
    const double longer = std::max(previewWidth, previewHeight);
    if (longer > 0.0) {
        aspectX = previewWidth / longer;
        aspectY = previewHeight / longer;
    } else {
        aspectX = 1.0;
        aspectY = 1.0;
    }
}

void TFL3dView::DrawLine(const TFLPoint& p, const TFLPoint& q) {
    if (drawingOff || !drawingPort) return;
    (void)p;
    (void)q;
    // The lines go to the drawing context of the preview window once one
    // is bound; until then a port only counts what would be drawn.
    ++linesDrawn;
}
