"""The program as a screen reader sees it: its accessibility tree read through the AT-SPI bus.

Every read goes to the program afresh (no cache), since nothing here runs an event loop that would
keep a cache up to date."""

import time

from desktop import Failure, Skip, wait_until

_atspi = None


def atspi():
    global _atspi
    if _atspi is None:
        try:
            import gi
            gi.require_version("Atspi", "2.0")
            from gi.repository import Atspi
        except (ImportError, ValueError) as error:
            raise Skip(f"needs python3-pyatspi ({error})")
        Atspi.init()
        Atspi.get_desktop(0).set_cache_mask(Atspi.Cache.NONE)
        _atspi = Atspi
    return _atspi


class Node:
    """One accessible object, read once: role, name, description, states, place and children
    (read when asked for)."""

    def __init__(self, accessible):
        self.acc = accessible
        self.role = accessible.get_role_name()
        self.name = accessible.get_name() or ""
        self.description = accessible.get_description() or ""
        self.states = {atspi().StateType(s).value_nick
                       for s in accessible.get_state_set().get_states()}
        self._children = None

    @property
    def children(self):
        if self._children is None:
            kids = (self.acc.get_child_at_index(i) for i in range(self.acc.get_child_count()))
            self._children = [Node(kid) for kid in kids if kid is not None]
        return self._children

    def extents(self):
        """(x, y, width, height) on the screen."""
        rect = self.acc.get_extents(atspi().CoordType.SCREEN)
        return rect.x, rect.y, rect.width, rect.height

    def text(self):
        """The text of a text field, or None when the object has none."""
        text = self.acc.get_text_iface()
        return text and text.get_text(0, text.get_character_count())

    def walk(self, depth=12):
        yield self
        if depth > 0 and "defunct" not in self.states:
            for child in self.children:
                yield from child.walk(depth - 1)

    def find_all(self, role=None, name=None, description=None):
        return [n for n in self.walk()
                if (role is None or n.role == role) and (name is None or n.name == name)
                and (description is None or n.description == description)]

    def find(self, role=None, name=None, description=None):
        found = self.find_all(role, name, description)
        return found[0] if found else None

    def dump(self, depth=0, limit=10):
        line = "  " * depth + f"{self.role} {self.name!r}"
        line += f" [{self.description}]" if self.description else ""
        if depth < limit:
            return "\n".join([line] + [child.dump(depth + 1, limit) for child in self.children])
        return line

    def __repr__(self):
        return f"<{self.role} {self.name!r}>"


def program(pid, timeout=15.0):
    """The program's application object on the bus."""
    def find():
        desktop = atspi().get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            try:
                if app is not None and app.get_process_id() == pid:
                    return Node(app)
            except Exception:  # an application leaving the bus meanwhile
                continue
        return None
    return wait_until("the program on the accessibility bus", find, timeout)


def capture(types, action, until, what, timeout=8.0):
    """Runs action while listening on the bus for events of the given types, the way a screen
    reader learns of a pop-up menu that no window lists; gives the first until(node, event)
    result that is true."""
    from gi.repository import GLib

    seen = []
    listener = atspi().EventListener.new(seen.append)
    for kind in types:
        listener.register(kind)
    context = GLib.MainContext.default()
    try:
        action()
        deadline = time.monotonic() + timeout
        while True:
            while context.iteration(False):
                pass
            for event in seen:
                try:
                    result = until(Node(event.source), event)
                except Exception:  # an object gone meanwhile
                    continue
                if result:
                    return result
            seen.clear()
            if time.monotonic() > deadline:
                raise Failure(f"timed out after {timeout:.0f} s waiting for {what}")
            time.sleep(0.02)
    finally:
        for kind in types:
            listener.deregister(kind)
