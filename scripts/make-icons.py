#!/usr/bin/env python3
"""Writes the program's 16-colour .ico files and its monochrome drag cursor (.cur) into res/icons/
from the pixel maps below.

Run it again after editing a map and commit the regenerated files with it:
    python3 scripts/make-icons.py [output-folder]

One character is one pixel: '.' is transparent, every other character names a colour of the
standard 16-colour palette (see COLOURS). The output is the same byte for byte on every run.
"""

import os
import struct
import sys

# (character, RGB) in palette order; the index in this list is the 4-bit pixel value.
COLOURS = [
    ("K", (0x00, 0x00, 0x00)),  # black
    ("r", (0x80, 0x00, 0x00)),  # dark red
    ("g", (0x00, 0x80, 0x00)),  # dark green
    ("y", (0x80, 0x80, 0x00)),  # dark yellow
    ("b", (0x00, 0x00, 0x80)),  # dark blue
    ("m", (0x80, 0x00, 0x80)),  # dark magenta
    ("c", (0x00, 0x80, 0x80)),  # dark cyan
    ("s", (0xC0, 0xC0, 0xC0)),  # silver
    ("d", (0x80, 0x80, 0x80)),  # dark grey
    ("R", (0xFF, 0x00, 0x00)),  # red
    ("G", (0x00, 0xFF, 0x00)),  # green
    ("Y", (0xFF, 0xFF, 0x00)),  # yellow
    ("B", (0x00, 0x00, 0xFF)),  # blue
    ("M", (0xFF, 0x00, 0xFF)),  # magenta
    ("C", (0x00, 0xFF, 0xFF)),  # cyan
    ("W", (0xFF, 0xFF, 0xFF)),  # white
]
TRANSPARENT = "."
INDEX = {ch: i for i, (ch, _) in enumerate(COLOURS)}

CLIPBOARD_32 = [
    ".............dddddd.............",
    "............dWWWWWWd............",
    "............dssKKssd............",
    "............dssKKssd............",
    "...KKKKKKKKKdssssssdKKKKKKKKK...",
    "..KyyyyyyydddssssssdddyyyyyyyK..",
    "..KyyyyyydWWWssssssWWWdyyyyyyK..",
    "..KyyyyyydssssssssssssdyyyyyyK..",
    "..KyyyyWWdssssssssssssdWWyyyyK..",
    "..KyyyyWWddddddddddddddWWdyyyK..",
    "..KyyyyWWWWWWWWWWWWWWWWWWdyyyK..",
    "..KyyyyWWWWWWWWWWWWWWWWWWdyyyK..",
    "..KyyyyWWWWWWWWWWWWWWWWWWdyyyK..",
    "..KyyyyWWWWWWWWWWWWWWWWWWdyyyK..",
    "..KyyyyWWWWWWWWWWWWWWWWWWdyyyK..",
    "..KyyyyWWWWWWWWWWWWWWWWWWdyyyK..",
    "..KyyyyWWWWWWWWWWWWWWWWWWdyyyK..",
    "..KyyyyWWWWWWWWWWWWWWWWWWdyyyK..",
    "..KyyyyWWWWWWWWWWWWWWWWWWdyyyK..",
    "..KyyyyWWWWWWWWWWWWWWWWWWdyyyK..",
    "..KyyyyWWWWWWWWWWWWWWWWWWdyyyK..",
    "..KyyyyWWWWWWWWWWWWWWWWWWdyyyK..",
    "..KyyyyWWWWWWWWWWWWWWWWWWdyyyK..",
    "..KyyyyWWWWWWWWWWWWWWWWWWdyyyK..",
    "..KyyyyWWWWWWWWWWWWWWWWWWdyyyK..",
    "..KyyyyWWWWWWWWWWWWWWWWWWdyyyK..",
    "..KyyyyWWWWWWWWWWWWWWWWWWdyyyK..",
    "..KyyyyWWWWWWWWWWWWWWWWWWdyyyK..",
    "..KyyyyyddddddddddddddddddyyyK..",
    "..KyyyyyyyyyyyyyyyyyyyyyyyyyyK..",
    "..KyyyyyyyyyyyyyyyyyyyyyyyyyyK..",
    "...KKKKKKKKKKKKKKKKKKKKKKKKKK...",
]

CLIPBOARD_16 = [
    "......dddd......",
    ".....dsKKsd.....",
    "..KKdssssssdKK..",
    ".KyydssssssdyyK.",
    ".KyyWddddddWyyK.",
    ".KyyWWWWWWWWyyK.",
    ".KyyWWWWWWWWyyK.",
    ".KyyWWWWWWWWyyK.",
    ".KyyWWWWWWWWyyK.",
    ".KyyWWWWWWWWyyK.",
    ".KyyWWWWWWWWyyK.",
    ".KyyWWWWWWWWyyK.",
    ".KyyWWWWWWWWyyK.",
    ".KyyWWWWWWWWyyK.",
    ".KyyyyyyyyyyyyK.",
    "..KKKKKKKKKKKK..",
]

# The text written on the sheet; animation frame n shows its first n lines (top down).
TEXT_16 = [
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    ".....KKKKKK.....",
    "................",
    ".....KKKKKK.....",
    "................",
    ".....KKKK.......",
    "................",
    "................",
    "................",
    "................",
    "................",
]

PROHIBITION_16 = [
    "......RRRR......",
    "....RRRRRRRR....",
    "...RRRR..RRRR...",
    "..RRR......RRR..",
    ".RRRRR......RRR.",
    ".RR.RRR......RR.",
    "RRR..RRR.....RRR",
    "RR....RRR.....RR",
    "RR.....RRR....RR",
    "RRR.....RRR..RRR",
    ".RR......RRR.RR.",
    ".RRR......RRRRR.",
    "..RRR......RRR..",
    "...RRRR..RRRR...",
    "....RRRRRRRR....",
    "......RRRR......",
]

# The cursor of a drag inside the registered-text list: a page with a folded corner under an
# arrow whose tip is the hot spot. 'K' black, 'W' white, '.' transparent.
DRAG_CURSOR_HOTSPOT = (5, 9)
DRAG_CURSOR_32 = [
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    ".....K..........................",
    ".....KK.........................",
    ".....KWK........................",
    ".....KWWK.......................",
    ".....KWWWK......................",
    ".....KWWWWK.....................",
    ".....KWWWWWK....................",
    ".....KWWWWWWKKKKKKKKKKKK........",
    ".....KWWWWWWWKWWWWWWWWWKK.......",
    ".....KWWWWWWWWKWWWWWWWWKWK......",
    ".....KWWWWWKKKKKWWWWWWWKWWK.....",
    ".....KWWKWWKWWWWWWWWWWWKKKKK....",
    ".....KWKKKWWKWWWWWWWWWWWWWWK....",
    ".....KK..KWWKWWKKKKKKKKWWWWK....",
    ".....K....KWWKWWWWWWWWWWWWWK....",
    "..........KWWKWWKKKKKKKKWWWK....",
    "...........KKKWWWWWWWWWWWWWK....",
    "............KWWWKKKKKKKKWWWK....",
    "............KWWWWWWWWWWWWWWK....",
    "............KWWWWWWWWWWWWWWK....",
    "............KKKKKKKKKKKKKKKK....",
    "................................",
    "................................",
]


def cur_file(pixels, hotspot):
    """A monochrome .cur: a two-colour XOR image (white where 'W') and the AND mask."""
    size = len(check_map(pixels))
    stride = (size + 31) // 32 * 4
    xor_bits, and_bits = bytearray(), bytearray()
    for row in reversed(pixels):
        xor_line, and_line = bytearray(stride), bytearray(stride)
        for x, ch in enumerate(row):
            bit = 0x80 >> (x % 8)
            if ch == "W":
                xor_line[x // 8] |= bit
            if ch == TRANSPARENT:
                and_line[x // 8] |= bit
        xor_bits += xor_line
        and_bits += and_line
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0,
                         len(xor_bits) + len(and_bits), 0, 0, 2, 0)
    blob = header + struct.pack("<BBBBBBBB", 0, 0, 0, 0, 255, 255, 255, 0) + xor_bits + and_bits
    out = struct.pack("<HHH", 0, 2, 1)
    out += struct.pack("<BBBBHHII", size, size, 2, 0, hotspot[0], hotspot[1], len(blob), 22)
    return out + blob


def check_map(pixels):
    """Rejects ragged or non-square maps and characters outside the palette."""
    size = len(pixels)
    for y, row in enumerate(pixels):
        if len(row) != size:
            raise ValueError(f"row {y} has {len(row)} pixels, expected {size}")
        for ch in row:
            if ch != TRANSPARENT and ch not in INDEX:
                raise ValueError(f"row {y}: '{ch}' is not a palette character")
    return pixels


def overlay(base, top):
    """The base map with every non-transparent pixel of top painted over it."""
    return [
        "".join(b if t == TRANSPARENT else t for b, t in zip(base_row, top_row))
        for base_row, top_row in zip(check_map(base), check_map(top))
    ]


def first_lines(text, count):
    """The text map keeping only its first count rows that hold ink."""
    kept = []
    for row in text:
        inked = row.strip(TRANSPARENT) != ""
        if inked and count > 0:
            kept.append(row)
            count -= 1
        else:
            kept.append(TRANSPARENT * len(row))
    return kept


def pack_xor(pixels):
    """4-bit colour rows, bottom row first, each padded to a multiple of 4 bytes."""
    size = len(pixels)
    stride = (size * 4 + 31) // 32 * 4
    out = bytearray()
    for row in reversed(pixels):
        values = [0 if ch == TRANSPARENT else INDEX[ch] for ch in row]
        line = bytearray((values[x] << 4) | values[x + 1] for x in range(0, size, 2))
        out += line + bytes(stride - len(line))
    return bytes(out)


def pack_and(pixels):
    """1-bit transparency rows (1 = transparent), bottom row first, padded to 4 bytes."""
    size = len(pixels)
    stride = (size + 31) // 32 * 4
    out = bytearray()
    for row in reversed(pixels):
        line = bytearray((size + 7) // 8)
        for x, ch in enumerate(row):
            if ch == TRANSPARENT:
                line[x // 8] |= 0x80 >> (x % 8)
        out += line + bytes(stride - len(line))
    return bytes(out)


def image_data(pixels):
    """One icon image: BITMAPINFOHEADER (height doubled for the mask), palette, XOR, AND."""
    size = len(check_map(pixels))
    xor_bits = pack_xor(pixels)
    and_bits = pack_and(pixels)
    header = struct.pack(
        "<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor_bits) + len(and_bits), 0, 0, 0, 0
    )
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for _, (r, g, b) in COLOURS)
    return header + palette + xor_bits + and_bits


def ico_file(images):
    """An .ico holding the given pixel maps, in the given order."""
    blobs = [image_data(pixels) for pixels in images]
    out = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for pixels, blob in zip(images, blobs):
        size = len(pixels)
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


def scaled(pixels, size):
    """The map resampled to size x size by nearest neighbour: edges stay sharp and no line of
    one pixel is lost when enlarging."""
    source = len(check_map(pixels))
    return ["".join(pixels[y * source // size][x * source // size] for x in range(size))
            for y in range(size)]


# The sizes Windows asks for: the small icon at 100, 125, 150 and 200 % (SM_CXSMICON), the large
# one at 125, 150 and 200 % (SM_CXICON); 32 serves both.
SMALL_SIZES = [24, 20, 16]
LARGE_SIZES = [64, 48, 40]


def icon_set(small, large, large_sizes=()):
    """The drawn 32 and 16 maps and the others resampled from the nearest smaller drawn map, largest
    first."""
    return ([scaled(large, n) for n in large_sizes] + [large] +
            [small if n == 16 else scaled(small, n) for n in SMALL_SIZES])


def icons():
    """File name -> the pixel maps of its images, largest first. The tray shows the base icon and
    the frames at the same size, so the frames' 32 x 32 images are drawn on the 32 x 32 base."""
    frames = {
        f"history{n}.ico": (overlay(CLIPBOARD_16, first_lines(TEXT_16, n)),
                            overlay(CLIPBOARD_32, scaled(first_lines(TEXT_16, n), 32)))
        for n in (1, 2, 3)
    }
    return {
        "quillmate.ico": icon_set(CLIPBOARD_16, CLIPBOARD_32, LARGE_SIZES),
        **{name: icon_set(*maps) for name, maps in frames.items()},
        "history_off.ico": icon_set(overlay(CLIPBOARD_16, PROHIBITION_16),
                                    overlay(CLIPBOARD_32, scaled(PROHIBITION_16, 32))),
    }


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "res", "icons")
    os.makedirs(folder, exist_ok=True)
    for name, images in icons().items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(ico_file(images))
        print(f"{name}: " + ", ".join(f"{len(p)}x{len(p)}" for p in images))
    with open(os.path.join(folder, "drag.cur"), "wb") as f:
        f.write(cur_file(DRAG_CURSOR_32, DRAG_CURSOR_HOTSPOT))
    print("drag.cur: 32x32 monochrome")


if __name__ == "__main__":
    main()
