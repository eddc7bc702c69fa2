#!/usr/bin/python3
"""Writes small pictures in many encodings and, beside each, the pixels an
independent decoder (Pillow) reads from it: NAME.rgba holds width, height
and frame count as little-endian 32-bit words, then RGBA bytes per frame.

usage: picture_fixtures.py OUT_DIR [PICTURE_SET_DIR]
With a picture set folder, expectations for its PNG files are written to
OUT_DIR/set/GROUP__NAME.rgba as well.
"""
import os
import struct
import sys
import zlib

from PIL import Image, ImageSequence


def expect(path, out):
    im = Image.open(path)
    frames = []
    for frame in ImageSequence.Iterator(im):
        if frame.mode in ("I;16", "I"):
            # 16-bit grey: the top byte is the 8-bit value (the files hold v * 257).
            data = bytes(b for v in frame.getdata() for b in (v >> 8, v >> 8, v >> 8, 255))
        else:
            data = frame.convert("RGBA").tobytes()
        frames.append(data)
    with open(out, "wb") as f:
        f.write(struct.pack("<III", im.size[0], im.size[1], len(frames)))
        for d in frames:
            f.write(d)


def pattern(w, h, x, y):
    """A colourful, position-dependent test pattern (RGB)."""
    return ((x * 37 + y * 11) & 0xFF, (x * 5 + y * 53) & 0xFF, (x * y * 7 + 90) & 0xFF)


# --- PNG written by hand: colour types and depths Pillow cannot write ---

def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def write_png(path, w, h, depth, ctype, rows, interlace=False, extra=b""):
    """rows: list of bytes per row (samples packed as the PNG holds them)."""
    bpp_bits = depth * {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[ctype]

    def row_bytes(pixels, n):
        return pixels[: (n * bpp_bits + 7) // 8]

    def sub_rows(x0, dx, y0, dy):
        out = b""
        for y in range(y0, h, dy):
            xs = list(range(x0, w, dx))
            if not xs:
                return out
            # re-pack the selected pixels of this row
            bits = "".join(format(b, "08b") for b in rows[y])
            sel = "".join(bits[x * bpp_bits:(x + 1) * bpp_bits] for x in xs)
            sel += "0" * (-len(sel) % 8)
            out += b"\0" + bytes(int(sel[i:i + 8], 2) for i in range(0, len(sel), 8))
        return out

    if interlace:
        raw = b""
        for x0, dx, y0, dy in ((0, 8, 0, 8), (4, 8, 0, 8), (0, 4, 4, 8), (2, 4, 0, 4), (0, 2, 2, 4), (1, 2, 0, 2), (0, 1, 1, 2)):
            raw += sub_rows(x0, dx, y0, dy)
    else:
        raw = b"".join(b"\0" + row_bytes(r, w) for r in rows)
    ihdr = struct.pack(">IIBBBBB", w, h, depth, ctype, 0, 0, 1 if interlace else 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", ihdr) + extra +
                png_chunk(b"IDAT", zlib.compress(raw)) + png_chunk(b"IEND", b""))


# --- BMP written by hand: top-down rows, 4 and 16 bits, bit fields ---

def write_bmp(path, w, h, bpp, pixel, palette=None, top_down=False, masks=None, v4=False):
    """pixel(x, y) -> index (bpp <= 8) or packed value."""
    stride = (bpp * w + 31) // 32 * 4
    rows = []
    for y in range(h):
        bits = ""
        data = b""
        for x in range(w):
            v = pixel(x, y)
            if bpp <= 8:
                bits += format(v, "0%db" % bpp)
            elif bpp == 16:
                data += struct.pack("<H", v)
            elif bpp == 24:
                data += bytes((v & 0xFF, v >> 8 & 0xFF, v >> 16 & 0xFF))
            else:
                data += struct.pack("<I", v)
        if bpp <= 8:
            bits += "0" * (-len(bits) % 8)
            data = bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))
        rows.append(data + b"\0" * (stride - len(data)))
    order = rows if top_down else rows[::-1]
    pal = b"".join(bytes((b, g, r, 0)) for (r, g, b) in (palette or []))
    compression = 3 if masks else 0
    header_size = 108 if v4 else 40
    info = struct.pack("<IiiHHIIiiII", header_size, w, -h if top_down else h, 1, bpp, compression,
                       stride * h, 2835, 2835, len(palette or []), 0)
    if v4:
        info += struct.pack("<IIII", *masks) + b"BGRs" + b"\0" * 48
        after = b""
    else:
        after = struct.pack("<III", *masks[:3]) if masks else b""
    offset = 14 + len(info) + len(after) + len(pal)
    body = b"".join(order)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", offset + len(body), 0, 0, offset) + info + after + pal + body)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    made = []

    def save(im, name, **kw):
        p = os.path.join(out, name)
        im.save(p, **kw)
        made.append(p)

    w, h = 13, 17  # odd sizes: row padding and partial bytes everywhere
    rgb = Image.new("RGB", (w, h))
    rgb.putdata([pattern(w, h, x, y) for y in range(h) for x in range(w)])

    # PNG through Pillow: palette, small palette (4-bit), grey, 16-bit grey,
    # RGBA, RGB with a tRNS colour, grey with alpha.
    save(rgb.quantize(200), "png_palette.png")
    save(rgb.quantize(16), "png_palette4.png", bits=4)
    save(rgb.convert("L"), "png_grey.png")
    g16 = Image.new("I;16", (w, h))
    g16.putdata([((x * 19 + y * 7) & 0xFF) * 257 for y in range(h) for x in range(w)])
    save(g16, "png_grey16.png")
    rgba = rgb.copy()
    rgba.putalpha(Image.frombytes("L", (w, h), bytes((x * 20 + y) & 0xFF for y in range(h) for x in range(w))))
    save(rgba, "png_rgba.png")
    save(rgb, "png_trns.png", transparency=pattern(w, h, 2, 3))
    pal_t = rgb.quantize(8)
    save(pal_t, "png_palette_trns.png", transparency=3)
    save(rgba.convert("LA"), "png_grey_alpha.png")

    # PNG by hand: 16-bit RGB, interlaced RGB, interlaced 2-bit grey.
    rows16 = [b"".join(struct.pack(">HHH", *(c * 257 for c in pattern(w, h, x, y))) for x in range(w)) for y in range(h)]
    write_png(os.path.join(out, "png_rgb16.png"), w, h, 16, 2, rows16)
    rows8 = [bytes(c for x in range(w) for c in pattern(w, h, x, y)) for y in range(h)]
    write_png(os.path.join(out, "png_interlaced.png"), w, h, 8, 2, rows8, interlace=True)
    rows2 = []
    for y in range(h):
        bits = "".join(format((x + y) % 4, "02b") for x in range(w))
        bits += "0" * (-len(bits) % 8)
        rows2.append(bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8)))
    write_png(os.path.join(out, "png_grey2_interlaced.png"), w, h, 2, 0, rows2, interlace=True)
    made += [os.path.join(out, n) for n in ("png_rgb16.png", "png_interlaced.png", "png_grey2_interlaced.png")]

    # BMP through Pillow (bottom-up): 1, 8 and 24 bits.
    save(rgb.convert("1"), "bmp1_bottom_up.bmp")
    save(rgb.quantize(100), "bmp8_bottom_up.bmp")
    save(rgb, "bmp24_bottom_up.bmp")

    # BMP by hand: top-down 1/8/24, 4 bits, 16 bits (5-5-5 and 5-6-5 fields),
    # 32 bits plain and with an alpha field.
    pal2 = [(10, 20, 30), (240, 230, 220)]
    pal16 = [pattern(4, 4, i, i * 3) for i in range(16)]
    pal256 = [pattern(16, 16, i % 16, i // 16) for i in range(256)]
    hand = [
        ("bmp1_top_down.bmp", dict(bpp=1, pixel=lambda x, y: (x ^ y) & 1, palette=pal2, top_down=True)),
        ("bmp4_bottom_up.bmp", dict(bpp=4, pixel=lambda x, y: (x + 3 * y) % 16, palette=pal16)),
        ("bmp4_top_down.bmp", dict(bpp=4, pixel=lambda x, y: (x * y) % 16, palette=pal16, top_down=True)),
        ("bmp8_top_down.bmp", dict(bpp=8, pixel=lambda x, y: (x * 17 + y) % 256, palette=pal256, top_down=True)),
        ("bmp24_top_down.bmp", dict(bpp=24, pixel=lambda x, y: sum(c << (8 * i) for i, c in enumerate(pattern(w, h, x, y)[::-1])), top_down=True)),
        ("bmp16_555.bmp", dict(bpp=16, pixel=lambda x, y: (x * 2 + y * 1021) & 0x7FFF)),
        ("bmp16_565_top_down.bmp", dict(bpp=16, pixel=lambda x, y: (x * 4099 + y * 77) & 0xFFFF, masks=(0xF800, 0x07E0, 0x001F), top_down=True)),
        ("bmp32.bmp", dict(bpp=32, pixel=lambda x, y: (x * 0x010203 + y * 0x300401) & 0xFFFFFF)),
        ("bmp32_alpha.bmp", dict(bpp=32, pixel=lambda x, y: ((x * 19) & 0xFF) << 24 | (x * 0x030201 + y * 0x100) & 0xFFFFFF,
                                 masks=(0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000), v4=True)),
    ]
    for name, kw in hand:
        write_bmp(os.path.join(out, name), w, h, **kw)
        made.append(os.path.join(out, name))

    # GIF: three frames on a 20 x 16 screen with a transparent index and
    # each disposal method; Pillow crops later frames to what changes.
    pal = [0, 0, 0, 255, 0, 0, 0, 200, 0, 0, 0, 255, 255, 255, 0, 250, 250, 250] + [0] * (256 * 3 - 18)
    frames = []
    for k in range(3):
        f = Image.new("P", (20, 16), 0)
        f.putpalette(pal)
        for y in range(16):
            for x in range(20):
                if k == 0:
                    v = 5 if (x + y) % 3 else 1
                elif k == 1:
                    v = 2 if 4 <= x < 12 and 3 <= y < 9 else 0
                else:
                    v = 3 if 8 <= x < 18 and 6 <= y < 14 else 0
                f.putpixel((x, y), v)
        frames.append(f)
    for name, disposal in (("gif_keep.gif", [1, 1, 1]), ("gif_background.gif", [1, 2, 1]), ("gif_previous.gif", [1, 3, 1])):
        p = os.path.join(out, name)
        frames[0].save(p, save_all=True, append_images=frames[1:], transparency=0, disposal=disposal, duration=100, loop=0)
        made.append(p)
    # A single interlaced frame (at least 16 rows high, so Pillow interlaces it).
    single = rgb.resize((20, 18)).quantize(64)
    save(single, "gif_single_interlaced.gif", interlace=True)

    for p in made:
        expect(p, p + ".rgba")

    if len(sys.argv) > 2:
        root = sys.argv[2]
        os.makedirs(os.path.join(out, "set"), exist_ok=True)
        for group in sorted(os.listdir(root)):
            folder = os.path.join(root, group)
            if not os.path.isdir(folder):
                continue
            for name in sorted(os.listdir(folder)):
                if name.lower().endswith(".png"):
                    expect(os.path.join(folder, name), os.path.join(out, "set", group + "__" + name + ".rgba"))


if __name__ == "__main__":
    main()
