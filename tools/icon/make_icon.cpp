// Draws the saver's icon (resource 100): a round tarn of deep water under a
// golden brush stroke that curls into a spiral, with one green leaf, at the
// sizes Windows asks for, as a 32-bit .ico with alpha.
// Run: make_icon OUTPUT.ico
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

double Clamp01(double v) { return std::min(1.0, std::max(0.0, v)); }
double Smooth(double e0, double e1, double x) {
    const double t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

struct Colour {
    double r, g, b, a;
};

void Over(Colour& c, double r, double g, double b, double a) {
    c.r += (r - c.r) * a;
    c.g += (g - c.g) * a;
    c.b += (b - c.b) * a;
    c.a = a + c.a * (1 - a);
}

// Distance to the stroke: an Archimedean curl around the centre, wide at
// its outer end, thinning toward the middle like a brush lifting.
double StrokeDistance(double x, double y, double& along) {
    double best = 1e9;
    const int n = 160;
    double px = 0, py = 0;
    for (int k = 0; k <= n; ++k) {
        const double t = static_cast<double>(k) / n;
        const double angle = 3.6 + t * 9.0;
        const double radius = 0.36 * (1 - 0.82 * t);
        const double qx = 0.5 + radius * std::cos(angle), qy = 0.5 + radius * std::sin(angle);
        if (k > 0) {
            const double vx = qx - px, vy = qy - py;
            const double len2 = vx * vx + vy * vy;
            const double s = Clamp01(len2 > 0 ? ((x - px) * vx + (y - py) * vy) / len2 : 0);
            const double dx = x - (px + s * vx), dy = y - (py + s * vy);
            const double width = 0.075 * (1 - 0.8 * t) + 0.012;
            const double d = std::sqrt(dx * dx + dy * dy) - width;
            if (d < best) {
                best = d;
                along = t;
            }
        }
        px = qx;
        py = qy;
    }
    return best;
}

Colour Shade(double x, double y, double pixel) {
    Colour c{0, 0, 0, 0};
    // The tarn: a disc, dark at the rim, lighter toward the upper left.
    const double dx = x - 0.5, dy = y - 0.5;
    const double disc = std::sqrt(dx * dx + dy * dy) - 0.47;
    const double discA = 1 - Smooth(-pixel, pixel, disc);
    const double light = Clamp01(0.55 - 0.9 * (dx + dy) * 0.5 - 0.6 * std::sqrt(dx * dx + dy * dy));
    Over(c, 0.05 + 0.20 * light, 0.20 + 0.30 * light, 0.34 + 0.30 * light, discA);
    // A thin light rim lifts the disc off dark task bars.
    const double rimA = (1 - Smooth(0, pixel * 1.5, std::fabs(disc + pixel * 1.2))) * discA;
    Over(c, 0.55, 0.78, 0.85, rimA * 0.7);
    // The leaf, lower right, pointing out of the water.
    const double angle = -0.7, ca = std::cos(angle), sa = std::sin(angle);
    const double u = (x - 0.60) * ca + (y - 0.74) * sa, v = -(x - 0.60) * sa + (y - 0.74) * ca;
    const double t = u / 0.30;
    if (t > -0.05 && t < 1.05) {
        const double half = 0.085 * std::sin(Clamp01(t) * M_PI);
        const double leaf = std::max(std::fabs(v) - half, std::max(-u, u - 0.30));
        Over(c, 0.38, 0.72, 0.28, (1 - Smooth(-pixel, pixel, leaf)) * discA);
        const double vein = std::fabs(v) - pixel * 0.6;
        if (t > 0.05 && t < 0.9) Over(c, 0.75, 0.92, 0.55, (1 - Smooth(-pixel, pixel, vein)) * 0.7 * discA);
    }
    // The stroke: warm gold with a darker edge so it reads at 16 pixels.
    double along = 0;
    const double stroke = StrokeDistance(x, y, along);
    const double edgeA = 1 - Smooth(-pixel, pixel, stroke - pixel * 1.3);
    Over(c, 0.25, 0.14, 0.04, edgeA * 0.8);
    const double strokeA = 1 - Smooth(-pixel, pixel, stroke);
    const double lit = 0.75 + 0.25 * Clamp01(-stroke / 0.04);
    Over(c, (0.98 - 0.1 * along) * lit, (0.78 - 0.15 * along) * lit, 0.28 * lit, strokeA);
    return c;
}

void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(v & 255);
    b.push_back((v >> 8) & 255);
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// One icon image: BITMAPINFOHEADER (double height for the mask), the 32-bit
// colour rows bottom-up, then the 1-bit mask (set where fully transparent).
std::vector<uint8_t> IconImage(int size) {
    std::vector<uint8_t> out;
    Put32(out, 40);
    Put32(out, size);
    Put32(out, size * 2);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, 0);
    const int maskStride = ((size + 31) / 32) * 4;
    Put32(out, static_cast<uint32_t>(size * size * 4 + maskStride * size));
    for (int i = 0; i < 4; ++i) Put32(out, 0);
    std::vector<uint8_t> mask(static_cast<size_t>(maskStride * size), 0);
    const int ss = 4;
    const double scale = 1.0 / size;
    for (int row = size - 1; row >= 0; --row) {
        for (int col = 0; col < size; ++col) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < ss; ++sy) {
                for (int sx = 0; sx < ss; ++sx) {
                    const Colour c = Shade((col + (sx + 0.5) / ss) * scale, (row + (sy + 0.5) / ss) * scale, scale * 0.8);
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            }
            const double n = ss * ss, alpha = a / n;
            auto channel = [&](double premultiplied) {
                return static_cast<uint8_t>(std::lround(Clamp01(alpha > 0 ? premultiplied / n / alpha : 0) * 255));
            };
            out.push_back(channel(b));
            out.push_back(channel(g));
            out.push_back(channel(r));
            const uint8_t alphaByte = static_cast<uint8_t>(std::lround(Clamp01(alpha) * 255));
            out.push_back(alphaByte);
            const int maskRow = size - 1 - row;  // the mask is bottom-up too
            if (alphaByte == 0) mask[static_cast<size_t>(maskRow * maskStride + col / 8)] |= 0x80 >> (col % 8);
        }
    }
    out.insert(out.end(), mask.begin(), mask.end());
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icon OUTPUT.ico\n");
        return 2;
    }
    const int sizes[] = {16, 24, 32, 48, 64};
    const int count = static_cast<int>(sizeof sizes / sizeof sizes[0]);
    std::vector<std::vector<uint8_t>> images;
    for (int s : sizes) images.push_back(IconImage(s));
    std::vector<uint8_t> file;
    Put16(file, 0);
    Put16(file, 1);  // an icon
    Put16(file, static_cast<uint32_t>(count));
    uint32_t offset = 6 + 16 * count;
    for (int i = 0; i < count; ++i) {
        file.push_back(static_cast<uint8_t>(sizes[i]));
        file.push_back(static_cast<uint8_t>(sizes[i]));
        file.push_back(0);
        file.push_back(0);
        Put16(file, 1);
        Put16(file, 32);
        Put32(file, static_cast<uint32_t>(images[i].size()));
        Put32(file, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const auto& image : images) file.insert(file.end(), image.begin(), image.end());
    FILE* f = std::fopen(argv[1], "wb");
    if (!f) {
        std::fprintf(stderr, "make_icon: cannot write %s\n", argv[1]);
        return 1;
    }
    const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok ? 0 : 1;
}
