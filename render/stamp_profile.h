// The coverage profile of a stamp disc: how opaque a pixel at distance d
// from the centre is, from the softness, the radius and the antialiasing
// rim. Set up once per stamp; evaluated per pixel.
#pragma once

#include <cmath>

#include "render/pixel_kernel_inline.h"

struct TCoverageProfile {
    double radius = 0.0;
    double inner = 0.0;       // solid out to here (soft and dense discs); ring's inner edge (hollow)
    double middle = 0.0;      // hollow ring: full coverage here
    double riseScale = 0.0;   // 1 / (middle - inner), hollow ring
    double fallScale = 0.0;   // 1 / (radius - inner) or 1 / (radius - middle)
    double factor = 1.0;      // opacity factor (below 1 for softness above 1)
    bool hollow = false;
    bool glow = false;        // glow passes fall off as (1 - t)^8

    // softness s: q = 1 - s / 2. s in [0, 1] a soft disc, s < 0 a hollow
    // ring, s > 1 a fainter full falloff. rim: the antialiasing rim (1.5
    // pixels with edgeAntialias, else 0) that the solid part keeps clear of.
    static TCoverageProfile Make(double radius, double softness, double rim, bool glow) {
        TCoverageProfile p;
        p.radius = radius;
        p.glow = glow;
        if (!(softness == softness)) softness = 0.0;
        const double q = 1.0 - softness * 0.5;
        const double solidLimit = radius - rim > 0.0 ? radius - rim : 0.0;
        if (q > 1.0) {
            p.hollow = true;
            double edge = 2.0 * (q - 1.0) * radius;
            if (edge > solidLimit) edge = solidLimit;
            p.inner = edge;
            p.middle = solidLimit;
            p.riseScale = p.middle > p.inner ? 1.0 / (p.middle - p.inner) : 0.0;
            p.fallScale = radius > p.middle ? 1.0 / (radius - p.middle) : 0.0;
        } else {
            double inner = q >= 0.5 ? 2.0 * (q - 0.5) * radius : 0.0;
            if (inner > solidLimit) inner = solidLimit;
            if (inner < 0.0) inner = 0.0;
            p.inner = inner;
            p.factor = q >= 0.5 ? 1.0 : 2.0 * q;
            p.fallScale = radius > inner ? 1.0 / (radius - inner) : 0.0;
        }
        return p;
    }

    // S(t) = 2t^3 - 3t^2 + 1: 1 at t = 0, 0 at t = 1, flat at both ends.
    static double Smooth(double t) { return (2.0 * t - 3.0) * t * t + 1.0; }

    // Coverage from the squared distance: the solid middle of a disc needs
    // no square root.
    TF_PIXEL_KERNEL double AtSquared(double d2) const {
        if (!hollow && d2 < inner * inner) return factor < 1.0 ? (factor > 0.0 ? factor : 0.0) : 1.0;
        return At(std::sqrt(d2));
    }

    // Coverage at distance d from the centre, in [0, 1].
    TF_PIXEL_KERNEL double At(double d) const {
        if (!(d <= radius)) return 0.0;
        double c;
        if (!hollow) {
            if (d < inner) {
                c = 1.0;
            } else {
                const double t = (d - inner) * fallScale;
                if (glow) {
                    const double u = 1.0 - t;
                    const double u2 = u * u;
                    const double u4 = u2 * u2;
                    c = u4 * u4;
                } else {
                    const double s = Smooth(t);
                    c = s * s;
                }
            }
        } else if (d < inner) {
            c = 0.0;
        } else if (d <= middle) {
            const double s = Smooth((d - inner) * riseScale);
            c = riseScale > 0.0 ? 1.0 - s * s : 1.0;
        } else {
            const double s = Smooth((d - middle) * fallScale);
            c = s * s;
        }
        c *= factor;
        return c > 0.0 ? (c < 1.0 ? c : 1.0) : 0.0;
    }
};
