"""Writers for the picture formats the program ships: Windows BMP (8 and 24 bits),
PNG (RGBA) and ICO (4-bit and 32-bit images).

Pictures are passed as lists of rows, top row first; each pixel is an (r, g, b)
or (r, g, b, a) tuple of 0..255 integers. Everything here is plain Python so the
output depends on nothing but the input: same pixels, same bytes.
"""

import struct
import zlib

BMP_PIXELS_PER_METRE = 2835  # 72 dots per inch


def _bmp_info_header(width, height, bit_count, image_size, colours_used):
    # BITMAPINFOHEADER; a positive height means the rows are stored bottom-up.
    return struct.pack(
        "<IiiHHIIiiII",
        40,
        width,
        height,
        1,
        bit_count,
        0,  # BI_RGB, no compression
        image_size,
        BMP_PIXELS_PER_METRE,
        BMP_PIXELS_PER_METRE,
        colours_used,
        0,
    )


def _row_stride(width, bit_count):
    return ((width * bit_count + 31) // 32) * 4


def _bmp_file(header_and_palette, pixel_data):
    offset = 14 + len(header_and_palette)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixel_data), 0, 0, offset)
    return file_header + header_and_palette + pixel_data


def bmp24(rows):
    """A 24-bit bottom-up BMP of the given RGB rows."""
    height = len(rows)
    width = len(rows[0])
    stride = _row_stride(width, 24)
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in (p[:3] for p in row):
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        data += line
    header = _bmp_info_header(width, height, 24, len(data), 0)
    return _bmp_file(header, bytes(data))


def bmp8(indices, palette):
    """An 8-bit bottom-up BMP: indices are rows of palette indices, palette a list of
    at most 256 RGB tuples (padded with black to 256 entries)."""
    if len(palette) > 256:
        raise ValueError("palette holds more than 256 colours")
    height = len(indices)
    width = len(indices[0])
    stride = _row_stride(width, 8)
    full = list(palette) + [(0, 0, 0)] * (256 - len(palette))
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in full)
    data = bytearray()
    for row in reversed(indices):
        line = bytes(row)
        data += line + bytes(stride - len(line))
    header = _bmp_info_header(width, height, 8, len(data), 256)
    return _bmp_file(header + pal, bytes(data))


def png_rgba(rows):
    """A non-interlaced 8-bit RGBA PNG."""
    height = len(rows)
    width = len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter type None
        for p in row:
            raw += bytes(p if len(p) == 4 else (*p, 255))

    def chunk(kind, body):
        crc = zlib.crc32(kind + body) & 0xFFFFFFFF
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", crc)

    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", ihdr)
        + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
        + chunk(b"IEND", b"")
    )


def _and_mask(rows, transparent):
    """The 1-bit AND mask of an icon image: 1 where the pixel is see-through."""
    height = len(rows)
    width = len(rows[0])
    stride = _row_stride(width, 1)
    data = bytearray()
    for y in range(height - 1, -1, -1):
        line = bytearray(stride)
        for x in range(width):
            if transparent(x, y):
                line[x // 8] |= 0x80 >> (x % 8)
        data += line
    return bytes(data)


def ico_image_4bit(indices, palette, transparent_index):
    """One 16-colour icon image (DIB with its AND mask). Pixels of
    transparent_index are left out through the mask and stored as black."""
    if len(palette) > 16:
        raise ValueError("a 4-bit icon holds at most 16 colours")
    height = len(indices)
    width = len(indices[0])
    stride = _row_stride(width, 4)
    full = list(palette) + [(0, 0, 0)] * (16 - len(palette))
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in full)
    xor = bytearray()
    black = full.index((0, 0, 0))
    for row in reversed(indices):
        line = bytearray(stride)
        for x, i in enumerate(row):
            v = black if i == transparent_index else i
            line[x // 2] |= v << (4 if x % 2 == 0 else 0)
        xor += line
    mask = _and_mask(indices, lambda x, y: indices[y][x] == transparent_index)
    header = _bmp_info_header(width, height * 2, 4, len(xor) + len(mask), 16)
    return header + pal + bytes(xor) + mask, width, height, 16, 4


def ico_image_32bit(rows):
    """One 32-bit icon image with alpha (BGRA DIB plus an AND mask for readers
    that ignore alpha)."""
    height = len(rows)
    width = len(rows[0])
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask = _and_mask(rows, lambda x, y: rows[y][x][3] == 0)
    header = _bmp_info_header(width, height * 2, 32, len(xor) + len(mask), 0)
    return header + bytes(xor) + mask, width, height, 0, 32


def ico(images):
    """An ICO file of the given images (results of ico_image_4bit / ico_image_32bit)."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    directory = b""
    bodies = b""
    for body, width, height, colours, bits in images:
        directory += struct.pack(
            "<BBBBHHII",
            width % 256,
            height % 256,
            colours,
            0,
            1,
            bits,
            len(body),
            offset + len(bodies),
        )
        bodies += body
    return out + directory + bodies
