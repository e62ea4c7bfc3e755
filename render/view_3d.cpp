#include "render/view_3d.h"

#include <algorithm>
#include <cmath>

#include "platform/draw.h"

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
    CPDraw draw(drawingPort);
    if (!draw.Valid()) return;
    // The brush's colour: a fixed white would vanish on the Bright background.
    auto channel = [](double c) {
        const double v = std::round(std::clamp(std::isfinite(c) ? c : 0.0, 0.0, 1.0) * 255.0);
        return static_cast<uint8_t>(v);
    };
    draw.SetColor(channel(penColour[0]), channel(penColour[1]), channel(penColour[2]));
    // World x in [0, aspectX] and y in [0, aspectY] (y up) onto the preview (y down).
    auto px = [this](double x) {
        const double v = aspectX != 0.0 ? x / aspectX * width : 0.0;
        return static_cast<int32_t>(std::isfinite(v) ? std::clamp(v, -1e8, 1e8) : 0.0);
    };
    auto py = [this](double y) {
        const double v = aspectY != 0.0 ? (aspectY - y) / aspectY * height : 0.0;
        return static_cast<int32_t>(std::isfinite(v) ? std::clamp(v, -1e8, 1e8) : 0.0);
    };
    draw.MoveTo(px(p.x), py(p.y));
    draw.LineTo(px(q.x), py(q.y));
    ++linesDrawn;
}
