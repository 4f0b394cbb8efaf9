#!/usr/bin/env python3
"""Draws the list's rank and tag markers and the tray icon into assets/markers/.

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


def badge(name, size, radius, fill, glyph, glyph_colour, glyph_size):
    big = size * SCALE
    r = radius * SCALE
    cmd = ["convert", "-size", f"{big}x{big}", "xc:none",
           "-fill", fill, "-draw", f"roundrectangle 0,0 {big - 1},{big - 1} {r},{r}",
           "-font", FONT, "-pointsize", str(glyph_size * SCALE), "-fill", glyph_colour,
           "-gravity", "center", "-annotate", f"+0+{-SCALE // 2}", glyph,
           "-filter", "Lanczos", "-resize", f"{size}x{size}"] + PNG_OPTIONS
    subprocess.run(cmd + [os.path.join(OUT, name + ".png")], check=True)


def program_icon():
    """Rising bars on the accent orange: a chart of what is trending."""
    size, big = 32, 32 * SCALE
    s = SCALE
    bars = [(7, 19, 11, 25), (14, 13, 18, 25), (21, 7, 25, 25)]
    cmd = ["convert", "-size", f"{big}x{big}", "xc:none",
           "-fill", "#FF8E17", "-draw", f"roundrectangle 0,0 {big - 1},{big - 1} {7 * s},{7 * s}",
           "-fill", "white"]
    for x0, y0, x1, y1 in bars:
        cmd += ["-draw", f"roundrectangle {x0 * s},{y0 * s} {x1 * s},{y1 * s} {s},{s}"]
    cmd += ["-filter", "Lanczos", "-resize", f"{size}x{size}"] + PNG_OPTIONS
    subprocess.run(cmd + [os.path.join(OUT, "program_icon.png")], check=True)


def main():
    os.makedirs(OUT, exist_ok=True)
    for rank in RANKS:
        badge(*rank)
    for name, size, radius, fill, glyph in TAGS:
        badge(name, size, radius, fill, glyph, "white", 12)
    program_icon()
    return 0


if __name__ == "__main__":
    sys.exit(main())
