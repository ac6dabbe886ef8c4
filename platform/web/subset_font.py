#!/usr/bin/env python3
"""Cuts the window font down to the code page's glyphs, as WOFF, so that the page stays small.

usage: subset_font.py FONT CODE_POINTS OUTPUT
CODE_POINTS holds one hexadecimal code point a line.
"""
import sys

from fontTools import subset


def main(font_path, code_points_path, output_path):
    with open(code_points_path, encoding="ascii") as listing:
        code_points = [int(line, 16) for line in listing if line.strip()]
    options = subset.Options()
    options.flavor = "woff"
    # Kept: the hinting and metrics tables the browser's engine reads; dropped: layout features
    # (every glyph is drawn alone) and names beyond the family's.
    options.layout_features = []
    options.name_IDs = [1, 2]
    options.notdef_outline = True
    # FontForge's timestamp, which fontTools would drop anyway, with a message.
    options.drop_tables += ["FFTM"]
    font = subset.load_font(font_path, options)
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=code_points)
    subsetter.subset(font)
    missing = [point for point in code_points if point not in font.getBestCmap()]
    if missing:
        sys.exit("subset_font.py: the font has no glyph for " + ", ".join(f"U+{point:04X}" for point in missing))
    subset.save_font(font, output_path, options)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
