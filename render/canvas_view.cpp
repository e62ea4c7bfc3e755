#include "render/canvas_view.h"

#include <algorithm>
#include <cmath>

#include "render/view_3d.h"
#include "render/paint_canvas.h"

TFLPoint TPaintCanvas::Project(const TFLPoint& world) const {
    const TFLPoint p = MakePlain(world);
    TFLPoint out = p;
    out.w = 1.0;
    if (!projectionOn) {
        const double s = std::max(width, height);
        out.x = s * p.x - placement.left;
        out.y = s * p.y - placement.top;
        out.z = -p.z;
        return out;
    }
    switch (projectionKind) {
    case 0:
        // The plane mapping writes x and y only; z stays the caller's.
        out.x = (p.x + panX) * zoomX - placement.left;
        out.y = (p.y + panY) * zoomY - placement.top;
        return out;
    case 1: {
        const TFLPoint q = TransformPoint(camera.transform, p);
        out.x = q.x - placement.left;
        out.y = q.y - placement.top;
        out.z = -q.z;
        return out;
    }
    case 2: {
        const TFLPoint q = TransformPoint(projectionCamera.worldToCamera, p);
        if (projectionCamera.orthographic) {
            out.z = -q.z;
            const TFLPoint r = TransformPoint(projectionCamera.projection, q);
            out.x = width * (r.x + 1.0) * 0.5;
            out.y = height * (r.y + 1.0) * 0.5;
            return out;
        }
        // A point in the eye's plane has no perspective image; it lands
        // nowhere near the canvas and behind every depth.
        const double w = q.z != 0.0 ? 1.0 / q.z : 0.0;
        out.x = (1.0 - w * q.x) * width * 0.5;
        out.y = (1.0 - w * q.y) * height * 0.5;
        out.z = w;
        return out;
    }
    default:
        return out;
    }
}

double TPaintCanvas::DistanceFromEye(const TFLPoint& world) const {
    const TFLPoint p = MakePlain(world);
    if (!projectionOn) return 1000.0 - p.z;
    TFLPoint eye;
    TFLVector view;
    if (projectionKind == 0 && view3d) {
        eye = view3d->EyePoint();
        view = view3d->ViewDirection();
    } else if (projectionKind == 1) {
        eye = camera.eye;
        view = camera.viewDirection;
    } else if (projectionKind == 2) {
        eye = projectionCamera.eye;
        view = projectionCamera.viewDirection;
    } else {
        return p.z;
    }
    const TFLVector offset = p - eye;
    const double d = Length(offset);
    if (d < 1e-6) return d;
    return Dot(offset * (1.0 / d), view) < 0.0 ? -d : d;
}

TFLVector TPaintCanvas::ViewDirection() const {
    if (!projectionOn) return {0.0, 0.0, -1.0};
    if (projectionKind == 1) return camera.viewDirection;
    if (projectionKind == 2) return projectionCamera.viewDirection;
    if (projectionKind == 0 && view3d) return view3d->ViewDirection();
    return {0.0, 0.0, 1.0};
}

TFLPoint TPaintCanvas::EyePoint() const {
    if (!projectionOn) return {0.0, 0.0, 1000.0, 1.0};
    if (projectionKind == 1) return camera.eye;
    if (projectionKind == 2) return projectionCamera.eye;
    if (projectionKind == 0 && view3d) return view3d->EyePoint();
    return {0.0, 0.0, 0.0, 1.0};
}

double TPaintCanvas::PixelSize(double length) const {
    if (projectionOn) return 0.0;
    return std::max(referenceWidth, referenceHeight) * length;
}

bool TPaintCanvas::Visible(const TFLPoint& projected, double margin) const {
    if (projectionOn && projectionKind == 1 && projected.z < 0.0) return false;
    // Written so that a NaN coordinate is never visible.
    if (!wrapX && !(projected.x >= -margin && projected.x <= width + margin)) return false;
    if (!wrapY && !(projected.y >= -margin && projected.y <= height + margin)) return false;
    return true;
}
