#!/usr/bin/env python3
"""Rasterises the interface icons into the five atlas images and embeds them.

Reads the icon list (X(index, Name, "file") lines of ui/Icons.h), places each
listed SVG source in a square cell of every variant's image (a one-pixel
transparent margin around it), has rsvg-convert draw each image once, and
writes a C++ source holding every PNG with its rectangle table: kIconCount
entries of (u0, v0, u1, v1), top-left origin, zero for unused indices.
"""
import argparse
import os
import re
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

SVG_NS = "http://www.w3.org/2000/svg"
ICON_COUNT = None  # kIconCount of the header, read with the list
# DPI, image side, cell side
VARIANTS = [(96, 512, 32), (120, 512, 40), (144, 1024, 48), (168, 1024, 56), (192, 1024, 64)]


def fail(message):
    sys.exit("pack_icons: " + message)


def read_list(header):
    global ICON_COUNT
    entries = []
    with open(header, encoding="utf-8") as f:
        text = f.read()
    count = re.search(r"kIconCount\s*=\s*(\d+)", text)
    if not count:
        fail("no kIconCount in " + header)
    ICON_COUNT = int(count.group(1))
    for line in text.splitlines():
        m = re.match(r'\s*X\((\d+),\s*(\w+),\s*"([\w-]+)"\)', line)
        if m:
            entries.append((int(m.group(1)), m.group(2), m.group(3)))
    indices = [e[0] for e in entries]
    if not entries:
        fail("no icons listed in " + header)
    if len(set(indices)) != len(indices):
        fail("an icon index is listed twice")
    if min(indices) < 1 or max(indices) >= ICON_COUNT:
        fail("icon indices run from 1 to %d" % (ICON_COUNT - 1))
    return sorted(entries)


def icon_element(path):
    try:
        root = ET.parse(path).getroot()
    except (OSError, ET.ParseError) as error:
        fail("%s: %s" % (path, error))
    if root.tag != "{%s}svg" % SVG_NS or "viewBox" not in root.attrib:
        fail("%s: an <svg> with a viewBox is expected" % path)
    return root


def atlas_svg(entries, icons_dir, side, cell):
    per_row = side // cell
    if len(entries) > per_row * per_row:
        fail("%d icons do not fit %d-pixel cells in a %d-pixel image" % (len(entries), cell, side))
    ET.register_namespace("", SVG_NS)
    atlas = ET.Element("{%s}svg" % SVG_NS, {"width": str(side), "height": str(side)})
    table = [(0.0, 0.0, 0.0, 0.0)] * ICON_COUNT
    for slot, (index, _name, file) in enumerate(entries):
        x = (slot % per_row) * cell + 1
        y = (slot // per_row) * cell + 1
        icon = icon_element(os.path.join(icons_dir, file + ".svg"))
        icon.attrib.update({"x": str(x), "y": str(y), "width": str(cell - 2), "height": str(cell - 2)})
        atlas.append(icon)
        table[index] = (x / side, y / side, (x + cell - 2) / side, (y + cell - 2) / side)
    return ET.tostring(atlas, encoding="unicode"), table


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        fail("rsvg-convert did not write a PNG")
    return struct.unpack(">II", data[16:24])


def rasterise(svg_text, side, work, rsvg):
    source = os.path.join(work, "atlas%d.svg" % side)
    with open(source, "w", encoding="utf-8") as f:
        f.write(svg_text)
    try:
        data = subprocess.run([rsvg, "--format=png", source], check=True, capture_output=True).stdout
    except FileNotFoundError:
        fail("rsvg-convert not found (install librsvg2-bin)")
    except subprocess.CalledProcessError as error:
        fail("rsvg-convert: " + error.stderr.decode(errors="replace"))
    if png_size(data) != (side, side):
        fail("rsvg-convert drew %dx%d, not %d" % (*png_size(data), side))
    return data


def c_bytes(data):
    return ",\n".join(",".join(str(b) for b in data[i:i + 32]) for i in range(0, len(data), 32))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", required=True)
    parser.add_argument("--icons", required=True)
    parser.add_argument("--output", required=True)
    parser.add_argument("--rsvg", default="rsvg-convert")
    args = parser.parse_args()
    entries = read_list(args.list)
    out = ['// Generated from ui/Icons.h and ui/icons/*.svg by cmake/pack_icons.py.',
           '#include "ui/EmbeddedIcons.h"', '#include "ui/Icons.h"', "", "namespace UI {", "namespace {",
           "static_assert(kIconCount == %d, \"the icon tables were made for another count\");" % ICON_COUNT]
    variants = []
    with tempfile.TemporaryDirectory() as work:
        for dpi, side, cell in VARIANTS:
            svg_text, table = atlas_svg(entries, args.icons, side, cell)
            png = rasterise(svg_text, side, work, args.rsvg)
            out.append("const unsigned char kPng%d[] = {\n%s};" % (dpi, c_bytes(png)))
            floats = ",\n".join(",".join(repr(float(v)) + "f" for v in rect) for rect in table)
            out.append("const float kTable%d[%d] = {\n%s};" % (dpi, ICON_COUNT * 4, floats))
            variants.append("  {%d, %d, kPng%d, sizeof kPng%d, kTable%d}," % (dpi, cell, dpi, dpi, dpi))
    out += ["const EmbeddedIconVariant kVariants[] = {"] + variants + ["};", "}  // namespace", "",
            "const EmbeddedIconVariant* embeddedIconVariant(int dpi) {",
            "  for (const EmbeddedIconVariant& v : kVariants)",
            "    if (v.dpi == dpi) return &v;",
            "  return nullptr;", "}", "", "}  // namespace UI", ""]
    os.makedirs(os.path.dirname(args.output), exist_ok=True)
    with open(args.output, "w", encoding="utf-8") as f:
        f.write("\n".join(out))


if __name__ == "__main__":
    main()
