// The renderer's small value types: homogeneous points, vectors, 3x4
// transforms and the recorded stroke point. Plain values, no ownership.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

struct TFLVector {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

struct TFLPoint {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double w = 1.0;
};

// Column by column: the three columns of the linear part, then translation.
struct TFLTransform {
    TFLVector column[4] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}};
};

// A recorded stroke point: x, y, z as floats and two words kept at 0.
struct SFLPoint {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    int32_t reserved1 = 0;
    int32_t reserved2 = 0;
};

inline constexpr TFLTransform kIdentityTransform{};
inline constexpr TFLPoint kOriginPoint{0, 0, 0, 1};
inline constexpr TFLVector kAxisX{1, 0, 0};
inline constexpr TFLVector kAxisY{0, 1, 0};
inline constexpr TFLVector kAxisZ{0, 0, 1};
inline constexpr TFLVector kZeroVector{0, 0, 0};

// A point is plain when w is exactly 1.0, bit for bit.
// The length of (x, y): a square root where the squares cannot overflow or
// vanish (the usual case, several times cheaper), hypot elsewhere.
inline double PlaneLength(double x, double y) {
    const double s = x * x + y * y;
    return s < 1e300 && s > 1e-300 ? std::sqrt(s) : std::hypot(x, y);
}

inline bool IsPlain(const TFLPoint& p) {
    const double one = 1.0;
    return std::memcmp(&p.w, &one, sizeof one) == 0;
}

inline TFLPoint MakePlain(const TFLPoint& p) {
    if (IsPlain(p)) return p;
    return {p.x / p.w, p.y / p.w, p.z / p.w, 1.0};
}

inline double SquaredLength(const TFLVector& v) { return v.x * v.x + v.y * v.y + v.z * v.z; }
inline double Length(const TFLVector& v) { return std::sqrt(SquaredLength(v)); }
inline double Dot(const TFLVector& a, const TFLVector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

inline TFLVector Cross(const TFLVector& a, const TFLVector& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline TFLVector operator+(const TFLVector& a, const TFLVector& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline TFLVector operator-(const TFLVector& a, const TFLVector& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline TFLVector operator-(const TFLVector& a) { return {-a.x, -a.y, -a.z}; }
inline TFLVector operator*(const TFLVector& a, double k) { return {a.x * k, a.y * k, a.z * k}; }
inline TFLVector operator*(double k, const TFLVector& a) { return a * k; }

// Point minus point: a vector between the divided points.
inline TFLVector operator-(const TFLPoint& a, const TFLPoint& b) {
    const TFLPoint pa = MakePlain(a);
    const TFLPoint pb = MakePlain(b);
    return {pa.x - pb.x, pa.y - pb.y, pa.z - pb.z};
}

inline TFLPoint operator+(const TFLPoint& p, const TFLVector& v) {
    const TFLPoint q = MakePlain(p);
    return {q.x + v.x, q.y + v.y, q.z + v.z, 1.0};
}

inline TFLPoint operator-(const TFLPoint& p, const TFLVector& v) {
    const TFLPoint q = MakePlain(p);
    return {q.x - v.x, q.y - v.y, q.z - v.z, 1.0};
}

inline TFLPoint PointFromVector(const TFLVector& v) { return {v.x, v.y, v.z, 1.0}; }
inline TFLVector VectorFromPoint(const TFLPoint& p) { return {p.x, p.y, p.z}; }

// Homogeneous sum and scale: all four components.
inline TFLPoint AddHomogeneous(const TFLPoint& a, const TFLPoint& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}
inline TFLPoint ScaleHomogeneous(const TFLPoint& p, double k) { return {p.x * k, p.y * k, p.z * k, p.w * k}; }

inline TFLPoint Interpolate(const TFLPoint& a, const TFLPoint& b, double t) {
    const TFLPoint pa = MakePlain(a);
    const TFLPoint pb = MakePlain(b);
    return {(1 - t) * pa.x + t * pb.x, (1 - t) * pa.y + t * pb.y, (1 - t) * pa.z + t * pb.z, 1.0};
}

inline TFLVector TransformVector(const TFLTransform& m, const TFLVector& v) {
    return m.column[0] * v.x + m.column[1] * v.y + m.column[2] * v.z;
}

inline TFLPoint TransformPoint(const TFLTransform& m, const TFLPoint& p) {
    const TFLVector r = TransformVector(m, {p.x, p.y, p.z}) + m.column[3];
    return {r.x, r.y, r.z, 1.0};
}

// Guarded normalise: a vector too short to have a direction, or already of
// unit length, is left as it is.
inline void Normalize(TFLVector& v) {
    const double q = SquaredLength(v);
    if (q <= 1e-20) return;
    if (std::fabs(q - 1.0) <= 2e-10) return;
    const double k = 1.0 / std::sqrt(q);
    v.x *= k;
    v.y *= k;
    v.z *= k;
}

inline TFLVector Normalized(TFLVector v) {
    Normalize(v);
    return v;
}
