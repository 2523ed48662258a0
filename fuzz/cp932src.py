"""Copies a UTF-8 source file with every non-ASCII character written as the octal escapes of
its code page 932 bytes. Clang knows no execution character set but UTF-8, so the fuzz build
compiles these copies to get the same Shift-JIS literals the gcc trees get."""

import sys


def escape(char):
    try:
        data = char.encode("cp932")
    except UnicodeEncodeError:
        try:
            data = char.encode("shift_jis")
        except UnicodeEncodeError:
            # gcc's CP932 execution charset refuses such a character in a literal, so it can
            # only stand in a comment, where any byte will do.
            data = b"?"
    return "".join("\\%03o" % byte for byte in data)


def main(source, target):
    with open(source, encoding="utf-8") as f:
        text = f.read()
    converted = "".join(c if ord(c) < 0x80 else escape(c) for c in text)
    with open(target, "w", encoding="ascii", newline="") as f:
        f.write(converted)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
