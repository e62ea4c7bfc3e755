// Draws the corner logo of Tarn Flourish at its four sizes: a water drop
// (the tarn) holding a curling vine with two leaves, in straight-alpha
// 32-bit bitmaps. Run: make_logos OUTPUT_FOLDER
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Colour {
    double r, g, b, a;
};

double Clamp01(double v) { return std::min(1.0, std::max(0.0, v)); }
double Smooth(double e0, double e1, double x) {
    const double t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// Signed distance to a drop: a circle below, pulled to a point on top.
// Coordinates: unit square, y down, drop spans the whole height.
double DropDistance(double x, double y) {
    const double cx = 0.5, cy = 0.64, r = 0.34;
    const double dx = x - cx, dy = y - cy;
    const double circle = std::sqrt(dx * dx + dy * dy) - r;
    if (y >= cy) return circle;
    // Above the centre, the sides narrow along a curve to the tip at y = 0.03.
    const double t = (cy - y) / (cy - 0.03);
    const double half = r * std::pow(std::max(0.0, 1 - t), 0.85) * std::sqrt(std::max(0.0, 1 - t * t * 0.2));
    const double side = std::fabs(dx) - half;
    return std::max(side * 0.8, std::min(circle, side * 0.8)) + (t >= 1 ? (t - 1) : 0);
}

double SegmentDistance(double px, double py, double ax, double ay, double bx, double by, double* along) {
    const double vx = bx - ax, vy = by - ay;
    const double len2 = vx * vx + vy * vy;
    double t = len2 > 0 ? ((px - ax) * vx + (py - ay) * vy) / len2 : 0;
    t = Clamp01(t);
    if (along) *along = t;
    const double dx = px - (ax + t * vx), dy = py - (ay + t * vy);
    return std::sqrt(dx * dx + dy * dy);
}

struct Sample {
    double vine = 1e9;     // distance to the vine's edge (negative inside)
    double leaf = 1e9;     // distance to a leaf's edge
    double vein = 1e9;     // distance to a leaf's middle vein
    double highlight = 0;  // along-vine light
};

// The vine: a log spiral curling inward from the lower left, thinning as it goes.
void Vine(double x, double y, Sample& s) {
    const int n = 120;
    double px = 0, py = 0, pw = 0;
    for (int k = 0; k <= n; ++k) {
        const double t = static_cast<double>(k) / n;
        const double angle = 2.2 + t * 8.0;
        const double radius = 0.24 * std::exp(-2.2 * t);
        const double cx = 0.52, cy = 0.60;
        const double qx = cx + radius * std::cos(angle), qy = cy + radius * std::sin(angle);
        const double w = 0.036 * (1 - 0.75 * t) + 0.005;
        if (k > 0) {
            double along;
            const double d = SegmentDistance(x, y, px, py, qx, qy, &along) - (pw + (w - pw) * along);
            if (d < s.vine) {
                s.vine = d;
                s.highlight = 0.5 + 0.5 * std::sin(t * 40.0);
            }
        }
        px = qx;
        py = qy;
        pw = w;
    }
    // The stem enters from the bottom of the drop.
    double along;
    const double stem = SegmentDistance(x, y, 0.47, 0.97, 0.42, 0.80, &along) - 0.03;
    s.vine = std::min(s.vine, stem);
}

// A leaf: a pointed ellipse from base (bx, by) in direction angle.
void Leaf(double x, double y, double bx, double by, double angle, double length, double width, Sample& s) {
    const double c = std::cos(angle), sn = std::sin(angle);
    const double u = (x - bx) * c + (y - by) * sn;
    const double v = -(x - bx) * sn + (y - by) * c;
    const double t = u / length;
    if (t < -0.1 || t > 1.1) return;
    const double half = width * std::sin(Clamp01(t) * M_PI) * (1.0 - 0.25 * t);
    const double d = std::max(std::fabs(v) - half, std::max(-u, u - length));
    s.leaf = std::min(s.leaf, d);
    if (t > 0 && t < 0.95) s.vein = std::min(s.vein, std::fabs(v - 0.02 * width * std::sin(t * 6)));
}

Colour Shade(double x, double y, double pixel) {
    Colour out{0, 0, 0, 0};
    const double drop = DropDistance(x, y);
    // Soft shadow under the drop.
    const double shadow = DropDistance(x - 0.015, y - 0.02);
    const double shadowAlpha = 0.35 * (1 - Smooth(-0.02, 0.05, shadow));
    const double dropAlpha = 1 - Smooth(-pixel, pixel, drop);
    // Water: deep teal at the bottom, light at the top, a rim light.
    const double depth = Clamp01((y - 0.1) / 0.9);
    Colour water{0.10 + 0.25 * (1 - depth), 0.36 + 0.30 * (1 - depth), 0.44 + 0.26 * (1 - depth), 1};
    const double rim = Smooth(-0.025, -0.002, drop) * 0.6;
    water.r += 0.35 * rim;
    water.g += 0.35 * rim;
    water.b += 0.30 * rim;
    // A glint at the upper left.
    const double gx = x - 0.36, gy = y - 0.52;
    const double glint = 1 - Smooth(0.0, 0.05, std::sqrt(gx * gx * 1.6 + gy * gy * 0.6) - 0.02);
    water.r += 0.5 * glint;
    water.g += 0.5 * glint;
    water.b += 0.5 * glint;

    Sample s;
    Vine(x, y, s);
    Leaf(x, y, 0.44, 0.86, -2.6, 0.17, 0.05, s);
    Leaf(x, y, 0.56, 0.90, -0.35, 0.18, 0.052, s);
    Leaf(x, y, 0.71, 0.63, -1.2, 0.13, 0.04, s);

    Colour c = water;
    // Leaves: fresh green with a light vein.
    const double leafA = 1 - Smooth(-pixel, pixel, s.leaf);
    const double veinA = (1 - Smooth(0, pixel * 1.2, s.vein - pixel * 0.3)) * leafA;
    const double leafShade = 0.75 + 0.25 * Smooth(-0.06, 0.0, s.leaf);
    Colour leaf{0.42 * leafShade, 0.74 * leafShade, 0.30 * leafShade, 1};
    c.r += (leaf.r - c.r) * leafA;
    c.g += (leaf.g - c.g) * leafA;
    c.b += (leaf.b - c.b) * leafA;
    c.r += (0.80 - c.r) * veinA * 0.6;
    c.g += (0.92 - c.g) * veinA * 0.6;
    c.b += (0.62 - c.b) * veinA * 0.6;
    // Vine: warm gold, lit along its round section.
    const double vineA = 1 - Smooth(-pixel, pixel, s.vine);
    const double round = Clamp01(-s.vine / 0.03);
    const double lit = 0.55 + 0.45 * std::sqrt(round) + 0.1 * s.highlight;
    Colour vine{0.93 * lit, 0.72 * lit, 0.30 * lit, 1};
    // A dark outline keeps the vine legible on light water.
    const double outline = (1 - Smooth(-pixel, pixel, s.vine - pixel * 1.2)) * (1 - vineA);
    c.r += (0.12 - c.r) * outline * 0.7;
    c.g += (0.18 - c.g) * outline * 0.7;
    c.b += (0.16 - c.b) * outline * 0.7;
    c.r += (vine.r - c.r) * vineA;
    c.g += (vine.g - c.g) * vineA;
    c.b += (vine.b - c.b) * vineA;
    // Elements that stick out of the drop still show (the stem).
    const double bodyA = std::max(dropAlpha, std::max(vineA, leafA) * 0.0);
    out.a = bodyA + shadowAlpha * (1 - bodyA);
    const double k = out.a > 0 ? bodyA / out.a : 0;
    out.r = Clamp01(c.r) * k;
    out.g = Clamp01(c.g) * k;
    out.b = Clamp01(c.b) * k;
    return out;
}

void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(v & 255);
    b.push_back((v >> 8) & 255);
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

bool WriteLogo(const std::string& path, int width, int height) {
    const int ss = 4;
    std::vector<uint8_t> file;
    const uint32_t imageSize = static_cast<uint32_t>(width * height * 4);
    file.push_back('B');
    file.push_back('M');
    Put32(file, 14 + 40 + imageSize);
    Put32(file, 0);
    Put32(file, 14 + 40);
    Put32(file, 40);
    Put32(file, width);
    Put32(file, height);  // bottom-up
    Put16(file, 1);
    Put16(file, 32);
    Put32(file, 0);
    Put32(file, imageSize);
    Put32(file, 2835);
    Put32(file, 2835);
    Put32(file, 0);
    Put32(file, 0);
    const double scale = 1.0 / height;  // the drop spans the height; x is centred
    const double xOffset = (1.0 - static_cast<double>(width) / height) * 0.5;
    for (int row = height - 1; row >= 0; --row) {
        for (int col = 0; col < width; ++col) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < ss; ++sy) {
                for (int sx = 0; sx < ss; ++sx) {
                    const double x = (col + (sx + 0.5) / ss) * scale + xOffset;
                    const double y = (row + (sy + 0.5) / ss) * scale;
                    const Colour c = Shade(x, y, scale * 0.75);
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            }
            const double n = ss * ss;
            const double alpha = a / n;
            auto channel = [&](double premultiplied) {
                const double straight = alpha > 0 ? premultiplied / n / alpha : 0;
                return static_cast<uint8_t>(std::lround(Clamp01(straight) * 255));
            };
            file.push_back(channel(b));
            file.push_back(channel(g));
            file.push_back(channel(r));
            file.push_back(static_cast<uint8_t>(std::lround(Clamp01(alpha) * 255)));
        }
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_logos OUTPUT_FOLDER\n");
        return 2;
    }
    const struct {
        int id, width, height;
    } sizes[] = {{109, 101, 125}, {110, 112, 138}, {111, 144, 178}, {112, 178, 220}};
    for (const auto& s : sizes) {
        const std::string path = std::string(argv[1]) + "/logo" + std::to_string(s.id) + ".bmp";
        if (!WriteLogo(path, s.width, s.height)) {
            std::fprintf(stderr, "make_logos: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
