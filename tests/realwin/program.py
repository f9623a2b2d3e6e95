"""The program under test as a person meets it: its windows on the screen, its controls on the
accessibility bus, and the keys and clicks that drive it."""

import os
import time

import a11y
from desktop import check, wait_until

MAIN_TITLE = "Orvane v3.0"
SCENARIOS = {}


def scenario(function):
    SCENARIOS[function.__name__] = function
    return function


def settle(seconds=0.3):
    """Lets a repaint that follows a change reach the screen."""
    time.sleep(seconds)


class Orvane:
    def __init__(self, desktop, shots_dir=None):
        self.d = desktop
        self.shots_dir = shots_dir
        self.main_window = None

    def start(self, leave_out=("splash.jpg",)):
        """Starts the program (on a CD without a splash unless asked) and gives the main window
        once it is active with its list focused."""
        self.d.start_program(leave_out)
        self.main_window = self.d.window("the main window", lambda w: w.name == MAIN_TITLE, 30)
        self.d.wait_active("the main window to be active", self.main_window)
        wait_until("the picture list to take the focus", self.list_focused)
        return self.main_window

    def app(self):
        return a11y.program(self.d.app.pid)

    def window_node(self, what, match):
        """A showing top-level window of the program on the accessibility bus."""
        return wait_until(f"{what} on the accessibility bus", lambda: next(
            (w for w in self.app().children
             if ("showing" in w.states or "visible" in w.states) and match(w)), None))

    def main_node(self):
        return self.window_node("the main window", lambda w: w.name == MAIN_TITLE)

    def list_node(self):
        node = self.main_node().find(role="list")
        check(node is not None, "the main window has no list on the accessibility bus")
        return node

    def list_focused(self):
        return "focused" in self.list_node().states

    def rows(self):
        return [row.name for row in self.list_node().children]

    def selected_rows(self):
        return [row.name for row in self.list_node().children if "selected" in row.states]

    def select_row(self, name):
        """Selects a list row with the keyboard, as a person would."""
        index = self.rows().index(name)
        self.d.key("Home")
        if index:
            self.d.key("Down", repeat=index)
        wait_until(f"row {name!r} to be selected", lambda: self.selected_rows() == [name])

    def click_button(self, name, window):
        node = window.find(role="push button", name=name)
        check(node is not None, f"no button {name!r} in {window}")
        x, y, w, h = node.extents()
        self.d.click(x + w // 2, y + h // 2)

    def save_doc_shot(self, shot, name, crop=None, scale=None):
        """Keeps a screenshot for the README when the run was asked for them."""
        if self.shots_dir:
            os.makedirs(self.shots_dir, exist_ok=True)
            self.d.save_png(shot, os.path.join(self.shots_dir, name), crop, scale)

    def viewer_window(self):
        """The window that covers the whole screen, once it does."""
        full = (0, 0) + self.d.size
        return self.d.window("the full-screen viewer", lambda w: w.rect == full, 8)

    def viewer_node(self):
        full = (0, 0) + self.d.size
        return self.window_node("the viewer", lambda w: w.extents() == full)

    def shows(self, file_name):
        """Whether the viewer's caption, as a screen reader reads it, ends with the file's
        name without its extension (the caption may keep the folders)."""
        labels = self.viewer_node().find_all("label")
        check(len(labels) == 1, f"the viewer should have one label, its caption: {labels}")
        text = labels[0].name.strip().lower()
        stem = file_name[:-4].lower()
        return text == stem or text.endswith("\\" + stem)


def check_named(window, what):
    """Fails naming the objects of a window that a screen reader could not name or place."""
    bad = []
    for node in window.walk():
        if node.role in ("unknown", "invalid", "filler", "redundant object"):
            bad.append(f"{node}: role says nothing")
        elif node.role != "separator" and not node.name.strip():
            bad.append(f"{node}: no name")
        elif node.role == "label" and not node.description:
            bad.append(f"{node}: a label needs a description to be found by")
    check(not bad, f"{what}:\n  " + "\n  ".join(bad))
