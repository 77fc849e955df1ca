#!/usr/bin/python3
"""Regenerate every asset of the clock from scratch.

    tools/make_assets.py [--output DIR] [--font FILE] [--font-copyright FILE]

DIR defaults to the repository's assets/ folder. The output is deterministic:
running it twice gives the same bytes.
"""

import argparse
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # keep tools/ free of compiled caches

import alarmsound  # noqa: E402
import appicon  # noqa: E402
import clockfont  # noqa: E402
import imagefiles  # noqa: E402
import raster  # noqa: E402
import skins  # noqa: E402
import smallicons  # noqa: E402

# Skins of the skin folder; the first is the default one.
SKIN_FILES = ["horlnoirrose", "bleunuit", "vertforet", "argent"]
ICON_SIZES = [16, 22, 24, 32, 48, 64, 128, 256]
# Gradient bands of the built-in picture: few enough for a 256-colour palette
# without any colour reduction, many enough to look smooth.
BUILTIN_BANDS = 32


def _write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    print(os.path.relpath(path), len(data), "bytes")


def builtin_picture(out):
    rows = skins.render(skins.SCHEMES["builtin"], steps=BUILTIN_BANDS)
    palette, indices = raster.to_indexed(rows)
    _write(os.path.join(out, "builtin", "image1.bmp"), imagefiles.bmp8(indices, palette))


def skin_pictures(out):
    for name in SKIN_FILES:
        rows = skins.render(skins.SCHEMES[name])
        _write(os.path.join(out, "skin", name + ".bmp"), imagefiles.bmp24(rows))


def small_icons(out):
    _write(os.path.join(out, "builtin", "image4.bmp"), imagefiles.bmp24(smallicons.folder_with_magnifier()))
    _write(os.path.join(out, "builtin", "image5.bmp"), imagefiles.bmp24(smallicons.loudspeaker()))


def application_icon(out):
    small = appicon.small_indices()
    transparent = 16  # outside the 16-colour palette: marks see-through pixels
    small = [[transparent if i < 0 else i for i in row] for row in small]
    images = [
        imagefiles.ico_image_4bit(small, appicon.VGA, transparent),
        imagefiles.ico_image_32bit(appicon.render(32)),
    ]
    _write(os.path.join(out, "builtin", "veludor.ico"), imagefiles.ico(images))
    for n in ICON_SIZES:
        rows = appicon.small_rgba() if n == 16 else appicon.render(n)
        path = os.path.join(out, "icons", "hicolor", f"{n}x{n}", "apps", "veludor.png")
        _write(path, imagefiles.png_rgba(rows))


def font(out, source, copyright_file):
    path = os.path.join(out, "DS-DIGI.TTF")
    clockfont.write_font(path, source)
    print(os.path.relpath(path), os.path.getsize(path), "bytes")
    text = clockfont.licence_text(source, copyright_file).encode("utf-8")
    _write(os.path.join(out, "DS-DIGI-LICENCE.txt"), text)


def sound(out):
    path = os.path.join(out, "alarm.mp3")
    alarmsound.write_mp3(path)
    print(os.path.relpath(path), os.path.getsize(path), "bytes")


def main(argv=None):
    parser = argparse.ArgumentParser(description="Regenerate the clock's assets.")
    parser.add_argument("--output", default=os.path.join(os.path.dirname(HERE), "assets"))
    parser.add_argument("--font", default=clockfont.DEBIAN_FONT, help="DSEG7 Classic Bold font file")
    parser.add_argument("--font-copyright", default=clockfont.DEBIAN_COPYRIGHT, help="its Debian copyright file")
    args = parser.parse_args(argv)
    out = os.path.abspath(args.output)
    builtin_picture(out)
    skin_pictures(out)
    small_icons(out)
    application_icon(out)
    font(out, args.font, args.font_copyright)
    sound(out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
