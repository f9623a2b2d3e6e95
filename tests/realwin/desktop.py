# A private desktop for one real-window test and the program on it as a person meets it.

import collections
import json
import os
import re
import shutil
import subprocess
import tempfile
import time
import types
from statistics import mean

try:
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi
except (ImportError, ValueError):
    Atspi = None  # the tests skip

TOOLS = ("Xvfb", "xdotool", "xmessage", "xwininfo", "xprop", "xrandr", "import", "convert",
         "dbus-daemon", "dbus-send", "/usr/libexec/at-spi-bus-launcher")
# Apart from other X servers on a shared machine; ORVANE_X_DISPLAYS=61-69 moves them.
FIRST, LAST = map(int, os.environ.get("ORVANE_X_DISPLAYS", "51-59").split("-"))
MAIN_TITLE = "Orvane v3.0"
# The window managers the scenarios run under, as a person's desktop starts them. Sway, a
# Wayland compositor, runs headless with the program on it natively or through XWayland, and
# needs tools of its own.
WINDOW_MANAGERS = {"openbox": ["--sm-disable"], "mutter": ["--x11", "--replace", "--sm-disable"],
                   "xfwm4": ["--compositor=off"], "sway": [], "sway-xwayland": []}
SWAY = ("sway", "swaymsg", "grim", "wtype", "setpriv", "Xwayland")
Window = collections.namedtuple("Window", "id name rect focused", defaults=[None])


class Skip(Exception):
    pass


def wait_until(what, predicate, timeout=10.0):
    deadline = time.monotonic() + timeout
    while not (value := predicate()):
        assert time.monotonic() < deadline, f"timed out after {timeout:.0f} s waiting for {what}"
        time.sleep(0.1)
    return value


class Shot(collections.namedtuple("Shot", "width height rgb")):
    # A screenshot as RGB rows, compared by measures, never pixel by pixel.
    def row(self, y, x=0, width=None):
        start = (y * self.width + x) * 3
        return self.rgb[start:start + 3 * (width or self.width)]

    def pixels(self, rect, step=2):
        x, y, w, h = rect
        return [tuple(self.rgb[i:i + 3]) for j in range(y, y + h, step)
                for i in range((j * self.width + x) * 3, (j * self.width + x + w) * 3, 3 * step)]

    def changed_share(self, other, rect):
        pairs = zip(self.pixels(rect), other.pixels(rect))
        return mean(max(map(abs, map(int.__sub__, p, q))) > 24 for p, q in pairs)

    def dark_share(self, rect):
        return mean(max(p) <= 24 for p in self.pixels(rect))

    def bright_box(self, rect, level=48):
        # The smallest (x, y, w, h) holding the region's pixels with a channel above level.
        x, y, w, h = rect
        above = bytes(int(v > level) for v in range(256))
        rows = ((j, self.row(j, x, w).translate(above)) for j in range(y, y + h))
        hits = [(j, row.find(1) // 3, row.rfind(1) // 3) for j, row in rows if 1 in row]
        if not hits:
            return None
        left, right = min(h[1] for h in hits), max(h[2] for h in hits)
        return x + left, hits[0][0], right - left + 1, hits[-1][0] - hits[0][0] + 1

    def difference(self, other, at, shift=2):
        # The mean channel difference from the other shot put at `at`, give or take `shift`.
        def mean_at(x, y):
            rows, w = range(0, other.height, 2), other.width
            return sum(sum(map(abs, map(int.__sub__, other.row(j), self.row(y + j, x, w))))
                       for j in rows) / (3 * w * len(rows))
        return min(mean_at(at[0] + dx, at[1] + dy) for dy in range(-shift, shift + 1)
                   for dx in range(-shift, shift + 1))


class Node:
    # One accessible object as read once (no event loop here would keep a cache up to date).

    def __init__(self, acc):
        self.acc, self.role, self.name = acc, acc.get_role_name(), acc.get_name() or ""
        self.description = acc.get_description() or ""
        self.states = {Atspi.StateType(s).value_nick for s in acc.get_state_set().get_states()}

    def children(self):
        kids = (self.acc.get_child_at_index(i) for i in range(self.acc.get_child_count()))
        return [Node(kid) for kid in kids if kid is not None]

    def extents(self):
        rect = self.acc.get_extents(Atspi.CoordType.SCREEN)
        return rect.x, rect.y, rect.width, rect.height

    def walk(self, depth=0):
        yield self
        if depth < 12 and "defunct" not in self.states:
            for child in self.children():
                yield from child.walk(depth + 1)

    def find_all(self, role=None, name=None):
        return (n for n in self.walk() if role in (None, n.role) and name in (None, n.name))

    def find(self, role=None, name=None):
        return next(self.find_all(role, name), None)

    def __repr__(self):
        return f"<{self.role} {self.name!r} [{self.description}]>"


class Desktop:
    def __init__(self, args, name, screens=((1024, 768),), env=None):
        # screens: the monitors' sizes, side by side on one X screen, the first primary.
        self.args, self.out, self.screens = args, os.path.join(args.out, name), screens
        self.size = sum(w for w, _ in screens), max(h for _, h in screens)
        self.extra_env, self.procs, self.sway = env or {}, [], args.wm.startswith("sway")

    def setup(self):
        missing = [t for t in TOOLS + (SWAY if self.sway else (self.args.wm,)) if not shutil.which(t)]
        missing += ["python3-pyatspi"] * (not Atspi)
        if missing:
            raise Skip("needs " + ", ".join(missing) + " (tools/setup.sh installs them)")
        os.makedirs(self.out, exist_ok=True)
        self.log = open(os.path.join(self.out, "log.txt"), "wb")
        self.home = tempfile.TemporaryDirectory(prefix="orvane-realwin-")  # gone at exit
        self.env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": self.home.name,
                    "LANG": "C.UTF-8", "XDG_RUNTIME_DIR": self.home.name}  # 0700, as it must be
        for number in [] if self.sway else range(FIRST, LAST + 1):  # a taken one: Xvfb gives up
            if self._started(["Xvfb", f":{number}", "-displayfd", "{fd}", "-screen", "0", "%dx%dx24"
                              % self.size, "-nolisten", "tcp", "-noreset", "-dpi", "96"]):
                self.env["DISPLAY"] = f":{number}"
                break
        if not self.sway and "DISPLAY" not in self.env:
            raise Skip(f"no free X display in :{FIRST}-:{LAST}")
        for i, (w, h) in enumerate(self.screens[1:] and self.screens):  # side by side, 96 dpi
            left = sum(s[0] for s in self.screens[:i])
            self.run(["xrandr", "--setmonitor", f"M{i}", f"{w}/{w * 254 // 960}x"
                      f"{h}/{h * 254 // 960}+{left}+0", "none" if i else "screen"])  # 1st: primary
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self._started(
            ["dbus-daemon", "--session", "--nofork", "--print-address={fd}"])
        assert self.env["DBUS_SESSION_BUS_ADDRESS"], "the session bus did not start"
        self._start([TOOLS[-1], "--launch-immediately"])
        wait_until("the accessibility bus", lambda: self.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
             "org.a11y.Bus.GetAddress"], check=False).returncode == 0, 20)
        # The accessibility library of this process joins this desktop's bus.
        os.environ.update(self.env)
        os.environ.pop("AT_SPI_BUS_ADDRESS", None)
        Atspi.init()
        Atspi.get_desktop(0).set_cache_mask(Atspi.Cache.NONE)
        if self.sway:
            return self._start_sway()
        # The program is then the only application on the accessibility bus.
        self._start([self.args.wm, *WINDOW_MANAGERS[self.args.wm]], env=self.env | {"NO_AT_BRIDGE": "1", "GTK_A11Y": "none"})
        wait_until("the window manager", lambda: b"window id" in self.run(
            ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False).stdout, 20)

    def _start_sway(self):
        # Sway refuses to run as root: as nobody then, in a folder of its own, where it writes how
        # the program reaches it once it is up.
        self.sway_dir = tempfile.TemporaryDirectory(prefix="orvane-sway-")
        run, x = self.sway_dir.name, "force" if self.args.wm.endswith("xwayland") else "disable"
        open(f"{run}/config", "w").write(
            f"output HEADLESS-1 resolution {self.size[0]}x{self.size[1]}\nxwayland {x}\nexec sh -c"
            f" 'xhost +si:localuser:root; echo $SWAYSOCK $WAYLAND_DISPLAY $DISPLAY > {run}/at'\n")
        nobody = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] * (not os.getuid())
        nobody and shutil.chown(run, "nobody", "nogroup")
        self._start([*nobody, "sway", "-c", f"{run}/config"],
                    env=dict(self.env, XDG_RUNTIME_DIR=run, WLR_BACKENDS="headless"))
        sock, wayland, *x = wait_until("sway", lambda: os.path.exists(f"{run}/at") and open(
            f"{run}/at").read().split(), 20)
        self.env.update(SWAYSOCK=sock, WAYLAND_DISPLAY=f"{run}/{wayland}", DISPLAY="".join(x))
        # A keyboard all the time, as a person's desktop has: Qt takes a seat without one to
        # have no keyboard focus to give. wtype's own come and go with each call.
        self._start(["wtype", "-s", "86400000", "-k", "Shift_L"])

    def teardown(self):
        if getattr(self, "adopted", None):
            subprocess.run(["kill", str(self.adopted)], stderr=subprocess.DEVNULL)
        for proc in reversed(self.procs):
            proc.terminate()
            try:
                proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                proc.kill()

    def _start(self, argv, **options):
        self.procs.append(subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=self.log,
                                           stderr=self.log, **{"env": self.env, **options}))
        return self.procs[-1]

    def _started(self, argv):
        # Starts a server and gives the line it writes on {fd} once ready, or "" if it gave up.
        read_end, write_end = os.pipe()
        self._start([a.format(fd=write_end) for a in argv], pass_fds=[write_end])
        os.close(write_end)
        with os.fdopen(read_end, "rb") as pipe:
            return pipe.readline().decode().strip()

    def start(self, splash=False):
        # Starts the program in a CD of links to the sample's files, gives the main window.
        cd = os.path.join(self.home.name, "cd")  # what the program writes stays out of the sample
        os.mkdir(cd)
        for name in set(os.listdir(self.args.sample_cd)) - {"" if splash else "splash.jpg"}:
            os.symlink(os.path.join(self.args.sample_cd, name), os.path.join(cd, name))
        env = {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}  # the program picks X11 itself
        self.program = self._start([self.args.program], cwd=cd, env=self.env | env | self.extra_env)
        return None if splash else self.main_window()

    def main_window(self, on_bus=True):
        self.main = self.window("the main window", lambda w: w.name == MAIN_TITLE, 30)
        self.wait_active("the main window to be active", self.main)
        if on_bus:
            wait_until("the picture list to take the focus", self.list_focused)
        return self.main

    def adopt(self, launcher, on_bus=True):
        # The viewer a launcher started, maybe as a child, found by its main window; ended at
        # teardown. Gives the main window.
        def found():
            assert launcher.poll() is None, f"the launcher ended: see {self.out}/log.txt"
            return self.run(["xdotool", "search", "--onlyvisible", "--name", f"^{MAIN_TITLE}$"],
                            check=False).stdout.split()
        self.adopted = pid = int(self.run(["xdotool", "getwindowpid", wait_until(
            "the viewer", found, 60)[0]]).stdout)
        self.program = types.SimpleNamespace(pid=pid, poll=lambda: None if os.path.exists(
            f"/proc/{pid}") else "ended")
        return self.main_window(on_bus)

    def check_alive(self):
        assert (code := self.program.poll()) is None, f"the program ended with exit status {code} (see log.txt)"

    def run(self, argv, check=True, input=None):
        result = subprocess.run(argv, env=self.env, input=input, capture_output=True, timeout=30)
        assert not check or result.returncode == 0, f"{argv} failed: {result.stderr.decode()}"
        return result

    def windows(self, node=None):
        self.check_alive()
        if self.sway:  # from sway's tree, by title: sway numbers a window afresh each time it shows
            node = node or json.loads(self.run(["swaymsg", "-t", "get_tree"]).stdout)
            return [w for c in node["nodes"] + node["floating_nodes"] for w in self.windows(c)] + [
                Window(node["name"], node["name"], tuple(node["rect"].values()), node["focused"])] * (
                node.get("pid") == self.program.pid and node["visible"])
        found = [(wid, self.run(["xwininfo", "-id", wid], check=False).stdout.decode()) for wid in
                 self.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.program.pid)],
                          check=False).stdout.split()]
        return [Window(int(wid), re.search(r'id: \S+ "?(.*?)"?$', text, re.M)[1], tuple(map(
            int, re.findall(r"(?:Absolute upper-left .|Width|Height): +(-?\d+)", text))))
            for wid, text in found if "IsViewable" in text]  # not gone or hidden meanwhile

    def window(self, what, match, timeout=10.0):
        return wait_until(what, lambda: next(filter(match, self.windows()), None), timeout)

    def wait_gone(self, what, window):
        wait_until(what, lambda: all(w.id != window.id for w in self.windows()))

    def wait_active(self, what, window):
        wait_until(what, lambda: any(w.focused and w.id == window.id for w in self.windows())
                   if self.sway else self.run(["xdotool", "getactivewindow"], check=False)
                   .stdout.strip() == str(window.id).encode())

    def close(self, window, *keys, owner=None):
        # Closes a window with the keys given; the owner given has the keyboard again.
        self.key(*keys)
        self.wait_gone(f"{window.name or 'the window'!r} to close", window)
        if owner:
            self.wait_active(f"{owner.name!r} to be active again after {window.name!r}", owner)

    def viewer(self, main_hides=True):
        # The viewer, once it covers the screen and is active (the main window hidden).
        viewer = self.window("the full-screen viewer", lambda w: w.rect == (0, 0) + self.size)
        if main_hides:
            self.wait_gone("the main window to hide", self.main)
        self.wait_active("the viewer to be active", viewer)
        return viewer

    def frame_rect(self, window):
        # The window with its title bar and border, as a person sees it.
        out = b"" if self.sway else self.run(["xprop", "-id", str(window.id), "_NET_FRAME_EXTENTS"]).stdout
        left, right, top, bottom = map(int, re.findall(rb"\d+", out) or "0000")  # sway's: none
        x, y, w, h = window.rect
        return x - left, y - top, w + left + right, h + top + bottom

    def key(self, *keys):
        # wtype's new virtual keyboard needs a moment before its first key
        self.run(["wtype", "-s", "400", *(a for k in keys for a in ("-k", k, "-s", "60"))]
                 if self.sway else ["xdotool", "key", "--delay", "60", *keys])

    def click(self, x, y, button=1):
        self.run(["xdotool", "mousemove", str(x), str(y), "click", str(button)])

    def shot(self):
        return Shot(*self.size, self.run(["grim", "-t", "ppm", "-"] if self.sway else [  # after the
            "import", "-window", "root", "-depth", "8", "ppm:-"]).stdout.split(b"\n", 3)[3])

    def picture_box(self):
        # Where the viewer shows a bright picture, above its caption.
        return self.shot().bright_box((0, 0, self.size[0], self.size[1] - 60))

    def save_png(self, path):
        self.run(["convert", "-size", "%dx%d" % self.size, "-depth", "8", "rgb:-", "png:" + path],
                 input=self.shot().rgb)

    def app(self):
        def find():  # the program: the only application on this desktop's bus
            self.check_alive()
            return next(iter(Node(Atspi.get_desktop(0)).children()), None)
        return wait_until("the program on the accessibility bus", find, 15)

    def window_node(self, what, match=lambda w: w.role == "dialog"):
        return wait_until(f"{what} on the accessibility bus", lambda: next(
            (w for w in self.app().children() if "showing" in w.states and match(w)), None))

    def main_node(self):
        return self.window_node("the main window", lambda w: w.name == MAIN_TITLE)

    def list_focused(self):
        return "focused" in self.main_node().find("list").states

    def rows(self, selected=False):
        return [row.name for row in self.main_node().find("list").children()
                if not selected or "selected" in row.states]

    def select_row(self, name):
        self.key("Home", *["Down"] * self.rows().index(name))
        wait_until(f"row {name!r} to be selected", lambda: self.rows(selected=True) == [name])

    def click_node(self, node):
        x, y, w, h = node.extents()  # sway's seat offers the program no pointer: the action
        return node.acc.do_action(0) if self.sway else self.click(x + w // 2, y + h // 2)

    def click_button(self, name, window=None):
        self.click_node((window or self.main_node()).find("push button", name))

    def viewer_node(self):
        return self.window_node("the viewer", lambda w: w.extents() == (0, 0) + self.size)
