"""The program as a screen reader sees it: its accessibility tree read through the AT-SPI bus.

Every read goes to the program afresh (no cache), since nothing here runs an event loop that would
keep a cache up to date."""

import os
import time

from desktop import Failure, Skip, wait_until

_registry = None


def _atspi():
    global _registry
    if _registry is None:
        try:
            import gi
            gi.require_version("Atspi", "2.0")
            from gi.repository import Atspi
        except (ImportError, ValueError) as error:
            raise Skip(f"needs python3-pyatspi ({error})")
        Atspi.init()
        desktop = Atspi.get_desktop(0)
        desktop.set_cache_mask(Atspi.Cache.NONE)
        _registry = Atspi
    return _registry


class Node:
    """One accessible object, read once: role, name, description, states, place and children
    (read when asked for)."""

    def __init__(self, accessible):
        Atspi = _atspi()
        self.acc = accessible
        self.role = accessible.get_role_name()
        self.name = accessible.get_name() or ""
        self.description = accessible.get_description() or ""
        states = accessible.get_state_set()
        self.states = {Atspi.StateType(s).value_nick for s in states.get_states()}
        self._children = None

    @property
    def children(self):
        if self._children is None:
            count = self.acc.get_child_count()
            kids = []
            for i in range(count):
                child = self.acc.get_child_at_index(i)
                if child is not None:
                    kids.append(Node(child))
            self._children = kids
        return self._children

    def extents(self):
        """(x, y, width, height) on the screen."""
        Atspi = _atspi()
        rect = self.acc.get_extents(Atspi.CoordType.SCREEN)
        return rect.x, rect.y, rect.width, rect.height

    def centre(self):
        x, y, w, h = self.extents()
        return x + w // 2, y + h // 2

    def text(self):
        """The text of a text field, or None when the object has none."""
        text = self.acc.get_text_iface() if hasattr(self.acc, "get_text_iface") else None
        if text is None:
            return None
        return text.get_text(0, text.get_character_count())

    def do_action(self, name):
        """Runs one of the object's actions by name (a screen reader's 'activate')."""
        action = self.acc.get_action_iface()
        if action is None:
            raise Failure(f"{self} has no actions")
        for i in range(action.get_n_actions()):
            if action.get_action_name(i) == name:
                action.do_action(i)
                return
        raise Failure(f"{self} has no action {name!r}")

    def walk(self, depth=12):
        yield self
        if depth > 0 and "defunct" not in self.states:
            for child in self.children:
                yield from child.walk(depth - 1)

    def find_all(self, role=None, name=None, description=None, predicate=None):
        return [n for n in self.walk()
                if (role is None or n.role == role) and (name is None or n.name == name)
                and (description is None or n.description == description)
                and (predicate is None or predicate(n))]

    def find(self, role=None, name=None, description=None, predicate=None):
        found = self.find_all(role, name, description, predicate)
        return found[0] if found else None

    def dump(self, depth=0, limit=8):
        line = "  " * depth + f"{self.role} {self.name!r}"
        if self.description:
            line += f" [{self.description}]"
        lines = [line]
        if depth < limit:
            for child in self.children:
                lines += child.dump(depth + 1, limit).splitlines()
        return "\n".join(lines)

    def __repr__(self):
        return f"<{self.role} {self.name!r}>"


def program(pid, timeout=15.0):
    """The program's application object on the bus."""
    Atspi = _atspi()

    def find():
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            try:
                if app is not None and app.get_process_id() == pid:
                    return Node(app)
            except Exception:  # an application leaving the bus meanwhile
                continue
        return None

    return wait_until("the program on the accessibility bus", find, timeout)


def windows(pid):
    """The program's windows that are showing, as the accessibility bus lists them."""
    app = program(pid)
    return [w for w in app.children if "showing" in w.states or "visible" in w.states]


def prepare_environment(env):
    """The bus the accessibility library joins is the desktop's: take its addresses."""
    for key in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"):
        os.environ[key] = env[key]
    os.environ.pop("AT_SPI_BUS_ADDRESS", None)


def capture(types, action, until, what, timeout=8.0):
    """Runs action while listening on the bus for events of the given types, the way a screen
    reader learns of a pop-up menu that no window lists; gives the first until(node, event)
    result that is true."""
    Atspi = _atspi()
    from gi.repository import GLib

    seen = []
    listener = Atspi.EventListener.new(seen.append)
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
