"""Writes the small seed corpora of the fuzz targets into fuzz/corpus/NAME/, one file per seed.
Each seed follows its target's input layout (the numbers it reads first, then the text)."""

import os
import struct
import zlib

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def sjis(text):
    return text.encode("cp932")


def records(*texts):
    return b"".join(sjis(t).replace(b"\n", b"\r\n") + b"\0" for t in texts)


def exact_record(ansi, text):
    """One record of an exact-text file: marker, lengths, CRC-32, the bytes, the UTF-8 text."""
    utf8 = text.encode("utf-8", "surrogatepass")
    lengths = struct.pack("<II", len(ansi), len(utf8))
    crc = zlib.crc32(lengths + ansi + utf8)
    return b"\x1eQX1" + lengths + struct.pack("<I", crc) + ansi + utf8


def exact_file(list_bytes, *records):
    """An exact-text file of this build: a header naming the list file (its length and CRC-32),
    then records of position, lengths, a CRC-32 of those, a CRC-32 of the bytes and text."""
    fields = struct.pack("<QI", len(list_bytes), zlib.crc32(list_bytes))
    out = b"\x1eQXH" + fields + struct.pack("<I", zlib.crc32(fields))
    for position, ansi, text in records:
        utf8 = text.encode("utf-8", "surrogatepass")
        head = struct.pack("<III", position, len(ansi), len(utf8))
        out += b"\x1eQX2" + head + struct.pack("<II", zlib.crc32(head), zlib.crc32(ansi + utf8))
        out += ansi + utf8
    return out


def shared_file(machine, computer, texts, copies=None, seen=()):
    """A machine's file of the shared folder: header, records (id, clock, machine, flags, place,
    deleted-at, the bytes, the exact text in UTF-8), with copies version 2 and its recent copies
    (stamp, bytes, exact text) and the stamps seen of machines, CRC-32 of it all."""
    version = 1 if copies is None else 2
    body = b"\x1eQMS" + struct.pack("<IQQq", version, machine, len(texts), 1800000000)
    body += struct.pack("<I", len(computer)) + computer + struct.pack("<I", len(texts))
    for n, (ansi, exact, deleted) in enumerate(texts):
        utf8 = exact.encode("utf-8", "surrogatepass")
        body += struct.pack("<QQQBqq", 1000 + n, n + 1, machine, deleted, n << 20, 0)
        body += struct.pack("<I", len(ansi)) + ansi + struct.pack("<I", len(utf8)) + utf8
    if copies is not None:
        body += struct.pack("<I", len(copies))
        for stamp, ansi, exact in copies:
            utf8 = exact.encode("utf-8", "surrogatepass")
            body += struct.pack("<QI", stamp, len(ansi)) + ansi + struct.pack("<I", len(utf8)) + utf8
        body += struct.pack("<I", len(seen)) + b"".join(struct.pack("<QQ", *s) for s in seen)
    return body + struct.pack("<I", zlib.crc32(body))


def dib(width, height, bits, compression=0, colors=0, header=40, extra=b""):
    row = (width * bits + 31) // 32 * 4
    size_image = row * abs(height) if compression in (0, 3, 6) else len(extra)
    head = struct.pack("<IiiHHIIiiII", header, width, height, 1, bits, compression, size_image,
                       2835, 2835, colors, 0)
    head += b"\0" * (header - 40)
    masks = b""
    if compression == 3 and header == 40:
        masks = struct.pack("<III", 0xF800, 0x07E0, 0x001F)
    table = b"\x10\x20\x30\0" * (colors or (1 << bits if bits <= 8 else 0))
    pixels = bytes(range(256)) * (size_image // 256 + 1)
    return head + masks + table + (extra or pixels[:size_image])


def time_record(year=2024, month=3, dow=5, day=8, hour=13, minute=5, second=9, ms=7):
    return struct.pack("<8H", year, month, dow, day, hour, minute, second, ms)


def utf16(text):
    """A Text() of the dialog template target: a length byte, then UTF-16 units."""
    units = text.encode("utf-16-le")
    return bytes([len(units) // 2]) + units


def template(style, items):
    out = struct.pack("<II4H", style, 0, 0, 0, 200, 120)
    out += b"\0" + b"\2" + utf16("#32770") + b"\1" + utf16("バージョン情報")
    if style & 0x40:
        out += utf16("ＭＳ Ｐゴシック")
    out += struct.pack("<H", 9) + bytes([len(items)])
    for class_ordinal, text, item_id in items:
        out += b"\1" + struct.pack("<H", class_ordinal) + b"\2" + utf16(text)
        out += struct.pack("<II4HH", 0x50000000, 0, 7, 7, 100, 12, item_id)
    return out


SEEDS = {
    "datefmt": [
        time_record() + b"\xff\xff" + b"%02H:%02M:%02S %04Y/%02m/%02d",
        time_record() + b"\x05\x00" + sjis("%*4Y年%!m月%!d日(%x) %a %A %b %B %T"),
        time_record(month=1, hour=0) + b"\x10\x00" + b"%-10p|%*Q|%O|%k|%I|%%|%",
        time_record(year=65535, month=13, dow=9) + b"\x00\x01" + b"%+1988Y %.2y %30d",
        time_record() + b"\x07\x00" + sjis("表%") + b"\x81",
    ],
    "textfile": [
        b"\0" + records("alpha", "beta", "alpha"),
        b"\x03\x01\x02\x07" + records("line one\r\nline two\r\n", "日本語\nテキスト"),
        b"\x01\x00" + b"cut\r",
        b"\x02\x00\x01" + b"a\r\r\nb\0\0\x1a\0",
    ],
    "exactfile": [
        exact_record(b"cafe", "café") + exact_record(b"?", "😀"),
        b"junk" + exact_record(sjis("日") + b"?", "日简")[:-2],
        exact_file(b"??\0x\0??\0", (0, b"??", "안녕"), (2, b"??", "감사")),
        exact_file(b"", (0, b"?", "😀"))[:-1] + b"\x01\x02\x00\x03",
    ],
    "dib": [
        dib(4, 3, 24),
        dib(5, -2, 8, colors=3),
        dib(3, 2, 16, compression=3),
        dib(2, 2, 32, compression=3, header=124),
        dib(4, 4, 8, compression=1, colors=2, extra=b"\x02\x01\x00\x00\x00\x01"),
        dib(1, 1, 1),
    ],
    "labels": [
        struct.pack("<hH6iHH", 64, 1024, 2024, 3, 8, 13, 5, 9, 520, 6) + b"C:\\log" + b".txt",
        struct.pack("<hH6iHH", 8, 5, -1, 13, 99, 24, 60, 61, 30, 3) + sjis("表示a&bソフト能力&&x"),
        struct.pack("<hH6iHH", 3, 2, 2024, 1, 1, 0, 0, 0, 12, 4) + sjis("ab\\表\\c\r\n\t\x7f"),
    ],
    "linetransform": [
        b"\xff\xff" + b"one\r\ntwo",
        b"\x03\x00" + b"one\r\n\r\ntwo\r\n",
        b"\x20\x00" + b"a  \r\nb\t" + sjis("全角　") + b" \n",
        b"\x40\x00" + b"a\r\n\r\n \r\n\t\r\nb\n\nc\r\n  ",
        b"\x00\x00" + b"",
    ],
    "dlgtemplate": [
        template(0x80C800C0 | 0x40, [(0x0082, "Quillmate", 1001), (0x0080, "OK", 1)]),
        template(0x80C800C0, []),
    ],
    # A machine's file: its id, its computer name, and texts (bytes, exact form, deleted).
    "sharedfile": [
        shared_file(7, b"PC-1", [(sjis("署名"), "", 0), (b"caf?", "caf\u00e9", 0), (b"", "", 1)]),
        shared_file(2**64 - 1, b"", []),
        shared_file(9, b"PC-2", [(sjis("署名"), "", 0)],
                    [(1800000000123, sjis("最近"), ""), (5, b"?", "\U0001F600")], [(9, 7), (3, 2)]),
    ],
    # Even first byte: a field (its length next, at most 15 bytes) and a text: words, full-width
    # letters, trail bytes that look like ASCII, lead bytes that are also trail bytes, kana.
    # Odd first byte: the field's length in letters of the target's table, then letters by index
    # (10 カ, 12 ｶ, 13 ﾞ, 15 か, 16 が, 17 ハ, 20 ﾊ, 26 ー, 27 ｰ, 36 じ, 38 表, 51 \).
    "search": [
        bytes([0, 11]) + sjis("議事録 ａｂ") + sjis("今日の議事録はABです"),
        bytes([0, 1]) + b"@" + sjis("ァ@ア"),
        bytes([0, 2]) + sjis("游") + sjis("亜亜游"),
        bytes([0, 4]) + sjis("カタ") + sjis("ｶﾞｶﾀかた"),
        bytes([1, 2, 12, 13, 15, 16, 20, 13, 36, 13]),
        bytes([1, 3, 10, 17, 26, 12, 20, 27, 38, 51]),
    ],
    "settings": [
        struct.pack("<7i", 30, 600000, 240000, 0, 0, 40, 1024) + struct.pack("<2i", 0, 0)
        + struct.pack("<iI", 0x0241, 0x0641) + b"\1\0\x41\x02\0\0" * 9 + b"  -2147483649xyz",
        struct.pack("<7i", -5, -1, 2**31 - 1, 5, 6, -7, 2**31 - 1) + struct.pack("<2i", -1, 70000)
        + struct.pack("<iI", 0x1F41, 0xFFFF) + b"\2\0\x01\x01\0\0" * 9 + b"+00000000000000000042",
        struct.pack("<7i", 4096, 120000, 60000, 300, 70000, 40000, -1) + struct.pack("<2i", 0, 0)
        + struct.pack("<iI", 0, 0) + b"\0\0" * 9 + b"\t\n\v\f\r 7",
    ],
}


def main():
    for name, seeds in SEEDS.items():
        folder = os.path.join(ROOT, name)
        os.makedirs(folder, exist_ok=True)
        for index, seed in enumerate(seeds):
            with open(os.path.join(folder, "seed-%02d" % index), "wb") as f:
                f.write(seed)


if __name__ == "__main__":
    main()
