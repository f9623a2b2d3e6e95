"""A private desktop for one real-window test: an X server, a window manager, a session bus with
the accessibility bus, and the program started in a CD folder of its own.

Everything started here is ended by its process id when the desktop closes."""

import os
import select
import shutil
import signal
import subprocess
import tempfile
import time

from screen import Shot


class Skip(Exception):
    """The test cannot run here; the message says why."""


class Failure(AssertionError):
    pass


MISSING_TOOLS_HINT = "tools/setup.sh installs them"
TOOLS = ("Xvfb", "openbox", "xdotool", "xwininfo", "xprop", "import", "convert",
         "dbus-daemon", "dbus-send")
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


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


def missing_tools():
    missing = [t for t in TOOLS if shutil.which(t) is None]
    if not os.access(BUS_LAUNCHER, os.X_OK):
        missing.append(BUS_LAUNCHER)
    return missing


class Window:
    """A mapped top-level window of the program, as the X server sees it."""

    def __init__(self, wid, x, y, width, height, name):
        self.id, self.x, self.y, self.width, self.height, self.name = wid, x, y, width, height, name

    @property
    def rect(self):
        return (self.x, self.y, self.width, self.height)

    def __repr__(self):
        return f"<window {self.id} {self.name!r} {self.width}x{self.height}+{self.x}+{self.y}>"


class Desktop:
    def __init__(self, program, sample_cd, out_dir, width=1024, height=768, env=None):
        self.program = program
        self.sample_cd = sample_cd
        self.out_dir = out_dir
        self.size = (width, height)
        self.extra_env = dict(env or {})
        self.procs = []  # started here, ended in reverse order
        self.app = None
        self.env = None
        self.cd = None
        self._tmp = None
        self._logs = []

    # -- start and stop -------------------------------------------------------------------------

    def __enter__(self):
        missing = missing_tools()
        if missing:
            raise Skip("needs " + ", ".join(missing) + f" ({MISSING_TOOLS_HINT})")
        os.makedirs(self.out_dir, exist_ok=True)
        self._tmp = tempfile.TemporaryDirectory(prefix="orvane-realwin-")
        try:
            self._start_x()
            self._start_bus()
            self._start_window_manager()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        for proc in reversed(self.procs):
            if proc.poll() is None:
                proc.send_signal(signal.SIGTERM)
                try:
                    proc.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()
        self.procs.clear()
        for log in self._logs:
            log.close()
        if self._tmp:
            self._tmp.cleanup()
        return False

    def _log(self, name):
        log = open(os.path.join(self.out_dir, name + ".log"), "wb")
        self._logs.append(log)
        return log

    def _start_x(self):
        read_end, write_end = os.pipe()
        width, height = self.size
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", "-noreset", "-dpi", "96"],
            pass_fds=[write_end], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=self._log("xvfb"))
        os.close(write_end)
        self.procs.append(xvfb)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n"):
            left = deadline - time.monotonic()
            ready, _, _ = select.select([read_end], [], [], max(0.0, left))
            chunk = os.read(read_end, 16) if ready else b""
            if not chunk:
                os.close(read_end)
                raise Skip("Xvfb did not start (see xvfb.log)")
            number += chunk
        os.close(read_end)
        runtime = os.path.join(self._tmp.name, "runtime")
        os.mkdir(runtime, 0o700)
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": self._tmp.name,
            "XDG_RUNTIME_DIR": runtime,
            "XDG_CONFIG_HOME": os.path.join(self._tmp.name, "config"),
            "LANG": "C.UTF-8",
            "DISPLAY": ":" + number.decode().strip(),
        }

    def _start_bus(self):
        bus = subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", "--print-address=1"],
            env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
            stderr=self._log("dbus"))
        self.procs.append(bus)
        ready, _, _ = select.select([bus.stdout], [], [], 20)
        address = bus.stdout.readline().decode().strip() if ready else ""
        if not address:
            raise Failure("the session bus did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        # The accessibility bus: started here so that it ends with the test.
        launcher = subprocess.Popen(
            [BUS_LAUNCHER, "--launch-immediately"], env=self.env, stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=self._log("at-spi"))
        self.procs.append(launcher)
        wait_until("the accessibility bus", lambda: self._run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
             "org.a11y.Bus.GetAddress"], check=False).returncode == 0, timeout=20)

    def _start_window_manager(self):
        wm = subprocess.Popen(["openbox", "--sm-disable"],
                              env=self.env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=self._log("openbox"))
        self.procs.append(wm)
        wait_until("the window manager", lambda: b"window id" in self._run(
            ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False).stdout, timeout=20)

    def start_program(self, leave_out=()):
        """Starts the program in a fresh CD folder: links to the sample CD's files but those left
        out, so that whatever the program writes there stays out of the sample."""
        self.cd = os.path.join(self._tmp.name, "cd")
        os.mkdir(self.cd)
        for name in os.listdir(self.sample_cd):
            if name not in leave_out:
                os.symlink(os.path.join(self.sample_cd, name), os.path.join(self.cd, name))
        env = dict(self.env)
        env.update({
            "QT_QPA_PLATFORM": "xcb",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "QT_ACCESSIBILITY": "1",
        })
        env.update(self.extra_env)
        self.app = subprocess.Popen([self.program], cwd=self.cd, env=env,
                                    stdin=subprocess.DEVNULL, stdout=self._log("program"),
                                    stderr=subprocess.STDOUT)
        self.procs.append(self.app)
        return self.app

    def program_running(self):
        return self.app is not None and self.app.poll() is None

    # -- the X server ---------------------------------------------------------------------------

    def _run(self, argv, check=True, input=None):
        result = subprocess.run(argv, env=self.env, input=input, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, timeout=30)
        if check and result.returncode != 0:
            raise Failure(f"{' '.join(argv)} failed: {result.stderr.decode(errors='replace')}")
        return result

    def windows(self):
        """The program's mapped top-level windows, in stacking order, bottom first."""
        if not self.program_running():
            return []
        found = self._run(["xdotool", "search", "--onlyvisible", "--pid", str(self.app.pid)],
                          check=False).stdout.split()
        result = []
        for wid in found:
            info = self._run(["xwininfo", "-id", wid.decode()], check=False)
            if info.returncode != 0:
                continue  # gone meanwhile
            fields = {}
            for line in info.stdout.decode(errors="replace").splitlines():
                key, _, value = line.strip().partition(":")
                fields[key] = value.strip()
            if fields.get("Map State") != "IsViewable":
                continue
            name = ""
            first = info.stdout.decode(errors="replace").splitlines()
            for line in first:
                if "xwininfo: Window id:" in line:
                    name = line.split('"', 1)[1].rsplit('"', 1)[0] if '"' in line else ""
            result.append(Window(int(wid), int(fields["Absolute upper-left X"]),
                                 int(fields["Absolute upper-left Y"]), int(fields["Width"]),
                                 int(fields["Height"]), name))
        stacking = self._stacking()
        result.sort(key=lambda w: stacking.get(w.id, -1))
        return result

    def _stacking(self):
        out = self._run(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"], check=False).stdout
        ids = out.decode().partition("#")[2].replace(",", " ").split()
        return {int(i, 16): n for n, i in enumerate(ids)}

    def window(self, what, match, timeout=10.0):
        """Waits for a program window for which match(window) is true."""
        def find():
            for w in reversed(self.windows()):
                if match(w):
                    return w
            return None
        return wait_until(what, find, timeout)

    def active_window_id(self):
        out = self._run(["xdotool", "getactivewindow"], check=False).stdout.strip()
        return int(out) if out else None

    def key(self, *keys):
        self._run(["xdotool", "key", "--delay", "60", *keys])

    def type_text(self, text):
        self._run(["xdotool", "type", "--delay", "60", text])

    def move_to(self, x, y):
        # Waiting for a move to a place the pointer already is at would never end.
        here = self._run(["xdotool", "getmouselocation", "--shell"]).stdout.decode().split()
        if f"X={x}" in here and f"Y={y}" in here:
            return
        self._run(["xdotool", "mousemove", "--sync", str(x), str(y)])

    def click(self, x, y, button=1):
        self.move_to(x, y)
        self._run(["xdotool", "click", str(button)])

    def shot(self):
        """A screenshot of the whole screen."""
        data = self._run(["import", "-silent", "-window", "root", "-depth", "8", "ppm:-"]).stdout
        return Shot.from_ppm(data)

    def save_png(self, shot, path, crop=None, scale=None):
        """Writes a screenshot (or a part of it) as a PNG file."""
        args = ["convert", "ppm:-"]
        if crop:
            x, y, w, h = crop
            args += ["-crop", f"{w}x{h}+{x}+{y}", "+repage"]
        if scale:
            args += ["-filter", "Lanczos", "-resize", f"{scale * 100:g}%"]
        args += ["-strip", "-define", "png:compression-level=9", "png:" + path]
        self._run(args, input=shot.to_ppm())
