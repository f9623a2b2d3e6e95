#!/usr/bin/python3
"""Which window a message box or dialog belongs to and hands the keyboard back to, and which
screen a window opens on when there are two. Run as run.py is, one scenario a time:
ORVANE_XVFB_DISPLAY picks the X server's display number."""

import os
import shutil
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import desktop  # noqa: E402
from desktop import wait_until  # noqa: E402
from program import check, scenario, settle  # noqa: E402

BRIGHT = "welcome.bmp"  # 640 x 480, bright on the viewer's black


class Desktop(desktop.Desktop):
    """The harness's desktop; with `screens`, one X screen cut into monitors side by side."""

    def __init__(self, *args, screens=None, **options):
        super().__init__(*args, **options)
        self.screens = screens
        if screens:
            self.size = (sum(w for w, _ in screens), max(h for _, h in screens))

    def _start(self, name, argv, **options):
        number = os.environ.get("ORVANE_XVFB_DISPLAY")
        if name == "xvfb" and number:
            argv = argv[:1] + [":" + number] + argv[1:]
        return super()._start(name, argv, **options)

    def _start_x(self):
        if self.screens and shutil.which("xrandr") is None:
            raise desktop.Skip("needs xrandr (x11-xserver-utils)")
        super()._start_x()
        x = 0
        for i, (w, h) in enumerate(self.screens or ()):
            output = "screen" if i == 0 else "none"  # the first takes the output: primary
            self.run(["xrandr", "--setmonitor", f"M{i}", f"{w}/{w}x{h}/{h}+{x}+0", output])
            x += w


def bright_box(o, rect):
    return o.d.shot().bounding_box(lambda p: max(p) > 48, rect)


def open_viewer(o):
    o.start()
    o.select_row(BRIGHT)
    o.d.key("Return")
    return o.d.window("the viewer", lambda w: w.rect == (0, 0) + o.d.size)


def menu_item(o, key, title):
    """Right-clicks the viewer, picks an item by its access key and gives the window it opens."""
    o.d.click(5, 5, button=3)
    settle()
    o.d.key(key)
    return o.d.window(title, lambda w: w.name == title)


def handed_back(o, owner, window, key="Escape"):
    """Closes a window with a key; the window it belongs to has the keyboard again."""
    o.d.key(key)
    o.d.wait_gone(f"{window.name!r} to close", window)
    o.d.wait_active(f"its owner to be active again after {window.name!r}", owner)


@scenario
def messages_hand_back_to_their_window(o):
    viewer = open_viewer(o)
    area = (0, 0, o.d.size[0], o.d.size[1] - 60)
    o.d.key("Up")
    zoomed = wait_until("the zoom", lambda: (bright_box(o, area) or (0,) * 4)[2] > 640 and
                        bright_box(o, area))
    handed_back(o, viewer, menu_item(o, "w", "Change desktop wallpaper"))
    settle()
    check(bright_box(o, area) == zoomed, "Cancel on the wallpaper question undid the zoom")
    handed_back(o, viewer, menu_item(o, "o", "Open With"))
    save = menu_item(o, "s", "Save Image")
    o.d.key("Tab", "Tab", "ctrl+a", "BackSpace", "alt+s")  # no file name: the dialog says so
    message = o.d.window("the message", lambda w: w.name == "orvane" and w.width < 600)
    handed_back(o, save, message, "Return")
    handed_back(o, viewer, save)
    wait_until("the picture fitted again", lambda: bright_box(o, area)[2] == 640)
    o.d.key("Escape")
    o.d.wait_gone("the viewer to close on Escape", viewer)


@scenario
def windows_open_on_their_openers_screen(o):
    main = o.start()
    second = (1024, 0, 800, 600)
    o.d.run(["xdotool", "windowmove", "--sync", str(main.id), "1124", "40"])
    o.select_row(BRIGHT)

    def inside(what, match):
        w = o.d.window(what, lambda w: w.id != main.id and match(w))
        x, y, width, height = w.rect
        check(x >= second[0] and x + width <= second[0] + second[2] and y + height <= second[3],
              f"{what} should open on the main window's screen: {w.rect}")
        return w

    o.click_node(o.main_node().find(description="Catalogue title"))
    o.d.wait_gone("the About box to close", inside("the About box", lambda w: w.name == "About"))
    o.click_button("Search")
    search = inside("the search dialog", lambda w: True)
    o.d.key("alt+c")
    o.d.wait_gone("the search dialog to close", search)
    o.click_button("Slideshow")
    inside("the delay dialog", lambda w: w.name == "Slideshow Delay")
    o.d.key("Return")
    o.d.window("the viewer on the second screen", lambda w: w.rect == second)
    box = (second[0] + 80, 60, 640, 480)  # centred in 800 x 600
    wait_until(f"the picture at {box}", lambda: bright_box(o, second[:3] + (540,)) ==
               box[:3] + (480,))


windows_open_on_their_openers_screen.desktop = {"screens": [(1024, 768), (800, 600)]}


if __name__ == "__main__":
    import run
    run.Desktop = Desktop
    sys.exit(run.main())
