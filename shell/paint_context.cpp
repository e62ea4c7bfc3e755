#include "shell/paint_context.h"

#include <initializer_list>
#include <new>

#include "platform/offscreen.h"
#include "platform/pixel_bucket.h"
#include "presets/brush_record.h"
#include "presets/image_table.h"
#include "stroke/stroke_state.h"
#include "render/view_3d.h"
#include "render/paint_canvas.h"

TPaintContext::TPaintContext() {
    view = new (std::nothrow) TFL3dView();
    canvas = new (std::nothrow) TPaintCanvas();
    if (canvas) {
        canvas->view3d = view;
        for (int i = 0; i < kPainterSlots; ++i) {
            TPainterSlot& s = slot[i];
            s.stroke = new (std::nothrow) TboundingBox();
            if (!s.stroke) continue;
            s.stroke->Reset();
            s.brush = new (std::nothrow) TBrushRecord();
            if (s.brush) AttachBrush(i);
        }
    }
    currentStroke = nullptr;
}

TPaintContext::~TPaintContext() {
    for (TPainterSlot& s : slot) {
        if (s.brush && s.stroke) s.stroke->particles.Release();
        // The image table must not keep pointing at pixels freed here.
        for (CPPixelBucket* image : {s.textureImage, s.leafImage, s.flowerImage}) {
            if (image) ReleaseImageEntries(image->Pixels());
            delete image;
        }
        delete s.brush;
        delete s.stroke;
        s = TPainterSlot{};
    }
    delete canvas;
    canvas = nullptr;
    delete view;
    view = nullptr;
    for (CFLStroke* stroke : strokes) delete stroke;
    strokes.Clear();
    currentStroke = nullptr;
}

void TPaintContext::AttachBrush(int32_t painter) {
    if (painter < 0 || painter >= kPainterSlots) return;
    TPainterSlot& s = slot[painter];
    if (!s.brush || !s.stroke) return;
    s.stroke->points.SetCount(0);
    if (s.brush->tubes) s.stroke->particles.Clear();
    if (canvas) canvas->glow = s.brush->shaderGlow;
}

void TPaintContext::AttachCanvas(CPOffscreen* target, bool depth) {
    if (!canvas || !target) return;
    surface = target;
    const int32_t w = target->Width();
    const int32_t h = target->Height();
    canvas->SetExternalLayer(0, target->Pixels(), w, h, target->RowStride(), target->TopDown());
    if (!depth) return;
    canvas->AddDepthLayer(w, h, 0);
    canvas->AddDepthLayer(w, h, 1);
    canvas->AddColourLayer(w, h, 1);
    canvas->AddColourLayer(w, h, 2);
    canvas->AddColourLayer(w, h, 3);
    canvas->CopyLayer(0, 1);
}

void TPaintContext::SelectStroke(int32_t index) {
    currentStroke = index >= 0 && index < strokes.Count() ? strokes[index] : nullptr;
}

TFLPoint ScreenToCanvas(int32_t px, int32_t py, const TRect& r, double sx, double sy) {
    // A window without width or height maps every pixel to its edge
    // instead of dividing by zero.
    const double w = static_cast<double>(r.right) - r.left;
    const double h = static_cast<double>(r.bottom) - r.top;
    TFLPoint p;
    p.x = w != 0.0 ? sx * (static_cast<double>(px) - r.left) / w : 0.0;
    p.y = h != 0.0 ? sy * (static_cast<double>(r.bottom) - py) / h : 0.0;
    p.z = 0.0;
    p.w = 1.0;
    return p;
}
