"""Screenshots as plain RGB rows, and the few measures the tests compare them by: what share of a
region changed or is dark, how many colours it holds, how far it is from another picture. Never
pixel-exact."""


class Shot:
    def __init__(self, width, height, rgb):
        if len(rgb) != width * height * 3:
            raise ValueError(f"a {width}x{height} screenshot of {len(rgb)} bytes")
        self.width, self.height, self.rgb = width, height, rgb

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def pixels(self, rect=None, step=1):
        """(x, y, (r, g, b)) for a region's pixels, every step-th one in both directions."""
        x, y, w, h = rect or (0, 0, self.width, self.height)
        if x < 0 or y < 0 or x + w > self.width or y + h > self.height or w <= 0 or h <= 0:
            raise ValueError(f"region {rect} is not inside the {self.width}x{self.height} shot")
        for j in range(y, y + h, step):
            row = self.rgb[(j * self.width + x) * 3:(j * self.width + x + w) * 3]
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

    def bounding_box(self, predicate, rect=None):
        """The smallest (x, y, w, h) holding the region's pixels for which predicate((r, g, b))
        is true, or None."""
        found = [(x, y) for x, y, p in self.pixels(rect) if predicate(p)]
        if not found:
            return None
        xs, ys = zip(*found)
        return min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1

    def difference(self, other, at, step=2, shift=2):
        """The mean colour difference between the other shot and the region of this one whose
        top-left corner is at, allowing the region to be off by up to `shift` pixels."""
        def mean(dx, dy):
            total = sum(abs(a - b) for x, y, q in other.pixels(step=step)
                        for a, b in zip(self.pixel(at[0] + dx + x, at[1] + dy + y), q))
            return total / (3 * len(range(0, other.width, step)) * len(range(0, other.height, step)))
        return min(mean(dx, dy) for dy in range(-shift, shift + 1)
                   for dx in range(-shift, shift + 1))
