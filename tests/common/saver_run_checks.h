// Checks over a running saver that the long runs (the soak test) and the
// render fuzz target share: the float depth layers hold no NaN, the
// painters' brushes keep only finite numbers, and the painters stay on
// finite positions. Each answers an empty string when all is well, or says
// where the first bad value is.
#pragma once

#include <cmath>
#include <string>

#include "presets/brush_record.h"
#include "shell/frame_driver.h"
#include "render/paint_canvas.h"
#include "shell/paint_context.h"

namespace saverchecks {

inline std::string NaNInDepthLayers(const TPaintCanvas& canvas) {
    for (int index = 0; index < kCanvasDepthLayers; ++index) {
        const float* depth = canvas.DepthLayer(index);
        if (!depth) continue;
        const long count = static_cast<long>(canvas.depthWidth[index]) * canvas.depthHeight[index];
        for (long k = 0; k < count; ++k) {
            if (std::isnan(depth[k])) {
                return "depth layer " + std::to_string(index) + " pixel " + std::to_string(k % canvas.depthWidth[index]) +
                       "," + std::to_string(k / canvas.depthWidth[index]) + " is NaN";
            }
        }
    }
    if (std::isnan(canvas.nearestDepth) || std::isnan(canvas.farthestDepth)) return "the canvas depth range is NaN";
    return "";
}

inline std::string NonFiniteInBrush(const TBrushRecord& brush) {
    const TFLAttrInfo* table = BrushAttributeTable();
    for (int i = 0; i < BrushAttributeCount(); ++i) {
        const TFLAttrInfo& info = table[i];
        const bool real = info.kind == TFLAttrKind::REAL || info.kind == TFLAttrKind::OPACITY ||
                          info.kind == TFLAttrKind::COUNT;
        if (real && !std::isfinite(brush.*info.real)) {
            return std::string("brush value ") + info.name + " is " + std::to_string(brush.*info.real);
        }
    }
    return "";
}

// Everything above for the frame driver's current run.
inline std::string SaverFault() {
    const TFrameDriver& driver = FrameDriver();
    if (!driver.context) return "";
    if (driver.context->canvas) {
        const std::string depth = NaNInDepthLayers(*driver.context->canvas);
        if (!depth.empty()) return depth;
    }
    for (int painter = 0; painter < kPainterSlots; ++painter) {
        const std::string who = "painter " + std::to_string(painter + 1) + ": ";
        if (const TBrushRecord* brush = driver.context->slot[painter].brush) {
            const std::string fault = NonFiniteInBrush(*brush);
            if (!fault.empty()) return who + fault;
        }
        for (float coordinate : driver.position[painter]) {
            if (!std::isfinite(coordinate)) return who + "position is " + std::to_string(coordinate);
        }
    }
    return "";
}

}  // namespace saverchecks
