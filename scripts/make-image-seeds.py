#!/usr/bin/env python3
"""Writes the seed pictures of the image_any fuzz target: one tiny file per format,
made here from a few pixels, so that the fuzzer starts inside every decoder.

usage: scripts/make-image-seeds.py [OUT_DIR]   (default fuzz/corpus/image_any)
The JPEG seed needs ImageMagick's convert; without it that seed is left out."""
import os
import shutil
import struct
import subprocess
import sys
import zlib

# Four by three pixels, every one different (RGB, top row first).
W, H = 4, 3
PIXELS = [
    (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255),
    (0, 0, 0), (128, 128, 128), (255, 255, 0), (0, 255, 255),
    (10, 20, 30), (200, 100, 50), (255, 0, 255), (60, 60, 60),
]
PALETTE = sorted(set(PIXELS))
INDEX = [PALETTE.index(p) for p in PIXELS]


def bmp24():
    stride = (W * 3 + 3) // 4 * 4
    rows = b""
    for y in reversed(range(H)):
        row = b"".join(bytes((b, g, r)) for (r, g, b) in PIXELS[y * W:(y + 1) * W])
        rows += row + b"\0" * (stride - len(row))
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(info) + len(rows), 0, 0, 14 + len(info)) + info + rows


def bmp8(compressed):
    pal = b"".join(bytes((b, g, r, 0)) for (r, g, b) in PALETTE)
    rows = b""
    for y in reversed(range(H)):
        idx = bytes(INDEX[y * W:(y + 1) * W])
        if compressed:  # RLE8: an absolute run of the row, then end of line
            rows += b"\0" + bytes((W,)) + idx + b"\0\0"
        else:
            rows += idx + b"\0" * ((W + 3) // 4 * 4 - W)
    if compressed:
        rows += b"\0\1"  # end of bitmap
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 8, 1 if compressed else 0, len(rows), 0, 0,
                       len(PALETTE), 0)
    off = 14 + len(info) + len(pal)
    return b"BM" + struct.pack("<IHHI", off + len(rows), 0, 0, off) + info + pal + rows


def png(colour_type):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b""
    for y in range(H):
        raw += b"\0"
        for (r, g, b) in PIXELS[y * W:(y + 1) * W]:
            raw += bytes((r, g, b)) if colour_type == 2 else bytes((r, g, b, 128 + y * 40))
    ihdr = struct.pack(">IIBBBBB", W, H, 8, colour_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw)) +
            chunk(b"IEND", b""))


def lzw(indices, min_size):
    """GIF LZW without string matching: a clear code often enough that codes stay short."""
    clear, end = 1 << min_size, (1 << min_size) + 1
    out, acc, nbits = bytearray(), 0, 0
    size, next_code = min_size + 1, end + 1

    def put(code):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8
    put(clear)
    first = True
    for i in indices:
        put(i)
        if not first:
            next_code += 1
            if next_code == (1 << size) and size < 12:
                size += 1
        first = False
        if next_code >= 4000:
            put(clear)
            size, next_code, first = min_size + 1, end + 1, True
    put(end)
    if nbits:
        out.append(acc & 0xFF)
    data = b""
    for i in range(0, len(out), 255):
        part = bytes(out[i:i + 255])
        data += bytes((len(part),)) + part
    return data + b"\0"


def gif(interlaced, transparent):
    bits = 4  # 16 palette entries
    pal = b"".join(bytes(p) for p in PALETTE) + b"\0" * 3 * ((1 << bits) - len(PALETTE))
    head = b"GIF89a" + struct.pack("<HHBBB", W, H, 0x80 | (bits - 1), 0, 0) + pal
    gce = b"\x21\xf9\x04" + bytes((1 if transparent else 0,)) + b"\0\0" + bytes((INDEX[0],)) + b"\0"
    rows = [INDEX[y * W:(y + 1) * W] for y in range(H)]
    order = [0, 2, 1] if interlaced else [0, 1, 2]  # passes of a 3-row picture: row 0, row 2 (pass 3), row 1
    indices = [i for y in order for i in rows[y]]
    desc = b"\x2c" + struct.pack("<HHHHB", 0, 0, W, H, 0x40 if interlaced else 0)
    return head + gce + desc + bytes((bits,)) + lzw(indices, bits) + b"\x3b"


def tga(rle, origin_top):
    head = struct.pack("<BBBHHBHHHHBB", 0, 0, 10 if rle else 2, 0, 0, 0, 0, 0, W, H, 24,
                       0x20 if origin_top else 0)
    rows = [PIXELS[y * W:(y + 1) * W] for y in range(H)]
    if not origin_top:
        rows.reverse()
    data = b""
    for row in rows:
        px = b"".join(bytes((b, g, r)) for (r, g, b) in row)
        data += (bytes((W - 1,)) + px) if rle else px  # one raw packet per row
    return head + data + b"\0" * 8 + b"TRUEVISION-XFILE.\0"


def pcx():
    bpl = W + (W & 1)
    head = struct.pack("<BBBBHHHHHH", 10, 5, 1, 8, 0, 0, W - 1, H - 1, 72, 72) + b"\0" * 48
    head += struct.pack("<BBHHHH", 0, 1, bpl, 1, 0, 0) + b"\0" * 54
    data = b""
    for y in range(H):
        for i in INDEX[y * W:(y + 1) * W] + [0] * (bpl - W):
            data += bytes((0xC1, i))  # every byte as a run of one, so values >= 0xC0 are safe too
    pal = b"".join(bytes(p) for p in PALETTE) + b"\0" * 3 * (256 - len(PALETTE))
    return head + data + b"\x0c" + pal


def wbmp():
    rows = b""
    for y in range(H):
        bits = 0
        for x in range(W):
            r, g, b = PIXELS[y * W + x]
            bits |= (1 if r + g + b >= 384 else 0) << (7 - x)
        rows += bytes((bits,))
    return b"\0\0" + bytes((W, H)) + rows


def ico():
    image = bmp24()[14:]  # the info header and rows of the BMP, height doubled for the mask
    info = bytearray(image[:40])
    struct.pack_into("<i", info, 8, H * 2)
    mask = b"\0\0\0\0" * H  # 4 pixels wide: one padded 32-bit row each, all opaque
    body = bytes(info) + image[40:] + mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", W, H, 0, 0, 1, 24, len(body), 22) + body


def wmf():
    def rec(func, *words):
        return struct.pack("<IH", 3 + len(words), func) + struct.pack("<%dh" % len(words), *words)
    records = (rec(0x020B, 0, 0) +                # SetWindowOrg(y, x)
               rec(0x020C, 300, 400) +            # SetWindowExt(height, width)
               rec(0x02FC, 0, 0x00FF, 0x0000, 0) +  # CreateBrushIndirect: solid red
               rec(0x012D, 0) +                   # SelectObject(0)
               rec(0x041B, 250, 350, 50, 50) +    # Rectangle(bottom, right, top, left)
               rec(0x0000))                       # end of file
    words = 9 + len(records) // 2
    header = struct.pack("<HHHIHIH", 1, 9, 0x300, words, 1, 7, 0)
    placeable = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, 400, 300, 1440, 0)
    checksum = 0
    for i in range(0, 20, 2):
        checksum ^= struct.unpack_from("<H", placeable, i)[0]
    return placeable + struct.pack("<H", checksum) + header + records


def jpeg(path):
    if shutil.which("convert") is None:
        return False
    ppm = b"P6\n%d %d\n255\n" % (W, H) + b"".join(bytes(p) for p in PIXELS)
    subprocess.run(["convert", "ppm:-", "-quality", "90", "jpeg:" + path], input=ppm, check=True)
    return True


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "fuzz", "corpus",
                                                             "image_any")
    os.makedirs(out, exist_ok=True)
    files = {
        "rgb24_4x3.bmp": bmp24(),
        "pal8_4x3.bmp": bmp8(False),
        "pal8_rle_4x3.bmp": bmp8(True),
        "rgb_4x3.png": png(2),
        "rgba_4x3.png": png(6),
        "plain_4x3.gif": gif(False, False),
        "interlaced_trans_4x3.gif": gif(True, True),
        "rgb_bottom_4x3.tga": tga(False, False),
        "rgb_rle_top_4x3.tga": tga(True, True),
        "pal8_4x3.pcx": pcx(),
        "mono_4x3.wbmp": wbmp(),
        "rgb24_4x3.ico": ico(),
        "rect_placeable.wmf": wmf(),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
    if jpeg(os.path.join(out, "q90_4x3.jpg")):
        files["q90_4x3.jpg"] = None
    print("wrote %d seeds to %s" % (len(files), out))


if __name__ == "__main__":
    main()
