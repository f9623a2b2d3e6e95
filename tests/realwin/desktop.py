"""A private desktop for one real-window test: an X server, a window manager, a session bus with
the accessibility bus, and the program started in a CD folder of its own.

Everything started here is ended by its process id when the desktop closes."""

import collections
import os
import re
import select
import shutil
import subprocess
import tempfile
import time

from screen import Shot

TOOLS = ("Xvfb", "openbox", "xdotool", "xwininfo", "xprop", "import", "convert", "identify",
         "dbus-daemon", "dbus-send")
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
# Displays of their own, apart from other X servers on a shared machine.
DISPLAYS = range(51, 60)


class Skip(Exception):
    """The test cannot run here; the message says why."""


class Failure(AssertionError):
    pass


def wait_until(what, predicate, timeout=10.0, interval=0.1):
    """Polls until predicate() gives a true value and returns it; fails naming `what`."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


class Window(collections.namedtuple("Window", "id x y width height name")):
    """A mapped top-level window of the program, as the X server sees it."""

    @property
    def rect(self):
        return self[1:5]


class Desktop:
    def __init__(self, program, sample_cd, out_dir, width=1024, height=768, env=None):
        self.program, self.sample_cd, self.out_dir = program, sample_cd, out_dir
        self.size = (width, height)
        self.extra_env = env or {}
        self.procs = []  # ended in reverse order
        self.env = self.app = self.cd = None

    def __enter__(self):
        missing = [t for t in TOOLS if shutil.which(t) is None]
        if not os.access(BUS_LAUNCHER, os.X_OK):
            missing.append(BUS_LAUNCHER)
        if missing:
            raise Skip("needs " + ", ".join(missing) + " (tools/setup.sh installs them)")
        os.makedirs(self.out_dir, exist_ok=True)
        self.tmp = tempfile.TemporaryDirectory(prefix="orvane-realwin-")
        try:
            self._start_x()
            self._start_buses()
            self._start("openbox", ["openbox", "--sm-disable"])
            wait_until("the window manager", lambda: b"window id" in self.run(
                ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False).stdout, timeout=20)
        except BaseException:
            self.__exit__()
            raise
        return self

    def __exit__(self, *exc):
        for proc in reversed(self.procs):
            if proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()
        self.tmp.cleanup()

    def _start(self, name, argv, stdout=subprocess.DEVNULL, **options):
        """Starts a process that ends with the desktop; its errors (and with stdout=None its
        output) go to <name>.log."""
        options.setdefault("env", self.env)
        with open(os.path.join(self.out_dir, name + ".log"), "wb") as log:
            proc = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=stdout or log,
                                    stderr=log, **options)
        self.procs.append(proc)
        return proc

    def _start_x(self):
        for number in DISPLAYS:  # a taken one makes Xvfb give up at once: try the next
            read_end, write_end = os.pipe()
            xvfb = self._start("xvfb", ["Xvfb", f":{number}", "-displayfd", str(write_end),
                                        "-screen", "0", "%dx%dx24" % self.size, "-nolisten",
                                        "tcp", "-noreset", "-dpi", "96"], pass_fds=[write_end])
            os.close(write_end)
            with os.fdopen(read_end, "rb", buffering=0) as pipe:
                ready, _, _ = select.select([pipe], [], [], 20)
                if ready and pipe.readline().strip():
                    break
            xvfb.kill()
            xvfb.wait()
        else:
            raise Skip(f"no free X display from :{DISPLAYS[0]} to :{DISPLAYS[-1]} (see xvfb.log)")
        runtime = os.path.join(self.tmp.name, "runtime")
        os.mkdir(runtime, 0o700)
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": self.tmp.name,
            "XDG_RUNTIME_DIR": runtime,
            "XDG_CONFIG_HOME": os.path.join(self.tmp.name, "config"),
            "LANG": "C.UTF-8",
            "DISPLAY": f":{number}",
        }

    def _start_buses(self):
        bus = self._start("dbus", ["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                          stdout=subprocess.PIPE)
        ready, _, _ = select.select([bus.stdout], [], [], 20)
        address = bus.stdout.readline().decode().strip() if ready else ""
        if not address:
            raise Failure("the session bus did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        self._start("at-spi", [BUS_LAUNCHER, "--launch-immediately"])
        wait_until("the accessibility bus", lambda: self.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
             "org.a11y.Bus.GetAddress"], check=False).returncode == 0, timeout=20)
        # The accessibility library of this process joins this desktop's bus.
        for key in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"):
            os.environ[key] = self.env[key]
        os.environ.pop("AT_SPI_BUS_ADDRESS", None)

    def start_program(self, leave_out=()):
        """Starts the program in a fresh CD folder of links to the sample CD's files but those
        left out, so that whatever the program writes there stays out of the sample."""
        self.cd = os.path.join(self.tmp.name, "cd")
        os.mkdir(self.cd)
        for name in set(os.listdir(self.sample_cd)) - set(leave_out):
            os.symlink(os.path.join(self.sample_cd, name), os.path.join(self.cd, name))
        env = dict(self.env, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   QT_ACCESSIBILITY="1", **self.extra_env)
        self.app = self._start("program", [self.program], stdout=None, cwd=self.cd, env=env)

    def run(self, argv, check=True, input=None):
        result = subprocess.run(argv, env=self.env, input=input, capture_output=True, timeout=30)
        if check and result.returncode != 0:
            raise Failure(f"{' '.join(argv)} failed: {result.stderr.decode(errors='replace')}")
        return result

    def windows(self):
        """The program's mapped top-level windows."""
        if self.app is None or self.app.poll() is not None:
            return []
        found = []
        for wid in self.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.app.pid)],
                            check=False).stdout.split():
            info = self.run(["xwininfo", "-id", wid.decode()], check=False)
            text = info.stdout.decode(errors="replace")
            fields = dict(re.findall(r"^\s*([^:\n]+):\s*(.*)$", text, re.M))
            if info.returncode or fields.get("Map State") != "IsViewable":
                continue  # gone or hidden meanwhile
            name = re.search(r'Window id: \S+ "(.*)"', text)
            found.append(Window(int(wid), *(int(fields[key]) for key in (
                "Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")),
                name.group(1) if name else ""))
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
        out = self.run(["xprop", "-id", str(window.id), "_NET_FRAME_EXTENTS"],
                       check=False).stdout.decode()
        extents = out.split("=")[1].split(",") if "=" in out else (0, 0, 0, 0)
        left, right, top, bottom = (int(v) for v in extents)
        return (window.x - left, window.y - top, window.width + left + right,
                window.height + top + bottom)

    def key(self, *keys, repeat=1):
        self.run(["xdotool", "key", "--repeat", str(repeat), "--delay", "60", *keys])

    def type_text(self, text):
        self.run(["xdotool", "type", "--delay", "60", text])

    def click(self, x, y, button=1):
        # Waiting for a move to where the pointer already is would never end.
        here = self.run(["xdotool", "getmouselocation", "--shell"]).stdout.decode().split()
        if f"X={x}" not in here or f"Y={y}" not in here:
            self.run(["xdotool", "mousemove", "--sync", str(x), str(y)])
        self.run(["xdotool", "click", str(button)])

    def shot(self):
        """A screenshot of the whole screen."""
        return Shot.from_ppm(
            self.run(["import", "-silent", "-window", "root", "-depth", "8", "ppm:-"]).stdout)

    def save_png(self, shot, path, crop=None, scale=None):
        """Writes a screenshot (or a part of it) as a PNG file."""
        args = ["convert", "ppm:-"]
        if crop:
            args += ["-crop", "{2}x{3}+{0}+{1}".format(*crop), "+repage"]
        if scale:
            args += ["-filter", "Lanczos", "-resize", f"{scale * 100:g}%"]
        self.run(args + ["-strip", "-define", "png:compression-level=9", "png:" + path],
                 input=shot.to_ppm())
