#!/usr/bin/env python3
"""Regenerate Tarvelo's pictures from the drawings in this folder.

Writes, relative to resources/:
  banners/AVI                             banner, baseline RGB JPEG, 580 x 100
  banners/AVI@2x                          the same at twice the size, 1160 x 200, for HiDPI screens
  banners/ICON_VIDEO.ico                  window icon: 256 (PNG), 128, 64, 32, 16 (32-bit BMP)
  icons/hicolor/<N>x<N>/apps/tarvelo.png  desktop icons, N = 16 32 48 64 128 256

With --check it only verifies the formats of the committed banner and icon.

The build does not run this script; its outputs are committed. It needs
python3 and ImageMagick's convert (set CONVERT to use another one than
/usr/bin/convert) and the DejaVu fonts for the banner's lettering.

The ICO file is assembled here rather than by ImageMagick so that the order
of its images and the encoding of each one stay exactly as listed above.
"""

import os
import struct
import subprocess
import sys

ART_DIR = os.path.dirname(os.path.abspath(__file__))
RESOURCES_DIR = os.path.dirname(ART_DIR)
CONVERT = os.environ.get("CONVERT", "/usr/bin/convert")

ICON_SOURCE = os.path.join(ART_DIR, "icon.mvg")
SMALL_ICON_SOURCE = os.path.join(ART_DIR, "icon-small.mvg")
BANNER_SOURCE = os.path.join(ART_DIR, "banner.mvg")

CANVAS = 256                      # both icon drawings use a 256 x 256 canvas
SMALL_SIZES = (16, 32)            # sizes drawn from the simplified icon
ICO_SIZES = (256, 128, 64, 32, 16)
HICOLOR_SIZES = (16, 32, 48, 64, 128, 256)
BANNER_SIZE = (580, 100)
BANNER_ICON = (76, 12, 12)        # size, x, y of the icon on the banner


def drawing(path):
    """The drawing commands of an .mvg file, without its comment lines.

    The commands are handed to -draw as text: the usual ImageMagick policy
    forbids reading them from a file with @path.
    """
    with open(path, encoding="utf-8") as source:
        lines = [line for line in source if not line.lstrip().startswith("#")]
    return "".join(lines)


def convert(*args, data=None):
    result = subprocess.run([CONVERT, *args], input=data,
                            stdout=subprocess.PIPE, check=True)
    return result.stdout


def render_icon(size):
    """RGBA bytes (8 bits a channel, top row first) of the icon at size x size."""
    source = SMALL_ICON_SOURCE if size in SMALL_SIZES else ICON_SOURCE
    rgba = convert("-size", f"{CANVAS}x{CANVAS}", "xc:none",
                   "-draw", drawing(source),
                   "-resize", f"{size}x{size}!",
                   "-depth", "8", "rgba:-")
    if len(rgba) != size * size * 4:
        raise RuntimeError(f"unexpected pixel data for the {size} px icon")
    return rgba


def png_from_rgba(rgba, size):
    # -strip keeps time stamps out, so that unchanged art gives unchanged files.
    return convert("-size", f"{size}x{size}", "-depth", "8", "rgba:-",
                   "-strip", "png32:-", data=rgba)


def bmp_from_rgba(rgba, size):
    """An ICO image entry: BITMAPINFOHEADER, BGRA rows bottom-up, AND mask.

    The header's height counts the colour rows and the mask rows together.
    The mask marks fully transparent pixels for readers that ignore alpha.
    """
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         0, 0, 0, 0, 0)
    mask_stride = ((size + 31) // 32) * 4
    pixels = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):
        row = rgba[y * size * 4:(y + 1) * size * 4]
        mask_row = bytearray(mask_stride)
        for x in range(size):
            r, g, b, a = row[x * 4:x * 4 + 4]
            pixels += bytes((b, g, r, a))
            if a == 0:
                mask_row[x // 8] |= 0x80 >> (x % 8)
        mask += mask_row
    return header + bytes(pixels) + bytes(mask)


def ico_from_images(images):
    """images: (size, encoded bytes) in directory order."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, data in images:
        side = 0 if size >= 256 else size
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32,
                               len(data), offset)
        offset += len(data)
    return directory + entries + b"".join(data for _, data in images)


def write(relative_path, data):
    path = os.path.join(RESOURCES_DIR, relative_path)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as target:
        target.write(data)
    print(f"wrote {relative_path} ({len(data)} bytes)")


def make_banner(scale, name):
    """The banner drawn at scale times its size, from the same drawing."""
    width, height = (side * scale for side in BANNER_SIZE)
    icon_size, x, y = (value * scale for value in BANNER_ICON)
    icon = png_from_rgba(render_icon(icon_size), icon_size)
    # Baseline (not progressive), 8-bit, three components: the forms every
    # JPEG reader accepts. 4:4:4 sampling keeps the lettering's edges clean.
    jpeg = convert("-size", f"{width}x{height}", "xc:black",
                   "-draw", f"scale {scale},{scale}\n" + drawing(BANNER_SOURCE),
                   "png:-", "-geometry", f"+{x}+{y}", "-composite",
                   "-strip", "-colorspace", "sRGB", "-type", "TrueColor",
                   "-depth", "8", "-interlace", "none",
                   "-sampling-factor", "1x1", "-quality", "92", "jpeg:-",
                   data=icon)
    write(os.path.join("banners", name), jpeg)


def make_icons():
    rgba = {size: render_icon(size) for size in set(ICO_SIZES + HICOLOR_SIZES)}
    png = {size: png_from_rgba(rgba[size], size) for size in HICOLOR_SIZES}
    for size in HICOLOR_SIZES:
        write(os.path.join("icons", "hicolor", f"{size}x{size}", "apps",
                           "tarvelo.png"), png[size])
    images = [(size, png[size] if size >= 256 else bmp_from_rgba(rgba[size], size))
              for size in ICO_SIZES]
    write(os.path.join("banners", "ICON_VIDEO.ico"), ico_from_images(images))


def jpeg_frame(data):
    """(marker, precision, height, width, components) of a JPEG's frame header."""
    if data[:2] != b"\xff\xd8":
        raise ValueError("not a JPEG file")
    pos = 2
    while pos + 4 <= len(data):
        if data[pos] != 0xFF:
            raise ValueError(f"bad JPEG marker at byte {pos}")
        marker = data[pos + 1]
        length = struct.unpack(">H", data[pos + 2:pos + 4])[0]
        if 0xC0 <= marker <= 0xCF and marker not in (0xC4, 0xC8, 0xCC):
            precision, height, width, components = struct.unpack(
                ">BHHB", data[pos + 4:pos + 10])
            return marker, precision, height, width, components
        pos += 2 + length
    raise ValueError("no frame header in the JPEG file")


def check_banner(data, scale=1):
    marker, precision, height, width, components = jpeg_frame(data)
    problems = []
    if marker != 0xC0:
        problems.append(f"frame marker 0xFF{marker:02X}, not baseline 0xFFC0")
    if precision != 8:
        problems.append(f"{precision}-bit samples")
    if components != 3:
        problems.append(f"{components} components")
    if (width, height) != tuple(side * scale for side in BANNER_SIZE):
        problems.append(f"{width} x {height} pixels")
    return problems


def check_icon(data):
    problems = []
    reserved, kind, count = struct.unpack("<HHH", data[:6])
    if reserved != 0 or kind != 1:
        return ["not an icon file"]
    if count != len(ICO_SIZES):
        problems.append(f"{count} images")
    for index in range(count):
        (width, height, colours, _, planes, bpp, length,
         offset) = struct.unpack("<BBBBHHII", data[6 + 16 * index:22 + 16 * index])
        image = data[offset:offset + length]
        expected = ICO_SIZES[index] if index < len(ICO_SIZES) else None
        side = width or 256
        where = f"image {index + 1}"
        if side != expected or (height or 256) != side:
            problems.append(f"{where}: {side} x {height or 256}, expected {expected}")
        if colours != 0 or planes != 1 or bpp != 32:
            problems.append(f"{where}: {colours} colours, {planes} planes, {bpp} bpp")
        if len(image) != length:
            problems.append(f"{where}: runs past the end of the file")
        elif side >= 256:
            if image[:8] != b"\x89PNG\r\n\x1a\n":
                problems.append(f"{where}: not PNG-encoded")
            elif image[24:26] != b"\x08\x06":
                problems.append(f"{where}: PNG is not 8-bit RGBA")
        else:
            size, w, h, bmp_planes, bmp_bpp, compression = struct.unpack(
                "<IiiHHI", image[:20])
            if (size, w, h, bmp_planes, bmp_bpp, compression) != (
                    40, side, side * 2, 1, 32, 0):
                problems.append(f"{where}: not a 32-bit uncompressed bitmap")
    return problems


def check():
    """Verify the committed outputs; returns the number of problems found."""
    problems = []
    with open(os.path.join(RESOURCES_DIR, "banners", "AVI"), "rb") as banner:
        problems += [f"banners/AVI: {p}" for p in check_banner(banner.read())]
    with open(os.path.join(RESOURCES_DIR, "banners", "AVI@2x"), "rb") as banner:
        problems += [f"banners/AVI@2x: {p}" for p in check_banner(banner.read(), 2)]
    with open(os.path.join(RESOURCES_DIR, "banners", "ICON_VIDEO.ico"), "rb") as icon:
        problems += [f"banners/ICON_VIDEO.ico: {p}" for p in check_icon(icon.read())]
    for problem in problems:
        print(problem, file=sys.stderr)
    if not problems:
        print("banners/AVI, banners/AVI@2x and banners/ICON_VIDEO.ico are in the expected formats")
    return len(problems)


def main():
    if sys.argv[1:] not in ([], ["--check"]):
        print(f"usage: {sys.argv[0]} [--check]", file=sys.stderr)
        return 2
    if not sys.argv[1:]:
        make_icons()
        make_banner(1, "AVI")
        make_banner(2, "AVI@2x")
    return 1 if check() else 0


if __name__ == "__main__":
    sys.exit(main())
