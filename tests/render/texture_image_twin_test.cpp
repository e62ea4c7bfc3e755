// The image texture filter against a plain reference written here from its
// formula: taps at the centres of equal parts of the footprint (rows held
// to the picture, columns wrapped), each a bilinear blend of four texels,
// averaged. The filter sums two channels a register where it can; the
// answers must be the same bit for bit, on odd sizes, both row orders, three
// and four bytes a texel, and buffers that end at the last texel (so that a
// read past the end shows under the address sanitizer).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iomanip>
#include <vector>

#include "base/random.h"
#include "render/texture_image.h"

namespace {

struct TTap {
    int32_t first, second;
    double t;
};

int Taps(double f) {
    if (!(f > 1.0)) return 1;
    if (!(f < 4.0)) return 4;
    const int n = static_cast<int>(f);
    return n < f ? n + 1 : n;
}

double FloorOf(double x) {
    if (!(std::fabs(x) < 4503599627370496.0)) return x;
    const double t = static_cast<double>(static_cast<int64_t>(x));
    return t > x ? t - 1.0 : t;
}

TTap RowTap(double y, int32_t h) {
    y = y > 0.0 ? (y < h - 1 ? y : h - 1) : 0.0;
    const int32_t k = static_cast<int32_t>(y);
    return {k, k + 1 < h ? k + 1 : k, y - k};
}

TTap ColumnTap(double x, int32_t w) {
    x -= FloorOf(x / w) * w;
    if (!(x >= 0.0 && x < w)) x = 0.0;
    const int32_t k = static_cast<int32_t>(x);
    return {k, k + 1 < w ? k + 1 : 0, x - k};
}

double Unit(double x) { return x > 0.0 ? (x < 1.0 ? x : 1.0) : 0.0; }

// Colour and alpha (R, G, B, A in 0..1) of the image at (u, v) over a
// footprint of du x dv.
void Reference(const TTextureImage& im, double u, double v, double du, double dv, double out[4]) {
    const double rows = Unit(du) * im.height, columns = Unit(dv) * im.width;
    const int nr = Taps(rows), nc = Taps(columns);
    const double yc = Unit(u) * im.height - 0.5;
    double fv = v - FloorOf(v);
    if (!(fv < 1.0)) fv = 0.0;
    const double xc = fv * im.width - 0.5;
    double acc[4] = {0, 0, 0, 0};
    for (int a = 0; a < nr; ++a) {
        const TTap ra = RowTap(nr == 1 ? yc : yc - 0.5 * rows + 0.5 * (rows / nr) + a * (rows / nr), im.height);
        for (int b = 0; b < nc; ++b) {
            const TTap cb =
                ColumnTap(nc == 1 ? xc : xc - 0.5 * columns + 0.5 * (columns / nc) + b * (columns / nc), im.width);
            const auto texel = [&](int32_t row, int32_t column, int byte) -> double {
                const int32_t memoryRow = im.topDown ? im.height - 1 - row : row;
                return im.pixels[static_cast<intptr_t>(memoryRow) * im.rowStride + column * im.bytesPerPixel + byte];
            };
            const double w11 = cb.t * ra.t, w10 = ra.t - w11, w01 = cb.t - w11, w00 = 1.0 - ra.t - w01;
            for (int c = 0; c < 4; ++c) {
                if (c == 3 && !im.alpha) continue;
                const int byte = c == 3 ? 3 : 2 - c;  // bytes B, G, R, A
                acc[c] += w00 * texel(ra.first, cb.first, byte) + w01 * texel(ra.first, cb.second, byte) +
                          w10 * texel(ra.second, cb.first, byte) + w11 * texel(ra.second, cb.second, byte);
            }
        }
    }
    const double scale = 1.0 / (255.0 * nr * nc);
    for (int c = 0; c < 3; ++c) out[c] = acc[c] * scale;
    out[3] = im.alpha ? acc[3] * scale : 1.0;
}

TEST(TextureImageTwin, TheFilterAnswersWhatItsFormulaSaysBitForBit) {
    struct TCase {
        int32_t width, height, bytes, padding;
        bool topDown, alpha;
    };
    const TCase cases[] = {{13, 7, 3, 0, false, false}, {13, 7, 4, 0, true, true}, {1, 1, 3, 0, false, false},
                           {5, 9, 4, 8, false, false},  {64, 3, 3, 2, true, false}, {2, 31, 4, 0, false, true}};
    TRandomState random{77, 1, 1};
    const auto next = [&random] { return static_cast<double>(UnitFromWord(RandomNext(random))); };
    for (const TCase& c : cases) {
        const int32_t stride = c.width * c.bytes + c.padding;
        // Exactly as long as the last texel needs: no slack to read into.
        std::vector<uint8_t> pixels(static_cast<size_t>(stride) * (c.height - 1) + c.width * c.bytes);
        for (uint8_t& p : pixels) p = static_cast<uint8_t>(RandomNext(random));
        TTextureImage im;
        im.pixels = pixels.data();
        im.width = c.width;
        im.height = c.height;
        im.rowStride = stride;
        im.bytesPerPixel = c.bytes;
        im.topDown = c.topDown;
        im.alpha = c.alpha;
        for (int k = 0; k < 4000; ++k) {
            // Coordinates over several periods either side, footprints from
            // a fraction of a texel to the whole image.
            const double u = next() * 3.0 - 1.0, v = next() * 6.0 - 3.0;
            const double spread = k % 4 == 0 ? 1.0 : 6.0 / (c.width + c.height);
            const double du = next() * spread, dv = next() * spread;
            double want[4], got[4];
            Reference(im, u, v, du, dv, want);
            SampleTextureImageLevel(im, u, v, du, dv, got);
            for (int ch = 0; ch < 4; ++ch)
                ASSERT_EQ(want[ch], got[ch]) << "image " << c.width << "x" << c.height << "x" << c.bytes << std::setprecision(17) << " channel "
                                             << ch << ": SampleTextureImageLevel(im, " << u << ", " << v << ", " << du
                                             << ", " << dv << ")";
        }
    }
}

}  // namespace
