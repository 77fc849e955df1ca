"""The clock's seven-segment font: a byte copy of DSEG7 Classic Bold from Debian's
fonts-dseg package, shipped as DS-DIGI.TTF, and its licence text taken from the
package's copyright file. The font is copied unchanged (its internal names
included), as its licence asks of a redistributed original.
"""

import shutil
import struct

DEBIAN_FONT = "/usr/share/fonts/truetype/dseg/DSEG7Classic-Bold.ttf"
DEBIAN_COPYRIGHT = "/usr/share/doc/fonts-dseg/copyright"


def font_names(data):
    """The Windows-platform name records of a TrueType font: {name id: text}."""
    count = struct.unpack(">H", data[4:6])[0]
    tables = {}
    for i in range(count):
        tag, _, offset, length = struct.unpack(">4sIII", data[12 + 16 * i : 28 + 16 * i])
        tables[tag] = (offset, length)
    base = tables[b"name"][0]
    records, strings = struct.unpack(">HH", data[base + 2 : base + 6])
    names = {}
    for i in range(records):
        pid, eid, _, nid, length, off = struct.unpack(">6H", data[base + 6 + 12 * i : base + 18 + 12 * i])
        if pid == 3 and eid in (0, 1):
            raw = data[base + strings + off : base + strings + off + length]
            names.setdefault(nid, raw.decode("utf-16-be"))
    return names


def _font_paragraph(copyright_text):
    """(copyright line, licence text) of the 'Files: *' paragraph of a Debian
    machine-readable copyright file."""
    paragraphs = copyright_text.split("\n\n")
    for para in paragraphs:
        lines = para.split("\n")
        if not lines or lines[0].strip() != "Files: *":
            continue
        holder = None
        licence = []
        in_licence = False
        for line in lines[1:]:
            if line.startswith("Copyright:"):
                holder = line[len("Copyright:") :].strip()
                in_licence = False
            elif line.startswith("License:"):
                in_licence = True
            elif in_licence and line.startswith(" "):
                body = line[1:]
                licence.append("" if body.strip() == "." else body)
            elif not line.startswith(" "):
                in_licence = False
        if holder and licence:
            return holder, "\n".join(licence)
    raise ValueError("no font paragraph in the copyright file")


def write_font(destination, source=DEBIAN_FONT):
    shutil.copyfile(source, destination)


def licence_text(font_path=DEBIAN_FONT, copyright_path=DEBIAN_COPYRIGHT):
    with open(font_path, "rb") as f:
        names = font_names(f.read())
    with open(copyright_path, encoding="utf-8") as f:
        holder, licence = _font_paragraph(f.read())
    version = names.get(5, "").strip()
    return (
        "DS-DIGI.TTF\n"
        "===========\n\n"
        "DS-DIGI.TTF is an unmodified copy of the font file DSEG7Classic-Bold.ttf\n"
        f"(family \"{names.get(1, '')}\", style \"{names.get(2, '')}\", {version}),\n"
        "part of the DSEG fonts, as packaged in Debian's fonts-dseg. Only the file\n"
        "name differs; the font's internal names are those of the original.\n\n"
        f"Copyright {holder}\n\n"
        "This Font Software is licensed under the SIL Open Font License, Version 1.1.\n\n"
        "-----------------------------------------------------------\n"
        "SIL OPEN FONT LICENSE Version 1.1 - 26 February 2007\n"
        "-----------------------------------------------------------\n\n"
        f"{licence}\n"
    )
