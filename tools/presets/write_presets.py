#!/usr/bin/python3
"""Writes the shipped body-brush presets into TARN_FL_PRESETS/.

Every preset starts from the brush record's initial values (read from the
attribute tables presets/brush_attributes_*.inc, so the writer and the engine
never disagree about names, kinds or order) and applies its own overrides
from library.py. Each file states every attribute: the reader takes an
attribute the file does not name as 0, so a preset that left one out would
silently rely on that.

    tools/presets/write_presets.py            write every preset
    tools/presets/write_presets.py --check    exit 1 when a file on disk is stale
    tools/presets/write_presets.py --list     print category/name and the look

After writing, each file is read back with the reader's own rules (first
quoted occurrence, value up to the next semicolon, spaces, tabs and quotes
dropped) and compared with what was meant, so a comment or a value that
would confuse the reader fails here instead of in the saver.
"""

import argparse
import math
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # keep the source tree free of caches

import library  # noqa: E402  (the preset definitions beside this file)

TABLES = ["brush_attributes_general.inc", "brush_attributes_tube.inc", "brush_attributes_texture.inc"]
ROW = re.compile(r"^TF_BRUSH_ATTR\((\w+),\s*(\w+),\s*(\w+),\s*(.*)\)\s*$")


class Attribute:
    def __init__(self, section, kind, name, initial):
        self.section = section
        self.kind = kind
        self.name = name
        self.initial = initial  # as the record stores it (opacity for OPACITY)

    def file_initial(self):
        """The initial value as a preset file states it."""
        if self.kind == "OPACITY":
            return round(1.0 - self.initial, 12)
        return self.initial


def read_table():
    attributes = []
    for table in TABLES:
        with open(os.path.join(ROOT, "presets", table)) as f:
            for line in f:
                m = ROW.match(line.strip())
                if not m:
                    continue
                section, kind, name, initial = m.groups()
                initial = initial.strip()
                if kind == "NAME":
                    value = initial.strip('"')
                else:
                    value = float(initial)
                attributes.append(Attribute(section, kind, name, value))
    names = [a.name for a in attributes]
    if len(set(names)) != len(names):
        sys.exit("write_presets: the attribute tables repeat a name")
    return attributes


def format_value(attribute, value):
    kind = attribute.kind
    if kind == "NAME":
        text = str(value)
        if any(c in text for c in ' \t";'):
            raise ValueError("%s: image name %r holds a space, tab, quote or semicolon" % (attribute.name, text))
        return '"%s"' % text
    v = float(value)
    if not math.isfinite(v):
        raise ValueError("%s: value %r is not finite" % (attribute.name, value))
    if kind in ("FLAG", "IGNORED"):
        return "1" if v != 0 else "0"
    if kind in ("WHOLE", "WHOLE012", "COUNT"):
        if v != int(v) or not -32768 <= v <= 32767:
            raise ValueError("%s: %r is not a whole number of 16 bits" % (attribute.name, value))
        if kind == "WHOLE012" and int(v) not in (0, 1, 2):
            raise ValueError("%s: %r must be 0, 1 or 2" % (attribute.name, value))
        return "%d" % int(v)
    text = "%.10g" % v
    return "0" if text == "-0" else text


SECTION_TITLES = {
    "GENERAL": "General: images, switches, stamp, shading, glow, shadow, gaps, timing, texture mapping",
    "TUBE": "Tubes: growth, colour ramps, branching, forces, twigs, leaves, flowers, buds",
    "TEXTURE": "Texture: placement, smear, fractal and texture colours",
}


def render_preset(preset, attributes):
    """The file text of one preset and the values it means to state."""
    known = {a.name: a for a in attributes}
    for name in preset.overrides:
        if name not in known:
            raise ValueError("%s/%s: unknown attribute %s" % (preset.category, preset.name, name))
    lines = []
    comment = lambda text: lines.append(("// " + text).rstrip())
    comment("%s/%s.vbr - Tarn Flourish brush preset" % (preset.category, preset.name))
    for text in wrap(preset.look, 74):
        comment(text)
    comment("")
    comment("Written by tools/presets/write_presets.py from tools/presets/library.py;")
    comment("change it there and run the writer again. Every attribute is stated:")
    comment("one left out would read as zero. Lines marked * differ from a new brush.")
    if getattr(preset, "show", "dark") == "bright":
        comment("gallery: bright")
    meant = {}
    section = None
    for a in attributes:
        if a.section != section:
            section = a.section
            lines.append("")
            comment(SECTION_TITLES[section])
        changed = a.name in preset.overrides
        value = preset.overrides[a.name] if changed else a.file_initial()
        text = format_value(a, value)
        meant[a.name] = (a, text)
        statement = '"%s" %s;' % (a.name, text)
        note = library.NOTES.get(a.name, "")
        mark = "*" if changed else ""
        tail = " ".join(x for x in (mark, note) if x)
        lines.append(statement if not tail else "%-34s // %s" % (statement, tail))
    for line in lines:
        if line.startswith("//") and '"' in line:
            raise ValueError("%s/%s: a comment holds a double quote" % (preset.category, preset.name))
    return "\n".join(lines) + "\n", meant


def wrap(text, width):
    words, out, line = text.split(), [], ""
    for w in words:
        if line and len(line) + 1 + len(w) > width:
            out.append(line)
            line = w
        else:
            line = (line + " " + w).strip()
    if line:
        out.append(line)
    return out


def reader_value(text, name):
    """The cleaned value text the engine's reader finds for NAME."""
    key = '"%s"' % name
    p = text.find(key)
    if p < 0:
        return ""
    start = p + len(key)
    end = text.find(";", start)
    if end <= start:
        return ""
    value = text[start:end][:63]
    return value.replace(" ", "").replace("\t", "").replace('"', "")


def verify(preset, text, meant):
    for name, (attribute, written) in meant.items():
        got = reader_value(text, name)
        want = written.strip('"')
        if got != want:
            raise ValueError("%s/%s: %s reads back as %r, meant %r" % (preset.category, preset.name, name, got, want))


def main():
    parser = argparse.ArgumentParser(description="Write the shipped body-brush presets.")
    parser.add_argument("--out", default=os.path.join(ROOT, "TARN_FL_PRESETS"), help="presets folder")
    parser.add_argument("--check", action="store_true", help="only report files that are stale")
    parser.add_argument("--list", action="store_true", help="print the presets and their looks")
    parser.add_argument("--library", help="a library file to use instead of library.py (for trying presets out)")
    args = parser.parse_args()
    if args.library:
        global library
        import importlib.util
        spec = importlib.util.spec_from_file_location("trial_library", args.library)
        library = importlib.util.module_from_spec(spec)
        spec.loader.exec_module(library)

    attributes = read_table()
    seen = set()
    stale = 0
    for preset in library.PRESETS:
        key = (preset.category, preset.name)
        if key in seen:
            sys.exit("write_presets: %s/%s is defined twice" % key)
        seen.add(key)
        if args.list:
            print("%s/%s.vbr  %s" % (preset.category, preset.name, preset.look))
            continue
        text, meant = render_preset(preset, attributes)
        verify(preset, text, meant)
        path = os.path.join(args.out, preset.category, preset.name + ".vbr")
        old = None
        if os.path.exists(path):
            with open(path) as f:
                old = f.read()
        if args.check:
            if old != text:
                print("stale: %s" % os.path.relpath(path, args.out))
                stale += 1
            continue
        if old != text:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w", newline="\n") as f:
                f.write(text)
    if args.list:
        return 0
    # Files in the writer's own categories that the library no longer names.
    for category in sorted({p.category for p in library.PRESETS}):
        folder = os.path.join(args.out, category)
        for entry in sorted(os.listdir(folder)) if os.path.isdir(folder) else []:
            if entry.endswith(".vbr") and (category, entry[:-4]) not in seen:
                print("not in the library: %s/%s" % (category, entry))
    if args.check:
        return 1 if stale else 0
    print("wrote %d presets into %s" % (len(seen), args.out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
