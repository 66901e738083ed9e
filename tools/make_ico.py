#!/usr/bin/env python3
"""Packs PNG images into one Windows icon file (.ico) whose entries hold the
PNG data as it is (the form Windows reads since Vista, and windres takes).
  tools/make_ico.py OUT.ico IN.png [IN.png ...]   (each PNG square, at most 256 px)
Run by scripts/render_icons.sh."""
import struct
import sys


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise ValueError("not a PNG file")
    return struct.unpack(">II", data[16:24])


def main(out, inputs):
    images = []
    for path in inputs:
        with open(path, "rb") as f:
            data = f.read()
        width, height = png_size(data)
        if width != height or width > 256:
            raise ValueError(f"{path}: {width} x {height}, not square or over 256 px")
        images.append((width, data))
    images.sort()
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, blobs = b"", b""
    for size, data in images:
        # Width and height 0 stand for 256; 32 bits per pixel.
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        blobs += data
        offset += len(data)
    with open(out, "wb") as f:
        f.write(header + entries + blobs)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2:])
