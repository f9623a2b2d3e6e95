"""The program as a screen reader sees it: its accessibility tree read through the AT-SPI bus,
afresh on every read (nothing here runs the event loop that would keep a cache up to date)."""

from desktop import wait_until

try:
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi
except (ImportError, ValueError) as missing:
    Atspi, MISSING = None, f"needs python3-pyatspi ({missing})"  # the tests skip


class Node:
    """One accessible object as read once; its children are read when asked for."""

    def __init__(self, accessible):
        self.acc = accessible
        self.role = accessible.get_role_name()
        self.name = accessible.get_name() or ""
        self.description = accessible.get_description() or ""
        self.states = {Atspi.StateType(s).value_nick
                       for s in accessible.get_state_set().get_states()}

    @property
    def children(self):
        kids = (self.acc.get_child_at_index(i) for i in range(self.acc.get_child_count()))
        return [Node(kid) for kid in kids if kid is not None]

    def extents(self):
        """(x, y, width, height) on the screen."""
        rect = self.acc.get_extents(Atspi.CoordType.SCREEN)
        return rect.x, rect.y, rect.width, rect.height

    def text(self):
        text = self.acc.get_text_iface()
        return text and text.get_text(0, text.get_character_count())

    def walk(self, depth=0):
        yield self
        if depth < 12 and "defunct" not in self.states:
            for child in self.children:
                yield from child.walk(depth + 1)

    def find_all(self, role=None, name=None):
        return [n for n in self.walk() if role in (None, n.role) and name in (None, n.name)]

    def find(self, role=None, name=None):
        return next(iter(self.find_all(role, name)), None)

    def dump(self):
        return "\n".join(f"{n.role} {n.name!r} [{n.description}]" for n in self.walk())

    def __repr__(self):
        return f"<{self.role} {self.name!r}>"


def program(pid):
    """The program's application object on the bus."""
    if Atspi.init() == 0:  # the first time, on the desktop's bus
        Atspi.get_desktop(0).set_cache_mask(Atspi.Cache.NONE)

    def find():
        desktop = Atspi.get_desktop(0)
        for app in (desktop.get_child_at_index(i) for i in range(desktop.get_child_count())):
            try:
                if app is not None and app.get_process_id() == pid:
                    return Node(app)
            except Exception:  # an application leaving the bus meanwhile
                continue
    return wait_until("the program on the accessibility bus", find, 15)
