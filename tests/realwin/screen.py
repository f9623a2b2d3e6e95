"""Screenshots as plain RGB rows, and the few measures the tests compare them by: what share of a
region changed, how much of it is dark, how many colours it holds. Never pixel-exact."""


class Shot:
    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    @staticmethod
    def from_ppm(data):
        # P6, then width, height and the largest value, separated by blanks, then one blank.
        fields, pos = [], 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos)
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        if fields[0] != b"P6" or fields[3] != b"255":
            raise ValueError("not an 8-bit binary PPM")
        width, height = int(fields[1]), int(fields[2])
        rgb = data[pos + 1:pos + 1 + width * height * 3]
        if len(rgb) != width * height * 3:
            raise ValueError("PPM cut short")
        return Shot(width, height, rgb)

    def to_ppm(self):
        return b"P6\n%d %d\n255\n" % (self.width, self.height) + self.rgb

    def _clip(self, rect):
        if rect is None:
            return 0, 0, self.width, self.height
        x, y, w, h = rect
        x0, y0 = max(0, x), max(0, y)
        x1, y1 = min(self.width, x + w), min(self.height, y + h)
        if x1 <= x0 or y1 <= y0:
            raise ValueError(f"region {rect} lies outside the {self.width}x{self.height} shot")
        return x0, y0, x1 - x0, y1 - y0

    def _rows(self, rect):
        x, y, w, h = self._clip(rect)
        stride = self.width * 3
        for row in range(y, y + h):
            start = row * stride + x * 3
            yield self.rgb[start:start + w * 3]

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def pixels(self, rect=None, step=1):
        """The pixels of a region, every step-th one in both directions."""
        for n, row in enumerate(self._rows(rect)):
            if n % step:
                continue
            for i in range(0, len(row), 3 * step):
                yield row[i], row[i + 1], row[i + 2]

    def changed_share(self, other, rect=None, tolerance=24, step=2):
        """The share of the region's pixels whose colour differs from the other shot by more
        than the tolerance in some channel."""
        if (self.width, self.height) != (other.width, other.height):
            raise ValueError("shots of different sizes")
        changed = total = 0
        for n, (a, b) in enumerate(zip(self._rows(rect), other._rows(rect))):
            if n % step:
                continue
            count = len(a) // (3 * step)
            total += count
            if a == b:
                continue
            for i in range(0, count * 3 * step, 3 * step):
                if (abs(a[i] - b[i]) > tolerance or abs(a[i + 1] - b[i + 1]) > tolerance
                        or abs(a[i + 2] - b[i + 2]) > tolerance):
                    changed += 1
        return changed / total if total else 0.0

    def dark_share(self, rect=None, level=24, step=2):
        """The share of the region that is black or nearly so."""
        dark = total = 0
        for r, g, b in self.pixels(rect, step):
            total += 1
            if r <= level and g <= level and b <= level:
                dark += 1
        return dark / total if total else 0.0

    def colours(self, rect=None, step=1):
        """How many different colours the region holds."""
        return len(set(self.pixels(rect, step)))

    def bounding_box(self, predicate, rect=None, step=1):
        """The smallest rectangle (x, y, w, h) holding every pixel of the region for which
        predicate((r, g, b)) is true, or None."""
        x0, y0, w, h = self._clip(rect)
        xs, ys = [], []
        for n, row in enumerate(self._rows(rect)):
            if n % step:
                continue
            for i in range(0, len(row), 3 * step):
                if predicate((row[i], row[i + 1], row[i + 2])):
                    xs.append(x0 + i // 3)
                    ys.append(y0 + n)
        if not xs:
            return None
        return min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1

    def _values(self, rect):
        x0, y0, w, h = self._clip(rect)
        return [[sum(self.pixel(x0 + i, y0 + j)) for i in range(w)] for j in range(h)]

    def doubling(self, rect):
        """How much of a region's detail lies on every other pixel boundary only: 1 for a
        picture drawn at half the resolution and doubled, near 0.5 for one drawn from device
        pixels. The larger of the two directions."""
        values = self._values(rect)
        columns = [list(c) for c in zip(*values)]
        shares = []
        for lines in (values, columns):
            counts = [0, 0]
            for line in lines:
                for i in range(len(line) - 1):
                    if abs(line[i + 1] - line[i]) > 24:
                        counts[i % 2] += 1
            total = sum(counts)
            shares.append(max(counts) / total if total else 0.5)
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
        diffs = [abs(line[i + 1] - line[i]) for line in values for i in range(len(line) - 1)]
        diffs += [abs(a - b) for upper, lower in zip(values, values[1:])
                  for a, b in zip(upper, lower)]
        diffs.sort(reverse=True)
        top = diffs[:max(1, len(diffs) // 50)]
        return sum(top) / len(top) / contrast

    def difference(self, other, at, step=2, shift=2):
        """The mean colour difference between the other shot and the region of this one whose
        top-left corner is at, allowing the region to be off by up to `shift` pixels."""
        best = None
        for dy in range(-shift, shift + 1):
            for dx in range(-shift, shift + 1):
                x0, y0 = at[0] + dx, at[1] + dy
                total = count = 0
                for y in range(0, other.height, step):
                    for x in range(0, other.width, step):
                        a = self.pixel(x0 + x, y0 + y)
                        b = other.pixel(x, y)
                        total += abs(a[0] - b[0]) + abs(a[1] - b[1]) + abs(a[2] - b[2])
                        count += 3
                mean = total / count
                best = mean if best is None else min(best, mean)
        return best
