#!/usr/bin/python3
"""Writes the page's @font-face rules to stdout: DejaVu Sans (regular, bold) and Sans Mono for Latin text,
IPA P Gothic for Japanese, each cut down to the characters that the page's sources hold and inlined as WOFF
data, so the page shows every English and Japanese text without a font from the system.

Fails when a character of the page has no glyph in any of the fonts."""
import base64
import glob
import io
import os
import sys

import logging

from fontTools import subset
from fontTools.ttLib import TTFont

HERE = os.path.dirname(os.path.abspath(__file__))
WEBUI = os.path.dirname(HERE)
DEJAVU = os.environ.get("VLM_DEJAVU_DIR", "/usr/share/fonts/truetype/dejavu")
JP = os.path.join(os.environ.get("VLM_PAGE_FONTS_DIR", os.path.join(WEBUI, ".fonts")), "ipagp.ttf")

FACES = [  # family, weight, file, role
    ("Velmora Sans", 400, os.path.join(DEJAVU, "DejaVuSans.ttf"), "latin"),
    ("Velmora Sans", 700, os.path.join(DEJAVU, "DejaVuSans-Bold.ttf"), "latin"),
    ("Velmora Mono", 400, os.path.join(DEJAVU, "DejaVuSansMono.ttf"), "latin"),
    ("Velmora JP", 400, JP, "jp"),
]


def page_characters():
    """Printable ASCII and every other character that the page's sources hold (tests excluded)."""
    chars = {chr(c) for c in range(0x20, 0x7F)}
    files = glob.glob(os.path.join(WEBUI, "src", "**", "*.ts*"), recursive=True)
    files += [os.path.join(WEBUI, "src", "styles.css"), os.path.join(WEBUI, "index.html")]
    for path in files:
        if ".test." in path:
            continue
        with open(path, encoding="utf-8") as f:
            chars |= {c for c in f.read() if ord(c) > 0x7E and c.isprintable() and not c.isspace()}
    return chars


def cmap_of(path):
    return set(TTFont(path, lazy=True).getBestCmap().keys())


def subset_woff(path, codepoints):
    options = subset.Options()
    options.flavor = "woff"
    options.hinting = False
    options.name_IDs = [1, 2]
    options.layout_features = ["kern", "liga", "vert", "palt"]
    font = subset.load_font(path, options)
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=sorted(codepoints))
    subsetter.subset(font)
    out = io.BytesIO()
    subset.save_font(font, out, options)
    return out.getvalue()


def main():
    logging.getLogger("fontTools.subset").setLevel(logging.ERROR)
    missing_files = [f for _, _, f, _ in FACES if not os.path.isfile(f)]
    if missing_files:
        sys.exit("subset-fonts: missing " + ", ".join(missing_files) + " (run scripts/fetch-fonts.sh and "
                 "install fonts-dejavu-core)")
    chars = {ord(c) for c in page_characters()}
    latin = cmap_of(FACES[0][2])
    jp = cmap_of(JP)
    uncovered = sorted(c for c in chars if c not in latin and c not in jp)
    if uncovered:
        sys.exit("subset-fonts: no glyph for " + " ".join(f"U+{c:04X} {chr(c)}" for c in uncovered))
    rules = []
    for family, weight, path, role in FACES:
        wanted = (chars & cmap_of(path)) if role == "latin" else (chars - latin) & jp
        data = base64.b64encode(subset_woff(path, wanted)).decode("ascii")
        rules.append(
            f"@font-face{{font-family:'{family}';font-weight:{weight};font-style:normal;font-display:block;"
            f"src:url(data:font/woff;base64,{data}) format('woff')}}"
        )
    sys.stdout.write("\n".join(rules) + "\n")


if __name__ == "__main__":
    main()
