#!/usr/bin/python3
"""thumbnail.py IN.bmp OUT.png [FACTOR]: shrinks a 24-bit bitmap by a whole
factor (each output pixel the mean of a FACTOR x FACTOR block) and writes it
as an 8-bit RGB PNG. Only the standard library, so the gallery needs no
image package."""

import struct
import sys
import zlib


def read_bmp(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise ValueError("%s: not a bitmap" % path)
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    if bits not in (24, 32):
        raise ValueError("%s: %d bits a pixel" % (path, bits))
    bpp = bits // 8
    stride = (bits * width + 31) // 32 * 4
    top_down = height < 0
    height = abs(height)
    rows = []
    for y in range(height):
        source = y if top_down else height - 1 - y
        start = offset + source * stride
        row = data[start:start + width * bpp]
        # BGR(A) to RGB.
        rgb = bytearray(width * 3)
        rgb[0::3] = row[2::bpp]
        rgb[1::3] = row[1::bpp]
        rgb[2::3] = row[0::bpp]
        rows.append(rgb)
    return width, height, rows


def shrink(width, height, rows, k):
    w, h = width // k, height // k
    out = []
    area = k * k
    for y in range(h):
        sums = [0] * (w * 3)
        for dy in range(k):
            row = rows[y * k + dy]
            for dx in range(k):
                # Every k-th pixel starting at dx, channel by channel.
                for c in range(3):
                    picked = row[dx * 3 + c:w * k * 3:k * 3]
                    sums[c::3] = [s + p for s, p in zip(sums[c::3], picked)]
        out.append(bytes((s + area // 2) // area for s in sums))
    return w, h, out


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(r) for r in rows)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main(argv):
    if len(argv) not in (3, 4):
        sys.stderr.write("usage: thumbnail.py IN.bmp OUT.png [FACTOR]\n")
        return 2
    k = int(argv[3]) if len(argv) == 4 else 2
    if k < 1:
        sys.stderr.write("thumbnail.py: the factor must be at least 1\n")
        return 2
    w, h, rows = read_bmp(argv[1])
    w, h, rows = shrink(w, h, rows, k)
    write_png(argv[2], w, h, rows)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
