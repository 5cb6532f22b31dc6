"""Pictures for the system tests: 24-bit RGB images read from the driver's BMP captures and from PNG
references, written as PNG, compared and cut."""

import os
import struct
import zlib

from .environment import HarnessError

REFERENCE_DIR = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "reference")

# A channel may differ by this much (scaling and colour rounding of another Wine), and this fraction
# of the pixels may differ beyond it, so that only a moved, missing or different image fails. The
# smallest real change on the tuner, the flat sign turned sharp, changes 0.03% of the pixels.
CHANNEL_TOLERANCE = 40
MAX_DIFFERING = 0.0002


class Image:
    """A 24-bit RGB picture: width, height and rows of bytes (R, G, B per pixel), top row first."""

    def __init__(self, width, height, rows):
        self.width, self.height, self.rows = width, height, rows

    @classmethod
    def read_bmp(cls, path):
        with open(path, "rb") as f:
            data = f.read()
        if data[:2] != b"BM":
            raise HarnessError("%s is not a BMP file" % path)
        offset = struct.unpack_from("<I", data, 10)[0]
        width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
        if bits != 24:
            raise HarnessError("%s: only 24-bit BMP files are read (this one has %d bits)" % (path, bits))
        stride = (width * 3 + 3) & ~3
        rows = []
        for y in range(abs(height)):
            src = y if height < 0 else abs(height) - 1 - y
            bgr = data[offset + src * stride: offset + src * stride + width * 3]
            rgb = bytearray(len(bgr))
            rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
            rows.append(bytes(rgb))
        return cls(width, abs(height), rows)

    @classmethod
    def read_png(cls, path):
        """An 8-bit RGB or RGBA PNG (not interlaced)."""
        with open(path, "rb") as f:
            data = f.read()
        if data[:8] != b"\x89PNG\r\n\x1a\n":
            raise HarnessError("%s is not a PNG file" % path)
        pos, idat, header = 8, b"", None
        while pos < len(data):
            length, kind = struct.unpack_from(">I4s", data, pos)
            body = data[pos + 8: pos + 8 + length]
            if kind == b"IHDR":
                header = struct.unpack(">IIBBBBB", body)
            elif kind == b"IDAT":
                idat += body
            pos += 12 + length
        width, height, depth, colour, _, _, interlace = header
        if depth != 8 or colour not in (2, 6) or interlace:
            raise HarnessError("%s: only 8-bit RGB or RGBA PNG files are read" % path)
        bpp = 3 if colour == 2 else 4
        raw = zlib.decompress(idat)
        stride = width * bpp
        rows, previous = [], bytearray(stride)
        for y in range(height):
            start = y * (stride + 1)
            kind, line = raw[start], bytearray(raw[start + 1: start + 1 + stride])
            for i in range(stride):
                left = line[i - bpp] if i >= bpp else 0
                up = previous[i]
                corner = previous[i - bpp] if i >= bpp else 0
                if kind == 1:
                    line[i] = (line[i] + left) & 0xFF
                elif kind == 2:
                    line[i] = (line[i] + up) & 0xFF
                elif kind == 3:
                    line[i] = (line[i] + (left + up) // 2) & 0xFF
                elif kind == 4:
                    p = left + up - corner
                    pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                    line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 0xFF
            previous = line
            if bpp == 4:
                line = bytearray(b for i, b in enumerate(line) if i % 4 != 3)
            rows.append(bytes(line))
        return cls(width, height, rows)

    def pixel(self, x, y):
        row = self.rows[y]
        return tuple(row[3 * x: 3 * x + 3])

    def crop(self, left, top, right, bottom):
        return Image(right - left, bottom - top, [r[3 * left: 3 * right] for r in self.rows[top:bottom]])

    def colours(self):
        """The set of distinct colours."""
        seen = set()
        for row in self.rows:
            for i in range(0, len(row), 3):
                seen.add(row[i: i + 3])
        return {tuple(c) for c in seen}

    def count_where(self, predicate):
        n = 0
        for row in self.rows:
            for i in range(0, len(row), 3):
                if predicate(row[i], row[i + 1], row[i + 2]):
                    n += 1
        return n

    def ink_box(self, left, top, right, bottom, darker_than=110):
        """Bounding box (left, top, right, bottom, exclusive) of the dark pixels inside a rectangle, or
        None when there are none."""
        xs, ys = [], []
        for y in range(max(top, 0), min(bottom, self.height)):
            row = self.rows[y]
            for x in range(max(left, 0), min(right, self.width)):
                if sum(row[3 * x: 3 * x + 3]) < 3 * darker_than:
                    xs.append(x)
                    ys.append(y)
        return (min(xs), min(ys), max(xs) + 1, max(ys) + 1) if xs else None

    def difference(self, other, tolerance=0):
        """Fraction of pixels whose channels differ by more than tolerance (pictures of one size)."""
        if (self.width, self.height) != (other.width, other.height):
            raise HarnessError("pictures differ in size: %dx%d and %dx%d"
                               % (self.width, self.height, other.width, other.height))
        differing = 0
        for a, b in zip(self.rows, other.rows):
            if a == b:
                continue
            for i in range(0, len(a), 3):
                if max(abs(a[i] - b[i]), abs(a[i + 1] - b[i + 1]), abs(a[i + 2] - b[i + 2])) > tolerance:
                    differing += 1
        return differing / float(self.width * self.height)

    def write_png(self, path):
        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

        raw = b"".join(b"\0" + row for row in self.rows)
        png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0))
               + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))
        with open(path, "wb") as f:
            f.write(png)
        return path


def bmp_to_png(bmp_path, png_path):
    return Image.read_bmp(bmp_path).write_png(png_path)


def read_png(path):
    return Image.read_png(path)


def matches_reference(actual, reference_name):
    """True when a picture matches a reference picture within the tolerances (for polling)."""
    reference = read_png(os.path.join(REFERENCE_DIR, reference_name))
    return ((reference.width, reference.height) == (actual.width, actual.height)
            and actual.difference(reference, CHANNEL_TOLERANCE) <= MAX_DIFFERING)


def difference_picture(actual, reference, tolerance):
    """The actual picture dimmed to grey, with the pixels that differ from the reference in red."""
    rows = []
    for a, b in zip(actual.rows, reference.rows):
        out = bytearray()
        for i in range(0, len(a), 3):
            if max(abs(a[i] - b[i]), abs(a[i + 1] - b[i + 1]), abs(a[i + 2] - b[i + 2])) > tolerance:
                out += b"\xff\x00\x00"
            else:
                grey = (a[i] + a[i + 1] + a[i + 2]) // 6 + 96
                out += bytes((grey, grey, grey))
        rows.append(bytes(out))
    return Image(actual.width, actual.height, rows)


def region(image, box):
    """The part of a picture inside an inclusive box (left, right, top, bottom), clipped to the picture."""
    left, right, top, bottom = box
    return image.crop(max(left, 0), max(top, 0), min(right + 1, image.width), min(bottom + 1, image.height))
