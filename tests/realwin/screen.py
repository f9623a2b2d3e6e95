"""Screenshots as plain RGB rows, and the few measures the tests compare them by: what share of a
region changed or is dark, how many colours it holds, how far it is from another picture. Never
pixel-exact."""

import operator


class Shot:
    def __init__(self, width, height, rgb):
        if len(rgb) != width * height * 3:
            raise ValueError(f"a {width}x{height} screenshot of {len(rgb)} bytes")
        self.width, self.height, self.rgb = width, height, rgb

    def row(self, y, x=0, width=None):
        start = (y * self.width + x) * 3
        return self.rgb[start:start + 3 * (width or self.width)]

    def pixels(self, rect=None, step=1):
        """(x, y, (r, g, b)) for a region's pixels, every step-th one in both directions."""
        x, y, w, h = rect or (0, 0, self.width, self.height)
        if x < 0 or y < 0 or x + w > self.width or y + h > self.height or w <= 0 or h <= 0:
            raise ValueError(f"region {rect} is not inside the {self.width}x{self.height} shot")
        for j in range(y, y + h, step):
            row = self.row(j, x, w)
            for i in range(0, w * 3, 3 * step):
                yield x + i // 3, j, (row[i], row[i + 1], row[i + 2])

    def changed_share(self, other, rect, tolerance=24, step=2):
        """The share of the region's pixels that differ from the other shot's by more than the
        tolerance in some channel."""
        pairs = list(zip(self.pixels(rect, step), other.pixels(rect, step)))
        return sum(max(abs(p - q) for p, q in zip(a, b)) > tolerance
                   for (_, _, a), (_, _, b) in pairs) / len(pairs)

    def dark_share(self, rect=None, step=2):
        dark = [max(p) <= 24 for _, _, p in self.pixels(rect, step)]
        return sum(dark) / len(dark)

    def colours(self, rect, step=1):
        return len({p for _, _, p in self.pixels(rect, step)})

    def bright_box(self, rect, level=48):
        """The smallest (x, y, w, h) holding the region's pixels with a channel above level,
        or None."""
        x, y, w, h = rect
        above = bytes(int(v > level) for v in range(256))
        rows = ((j, self.row(j, x, w).translate(above)) for j in range(y, y + h))
        hits = [(j, row.find(1) // 3, row.rfind(1) // 3) for j, row in rows if 1 in row]
        if not hits:
            return None
        left, right = min(h[1] for h in hits), max(h[2] for h in hits)
        return x + left, hits[0][0], right - left + 1, hits[-1][0] - hits[0][0] + 1

    def difference(self, other, at, shift=2):
        """The mean channel difference between the other shot and the region of this one whose
        top-left corner is at, allowing the region to be off by up to `shift` pixels."""
        def mean(x, y):
            rows = range(0, other.height, 2)
            return sum(sum(map(abs, map(operator.sub, other.row(j), self.row(y + j, x,
                                                                             other.width))))
                       for j in rows) / (3 * other.width * len(rows))
        return min(mean(at[0] + dx, at[1] + dy) for dy in range(-shift, shift + 1)
                   for dx in range(-shift, shift + 1))
