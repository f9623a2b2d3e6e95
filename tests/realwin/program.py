"""The program under test as a person meets it: its windows on the screen, its controls on the
accessibility bus, and the keys and clicks that drive it."""

import os
import time

import a11y
from desktop import Failure, Skip, wait_until

MAIN_TITLE = "Orvane v3.0"
SCENARIOS = {}

# A window or control that never shows is a failure; ORVANE_REALWIN_STRICT=0 makes it a skip, for
# a build that lacks a window on purpose.
STRICT = os.environ.get("ORVANE_REALWIN_STRICT", "1") == "1"


def scenario(function):
    SCENARIOS[function.__name__] = function
    return function


def check(condition, message):
    if not condition:
        raise Failure(message)


def feature(what, predicate, timeout=8.0):
    """Waits for the sign that a feature is present; without it the test cannot go on."""
    try:
        return wait_until(what, predicate, timeout)
    except Failure:
        if STRICT:
            raise
        raise Skip(f"not in this build yet: {what}")


class Orvane:
    def __init__(self, desktop, shots_dir=None):
        self.d = desktop
        self.shots_dir = shots_dir
        self.main_window = None

    # -- start-up -------------------------------------------------------------------------------

    def start(self):
        """Starts the program and waits for its main window; gives the X window. Only the
        splash test waits for the splash: the others start on a CD without one."""
        self.d.start_program(leave_out=("splash.jpg",))
        a11y.prepare_environment(self.d.env)
        self.main_window = self.d.window("the main window", lambda w: w.name == MAIN_TITLE,
                                         timeout=30)
        # Ready for input: active and its list focused.
        wait_until("the main window to be active",
                   lambda: self.d.active_window_id() == self.main_window.id, timeout=10)
        wait_until("the picture list to take the focus",
                   lambda: "focused" in self.list_node().states, timeout=10)
        return self.main_window

    # -- the accessibility tree -----------------------------------------------------------------

    def app(self):
        return a11y.program(self.d.app.pid)

    def window_node(self, name=None, predicate=None, timeout=10.0):
        """A showing top-level window of the program on the accessibility bus."""
        def find():
            for w in self.app().children:
                if "showing" not in w.states and "visible" not in w.states:
                    continue
                if (name is None or w.name == name) and (predicate is None or predicate(w)):
                    return w
            return None
        return wait_until(f"window {name or predicate} on the accessibility bus", find, timeout)

    def main_node(self):
        return self.window_node(MAIN_TITLE)

    def list_node(self):
        node = self.main_node().find(role="list")
        check(node is not None, "the main window has no list on the accessibility bus")
        return node

    def rows(self):
        return [row.name for row in self.list_node().children]

    def selected_rows(self):
        return [row.name for row in self.list_node().children if "selected" in row.states]

    def info_line(self):
        node = self.main_node().find(role="label", description="Picture information")
        check(node is not None, "no label described as 'Picture information'")
        return node.name

    def preview_node(self):
        """The preview picture: an image inside the frame named Preview."""
        frame = self.main_node().find(name="Preview")
        check(frame is not None, "nothing named 'Preview' in the main window")
        image = frame.find(role="image")
        return frame, image

    def select_row(self, name):
        """Selects a list row with the keyboard, as a person would."""
        rows = self.rows()
        index = rows.index(name)
        self.d.key("Home")
        if index:
            self.d._run(["xdotool", "key", "--repeat", str(index), "--delay", "40", "Down"])
        wait_until(f"row {name!r} to be selected", lambda: self.selected_rows() == [name])

    def button(self, name, window=None):
        window = window or self.main_node()
        node = window.find(role="push button", name=name)
        check(node is not None, f"no button {name!r} in {window}")
        return node

    def click_node(self, node, button=1):
        x, y = node.centre()
        self.d.click(x, y, button)

    def click_button(self, name, window=None):
        self.click_node(self.button(name, window))

    # -- screenshots ----------------------------------------------------------------------------

    def save_doc_shot(self, shot, name, crop=None, scale=None):
        """Keeps a screenshot for the README when the run was asked for them."""
        if not self.shots_dir:
            return
        os.makedirs(self.shots_dir, exist_ok=True)
        self.d.save_png(shot, os.path.join(self.shots_dir, name), crop, scale)

    def frame_rect(self, window):
        """The window with its title bar and border, as a person sees it."""
        out = self.d._run(["xprop", "-id", str(window.id), "_NET_FRAME_EXTENTS"],
                          check=False).stdout.decode()
        left = right = top = bottom = 0
        if "=" in out:
            left, right, top, bottom = (int(v) for v in out.split("=")[1].split(","))
        return (window.x - left, window.y - top, window.width + left + right,
                window.height + top + bottom)

    # -- the viewer -----------------------------------------------------------------------------

    def viewer_window(self, timeout=8.0):
        """The window that covers the whole screen, once it does."""
        width, height = self.d.size

        def covering():
            for w in reversed(self.d.windows()):
                if (w.x, w.y, w.width, w.height) == (0, 0, width, height):
                    return w
            return None
        return feature("the full-screen viewer", covering, timeout)

    def viewer_node(self):
        width, height = self.d.size

        def covers(w):
            return w.extents() == (0, 0, width, height)
        return self.window_node(predicate=covers)

    def caption(self):
        """The viewer's caption, as a screen reader reads it."""
        labels = self.viewer_node().find_all(role="label")
        check(len(labels) == 1, f"the viewer should have one label, its caption: {labels}")
        return labels[0].name


def settle(seconds=0.3):
    """Lets a repaint that follows a change reach the screen."""
    time.sleep(seconds)


def title_of(file_name):
    """The main window's title for a list row: the name without its extension, capitalised."""
    stem = file_name[:-4] if len(file_name) > 4 else file_name
    return stem[:1].upper() + stem[1:].lower()


def size_text(size):
    """The information line's file size."""
    if size >= 1048576:
        return f"{size / 1048576:.2f} MB"
    if size >= 1024:
        return f"{size / 1024:.1f} KB"
    return f"{size} Bytes"


def viewer_title_matches(caption, file_name):
    """Whether the viewer's caption shows a list row's picture: the viewer's title keeps the
    folders, so only its end is the file name."""
    stem = file_name[:-4].lower()
    text = caption.strip().lower()
    return text == stem or text.endswith("\\" + stem)


def unnamed(window):
    """The objects of a window that a screen reader could not name or place."""
    bad = []
    for node in window.walk():
        if node.role == "separator":
            continue
        if node.role in ("unknown", "invalid", "filler", "redundant object"):
            bad.append(f"{node}: role says nothing")
        elif not node.name.strip():
            bad.append(f"{node}: no name")
        elif node.role == "label" and not node.description:
            bad.append(f"{node}: a label needs a description to be found by")
    return bad
