#!/usr/bin/python3
"""Draws the project's brush images procedurally and writes them into
TARN_FL_PRESETS/~brushImages/ in the three brush image formats.

    /usr/bin/python3 tools/brush_images/make_brush_images.py [--out DIR] [--preview DIR]

Every image is drawn from fixed seeds, so running it again gives the same
files. --preview also writes each picture as PNG over a checkerboard, to
look at the alpha. Needs numpy (python3-numpy) and, for --preview only,
Pillow (python3-pil).
"""

import argparse
import os
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import brush_codecs  # noqa: E402


# ---------------------------------------------------------------------------
# Helpers


def smoothstep(edge0, edge1, x):
    t = np.clip((x - edge0) / (edge1 - edge0), 0.0, 1.0)
    return t * t * (3.0 - 2.0 * t)


def periodic_noise(height, width, seed, scale, stretch=(1.0, 1.0), power=2.0):
    """Tileable noise in [-1, 1]: white noise filtered in the frequency
    domain, features about scale pixels across and stretch (sy, sx) times
    longer along y and x."""
    rng = np.random.default_rng(seed)
    white = rng.standard_normal((height, width))
    fy = np.fft.fftfreq(height)[:, None] * stretch[0]
    fx = np.fft.fftfreq(width)[None, :] * stretch[1]
    f = np.sqrt(fy * fy + fx * fx) * scale
    spectrum = np.fft.fft2(white) / (1.0 + f ** power) ** 1.5
    spectrum[0, 0] = 0
    n = np.real(np.fft.ifft2(spectrum))
    n -= n.mean()
    return n / (np.abs(n).max() + 1e-12)


def mix(a, b, t):
    a = np.asarray(a, dtype=np.float64)
    b = np.asarray(b, dtype=np.float64)
    t = np.asarray(t, dtype=np.float64)[..., None]
    return a * (1.0 - t) + b * t


def to_bytes(rgb, alpha=None):
    rgb = np.clip(rgb, 0.0, 1.0)
    planes = [rgb[..., 0], rgb[..., 1], rgb[..., 2]]
    if alpha is not None:
        planes.append(np.clip(alpha, 0.0, 1.0))
    return np.round(np.stack(planes, axis=-1) * 255.0).astype(np.uint8)


def grid(height, width):
    """x in [-1, 1] across, t in [0, 1] from the bottom row to the top."""
    x = (np.arange(width) + 0.5) / width * 2.0 - 1.0
    t = 1.0 - (np.arange(height) + 0.5) / height
    return np.meshgrid(x, t)


def hex_colour(text):
    return np.array([int(text[i:i + 2], 16) / 255.0 for i in (0, 2, 4)])


# ---------------------------------------------------------------------------
# Leaves and petals: drawn upright, stem at the bottom, tip at the top.


def leaf_veined(height=256, width=128):
    x, t = grid(height, width)
    px = 2.0 / width  # one pixel in x units
    base, tip = 0.10, 0.97
    s = np.clip((t - base) / (tip - base), 0.0, 1.0)
    half = 0.92 * np.sin(np.pi * s ** 0.75) ** 0.85 * (1.0 - 0.25 * s)
    inside = np.where((t > base) & (t < tip), half - np.abs(x), -1.0)
    blade = smoothstep(-px, px, inside)
    # The stalk below the blade.
    stalk_w = 0.035 * (1.0 - 0.4 * t / base)
    stalk = smoothstep(-px, px, stalk_w - np.abs(x)) * smoothstep(0.0, 0.02, t) * (t <= base + 0.05)
    alpha = np.maximum(blade, stalk)

    edge = np.clip(np.abs(x) / np.maximum(half, 1e-3), 0.0, 1.0)
    dark = hex_colour("2f5e1e")
    light = hex_colour("7fb343")
    colour = mix(light, dark, edge ** 1.6 * 0.8 + 0.2 * s)
    grain = periodic_noise(height, width, 11, 6.0)
    colour *= (1.0 + 0.06 * grain)[..., None]

    # Side veins: lines leaving the midrib at an angle, curving to the tip.
    v = (t - 0.55 * np.abs(x) ** 0.85) * 9.0
    d = np.abs(v - np.round(v))
    side = (1.0 - smoothstep(0.0, 0.07 + 0.05 * (1 - edge), d)) * smoothstep(0.03, 0.12, np.abs(x)) * (1.0 - edge ** 3)
    mid_w = 0.045 * (1.0 - s) + 0.008
    mid = 1.0 - smoothstep(mid_w * 0.5, mid_w, np.abs(x))
    veins = np.maximum(side * 0.55, mid) * (t > base - 0.02)
    vein_colour = hex_colour("d7e89a")
    colour = mix(colour, vein_colour, veins * 0.75)
    colour = np.where((t <= base)[..., None], mix(colour, hex_colour("6b7d2c"), 0.6), colour)
    # A soft light catching the left half.
    colour *= (1.0 + 0.08 * np.clip(-x, 0.0, 1.0) * (1.0 - edge))[..., None]
    return to_bytes(colour, alpha)


def leaf_oak(height=256, width=160):
    x, t = grid(height, width)
    px = 2.0 / width
    base, tip = 0.08, 0.98
    s = np.clip((t - base) / (tip - base), 0.0, 1.0)
    envelope = 0.9 * np.sin(np.pi * s ** 0.85) ** 0.7 * (0.5 + 0.5 * s ** 0.4)
    # Rounded lobes with narrow sinuses, ending in a round terminal lobe.
    # The two sides are a little out of step, as real leaves are.
    lobes = 0.5 + 0.5 * (0.5 + 0.5 * np.cos(2.0 * np.pi * (4.0 * s + 0.12 * np.sign(x) * s))) ** 0.45
    half = envelope * lobes
    inside = np.where((t > base) & (t < tip), half - np.abs(x), -1.0)
    blade = smoothstep(-px, px, inside)
    stalk = smoothstep(-px, px, 0.03 - np.abs(x)) * (t <= base + 0.04) * smoothstep(0.0, 0.02, t)
    alpha = np.maximum(blade, stalk)

    # Autumn: rust at the rim, ochre at the heart, a touch of green left.
    edge = np.clip(np.abs(x) / np.maximum(half, 1e-3), 0.0, 1.0)
    edge = np.maximum(edge, smoothstep(0.8, 1.0, s))  # the terminal lobe has its rim too
    mottle = periodic_noise(height, width, 23, 28.0)
    heart = mix(hex_colour("c8a03a"), hex_colour("8a9a3a"), np.clip(0.5 - s + 0.3 * mottle, 0.0, 1.0))
    colour = mix(heart, hex_colour("8e3b17"), smoothstep(0.35, 1.0, edge + 0.25 * mottle))
    colour *= (1.0 + 0.07 * periodic_noise(height, width, 29, 4.0))[..., None]
    v = (t - 0.35 * np.abs(x)) * 6.0
    d = np.abs(v - np.round(v))
    side = (1.0 - smoothstep(0.0, 0.06, d)) * smoothstep(0.03, 0.1, np.abs(x)) * (1.0 - edge ** 2)
    mid_w = 0.012 + 0.02 * (1.0 - s)
    mid = 1.0 - smoothstep(0.4 * mid_w, mid_w, np.abs(x))
    colour = mix(colour, hex_colour("f0d890"), np.maximum(side * 0.5, mid * 0.8))
    return to_bytes(colour, alpha)


def petal_soft(height=128, width=128):
    x, t = grid(height, width)
    px = 2.0 / width
    # Narrow at the base, widest two thirds up, a round top.
    half = 0.95 * np.sin(np.pi * np.clip(t, 0, 1) ** 1.6) ** 0.5
    notch = 0.06 * np.exp(-(x / 0.12) ** 2) * smoothstep(0.85, 1.0, t)  # a small dent at the tip
    inside = np.minimum(half - np.abs(x), 0.97 - notch - t)
    alpha = smoothstep(-1.5 * px, 1.5 * px, inside) * smoothstep(0.0, 0.04, t)
    colour = mix(hex_colour("fdf1f5"), hex_colour("e86a9a"), smoothstep(0.9, 0.0, t) ** 1.2)
    colour = mix(colour, hex_colour("8a1f4a"), smoothstep(0.25, 0.0, t) * 0.7)
    # Fine veins fanning out from the base.
    angle = np.arctan2(x, t + 0.05)
    fan = np.abs(np.sin(angle * 26.0))
    veins = (1.0 - smoothstep(0.0, 0.5, fan)) * smoothstep(0.05, 0.4, t) * (1.0 - smoothstep(0.5, 0.9, t))
    colour = mix(colour, hex_colour("c94f80"), veins * 0.25)
    rim = smoothstep(0.0, 0.08, inside)
    colour *= (0.9 + 0.1 * rim)[..., None]
    return to_bytes(colour, alpha)


def petal_striped(height=192, width=96):
    x, t = grid(height, width)
    px = 2.0 / width
    half = 0.9 * np.sin(np.pi * np.clip(t, 0, 1) ** 1.25) ** 0.8
    inside = half - np.abs(x)
    alpha = smoothstep(-px, px, inside) * smoothstep(0.0, 0.03, t) * smoothstep(1.0, 0.96, t)
    colour = mix(hex_colour("fbd24a"), hex_colour("f08a1c"), smoothstep(0.9, 0.1, t))
    # A red flare down the middle, speckled.
    flare = np.exp(-(x / 0.18) ** 2) * smoothstep(0.75, 0.15, t)
    colour = mix(colour, hex_colour("c0281c"), flare * 0.7)
    rng = np.random.default_rng(5)
    spots = np.zeros((height, width))
    for _ in range(45):
        cy = rng.uniform(0.15, 0.65)
        cx = rng.normal(0.0, 0.22)
        r = rng.uniform(0.012, 0.03)
        spots = np.maximum(spots, 1.0 - smoothstep(r * 0.6, r, np.hypot((x - cx) * 0.5, t - cy)))
    colour = mix(colour, hex_colour("6e0f12"), spots * (inside > 0.05) * 0.9)
    stripes = np.abs(np.sin(x * 18.0 / np.maximum(half, 0.05)))
    colour *= (0.94 + 0.06 * stripes)[..., None]
    return to_bytes(colour, alpha)


def daisy_head(size=256):
    h = w = size
    yy, xx = np.mgrid[0:h, 0:w]
    cx = cy = (size - 1) / 2.0
    dx = (xx - cx) / (size / 2.0)
    dy = (cy - yy) / (size / 2.0)
    r = np.hypot(dx, dy)
    a = np.arctan2(dy, dx)
    petals = 21
    phase = (a / (2 * np.pi) * petals) % 1.0 - 0.5  # -0.5..0.5 across one petal
    rng = np.random.default_rng(3)
    lengths = 0.86 + 0.1 * rng.random(petals)
    k = np.floor((a / (2 * np.pi) * petals) % petals).astype(int)
    length = lengths[k]
    across = np.abs(phase) * 2.0  # 0 at the petal's middle, 1 between petals
    petal_w = 0.85 * np.sin(np.pi * np.clip((r - 0.12) / (length - 0.12), 0, 1)) ** 0.5
    px = 2.0 / size
    inside = np.minimum(petal_w - across, length - r)
    petal_alpha = smoothstep(-2 * px, 2 * px, inside * r * 3.0)
    centre_r = 0.24
    centre = smoothstep(centre_r + px, centre_r - px, r)
    alpha = np.maximum(petal_alpha, centre)
    white = mix(hex_colour("ffffff"), hex_colour("d9dcef"), across ** 2 * 0.8 + 0.3 * smoothstep(0.3, 0.0, r - centre_r))
    groove = 1.0 - smoothstep(0.0, 0.12, across)
    petal_col = mix(white, hex_colour("b9bdd8"), groove * 0.4)
    # The disc: golden florets in a sunflower spiral.
    disc = mix(hex_colour("f6c324"), hex_colour("b8730c"), smoothstep(0.0, centre_r, r) ** 0.7)
    florets = np.zeros((h, w))
    golden = np.pi * (3 - np.sqrt(5))
    for i in range(220):
        fr = centre_r * 0.97 * np.sqrt((i + 0.5) / 220)
        fa = i * golden
        fx, fy = fr * np.cos(fa), fr * np.sin(fa)
        florets = np.maximum(florets, 1.0 - smoothstep(0.004, 0.011, np.hypot(dx - fx, dy - fy)))
    disc = mix(disc, hex_colour("fbe27a"), florets * 0.6)
    colour = np.where((r < centre_r + px)[..., None], disc, petal_col)
    shade = 1.0 - 0.25 * smoothstep(centre_r + 0.05, centre_r, r) * (r >= centre_r)
    colour *= shade[..., None]
    return to_bytes(colour, alpha)


# ---------------------------------------------------------------------------
# Surfaces: tileable textures for tube bodies and the canvas.


def paper_grain(size=256):
    fine = periodic_noise(size, size, 101, 2.0)
    mid = periodic_noise(size, size, 102, 12.0)
    fibres = periodic_noise(size, size, 103, 9.0, stretch=(1.0, 7.0))
    fibres2 = periodic_noise(size, size, 104, 9.0, stretch=(5.0, 1.0))
    value = 0.05 * fine + 0.05 * mid + 0.05 * np.abs(fibres) + 0.04 * np.abs(fibres2)
    base = hex_colour("efe6d2")
    colour = base[None, None, :] * (1.0 - 0.6 * value + 0.02)[..., None]
    colour[..., 2] *= 0.985
    return to_bytes(colour)


def canvas_weave(size=256, threads=32):
    yy, xx = np.mgrid[0:size, 0:size]
    u = xx / size * threads * 2 * np.pi
    v = yy / size * threads * 2 * np.pi
    warp = 0.5 + 0.5 * np.cos(u)  # threads running up
    weft = 0.5 + 0.5 * np.cos(v)  # threads running across
    over = np.sign(np.sin(u / 2.0) * np.sin(v / 2.0))  # which thread lies on top
    height_map = np.where(over > 0, warp ** 0.6, weft ** 0.6)
    wobble = periodic_noise(size, size, 201, 16.0)
    slub = periodic_noise(size, size, 202, 30.0, stretch=(1.0, 10.0))
    value = 0.72 + 0.22 * height_map + 0.05 * wobble + 0.05 * slub
    colour = mix(hex_colour("8f8370"), hex_colour("e4dcc8"), np.clip(value, 0, 1) ** 1.3)
    return to_bytes(colour)


def bark_ridges(height=256, width=128):
    # Meandering vertical plates split by deep fissures, with short cross
    # cracks, fine fibre and patches of lichen.
    plates = periodic_noise(height, width, 301, 12.0, stretch=(9.0, 1.0))
    fissure = 1.0 - smoothstep(0.0, 0.16, np.abs(plates))
    bulge = smoothstep(0.05, 0.7, np.abs(plates))
    cracks = periodic_noise(height, width, 302, 5.0, stretch=(1.0, 5.0))
    sparse = smoothstep(0.1, 0.5, periodic_noise(height, width, 303, 30.0))
    crack = (1.0 - smoothstep(0.0, 0.06, np.abs(cracks))) * sparse * (1.0 - fissure)
    fine = periodic_noise(height, width, 304, 2.0, stretch=(4.0, 1.0))
    lichen = periodic_noise(height, width, 305, 22.0)
    value = 0.32 + 0.45 * bulge + 0.1 * fine - 0.55 * fissure - 0.3 * crack
    colour = mix(hex_colour("1e140c"), hex_colour("9c8672"), np.clip(value, 0, 1))
    colour = mix(colour, hex_colour("8a9468"), smoothstep(0.35, 0.75, lichen) * bulge * 0.55)
    return to_bytes(colour)


def stripes_green(height=256, width=64):
    yy, xx = np.mgrid[0:height, 0:width]
    u = xx / width
    wobble = 0.02 * periodic_noise(height, width, 401, 40.0, stretch=(20.0, 1.0))
    bands = np.sin((u + wobble) * 2 * np.pi * 5)
    soft = 0.5 + 0.5 * np.tanh(bands * 3.0)
    streak = periodic_noise(height, width, 402, 4.0, stretch=(25.0, 1.0))
    colour = mix(hex_colour("3d6b2a"), hex_colour("a8c86a"), soft)
    colour *= (1.0 + 0.07 * streak)[..., None]
    rim = 0.9 + 0.1 * np.cos((u - 0.5) * np.pi)
    colour *= rim[..., None]
    return to_bytes(colour)


def soft_spot(size=128):
    yy, xx = np.mgrid[0:size, 0:size]
    c = (size - 1) / 2.0
    r = np.hypot(xx - c, yy - c) / (size / 2.0)
    alpha = np.exp(-(r / 0.45) ** 2 * 2.0) * smoothstep(1.0, 0.85, r)
    colour = mix(hex_colour("fff7e8"), hex_colour("ffe0b0"), np.clip(r, 0, 1))
    return to_bytes(colour, alpha)


# ---------------------------------------------------------------------------

IMAGES = [
    # file name, drawing, format, options
    ("leafVeined.iff", leaf_veined, "iff", {"run_length": True}),
    ("leafOak.rgb", leaf_oak, "rgb", {"run_length": True}),
    ("petalSoft.rgb", petal_soft, "rgb", {"run_length": False}),
    ("petalStriped.bmp", petal_striped, "bmp", {}),
    ("daisyHead.rgb", daisy_head, "rgb", {"run_length": True}),
    ("paperGrain.bmp", paper_grain, "bmp", {}),
    ("canvasWeave.rgb", canvas_weave, "rgb", {"run_length": False}),
    ("barkRidges.iff", bark_ridges, "iff", {"run_length": False}),
    ("stripesGreen.bmp", stripes_green, "bmp", {"top_down": True}),
    ("softSpot.iff", soft_spot, "iff", {"run_length": True}),
]

WRITERS = {
    "bmp": brush_codecs.write_bitmap,
    "rgb": brush_codecs.write_planar_rgb,
    "iff": brush_codecs.write_iff,
}


def preview(picture, path):
    from PIL import Image

    h, w, channels = picture.shape
    rgb = picture[..., :3].astype(np.float64)
    if channels == 4:
        yy, xx = np.mgrid[0:h, 0:w]
        checker = np.where(((yy // 8) + (xx // 8)) % 2 == 0, 200.0, 150.0)[..., None]
        a = picture[..., 3:4] / 255.0
        rgb = rgb * a + checker * (1.0 - a)
    Image.fromarray(np.round(rgb).astype(np.uint8), "RGB").save(path)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default_out = os.path.join(here, "..", "..", "TARN_FL_PRESETS", "~brushImages")
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=default_out)
    parser.add_argument("--preview", default=None)
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
    for name, draw, kind, options in IMAGES:
        picture = draw()
        data = WRITERS[kind](picture, **options)
        with open(os.path.join(args.out, name), "wb") as f:
            f.write(data)
        if args.preview:
            preview(picture, os.path.join(args.preview, name.rsplit(".", 1)[0] + ".png"))
        print("%-18s %4dx%-4d %d channels %7d bytes" % (name, picture.shape[1], picture.shape[0], picture.shape[2],
                                                       len(data)))


if __name__ == "__main__":
    main()
