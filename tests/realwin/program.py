"""The program under test as a person meets it: its windows on the screen, its controls on the
accessibility bus, and the keys and clicks that drive it."""

import os
import time

import a11y
from desktop import Skip, check, wait_until

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
        if not a11y.Atspi:
            raise Skip(a11y.MISSING)
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
        return a11y.program(self.d.app.pid)

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
        labels = self.viewer_node().find_all("label")
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
