"""The program under test as a person meets it: its windows on the screen, the keys and clicks
that drive it, and its controls on the accessibility bus, read there afresh each time (nothing
here runs the event loop that would keep a cache up to date)."""

import os
import time

from desktop import Skip, check, wait_until

try:
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi
except (ImportError, ValueError) as missing:
    Atspi, MISSING = None, f"needs python3-pyatspi ({missing})"  # the tests skip

MAIN_TITLE = "Orvane v3.0"
SCENARIOS = {}


def scenario(function):
    SCENARIOS[function.__name__] = function
    return function


def settle(seconds=0.3):
    """Lets a repaint that follows a change reach the screen."""
    time.sleep(seconds)


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
        return (n for n in self.walk() if role in (None, n.role) and name in (None, n.name))

    def find(self, role=None, name=None):
        return next(self.find_all(role, name), None)

    def dump(self):
        return "\n".join(f"{n.role} {n.name!r} [{n.description}]" for n in self.walk())

    def __repr__(self):
        return f"<{self.role} {self.name!r}>"


class Orvane:
    def __init__(self, desktop, shots_dir=None):
        if not Atspi:
            raise Skip(MISSING)
        self.d, self.shots_dir = desktop, shots_dir

    def start(self, leave_out=("splash.jpg",)):
        """Starts the program (on a CD without a splash unless asked) and gives the main window
        once it is active with its list focused."""
        self.d.start_program(leave_out)
        main = self.d.window("the main window", lambda w: w.name == MAIN_TITLE, 30)
        self.d.wait_active("the main window to be active", main)
        wait_until("the picture list to take the focus", self.list_focused)
        return main

    def app(self):
        """The program's application object on the bus."""
        if Atspi.init() == 0:  # the first time, on the desktop's bus
            Atspi.get_desktop(0).set_cache_mask(Atspi.Cache.NONE)

        def find():
            self.d.check_alive()
            desktop = Atspi.get_desktop(0)
            for app in (desktop.get_child_at_index(i) for i in range(desktop.get_child_count())):
                try:
                    if app is not None and app.get_process_id() == self.d.app.pid:
                        return Node(app)
                except Exception:  # an application leaving the bus meanwhile
                    continue
        return wait_until("the program on the accessibility bus", find, 15)

    def window_node(self, what, match):
        """A showing top-level window of the program on the accessibility bus."""
        return wait_until(f"{what} on the accessibility bus", lambda: next(
            (w for w in self.app().children
             if ("showing" in w.states or "visible" in w.states) and match(w)), None))

    def main_node(self):
        return self.window_node("the main window", lambda w: w.name == MAIN_TITLE)

    def list_node(self):
        return self.main_node().find(role="list")

    def list_focused(self):
        return "focused" in self.list_node().states

    def rows(self, selected=False):
        return [row.name for row in self.list_node().children
                if not selected or "selected" in row.states]

    def select_row(self, name):
        """Selects a list row with the keyboard, as a person would."""
        self.d.key("Home", *["Down"] * self.rows().index(name))
        wait_until(f"row {name!r} to be selected", lambda: self.rows(selected=True) == [name])

    def click_button(self, name, window):
        node = window.find(role="push button", name=name)
        check(node, f"no button {name!r} in {window}")
        x, y, w, h = node.extents()
        self.d.click(x + w // 2, y + h // 2)

    def save_doc_shot(self, shot, name, crop=None, scale=None):
        """Keeps a screenshot for the README when the run was asked for them."""
        if self.shots_dir:
            os.makedirs(self.shots_dir, exist_ok=True)
            self.d.save_png(shot, os.path.join(self.shots_dir, name), crop, scale)

    def viewer_window(self):
        """The window that covers the whole screen, once it does."""
        return self.d.window("the full-screen viewer", lambda w: w.rect == (0, 0) + self.d.size)

    def viewer_node(self):
        return self.window_node("the viewer", lambda w: w.extents() == (0, 0) + self.d.size)

    def shows(self, file_name):
        """Whether the viewer's caption, as a screen reader reads it, ends with the file's
        name without its extension (the caption may keep the folders)."""
        labels = list(self.viewer_node().find_all("label"))
        check(len(labels) == 1, f"the viewer should have one label, its caption: {labels}")
        return labels[0].name.strip().lower().split("\\")[-1] == file_name[:-4].lower()


def check_named(window, what):
    """Fails naming the objects of a window that a screen reader could not name or place."""
    def fault(node):
        if node.role in ("unknown", "invalid", "filler", "redundant object"):
            return "its role says nothing"
        if node.role != "separator" and not node.name.strip():
            return "no name"
        if node.role == "label" and not node.description:
            return "a label needs a description to be found by"
    bad = [f"{node}: {fault(node)}" for node in window.walk() if fault(node)]
    check(not bad, f"{what}:\n  " + "\n  ".join(bad))
