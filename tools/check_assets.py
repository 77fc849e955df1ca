#!/usr/bin/python3
"""Check the generated assets against what the program relies on.

    tools/check_assets.py [--assets DIR] [--fresh]

Reads the files with its own small parsers (not the generators' code) and checks
sizes, bit depths, the built-in picture's exact white surround, the skins'
shared outline, the label areas lying on opaque pixels, the icons, the font
copy and the sound. --fresh also regenerates everything into a temporary folder
and requires the same bytes (determinism). Prints the built-in picture's opaque
pixel count and its row runs (the rectangles of the window shape). Exit status
1 on any failure.
"""

import argparse
import os
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
WHITE = (255, 255, 255)
SKINS = ["horlnoirrose.bmp", "bleunuit.bmp", "vertforet.bmp", "argent.bmp"]
ICON_SIZES = [16, 22, 24, 32, 48, 64, 128, 256]

# Areas where the main window draws its labels and controls (left, top, right,
# bottom, inclusive): they must lie on the opaque part of the built-in picture.
LABEL_AREAS = {
    "date (Label1)": (25, 21, 174, 31),
    "hours (Label2)": (20, 25, 83, 87),
    "colon (Label3)": (81, 25, 95, 87),
    "minutes (Label4)": (92, 25, 155, 87),
    "ALARME (Label8)": (163, 45, 199, 53),
    "alarm time (Label9)": (166, 58, 206, 69),
    "alarm-setting controls": (20, 19, 159, 86),
    "stopwatch hours and minutes (Label7)": (22, 10, 159, 69),
    "stopwatch seconds (Label10)": (160, 37, 205, 76),
    "stopwatch milliseconds (Label11)": (168, 20, 205, 35),
    "stopwatch button (Button3)": (27, 63, 153, 83),
}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


# ---- readers -----------------------------------------------------------------------


def read_bmp(path):
    """(width, height, bit count, palette or None, RGB rows top-first) of an
    uncompressed BMP with a BITMAPINFOHEADER."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise ValueError(f"{path}: not a BMP")
    offset = struct.unpack("<I", data[10:14])[0]
    size, width, height, planes, bits, compression = struct.unpack("<IiiHHI", data[14:34])
    colours_used = struct.unpack("<I", data[46:50])[0]
    if size != 40:
        raise ValueError(f"{path}: info header of {size} bytes, not BITMAPINFOHEADER")
    if compression != 0 or planes != 1:
        raise ValueError(f"{path}: compressed or odd plane count")
    if height <= 0:
        raise ValueError(f"{path}: rows not stored bottom-up")
    palette = None
    if bits == 8:
        count = colours_used or 256
        palette = [tuple(data[54 + 4 * i : 57 + 4 * i][::-1]) for i in range(count)]
    stride = ((width * bits + 31) // 32) * 4
    rows = []
    for y in range(height):
        start = offset + (height - 1 - y) * stride
        line = data[start : start + stride]
        if bits == 8:
            rows.append([palette[line[x]] for x in range(width)])
        elif bits == 24:
            rows.append([tuple(line[3 * x : 3 * x + 3][::-1]) for x in range(width)])
        else:
            raise ValueError(f"{path}: {bits}-bit BMP not expected")
    return width, height, bits, palette, rows


def read_png_header(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise ValueError(f"{path}: not a PNG")
    width, height, depth, colour = struct.unpack(">IIBB", data[16:26])
    # every chunk's checksum must hold
    pos = 8
    while pos < len(data):
        length = struct.unpack(">I", data[pos : pos + 4])[0]
        body = data[pos + 4 : pos + 8 + length]
        crc = struct.unpack(">I", data[pos + 8 + length : pos + 12 + length])[0]
        if zlib.crc32(body) & 0xFFFFFFFF != crc:
            raise ValueError(f"{path}: bad chunk checksum")
        pos += 12 + length
    return width, height, depth, colour


def read_ico(path):
    """[(width, height, bit count, colour count)] of an ICO's images, from both
    the directory and each image's own header."""
    with open(path, "rb") as f:
        data = f.read()
    reserved, kind, count = struct.unpack("<HHH", data[:6])
    if reserved != 0 or kind != 1:
        raise ValueError(f"{path}: not an icon file")
    images = []
    for i in range(count):
        w, h, colours, _, planes, bits, size, offset = struct.unpack("<BBBBHHII", data[6 + 16 * i : 22 + 16 * i])
        hsize, dw, dh, _, dbits = struct.unpack("<IiiHH", data[offset : offset + 16])
        if hsize != 40 or dw != (w or 256) or dh != 2 * (h or 256) or dbits != bits:
            raise ValueError(f"{path}: image {i} header does not match the directory")
        if offset + size > len(data):
            raise ValueError(f"{path}: image {i} runs past the end of the file")
        images.append((w or 256, h or 256, bits, colours))
    return images


def mp3_info(path):
    """(seconds, sample rate, channels, bitrate kbit/s) of a constant-bitrate
    MPEG-1 layer III file, from its frames."""
    with open(path, "rb") as f:
        data = f.read()
    pos = 0
    if data[:3] == b"ID3":
        size = data[6:10]
        pos = 10 + ((size[0] << 21) | (size[1] << 14) | (size[2] << 7) | size[3])
    rates = [44100, 48000, 32000]
    bitrates = [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320]
    frames = 0
    first = None
    while pos + 4 <= len(data):
        h = struct.unpack(">I", data[pos : pos + 4])[0]
        if (h >> 21) & 0x7FF != 0x7FF or (h >> 19) & 3 != 3 or (h >> 17) & 3 != 1:
            break
        bitrate = bitrates[(h >> 12) & 15]
        rate = rates[(h >> 10) & 3]
        padding = (h >> 9) & 1
        channels = 1 if (h >> 6) & 3 == 3 else 2
        if first is None:
            first = (rate, channels, bitrate)
        frames += 1
        pos += 144 * bitrate * 1000 // rate + padding
    if first is None:
        raise ValueError(f"{path}: no MPEG-1 layer III frame")
    rate, channels, bitrate = first
    # the first frame holds the encoder's info tag, not sound
    return (frames - 1) * 1152 / rate, rate, channels, bitrate


# ---- checks ------------------------------------------------------------------------


def row_runs(rows):
    runs = 0
    for row in rows:
        inside = False
        for p in row:
            opaque = p != WHITE
            if opaque and not inside:
                runs += 1
            inside = opaque
    return runs


def near_white(p):
    return p != WHITE and min(p) >= 235


def check_builtin(assets):
    path = os.path.join(assets, "builtin", "image1.bmp")
    width, height, bits, palette, rows = read_bmp(path)
    check((width, height) == (220, 100), f"image1.bmp is {width} x {height}, not 220 x 100")
    check(bits == 8 and palette is not None and len(palette) <= 256, "image1.bmp is not an 8-bit palette picture")
    specks = [(x, y) for y, row in enumerate(rows) for x, p in enumerate(row) if near_white(p)]
    check(not specks, f"image1.bmp has near-white pixels that would show as specks: {specks[:5]}")
    opaque = [[p != WHITE for p in row] for row in rows]
    for name, (x0, y0, x1, y1) in LABEL_AREAS.items():
        holes = [(x, y) for y in range(y0, y1 + 1) for x in range(x0, x1 + 1) if not opaque[y][x]]
        check(not holes, f"image1.bmp: {name} area is not wholly opaque, e.g. at {holes[:3]}")
    # the surround: border rows and columns are cut away
    check(all(not opaque[0][x] and not opaque[99][x] for x in range(220)), "image1.bmp: top or bottom row not white")
    check(all(not opaque[y][0] and not opaque[y][219] for y in range(100)), "image1.bmp: side column not white")
    # one piece: every opaque pixel reachable from the centre
    seen = {(110, 50)}
    todo = [(110, 50)]
    while todo:
        x, y = todo.pop()
        for nx, ny in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
            if 0 <= nx < 220 and 0 <= ny < 100 and opaque[ny][nx] and (nx, ny) not in seen:
                seen.add((nx, ny))
                todo.append((nx, ny))
    count = sum(map(sum, opaque))
    check(len(seen) == count, "image1.bmp: the opaque part is not one piece")
    return opaque, count, row_runs(rows)


def check_skins(assets, outline):
    for name in SKINS:
        path = os.path.join(assets, "skin", name)
        if not check(os.path.isfile(path), f"missing skin {name}"):
            continue
        width, height, bits, _, rows = read_bmp(path)
        check((width, height) == (220, 100), f"{name} is {width} x {height}")
        check(bits in (8, 24), f"{name} is {bits}-bit")
        if (width, height) != (220, 100):
            continue
        diff = [(x, y) for y in range(100) for x in range(220) if (rows[y][x] != WHITE) != outline[y][x]]
        check(not diff, f"{name}: outline differs from image1.bmp at {len(diff)} pixels, e.g. {diff[:3]}")


def check_small_icons(assets):
    for name, size in (("image4.bmp", (15, 15)), ("image5.bmp", (22, 19))):
        width, height, bits, _, rows = read_bmp(os.path.join(assets, "builtin", name))
        check((width, height) == size, f"{name} is {width} x {height}, not {size[0]} x {size[1]}")
        check(bits == 24, f"{name} is {bits}-bit, not 24-bit")
        check(rows[-1][0] == WHITE, f"{name}: bottom-left pixel is not white")
        drawn = sum(p != WHITE for row in rows for p in row)
        check(drawn > width * height // 5, f"{name}: almost nothing drawn")
        specks = [(x, y) for y, row in enumerate(rows) for x, p in enumerate(row) if min(p) >= 245 and p != WHITE]
        check(not specks, f"{name}: near-white pixels at {specks[:3]}")


def check_app_icon(assets):
    images = read_ico(os.path.join(assets, "builtin", "veludor.ico"))
    check((16, 16, 4, 16) in images, f"veludor.ico has no 16 x 16 image in 16 colours: {images}")
    check(any(w == h == 32 and bits == 32 for w, h, bits, _ in images), f"veludor.ico has no 32 x 32 32-bit image: {images}")
    for n in ICON_SIZES:
        path = os.path.join(assets, "icons", "hicolor", f"{n}x{n}", "apps", "veludor.png")
        if not check(os.path.isfile(path), f"missing {os.path.relpath(path, assets)}"):
            continue
        width, height, depth, colour = read_png_header(path)
        check((width, height) == (n, n), f"{n}x{n} PNG is {width} x {height}")
        check(colour == 6 and depth == 8, f"{n}x{n} PNG is not 8-bit RGBA")


def check_font(assets, system_font):
    path = os.path.join(assets, "DS-DIGI.TTF")
    with open(path, "rb") as f:
        data = f.read()
    check(data[:4] == b"\x00\x01\x00\x00", "DS-DIGI.TTF is not a TrueType font")
    check(b"D\x00S\x00E\x00G\x007\x00" in data or b"\x00D\x00S\x00E\x00G\x007" in data, "DS-DIGI.TTF lacks its DSEG7 names")
    if os.path.isfile(system_font):
        with open(system_font, "rb") as f:
            check(f.read() == data, "DS-DIGI.TTF differs from the fonts-dseg file")
    with open(os.path.join(assets, "DS-DIGI-LICENCE.txt"), encoding="utf-8") as f:
        text = f.read()
    check("SIL OPEN FONT LICENSE Version 1.1" in text, "licence text lacks the OFL title")
    check("Copyright 2017-2020 keshikan" in text, "licence text lacks the copyright line")
    check("DISCLAIMER" in text and "TERMINATION" in text, "licence text is incomplete")


def check_sound(assets):
    path = os.path.join(assets, "alarm.mp3")
    seconds, rate, channels, bitrate = mp3_info(path)
    size = os.path.getsize(path)
    check(2.0 <= seconds <= 4.2, f"alarm.mp3 lasts {seconds:.2f} s")
    check(rate == 44100 and channels == 1, f"alarm.mp3 is {rate} Hz with {channels} channels")
    check(size < 60 * 1024, f"alarm.mp3 is {size} bytes")
    return seconds, bitrate, size


def check_fresh(assets):
    """Regenerate into a temporary folder and compare every file byte for byte."""
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run(
            [sys.executable, os.path.join(HERE, "make_assets.py"), "--output", tmp],
            check=True,
            stdout=subprocess.DEVNULL,
        )
        for root, _, files in os.walk(tmp):
            for name in files:
                fresh = os.path.join(root, name)
                rel = os.path.relpath(fresh, tmp)
                kept = os.path.join(assets, rel)
                if not check(os.path.isfile(kept), f"{rel} is generated but not in the assets"):
                    continue
                with open(fresh, "rb") as a, open(kept, "rb") as b:
                    check(a.read() == b.read(), f"{rel} differs from a fresh generation")


def main(argv=None):
    parser = argparse.ArgumentParser(description="Check the clock's assets.")
    parser.add_argument("--assets", default=os.path.join(os.path.dirname(HERE), "assets"))
    parser.add_argument("--fresh", action="store_true", help="also regenerate and compare bytes")
    parser.add_argument("--system-font", default="/usr/share/fonts/truetype/dseg/DSEG7Classic-Bold.ttf")
    args = parser.parse_args(argv)
    assets = args.assets

    outline, opaque_count, runs = check_builtin(assets)
    check_skins(assets, outline)
    check_small_icons(assets)
    check_app_icon(assets)
    check_font(assets, args.system_font)
    seconds, bitrate, size = check_sound(assets)
    if args.fresh:
        check_fresh(assets)

    print(f"image1.bmp: {opaque_count} opaque pixels in {runs} row runs")
    print(f"alarm.mp3: {seconds:.2f} s, {bitrate} kbit/s, {size} bytes")
    for message in failures:
        print("FAIL:", message)
    print("assets: " + ("all checks passed" if not failures else f"{len(failures)} failure(s)"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
