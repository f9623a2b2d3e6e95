#!/usr/bin/python3 -B
"""The disc on a clean machine: a minimal Debian root holding only the libraries the bundle leaves
to the machine (cached in --roots). The X server, the window manager and xdotool stay on the host;
in the root an unprivileged user runs the autostart file from the image mounted by fuseiso."""

import argparse
import hashlib
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "../realwin"))
from desktop import MAIN_TITLE, Desktop, Skip, wait_until  # noqa: E402
import run as realwin  # noqa: E402

# The libraries every desktop has, by the AppImage project's exclude list, and one root's own Qt.
LEFT_OUT = ["libc6", "libstdc++6", "libgcc-s1", "libgl1", "libegl1", "libglx0", "libopengl0",
            "libx11-6", "libx11-xcb1", "libxcb1", "libfontconfig1", "libfreetype6", "libexpat1",
            "zlib1g", "libharfbuzz0b", "libdbus-1-3", "libpulse0",
            "shared-mime-info"]  # recommended by GLib, on every desktop: Qt's file types
OWN_QT = {"bookworm": [], "trixie": ["libqt6widgets6", "qt6-qpa-plugins"]}
USER = 4711  # no one's on the host


class RootDesktop(Desktop):
    def setup(self):
        if os.geteuid() != 0:
            raise Skip("needs root's rights: debootstrap, chroot, mount")
        super().setup()
        a = self.args
        self.root = os.path.join(a.roots, "%s-%s" % (a.suite, hashlib.sha1(
            " ".join(LEFT_OUT + OWN_QT[a.suite]).encode()).hexdigest()[:8]))
        if not os.path.isdir(self.root):  # minutes, once
            subprocess.run(["debootstrap", "--variant=minbase", "--include=" + ",".join(
                LEFT_OUT + OWN_QT[a.suite]), a.suite, self.root + ".part",
                "http://deb.debian.org/debian"], check=True, stdout=self.log, stderr=self.log)
            os.rename(self.root + ".part", self.root)
        self.disc, self.home, runtime = "/media/disc", "/home/viewer", f"/run/user/{USER}"
        for folder in self.disc, self.home + "/.local/share/applications", runtime:
            os.makedirs(self.root + folder, mode=0o700, exist_ok=True)
        # An application for pictures, as installing one leaves it (update-desktop-database).
        apps = self.root + self.home + "/.local/share/applications/"
        open(apps + "picture-tool.desktop", "w").write(
            "[Desktop Entry]\nType=Application\nName=Picture Tool\nExec=true %f\n")
        open(apps + "mimeinfo.cache", "w").write("[MIME Cache]\nimage/jpeg=picture-tool.desktop;\n")
        self.run(["chown", "-R", f"{USER}:{USER}", self.root + self.home, self.root + runtime])
        self.mounts = [self.root + "/proc", self.root + self.disc]  # without /proc no $ORIGIN
        self.run(["mount", "-t", "proc", "proc", self.mounts[0]])
        self.run(["fuseiso", a.image, self.mounts[1], "-o", "allow_other"])

    def teardown(self):
        if getattr(self, "program", None) and self.program.poll() is None:
            os.kill(self.program.pid, 15)
        super().teardown()
        for mount in reversed(getattr(self, "mounts", [])):
            subprocess.run(["umount", "-l", mount])

    def start(self):
        env = {"DISPLAY": self.env["DISPLAY"], "HOME": self.home, "LANG": "C.UTF-8",
               "PATH": "/usr/bin:/bin", "XDG_RUNTIME_DIR": f"/run/user/{USER}"}
        launcher = self._start(["/usr/sbin/chroot", f"--userspec={USER}:{USER}", self.root, "sh",
                                "-c", f"cd {self.disc} && exec ./autorun.sh"], env=env)

        def found():
            assert launcher.poll() is None, f"the autostart file ended: see {self.out}/log.txt"
            return self.run(["xdotool", "search", "--onlyvisible", "--name", f"^{MAIN_TITLE}$"],
                            check=False).stdout.split()
        wid = wait_until("the main window", found, 60)[0]
        self.program = Process(int(self.run(["xdotool", "getwindowpid", wid]).stdout))
        self.main = self.window("the main window", lambda w: w.name == MAIN_TITLE)
        self.wait_active("the main window to be active", self.main)
        return self.main


class Process:  # the viewer, found by its window: the launcher may not exec it
    def __init__(self, pid):
        self.pid = pid

    def poll(self):
        return None if os.path.exists(f"/proc/{self.pid}") else "gone"


def left_out_files(root):
    # The names of the files of the left-out packages and of every package they need.
    needs = subprocess.run(["/usr/sbin/chroot", root, "apt-cache", "depends", "--recurse", *LEFT_OUT] + [
        f"--no-{k}" for k in ("recommends", "suggests", "conflicts", "breaks", "replaces",
                              "enhances")], capture_output=True, text=True, check=True).stdout
    packages = {line for line in needs.splitlines() if not line.startswith((" ", "<"))}
    info = root + "/var/lib/dpkg/info/"
    return {os.path.basename(f) for name in os.listdir(info) if name.endswith(".list") and
            name[:-5].split(":")[0] in packages for f in open(info + name).read().split("\n")}


def clean_root(d):
    main = d.start()
    x, y = main.rect[:2]
    red = lambda s, r: sum(p[0] > 230 and max(p[1:]) < 40 for p in s.pixels(r, 1))  # noqa: E731
    wait_until("the catalogue's title in its colour (orvane.ini)",
               lambda: red(d.shot(), (x + 127, y + 16, 139, 37)) > 20)
    preview = (x + 213, y + 108, 121, 91)
    for keyword in "welcome", "Dog", "postcard":  # a BMP, a GIF, a JPEG, each alone in the list
        d.click(x + 273, y + 342)  # Reset: the first row again
        before = d.run(["sleep", "2"]) and d.shot()
        d.click(x + 273, y + 318)  # Search
        search = d.window("the search dialog", lambda w: w.id != main.id)
        d.run(["xdotool", "type", "--delay", "60", keyword])
        d.close(search, "Return", owner=main)
        wait_until(f"the preview of {keyword}",
                   lambda: d.shot().changed_share(before, preview) > 0.3)
    d.key("Return")
    viewer = d.viewer(main_hides=False)  # Enter leaves it under the viewer
    middle = (d.size[0] // 2 - 30, d.size[1] // 2 - 30, 60, 60)  # the postcard is small
    wait_until("the JPEG in the middle of the screen", lambda: d.shot().dark_share(middle) < 0.5)
    d.click(5, 5, button=3)
    d.key("o")
    chooser = d.window("Open With", lambda w: w.name == "Open With")
    blue = lambda p: p[2] > 150 and p[0] < 100  # noqa: E731, the selected row
    assert sum(map(blue, d.shot().pixels(chooser.rect))) > 100, "Open With lists no application"
    d.close(chooser, "Escape", owner=viewer)
    d.close(viewer, "Escape", owner=main)
    maps = {m.split()[-1] for m in open(f"/proc/{d.program.pid}/maps") if ".so" in m}
    left, bundle = left_out_files(d.root), os.path.dirname(os.readlink(f"/proc/{d.program.pid}/exe"))
    stray = [p for p in maps if not p.startswith((d.root + d.disc, bundle + "/")) and
             os.path.basename(p) not in left]
    assert not stray, "libraries neither carried nor left out:\n  " + "\n  ".join(sorted(stray))


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("suite", choices=OWN_QT)
    for option in "--image", "--out":
        parser.add_argument(option, type=os.path.abspath, required=True)
    parser.add_argument("--roots", type=os.path.abspath, default=os.environ.get(
        "ORVANE_ROOTS", os.path.expanduser("~/.cache/orvane/roots")))
    args = parser.parse_args()
    args.wm, args.shots = "openbox", None
    sys.exit(realwin.run(f"clean_root_{args.suite}", args, clean_root, RootDesktop))
