"""A private desktop for one real-window test: an X server, a window manager, a session bus with
the accessibility bus, and the program started in a CD folder of its own. Everything started
here is ended by its process id when the desktop closes."""

import collections
import os
import re
import select
import shutil
import subprocess
import tempfile
import time

from screen import Shot

TOOLS = ("Xvfb", "openbox", "xdotool", "xwininfo", "xprop", "xrandr", "import", "convert",
         "dbus-daemon", "dbus-send", "/usr/libexec/at-spi-bus-launcher")
# Apart from other X servers on a shared machine; ORVANE_X_DISPLAYS=61-69 moves them.
FIRST, LAST = map(int, os.environ.get("ORVANE_X_DISPLAYS", "51-59").split("-"))
DISPLAYS = range(FIRST, LAST + 1)


class Skip(Exception):
    """The test cannot run here; the message says why."""


class Failure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_until(what, predicate, timeout=10.0):
    """Polls until predicate() gives a true value and returns it; fails naming `what`."""
    deadline = time.monotonic() + timeout
    while not (value := predicate()):
        check(time.monotonic() < deadline, f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(0.1)
    return value


Window = collections.namedtuple("Window", "id x y width height name")
Window.rect = property(lambda w: w[1:5])


class Desktop:
    def __init__(self, program, sample_cd, out_dir, screens=((1024, 768),), env=None):
        """screens: the monitors' sizes, side by side on one X screen, the first primary."""
        self.program, self.sample_cd, self.out_dir = program, sample_cd, out_dir
        self.screens = screens
        self.size = sum(w for w, _ in screens), max(h for _, h in screens)
        self.extra_env, self.procs, self.app = env or {}, [], None

    def __enter__(self):
        missing = [t for t in TOOLS if shutil.which(t) is None]
        if missing:
            raise Skip("needs " + ", ".join(missing) + " (tools/setup.sh installs them)")
        os.makedirs(self.out_dir, exist_ok=True)
        self.tmp = tempfile.TemporaryDirectory(prefix="orvane-realwin-")
        self.env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": self.tmp.name,
                    "XDG_RUNTIME_DIR": os.path.join(self.tmp.name, "runtime"), "LANG": "C.UTF-8",
                    "XDG_CONFIG_HOME": os.path.join(self.tmp.name, "config")}
        os.mkdir(self.env["XDG_RUNTIME_DIR"], 0o700)
        try:
            for number in DISPLAYS:  # a taken one makes Xvfb give up at once: try the next
                if self._started("xvfb", ["Xvfb", f":{number}", "-displayfd", "{fd}", "-screen",
                                          "0", "%dx%dx24" % self.size, "-nolisten", "tcp",
                                          "-noreset", "-dpi", "96"]):
                    break
            else:
                raise Skip(f"no free X display in :{DISPLAYS[0]}-:{DISPLAYS[-1]} (see xvfb.log)")
            self.env["DISPLAY"] = f":{number}"
            left = 0
            for i, (w, h) in enumerate(self.screens if len(self.screens) > 1 else ()):
                mm = f"{w}/{w * 254 // 960}x{h}/{h * 254 // 960}"  # 96 dpi, as the X screen's
                self.run(["xrandr", "--setmonitor", f"M{i}", f"{mm}+{left}+0",
                          "none" if i else "screen"])  # the first takes the output: primary
                left += w
            self.env["DBUS_SESSION_BUS_ADDRESS"] = self._started(
                "dbus", ["dbus-daemon", "--session", "--nofork", "--print-address={fd}"])
            check(self.env["DBUS_SESSION_BUS_ADDRESS"], "the session bus did not start")
            self._start("at-spi", [TOOLS[-1], "--launch-immediately"])
            wait_until("the accessibility bus", lambda: self.run(
                ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                 "/org/a11y/bus", "org.a11y.Bus.GetAddress"], check=False).returncode == 0, 20)
            # The accessibility library of this process joins this desktop's bus.
            os.environ.update({k: self.env[k] for k in
                               ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR")})
            os.environ.pop("AT_SPI_BUS_ADDRESS", None)
            self._start("openbox", ["openbox", "--sm-disable"])
            wait_until("the window manager", lambda: b"window id" in self.run(
                ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False).stdout, 20)
        except BaseException:
            self.__exit__()
            raise
        return self

    def __exit__(self, *exc):
        for proc in reversed(self.procs):
            proc.terminate()
            try:
                proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
        self.tmp.cleanup()

    def _start(self, name, argv, **options):
        """Starts a process that ends with the desktop; its output goes to <name>.log."""
        with open(os.path.join(self.out_dir, name + ".log"), "wb") as log:
            self.procs.append(subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=log,
                                               stderr=log, **{"env": self.env, **options}))
        return self.procs[-1]

    def _started(self, name, argv):
        """Starts a server that writes a line on the pipe put for {fd} once it is ready (its
        display or address) and gives that line, or "" if the server gave up."""
        read_end, write_end = os.pipe()
        self._start(name, [a.format(fd=write_end) for a in argv], pass_fds=[write_end])
        os.close(write_end)
        with os.fdopen(read_end, "rb", buffering=0) as pipe:
            return select.select([pipe], [], [], 20)[0] and pipe.readline().decode().strip()

    def start_program(self, leave_out=()):
        """Starts the program in a fresh CD folder of links to the sample CD's files but those
        left out, so that whatever the program writes there stays out of the sample."""
        self.cd = os.path.join(self.tmp.name, "cd")
        os.mkdir(self.cd)
        for name in set(os.listdir(self.sample_cd)) - set(leave_out):
            os.symlink(os.path.join(self.sample_cd, name), os.path.join(self.cd, name))
        env = dict(self.env, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        self.app = self._start("program", [self.program], cwd=self.cd, env=env | self.extra_env)

    def check_alive(self):
        code = self.app.poll() if self.app else None
        check(code is None, f"the program ended with exit status {code} (see program.log)")

    def run(self, argv, check=True, input=None):
        result = subprocess.run(argv, env=self.env, input=input, capture_output=True, timeout=30)
        if check and result.returncode != 0:
            raise Failure(f"{' '.join(argv)} failed: {result.stderr.decode(errors='replace')}")
        return result

    def windows(self):
        """The program's mapped top-level windows."""
        self.check_alive()
        found = []
        for wid in self.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.app.pid)],
                            check=False).stdout.split():
            text = self.run(["xwininfo", "-id", wid], check=False).stdout.decode()
            fields = dict(re.findall(r"^\s*([^:\n]+):\s*(.*)$", text, re.M))
            if fields.get("Map State") == "IsViewable":  # not gone or hidden meanwhile
                found.append(Window(int(wid), *(int(fields[key]) for key in (
                    "Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")),
                    re.search(r'Window id: \S+ "?(.*?)"?$', text, re.M)[1]))
        return found

    def window(self, what, match, timeout=10.0):
        """Waits for a program window for which match(window) is true."""
        return wait_until(what, lambda: next((w for w in self.windows() if match(w)), None),
                          timeout)

    def wait_gone(self, what, window):
        wait_until(what, lambda: all(w.id != window.id for w in self.windows()))

    def wait_active(self, what, window):
        wait_until(what, lambda: self.run(["xdotool", "getactivewindow"], check=False)
                   .stdout.strip() == str(window.id).encode())

    def frame_rect(self, window):
        """The window with its title bar and border, as a person sees it."""
        out = self.run(["xprop", "-id", str(window.id), "_NET_FRAME_EXTENTS"]).stdout.decode()
        left, right, top, bottom = (int(v) for v in (out.split("=") + ["0,0,0,0"])[1].split(","))
        return window.x - left, window.y - top, window.width + left + right, \
            window.height + top + bottom

    def key(self, *keys):
        self.run(["xdotool", "key", "--delay", "60", *keys])

    def type_text(self, text):
        self.run(["xdotool", "type", "--delay", "60", text])

    def click(self, x, y, button=1):
        self.run(["xdotool", "mousemove", str(x), str(y), "click", str(button)])

    def shot(self):
        """A screenshot of the whole screen."""
        return Shot(*self.size, self.run(["import", "-silent", "-window", "root", "-depth", "8",
                                          "rgb:-"]).stdout)

    def save_png(self, shot, path, crop=None, scale=None):
        """Writes a screenshot (or a part of it) as a PNG file."""
        args = ["convert", "-size", f"{shot.width}x{shot.height}", "-depth", "8", "rgb:-"]
        args += ["-crop", "{2}x{3}+{0}+{1}".format(*crop), "+repage"] if crop else []
        args += ["-filter", "Lanczos", "-resize", f"{scale * 100:g}%"] if scale else []
        self.run(args + ["-strip", "-define", "png:compression-level=9", "png:" + path],
                 input=shot.rgb)
