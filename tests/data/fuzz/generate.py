#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets (tests/fuzz), one folder per target.

picture_bmp   bitmaps of every variant the decoder reads (1, 4, 8, 16, 24, 32 bits,
              RLE4, RLE8, bit fields, top-down, core, info, V2 to V5 headers, odd
              widths) and broken ones (cut headers and pixels, offsets past the end,
              zero, negative and huge sizes, unknown compression, a PNG, nothing)
picture_ico   small icons (bitmap and PNG images) and broken ones
picture_jpeg  small JPEG pictures (baseline, progressive, grey, CMYK, restart
              markers, subsampling) made with ImageMagick's convert, and broken ones
profile       section, key, value and settings file, separated by the byte 0x1F
strtotime     times of day, right and wrong
separateurs   one byte for the field number, then separator 0x1F text
wraptext      column limit byte, mode byte, then the caption (mode 2: break string
              0x1F break characters 0x1F text)

Inputs that once made a target fail live in <target>/regressions/ and are kept by
scripts/fuzz, not by this script. Run it from anywhere: the folders land beside it.
"""
import pathlib
import shutil
import struct
import subprocess
import tempfile
import zlib

HERE = pathlib.Path(__file__).resolve().parent
US = b"\x1f"


def write(target, name, data):
    folder = HERE / target
    folder.mkdir(exist_ok=True)
    (folder / name).write_bytes(data)


def clear(target):
    """Removes the old seeds of a target, never its regressions."""
    folder = HERE / target
    if folder.exists():
        for f in folder.iterdir():
            if f.is_file():
                f.unlink()


# --- bitmaps ------------------------------------------------------------------------

def rows(row_bytes, count):
    """count rows of the given bytes, each padded to four bytes."""
    out = b""
    for i in range(count):
        row = bytes((b + i * 7) & 0xFF for b in row_bytes)
        out += row + b"\0" * ((4 - len(row) % 4) % 4)
    return out


def palette(count, entry=4):
    out = b""
    for i in range(count):
        c = (i * 37 & 0xFF, i * 91 & 0xFF, i * 53 & 0xFF)
        out += bytes(c) + (b"\0" if entry == 4 else b"")
    return out


def bmp(width, height, bits, pixels, compression=0, info=40, colours=None, masks=None,
        offset=None, planes=1, colours_used=0):
    """A bitmap file; colours is the palette's bytes (default: full for <= 8 bits)."""
    if colours is None:
        colours = palette(1 << bits, 3 if info == 12 else 4) if bits <= 8 else b""
    if info == 12:
        header = struct.pack("<IHHHH", 12, width & 0xFFFF, height & 0xFFFF, planes, bits)
    else:
        header = struct.pack("<IiiHHIIiiII", info, width, height, planes, bits, compression,
                             len(pixels), 2835, 2835, colours_used, 0)
        if info >= 52:
            m = (masks or [0, 0, 0]) + [0]
            header += struct.pack("<IIII", *m[:4])[: info - 40]
            header += b"\0" * (info - len(header))
        elif masks:
            header += struct.pack("<III", *masks)
    body = header + colours
    pixel_offset = 14 + len(body) if offset is None else offset
    return b"BM" + struct.pack("<IHHI", 14 + len(body) + len(pixels), 0, 0, pixel_offset) + body + pixels


def rle8_data():
    # runs, a literal run of 3, a move right and up, end of line, end of bitmap
    return bytes([3, 1, 2, 5, 0, 3, 7, 8, 9, 0, 0, 2, 1, 1, 2, 4, 0, 0, 4, 6, 0, 1])


def rle4_data():
    return bytes([5, 0x12, 0, 3, 0x34, 0x50, 0, 0, 2, 0x77, 0, 2, 2, 0, 3, 0xAB, 0, 1])


def bitmaps():
    t = "picture_bmp"
    clear(t)
    w = lambda name, data: write(t, name + ".bmp", data)
    w("1bit_13x3", bmp(13, 3, 1, rows(b"\xAA\x55", 3)))
    w("1bit_1x1_two_colours_used", bmp(1, 1, 1, rows(b"\x80", 1), colours=palette(2), colours_used=2))
    w("4bit_5x4", bmp(5, 4, 4, rows(b"\x01\x23\x40", 4)))
    w("4bit_short_palette", bmp(3, 2, 4, rows(b"\x0F\xF0", 2), colours=palette(3), colours_used=3))
    w("8bit_7x3", bmp(7, 3, 8, rows(bytes(range(7)), 3)))
    w("8bit_index_past_palette", bmp(4, 1, 8, rows(b"\x00\x01\x05\xFF", 1), colours=palette(2), colours_used=2))
    w("16bit_555_3x2", bmp(3, 2, 16, rows(b"\x00\x7C\xE0\x03\x1F\x00", 2)))
    w("16bit_565_bitfields", bmp(3, 2, 16, rows(b"\x00\xF8\xE0\x07\x1F\x00", 2), compression=3,
                                 masks=[0xF800, 0x07E0, 0x001F]))
    w("16bit_444_bitfields_v3", bmp(2, 2, 16, rows(b"\x0F\x00\xF0\x0F", 2), compression=3, info=56,
                                    masks=[0x0F00, 0x00F0, 0x000F, 0xF000]))
    w("24bit_3x3", bmp(3, 3, 24, rows(b"\x00\x00\xFF\x00\xFF\x00\xFF\x00\x00", 3)))
    w("24bit_1x2_padded", bmp(1, 2, 24, rows(b"\x10\x20\x30", 2)))
    w("24bit_top_down", bmp(2, -3, 24, rows(b"\x01\x02\x03\x04\x05\x06", 3)))
    w("32bit_2x2", bmp(2, 2, 32, rows(b"\x00\x00\xFF\x80\xFF\xFF\xFF\x00", 2)))
    w("32bit_bitfields_rgba", bmp(2, 1, 32, rows(b"\x11\x22\x33\x44\x55\x66\x77\x88", 1), compression=3,
                                  masks=[0x000000FF, 0x0000FF00, 0x00FF0000]))
    w("32bit_bitfields_v4", bmp(2, 2, 32, rows(b"\x00\x00\xFF\x00\x00\xFF\x00\x00", 2), compression=3,
                                info=108, masks=[0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000]))
    w("32bit_top_down_v5", bmp(1, -2, 32, rows(b"\x01\x02\x03\x00", 2), info=124))
    w("24bit_v2_header", bmp(2, 1, 24, rows(b"\x01\x02\x03\x04\x05\x06", 1), info=52))
    w("8bit_v5_header", bmp(3, 2, 8, rows(b"\x00\x01\x02", 2), info=124))
    w("core_1bit", bmp(9, 2, 1, rows(b"\xF0\x80", 2), info=12))
    w("core_4bit", bmp(3, 2, 4, rows(b"\x12\x30", 2), info=12))
    w("core_8bit", bmp(2, 2, 8, rows(b"\x00\x01", 2), info=12))
    w("core_24bit", bmp(2, 2, 24, rows(b"\x00\xFF\x00\xFF\x00\x00", 2), info=12))
    w("rle8_6x4", bmp(6, 4, 8, rle8_data(), compression=1))
    w("rle8_no_end_mark", bmp(4, 3, 8, bytes([2, 1, 0, 0, 3, 2]), compression=1))
    w("rle8_runs_past_right_edge", bmp(2, 2, 8, bytes([9, 1, 0, 0, 0, 5, 1, 2, 3, 4, 5, 0, 0, 1]), compression=1))
    w("rle4_7x3", bmp(7, 3, 4, rle4_data(), compression=2))
    w("rle4_odd_literal", bmp(5, 1, 4, bytes([0, 5, 0x12, 0x34, 0x50, 0, 0, 1]), compression=2))
    w("odd_width_24bit_5x2", bmp(5, 2, 24, rows(bytes(range(15)), 2)))
    w("odd_width_1bit_33x2", bmp(33, 2, 1, rows(b"\xFF\x00\xFF\x00\x80", 2)))
    w("widest_16384x1_1bit", bmp(16384, 1, 1, rows(b"\x55" * 2048, 1)))
    # broken ones
    good = bmp(3, 3, 24, rows(b"\x00\x00\xFF\x00\xFF\x00\xFF\x00\x00", 3))
    w("broken_empty", b"")
    w("broken_bm_only", b"BM")
    w("broken_file_header_only", good[:14])
    w("broken_info_header_cut", good[:30])
    w("broken_pixels_cut", good[:-1])
    w("broken_palette_cut", bmp(2, 2, 8, b"", colours=palette(40)))
    w("broken_offset_past_end", bmp(3, 3, 24, rows(b"\x00" * 9, 3), offset=4000))
    w("broken_offset_inside_header", bmp(3, 3, 24, rows(b"\x00" * 9, 3), offset=20))
    w("broken_width_zero", bmp(0, 3, 24, rows(b"", 3)))
    w("broken_width_negative", bmp(-3, 3, 24, rows(b"\x00" * 9, 3)))
    w("broken_height_zero", bmp(3, 0, 24, b""))
    w("broken_height_int_min", bmp(3, -2**31, 24, rows(b"\x00" * 9, 1)))
    w("broken_huge_20000x20000", bmp(20000, 20000, 24, rows(b"\x00" * 9, 1)))
    w("broken_huge_16384x16384_rle8", bmp(16384, 16384, 8, bytes([0, 1]), compression=1))
    w("broken_huge_rle4_past_pixel_bound", bmp(8192, 8193, 4, bytes([0, 1]), compression=2))
    w("broken_huge_width_one_row", bmp(20000, 1, 1, rows(b"\x00" * 2500, 1)))
    w("broken_unknown_compression", bmp(3, 3, 24, rows(b"\x00" * 9, 3), compression=9))
    w("broken_jpeg_compression", bmp(3, 3, 24, rows(b"\x00" * 9, 3), compression=4))
    w("broken_rle8_with_4_bits", bmp(2, 2, 4, bytes([0, 1]), compression=1))
    w("broken_bitfields_with_24_bits", bmp(1, 1, 24, rows(b"\x00" * 3, 1), compression=3, masks=[0xFF0000, 0xFF00, 0xFF]))
    w("broken_bitfields_missing", bmp(1, 1, 16, b"", compression=3))
    w("broken_mask_with_gap", bmp(1, 1, 16, rows(b"\x00\x00", 1), compression=3, masks=[0xF00F, 0x07E0, 0x001F]))
    w("broken_top_down_rle8", bmp(2, -2, 8, bytes([0, 1]), compression=1))
    w("broken_two_planes", bmp(1, 1, 24, rows(b"\x00" * 3, 1), planes=2))
    w("broken_2_bits", bmp(1, 1, 2, rows(b"\x00", 1), colours=palette(4)))
    w("broken_header_size_64", bmp(1, 1, 24, rows(b"\x00" * 3, 1), info=64))
    w("broken_too_many_colours", bmp(1, 1, 1, rows(b"\x00", 1), colours=palette(3), colours_used=3))
    w("broken_png_named_bmp", png(3, 2))


# --- PNG, icons ---------------------------------------------------------------------

def png(width, height, rgba=False):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    channels = 4 if rgba else 3
    raw = b"".join(b"\0" + bytes((x * 40 + y * 17 + c * 60) & 0xFF for x in range(width) for c in range(channels))
                   for y in range(height))
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6 if rgba else 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def icon_dib(size, bits):
    """An icon image: info header with doubled height, palette, colour rows, mask rows."""
    colours = palette(1 << bits) if bits <= 8 else b""
    stride = (size * bits + 31) // 32 * 4
    xor = bytes((i * 29) & 0xFF for i in range(stride * size))
    mask_stride = (size + 31) // 32 * 4
    mask = bytes(0xF0 if i % 3 == 0 else 0 for i in range(mask_stride * size))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + colours + xor + mask


def ico(images, kind=1, entries=None):
    """An icon file of (width, height, bits, data) images."""
    count = len(images) if entries is None else entries
    out = struct.pack("<HHH", 0, kind, count)
    offset = 6 + 16 * len(images)
    body = b""
    for width, height, bits, data in images:
        out += struct.pack("<BBBBHHII", width & 0xFF, height & 0xFF, 0 if bits >= 8 else 1 << bits, 0, 1, bits,
                           len(data), offset + len(body))
        body += data
    return out + body


def icons():
    t = "picture_ico"
    clear(t)
    w = lambda name, data: write(t, name + ".ico", data)
    w("1bit_16", ico([(16, 16, 1, icon_dib(16, 1))]))
    w("4bit_16", ico([(16, 16, 4, icon_dib(16, 4))]))
    w("8bit_16", ico([(16, 16, 8, icon_dib(16, 8))]))
    w("24bit_8", ico([(8, 8, 24, icon_dib(8, 24))]))
    w("32bit_16", ico([(16, 16, 32, icon_dib(16, 32))]))
    w("png_12", ico([(12, 12, 32, png(12, 12, rgba=True))]))
    w("two_sizes", ico([(16, 16, 4, icon_dib(16, 4)), (32, 32, 32, icon_dib(32, 32))]))
    w("bitmap_and_png", ico([(8, 8, 8, icon_dib(8, 8)), (16, 16, 32, png(16, 16, rgba=True))]))
    good = ico([(16, 16, 4, icon_dib(16, 4))])
    w("broken_empty", b"")
    w("broken_directory_only", good[:6])
    w("broken_no_images", struct.pack("<HHH", 0, 1, 0))
    w("broken_cursor_type", ico([(16, 16, 4, icon_dib(16, 4))], kind=2))
    w("broken_more_entries_than_file", ico([(16, 16, 4, icon_dib(16, 4))], entries=40))
    w("broken_image_cut", good[:-30])
    w("broken_offset_past_end", good[:18] + struct.pack("<I", 100000) + good[22:])
    w("broken_huge_bitmap", ico([(0, 0, 32, struct.pack("<IiiHHIIiiII", 40, 60000, 120000, 1, 32, 0, 0, 0, 0, 0, 0)
                                  + b"\0" * 64)]))
    w("broken_huge_png", ico([(0, 0, 32, png(2, 2)[:16] + struct.pack(">II", 70000, 70000) + png(2, 2)[24:])]))
    w("broken_bmp_bits_3", ico([(4, 4, 3, icon_dib(4, 8)[:14] + b"\x03\x00" + icon_dib(4, 8)[16:])]))


# --- JPEG ---------------------------------------------------------------------------

def ppm(width, height):
    pixels = bytes((x * 255 // max(1, width - 1), y * 255 // max(1, height - 1), (x * y * 13) & 0xFF)[c]
                   for y in range(height) for x in range(width) for c in range(3))
    return b"P6\n%d %d\n255\n" % (width, height) + pixels


def convert(source, *options):
    with tempfile.TemporaryDirectory() as d:
        out = pathlib.Path(d) / "out.jpg"
        subprocess.run(["convert", "ppm:-", "-strip", *options, "jpeg:" + str(out)], input=source, check=True)
        return out.read_bytes()


def jpegs():
    t = "picture_jpeg"
    if not shutil.which("convert"):
        print("convert (ImageMagick) is missing: the JPEG seeds are left as they are")
        return
    clear(t)
    w = lambda name, data: write(t, name + ".jpg", data)
    small = ppm(16, 8)
    odd = ppm(13, 7)
    w("baseline_420", convert(small, "-quality", "75", "-sampling-factor", "2x2"))
    w("baseline_444_odd", convert(odd, "-quality", "90", "-sampling-factor", "1x1"))
    w("baseline_422", convert(odd, "-quality", "60", "-sampling-factor", "2x1"))
    w("progressive", convert(small, "-interlace", "JPEG", "-quality", "70"))
    w("grey", convert(odd, "-colorspace", "Gray", "-quality", "80"))
    w("cmyk", convert(small, "-colorspace", "CMYK", "-quality", "80"))
    w("restart_markers", convert(small, "-define", "jpeg:restart-interval=1", "-quality", "50"))
    w("one_pixel", convert(ppm(1, 1), "-quality", "50"))
    w("optimized_tables", convert(odd, "-define", "jpeg:optimize-coding=true", "-quality", "30"))
    good = convert(small, "-quality", "75")
    scan = good.index(b"\xff\xda")
    w("broken_empty", b"")
    w("broken_soi_only", good[:2])
    w("broken_cut_in_tables", good[: scan // 2])
    w("broken_markers_only", good[:scan])
    w("broken_cut_in_scan", good[: scan + (len(good) - scan) // 2])
    w("broken_no_end_marker", good[:-2])
    w("broken_not_jpeg", b"Ceci n'est pas une image")
    sof = good.index(b"\xff\xc0")
    w("broken_huge_65535", good[: sof + 5] + struct.pack(">HH", 65535, 65535) + good[sof + 9:])
    w("broken_huge_16384x4096", good[: sof + 5] + struct.pack(">HH", 4096, 16384) + good[sof + 9:])
    w("broken_zero_width", good[: sof + 5] + struct.pack(">HH", 8, 0) + good[sof + 9:])


# --- text inputs ----------------------------------------------------------------------

def profiles():
    t = "profile"
    clear(t)

    def w(name, section, key, value, content):
        write(t, name, US.join([section.encode(), key.encode(), value.encode("utf-8"), content]))

    w("crlf_replace", "form", "couleur", "argent.bmp", b"[form]\r\ncouleur=horlnoirrose.bmp\r\n")
    w("lf_replace", "form", "couleur", "bleu.bmp", b"[form]\ncouleur=horlnoirrose.bmp\n")
    w("bom", "form", "couleur", "vert.bmp", b"\xef\xbb\xbf[form]\r\ncouleur=rouge.bmp\r\n")
    w("no_final_newline", "form", "couleur", "a.bmp", b"[form]\r\ncouleur=b.bmp")
    w("new_file", "form", "couleur", "horlnoirrose.bmp", b"")
    w("bom_only", "form", "couleur", "x.bmp", b"\xef\xbb\xbf")
    w("new_section", "form", "couleur", "x.bmp", b"[autre]\r\ncle=valeur\r\n\r\n")
    w("new_key_in_section", "Form", "COULEUR", "x.bmp", b"; settings\r\n[FORM]\r\nposition=3\r\n\r\n[next]\r\nk=v\r\n")
    w("quoted_and_blanks", " form ", " couleur ", " 'rock&roll.bmp' ", b"[ form ]\r\n  couleur =  \"old\"  \r\n")
    w("key_without_equals", "form", "couleur", "z.bmp", b"[form]\ncouleur\nautre=1\n")
    w("duplicate_sections", "form", "couleur", "2.bmp", b"[form]\nx=1\n[form]\ncouleur=1\n")
    w("latin1_file", "form", "couleur", "\u00e9t\u00e9.bmp", b"[form]\r\ncouleur=\xe9t\xe9.bmp\r\nnom=Fran\xe7ois\r\n")
    w("latin1_file_wide_value", "form", "couleur", "\u20ac.bmp", b"[form]\r\ncouleur=\xe9.bmp\r\n")
    # Latin-1 only through the old value: the new one's Latin-1 bytes would read as UTF-8.
    w("latin1_file_turning_utf8", "form", "couleur", "\u00c3\u00a9", b"[form]\r\ncouleur=\xe9\r\n")
    w("latin1_file_turning_ascii", "form", "couleur", "x", b"[form]\r\ncouleur=\xe9\r\n")
    w("utf8_value", "form", "couleur", "\u00e9t\u00e9 \u2603.bmp", b"[form]\ncouleur=x\n")
    w("empty_value", "form", "couleur", "", b"[form]\ncouleur=\n")
    w("long_value", "form", "couleur", "n" * 2100 + ".bmp", b"[form]\r\ncouleur=a\r\n")
    w("bad_key_equals", "form", "a=b", "v", b"[form]\r\n")
    w("bad_key_bracket", "form", "[k", "v", b"")
    w("bad_key_comment", "form", ";k", "v", b"")
    w("bad_key_blank", "form", "  ", "v", b"")
    w("bad_section_bracket", "fo]rm", "k", "v", b"")
    w("bad_value_newline", "form", "k", "a\nb", b"")
    w("garbage_file", "form", "couleur", "x.bmp", bytes(range(256)) * 2)
    w("comments_and_odd_lines", "form", "couleur", "x.bmp",
      b";[form]\r\n[broken\r\n=novalue\r\n  [form]  trailing\r\n\tcouleur\t=\tv\t\r\n")
    w("cr_only_line_ends", "form", "couleur", "x.bmp", b"[form]\rcouleur=y\r")
    w("mixed_line_ends", "form", "k", "x", b"[a]\r\nb=1\n[form]\nk=2\r\n")


def times():
    t = "strtotime"
    clear(t)
    for i, text in enumerate(["07:05", " 7 : 5 ", "23:59:59", "0:0:0", "24:00", "7:60", "7:05:60", "7", "7:",
                              ":5", "07:05:", "0000000000000000007:5", "\u0663:\u0664", "7.05", "7:05 pm",
                              "", " ", "99999999999999999999:1", "7 :05 : 09 ", "\t7:05", "7:05\n", "-1:05",
                              "+7:05", "7::5", "\uff17:05"]):
        write(t, "%02d" % i, text.encode("utf-8"))


def separators():
    t = "separateurs"
    clear(t)
    for i, (n, sep, text) in enumerate([(0, ",", "3,0,2"), (1, ",", "3,0,2"), (2, ",", "3,0,2"),
                                         (3, ",", "3,0,2"), (5, ",", "3,0,2,"), (-1, ",", "a,b"),
                                         (0x7F, ",", ",,,"), (0x80, ",", "x"), (1, "", "a,b"),
                                         (2, "ab", "xabyabz"), (1, "aa", "aaaaa"), (0, ",", ""),
                                         (4, "\u00e9", "1\u00e92\u00e9\u00e93")]):
        write(t, "%02d" % i, bytes([n & 0xFF]) + sep.encode() + US + text.encode())


def captions():
    t = "wraptext"
    clear(t)
    seeds = [(8, 0, "Extinction  du PC"), (12, 0, "Alerte Sonnore"), (5, 0, "l'heure d'\u00e9t\u00e9 - fin."),
             (4, 0, "un \"deux trois\" quatre cinq"), (3, 0, "a|b c|d e"), (0, 0, "a b"), (0x7F, 0, "x y z"),
             (0x80, 1, "x y z"), (6, 1, "ligne\r\nsuivante et encore"), (4, 1, "'quoted run' here and there"),
             (2, 1, "a.b-c\td e"), (10, 1, "a\r\n\r\n b\r\nc d e f g h i j k"), (3, 1, "ab cd e"),
             (-3, 1, "a b c")]
    for i, (col, mode, text) in enumerate(seeds):
        write(t, "%02d" % i, bytes([col & 0xFF, mode]) + text.encode())
    write(t, "20", bytes([4, 2]) + b"<br>" + US + b" ," + US + b"un deux,trois<br>quatre cinq")
    write(t, "21", bytes([2, 2]) + b"" + US + b"" + US + b"abc def")
    write(t, "22", bytes([3, 2]) + b"\n" + US + b"\n " + US + b"a b\nc d\n\ne")


if __name__ == "__main__":
    bitmaps()
    icons()
    jpegs()
    profiles()
    times()
    separators()
    captions()
