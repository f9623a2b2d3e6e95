"""Screenshots as plain RGB rows, and the few measures the tests compare them by: what share of a
region changed, how much of it is dark, how many colours it holds. Never pixel-exact."""

import re


class Shot:
    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    @staticmethod
    def from_ppm(data):
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
        if not header:
            raise ValueError("not an 8-bit binary PPM")
        width, height = int(header[1]), int(header[2])
        rgb = data[header.end():header.end() + width * height * 3]
        if len(rgb) != width * height * 3:
            raise ValueError("PPM cut short")
        return Shot(width, height, rgb)

    def to_ppm(self):
        return b"P6\n%d %d\n255\n" % (self.width, self.height) + self.rgb

    def _clip(self, rect):
        x, y, w, h = rect or (0, 0, self.width, self.height)
        x0, y0 = max(0, x), max(0, y)
        x1, y1 = min(self.width, x + w), min(self.height, y + h)
        if x1 <= x0 or y1 <= y0:
            raise ValueError(f"region {rect} lies outside the {self.width}x{self.height} shot")
        return x0, y0, x1 - x0, y1 - y0

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def pixels(self, rect=None, step=1):
        """(x, y, (r, g, b)) for the pixels of a region, every step-th one in both directions."""
        x0, y0, w, h = self._clip(rect)
        for y in range(y0, y0 + h, step):
            start = (y * self.width + x0) * 3
            row = self.rgb[start:start + w * 3]
            for i in range(0, w * 3, 3 * step):
                yield x0 + i // 3, y, (row[i], row[i + 1], row[i + 2])

    def changed_share(self, other, rect=None, tolerance=24, step=2):
        """The share of the region's pixels whose colour differs from the other shot by more
        than the tolerance in some channel."""
        pairs = list(zip(self.pixels(rect, step), other.pixels(rect, step)))
        changed = sum(1 for (_, _, a), (_, _, b) in pairs
                      if a != b and max(abs(p - q) for p, q in zip(a, b)) > tolerance)
        return changed / len(pairs)

    def dark_share(self, rect=None, step=2):
        """The share of the region that is black or nearly so."""
        dark = [max(p) <= 24 for _, _, p in self.pixels(rect, step)]
        return sum(dark) / len(dark)

    def colours(self, rect=None, step=1):
        """How many different colours the region holds."""
        return len({p for _, _, p in self.pixels(rect, step)})

    def bounding_box(self, predicate, rect=None):
        """The smallest rectangle (x, y, w, h) holding every pixel of the region for which
        predicate((r, g, b)) is true, or None."""
        found = [(x, y) for x, y, p in self.pixels(rect) if predicate(p)]
        if not found:
            return None
        xs, ys = zip(*found)
        return min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1

    def _values(self, rect):
        x0, y0, w, h = self._clip(rect)
        return [[sum(self.pixel(x0 + i, y0 + j)) for i in range(w)] for j in range(h)]

    def doubling(self, rect):
        """How much of a region's detail lies on every other pixel boundary only: 1 for a
        picture drawn at half the resolution and doubled, near 0.5 for one drawn from device
        pixels. The larger of the two directions."""
        values = self._values(rect)
        shares = []
        for lines in (values, list(zip(*values))):
            counts = [0, 0]
            for line in lines:
                for i in range(len(line) - 1):
                    if abs(line[i + 1] - line[i]) > 24:
                        counts[i % 2] += 1
            shares.append(max(counts) / sum(counts) if sum(counts) else 0.5)
        return max(shares)

    def sharpness(self, rect):
        """How steep the region's strongest edges are: the mean of the top 2% of neighbour
        differences over the region's contrast. Text drawn at the device's resolution comes
        near 0.9; the same text drawn smaller and smoothly enlarged near 0.5."""
        values = self._values(rect)
        flat = [v for line in values for v in line]
        contrast = max(flat) - min(flat)
        if contrast == 0:
            return 0.0
        diffs = [abs(a - b) for lines in (values, list(zip(*values)))
                 for line in lines for a, b in zip(line, line[1:])]
        top = sorted(diffs, reverse=True)[:max(1, len(diffs) // 50)]
        return sum(top) / len(top) / contrast

    def difference(self, other, at, step=2, shift=2):
        """The mean colour difference between the other shot and the region of this one whose
        top-left corner is at, allowing the region to be off by up to `shift` pixels."""
        means = []
        for dy in range(-shift, shift + 1):
            for dx in range(-shift, shift + 1):
                total = count = 0
                for x, y, b in other.pixels(step=step):
                    a = self.pixel(at[0] + dx + x, at[1] + dy + y)
                    total += abs(a[0] - b[0]) + abs(a[1] - b[1]) + abs(a[2] - b[2])
                    count += 3
                means.append(total / count)
        return min(means)
