#!/usr/bin/env python3
"""Writes the damaged pictures of tests/images/damaged: files cut short, headers that
claim more than the file holds, and one file per distinct header fault, each made here
from a few bytes. expected.txt beside them says what loading each must give. Also
writes the GIF and PNG seeds with a transparent and an opaque black.

usage: scripts/make-damaged-pictures.py [OUT_DIR] [--large]
  OUT_DIR   default tests/images/damaged
  --large   also write the 32000 x 32000 lying JPEG and GIF the memory benchmark loads
The JPEG files need ImageMagick's convert."""
import os
import struct
import subprocess
import sys
import zlib


def gif(screen, frame, lzw, palette, trans=None, interlaced=False, padding=0):
    """A GIF89a of one frame; lzw is (min code size, data bytes)."""
    sw, sh = screen
    left, top, fw, fh = frame
    bits = max(1, (len(palette) - 1).bit_length())
    table = b"".join(bytes(c) for c in palette) + b"\0" * (3 * (1 << bits) - 3 * len(palette))
    out = b"GIF89a" + struct.pack("<HHBBB", sw, sh, 0x80 | (bits - 1), 0, 0) + table
    if trans is not None:
        out += b"\x21\xf9\x04\x01\x00\x00" + bytes((trans,)) + b"\x00"
    out += b"\x2c" + struct.pack("<HHHHB", left, top, fw, fh, 0x40 if interlaced else 0)
    size, data = lzw
    out += bytes((size,))
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out += bytes((len(chunk),)) + chunk
    out += b"\x00" + b"\x00" * padding + b"\x3b"
    return out


def lzw_literal(indices, size):
    """LZW data that sends every index as a literal, with a clear code before each so
    that the code width never grows, then the end code."""
    clear, end = 1 << size, (1 << size) + 1
    width = size + 1
    codes = []
    for v in indices:
        codes += [clear, v]
    codes.append(end)
    acc = nbits = 0
    data = bytearray()
    for c in codes:
        acc |= c << nbits
        nbits += width
        while nbits >= 8:
            data.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8
    if nbits:
        data.append(acc)
    return size, bytes(data)


def png_palette(width, indices, palette, alphas):
    """An 8-bit palette PNG of one row, with the alpha of the first palette entries."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    ihdr = struct.pack(">IIBBBBB", width, 1, 8, 3, 0, 0, 0)
    plte = b"".join(bytes(c) for c in palette)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"PLTE", plte) + chunk(b"tRNS", bytes(alphas))
            + chunk(b"IDAT", zlib.compress(b"\0" + bytes(indices))) + chunk(b"IEND", b""))


def pcx(width, height, rows, version=5, bits=8, planes=1, x_min=0):
    """An 8-bit PCX whose lines are stored raw (bytes below 0xC0), without a trailer."""
    bpl = (width + 1) // 2 * 2
    header = struct.pack("<BBBBHHHHHH", 10, version, 1, bits, x_min, 0, width - 1, height - 1, 72, 72)
    header += b"\0" * 48 + b"\0" + bytes((planes,)) + struct.pack("<HH", bpl, 1) + b"\0" * 58
    return header + b"".join(r + b"\0" * (bpl - len(r)) for r in rows)


def tga(image_type=2, width=4, height=2, depth=24, map_type=0, map_length=0, map_bits=0, descriptor=0):
    return struct.pack("<BBBHHBHHHHBB", 0, map_type, image_type, 0, map_length, map_bits, 0, 0,
                       width, height, depth, descriptor)


def jpeg_grey(size, noisy=False):
    """A grey JPEG made by convert, as bytes: a gradient, or grey with fixed noise."""
    source = ["xc:gray", "-seed", "7", "+noise", "Gaussian"] if noisy else ["gradient:white-black"]
    return subprocess.run(["convert", "-size", size] + source + ["-colorspace", "Gray", "-quality", "90", "jpeg:-"],
                          check=True, capture_output=True).stdout


def jpeg_claiming(side, size="8x8"):
    """A grey JPEG of the given size whose frame header claims side x side pixels."""
    data = bytearray(jpeg_grey(size))
    sof = data.find(b"\xff\xc0")
    struct.pack_into(">HH", data, sof + 5, side, side)
    return bytes(data)


def write(folder, name, data):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def main():
    args = [a for a in sys.argv[1:] if a != "--large"]
    out = args[0] if args else os.path.join(os.path.dirname(__file__), "..", "tests", "images", "damaged")
    os.makedirs(out, exist_ok=True)
    black_white = [(0, 0, 0), (0, 0, 0), (255, 255, 255), (255, 0, 0)]

    # Lying headers: a large screen around a 1 x 1 frame, and a large frame with the data
    # of a few pixels; both padded so that the file is big enough for the screen.
    write(out, "screen_8000_frame_1x1.gif",
          gif((8000, 8000), (0, 0, 1, 1), lzw_literal([2], 2), black_white, padding=24000))
    write(out, "frame_8000_data_3px.gif",
          gif((8000, 8000), (0, 0, 8000, 8000), lzw_literal([2, 3, 2], 2), black_white, padding=24000))
    write(out, "frame_8000_interlaced_data_3px.gif",
          gif((8000, 8000), (0, 0, 8000, 8000), lzw_literal([2, 3, 2], 2), black_white, interlaced=True,
              padding=24000))
    write(out, "claims_8000x8000.jpg", jpeg_claiming(8000))
    write(out, "claims_8000x8000_has_8000x64.jpg", jpeg_claiming(8000, "8000x64"))
    # Cut short: a GIF after two of its four rows, a JPEG at 45 %, an RLE BMP, a PCX.
    write(out, "cut_after_2_rows.gif",
          gif((3, 4), (0, 0, 3, 4), lzw_literal([2, 3, 2, 3, 2, 3], 2), black_white))
    whole = jpeg_grey("64x64", noisy=True)
    write(out, "cut_at_45_percent.jpg", whole[:len(whole) * 45 // 100])
    rle = bytes((2, 1, 2, 2, 0, 0, 4, 3))  # one row of 4, then the second row's data ends
    info = struct.pack("<IiiHHIIiiII", 40, 4, 3, 1, 8, 1, len(rle), 2835, 2835, 4, 0)
    pal = bytes((0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0, 0, 255, 0, 0))
    write(out, "rle8_cut.bmp", b"BM" + struct.pack("<IHHI", 14 + 40 + 16 + len(rle), 0, 0, 14 + 40 + 16)
          + info + pal + rle)
    write(out, "cut_after_1_row.pcx", pcx(4, 3, [bytes((1, 2, 3, 4))]))
    # One file per PCX and TGA fault.
    write(out, "version_6.pcx", pcx(4, 1, [bytes(4)], version=6))
    write(out, "bits_3.pcx", pcx(4, 1, [bytes(4)], bits=3))
    write(out, "x_min_past_x_max.pcx", pcx(4, 1, [bytes(4)], x_min=9))
    write(out, "lines_missing.pcx", pcx(400, 300, [bytes(400)])[:200])
    write(out, "header_cut.tga", tga()[:10])
    write(out, "no_width.tga", tga(width=0))
    write(out, "depth_12.tga", tga(depth=12) + bytes(24))
    write(out, "map_entry_bits_7.tga", tga(image_type=1, depth=8, map_type=1, map_length=2, map_bits=7))
    write(out, "map_cut.tga", tga(image_type=1, depth=8, map_type=1, map_length=200, map_bits=24) + bytes(30))
    write(out, "interleaved.tga", tga(descriptor=0x40) + bytes(24))
    # Named for another format: the decoder the content is for reads it.
    write(out, "wbmp_named.bmp", bytes((0, 0, 3, 1, 0b10100000)))
    write(out, "png_named.jpg", png_palette(3, [0, 1, 2], black_white, [255, 255]))

    # Transparency: entry 0 is transparent black, entry 1 opaque black (a fuzz seed too).
    seeds = os.path.join(os.path.dirname(__file__), "..", "fuzz", "corpus", "gif")
    write(seeds, "trans_black_beside_opaque_black.gif",
          gif((3, 1), (0, 0, 3, 1), lzw_literal([0, 1, 2], 2), black_white, trans=0))
    seeds = os.path.join(os.path.dirname(__file__), "..", "fuzz", "corpus", "png")
    write(seeds, "trans_black_beside_opaque_black.png", png_palette(3, [0, 1, 2], black_white, [0, 255]))

    if "--large" in sys.argv:
        write(out, "claims_32000x32000.jpg", jpeg_claiming(32000))
        write(out, "screen_32000_frame_1x1.gif",
              gif((32000, 32000), (0, 0, 1, 1), lzw_literal([2], 2), black_white, padding=380000))


if __name__ == "__main__":
    main()
