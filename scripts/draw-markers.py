#!/usr/bin/env python3
"""Draws the list's rank and tag markers and the tray icon into assets/markers/ (each
also at twice the size, name@2x.png) and the program icon in its installed sizes
into assets/icons/.

Each picture is drawn four times larger and scaled down, which gives smooth
edges while the glyphs stay sharp. Needs ImageMagick's `convert` and the
WenQuanYi Micro Hei font (fonts-wqy-microhei). The output carries no
timestamps, so running it again gives the same bytes.
"""
import os
import subprocess
import sys

FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
SCALE = 4
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "assets", "markers")

# name, size, corner radius, fill, glyph, glyph colour, glyph size (at 1x)
RANKS = [
    ("rank_pinned", 20, 5, "#D8304F", "顶", "white", 13),
    ("rank_1", 20, 5, "#F2463A", "1", "white", 14),
    ("rank_2", 20, 5, "#FF8E17", "2", "white", 14),
    ("rank_3", 20, 5, "#F4BE2E", "3", "#4A3200", 14),
]
TAGS = [
    ("tag_hot", 16, 3, "#FF6A2B", "热"),
    ("tag_new", 16, 3, "#FF3B5C", "新"),
    ("tag_recommended", 16, 3, "#2F8CFF", "荐"),
    ("tag_boiling", 16, 3, "#F29A12", "沸"),
    ("tag_explosive", 16, 3, "#C8162B", "爆"),
]

# Output options that keep the files small and reproducible.
PNG_OPTIONS = ["-strip", "-depth", "8", "-define", "png:exclude-chunks=date,time", "-define",
               "png:color-type=6", "-define", "png:compression-level=9"]


def badge(name, size, radius, fill, glyph, glyph_colour, glyph_size, factor=1):
    """One marker; factor 2 draws the same marker for screens of twice the density."""
    big = size * factor * SCALE
    r = radius * factor * SCALE
    suffix = "" if factor == 1 else f"@{factor}x"
    cmd = ["convert", "-size", f"{big}x{big}", "xc:none",
           "-fill", fill, "-draw", f"roundrectangle 0,0 {big - 1},{big - 1} {r},{r}",
           "-font", FONT, "-pointsize", str(glyph_size * factor * SCALE), "-fill", glyph_colour,
           "-gravity", "center", "-annotate", f"+0+{-factor * SCALE // 2}", glyph,
           "-filter", "Lanczos", "-resize", f"{size * factor}x{size * factor}"] + PNG_OPTIONS
    subprocess.run(cmd + [os.path.join(OUT, name + suffix + ".png")], check=True)


# The program icon's rising bars on a 32-unit grid: a chart of what is trending.
ICON_BARS = [(7, 19, 11, 25), (14, 13, 18, 25), (21, 7, 25, 25)]
ICON_DIR = os.path.join(OUT, "..", "icons")
ICON_SIZES = [16, 22, 24, 32, 48, 64, 128, 256]


def icon(size, path):
    """Rising bars on the accent orange, drawn at `size` pixels."""
    s = size * SCALE / 32
    big = size * SCALE
    cmd = ["convert", "-size", f"{big}x{big}", "xc:none",
           "-fill", "#FF8E17", "-draw", f"roundrectangle 0,0 {big - 1},{big - 1} {7 * s},{7 * s}",
           "-fill", "white"]
    for x0, y0, x1, y1 in ICON_BARS:
        cmd += ["-draw", f"roundrectangle {x0 * s},{y0 * s} {x1 * s},{y1 * s} {s},{s}"]
    cmd += ["-filter", "Lanczos", "-resize", f"{size}x{size}"] + PNG_OPTIONS
    subprocess.run(cmd + [path], check=True)


def program_icon():
    icon(32, os.path.join(OUT, "program_icon.png"))
    icon(64, os.path.join(OUT, "program_icon@2x.png"))
    for size in ICON_SIZES:
        icon(size, os.path.join(ICON_DIR, f"vantrel-{size}.png"))


def main():
    os.makedirs(OUT, exist_ok=True)
    os.makedirs(ICON_DIR, exist_ok=True)
    for factor in (1, 2):
        for rank in RANKS:
            badge(*rank, factor=factor)
        for name, size, radius, fill, glyph in TAGS:
            badge(name, size, radius, fill, glyph, "white", 12, factor=factor)
    program_icon()
    return 0


if __name__ == "__main__":
    sys.exit(main())
