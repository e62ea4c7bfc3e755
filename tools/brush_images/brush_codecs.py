"""Writers of the three brush image file formats, from numpy pictures.

A picture is a uint8 array of shape (height, width, 3 or 4), channels
R, G, B (, A), row 0 at the top as any image viewer shows it. The files
follow the same layouts as image_writers.h beside this file.
"""

import struct

import numpy as np


def _rgba(picture):
    picture = np.asarray(picture, dtype=np.uint8)
    if picture.ndim != 3 or picture.shape[2] not in (3, 4):
        raise ValueError("picture must be (height, width, 3 or 4)")
    return picture


def write_bitmap(picture, top_down=False):
    """An uncompressed Windows bitmap: 24 bits for 3 channels, 32 for 4."""
    picture = _rgba(picture)
    height, width, channels = picture.shape
    bits = 8 * channels
    stride = ((bits * width + 31) // 32) * 4
    rows = picture if top_down else picture[::-1]
    body = bytearray()
    order = [2, 1, 0, 3][:channels]  # B, G, R (, A)
    for row in rows:
        line = row[:, order].tobytes()
        body += line + bytes(stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bits, 0,
                       len(body), 2835, 2835, 0, 0)
    return bytes(header + info + body)


def _planar_rle_line(line):
    """Control byte c: count c & 0x7F (0 ends); bit 7 set: literals follow,
    else the next byte repeats."""
    out = bytearray()
    n = len(line)
    x = 0
    while x < n:
        run = 1
        while x + run < n and run < 127 and line[x + run] == line[x]:
            run += 1
        if run >= 3:
            out += bytes([run, line[x]])
            x += run
            continue
        lit = 0
        while x + lit < n and lit < 127:
            if x + lit + 2 < n and line[x + lit] == line[x + lit + 1] == line[x + lit + 2]:
                break
            lit += 1
        out += bytes([0x80 | lit]) + bytes(line[x:x + lit])
        x += lit
    out.append(0)
    return bytes(out)


def write_planar_rgb(picture, run_length=False, name="tarn flourish brush image"):
    """A planar RGB image (magic 474): channel planes of scanlines, scanline 0
    at the bottom, verbatim or run-length coded."""
    picture = _rgba(picture)
    height, width, channels = picture.shape
    header = bytearray(512)
    struct.pack_into(">HBBHHHHIII", header, 0, 474, 1 if run_length else 0, 1, 3, width, height, channels,
                     0, 255, 0)
    header[24:24 + len(name)] = name.encode("ascii")[:79]
    bottom_up = picture[::-1]
    lines = [bottom_up[y, :, z].tobytes() for z in range(channels) for y in range(height)]
    if not run_length:
        return bytes(header) + b"".join(lines)
    coded = [_planar_rle_line(line) for line in lines]
    offset = 512 + 8 * len(lines)
    starts = []
    for c in coded:
        starts.append(offset)
        offset += len(c)
    tables = struct.pack(">%dI" % len(lines), *starts) + struct.pack(">%dI" % len(lines), *[len(c) for c in coded])
    return bytes(header) + tables + b"".join(coded)


def _iff_rle_plane(plane):
    """n = (c & 0x7F) + 1; bit 7 set: the next byte repeats n times, else n
    literal bytes follow."""
    out = bytearray()
    n = len(plane)
    x = 0
    while x < n:
        run = 1
        while x + run < n and run < 128 and plane[x + run] == plane[x]:
            run += 1
        if run >= 2:
            out += bytes([0x80 | (run - 1), plane[x]])
            x += run
            continue
        lit = 0
        while x + lit < n and lit < 128:
            if x + lit + 1 < n and plane[x + lit] == plane[x + lit + 1]:
                break
            lit += 1
        out += bytes([lit - 1]) + bytes(plane[x:x + lit])
        x += lit
    return bytes(out)


def _chunk(tag, body):
    data = tag + struct.pack(">I", len(body)) + body
    return data + bytes(-len(data) % 4)


def _group(kind, body):
    # A group's size counts the bytes after its type.
    return b"FOR4" + struct.pack(">I", len(body)) + kind + body


def write_iff(picture, run_length=False, tile=64):
    """A tiled IFF image: "FOR4" "CIMG" with "TBHD" and a "TBMP" group of
    "RGBA" tiles, y counted from the bottom; tiles hold A, B, G, R (four
    channels) or B, G, R. A coded tile that would not shrink is stored raw."""
    picture = _rgba(picture)
    height, width, channels = picture.shape
    order = [3, 2, 1, 0] if channels == 4 else [2, 1, 0]
    bottom_up = picture[::-1]
    tiles = []
    for y1 in range(0, height, tile):
        for x1 in range(0, width, tile):
            x2 = min(width, x1 + tile) - 1
            y2 = min(height, y1 + tile) - 1
            block = bottom_up[y1:y2 + 1, x1:x2 + 1][:, :, order]
            raw = block.tobytes()
            body = raw
            if run_length:
                coded = b"".join(_iff_rle_plane(block[:, :, k].tobytes()) for k in range(channels))
                if len(coded) < len(raw):
                    body = coded
            tiles.append(_chunk(b"RGBA", struct.pack(">HHHH", x1, y1, x2, y2) + body))
    flags = 1 | (2 if channels == 4 else 0)
    tbhd = struct.pack(">IIHHIHHI", width, height, 1, 1, flags, 0, len(tiles), 1 if run_length else 0)
    body = _chunk(b"FVER", b"tarn flourish") + _chunk(b"TBHD", tbhd) + _group(b"TBMP", b"".join(tiles))
    return _group(b"CIMG", body)
