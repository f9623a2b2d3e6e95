#!/usr/bin/python3 -B
# The disc on a clean machine: clean_root.py bookworm|trixie IMAGE OUT, roots kept in ORVANE_ROOTS.
# In a minimal Debian root with only the packages of the libraries the bundle leaves to the machine,
# an unprivileged user runs the image's autostart file; X and its tools stay on the host.

import hashlib
import os
import subprocess
import sys
import types

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "../realwin"))
from desktop import Desktop, Skip, wait_until  # noqa: E402
import run as realwin  # noqa: E402

# tools/bundle/left-out by package (GLib comes with HarfBuzz), and the file types GLib recommends,
# which every desktop has and Qt reads too.
LEFT_OUT = ["libgl1", "libegl1", "libglx0", "libopengl0", "libx11-6", "libx11-xcb1", "libxcb1",
            "libfontconfig1", "libfreetype6", "libexpat1", "zlib1g", "libharfbuzz0b",
            "libdbus-1-3", "libpulse0", "shared-mime-info"]
OWN_QT = {"bookworm": [], "trixie": ["libqt6widgets6", "qt6-qpa-plugins"]}
USER, DISC, HOME = 4711, "/media/disc", "/home/viewer"  # no one's on the host


class RootDesktop(Desktop):
    def setup(self):
        if os.geteuid() != 0:
            raise Skip("needs root's rights: debootstrap, chroot, mount")
        super().setup()
        packages = ",".join(LEFT_OUT + OWN_QT[self.args.suite])
        self.root = os.path.join(self.args.roots, self.args.suite + "-" + hashlib.sha1(
            packages.encode()).hexdigest()[:8])
        if not os.path.isdir(self.root):  # minutes, once
            subprocess.run(["debootstrap", "--variant=minbase", "--include=" + packages,
                            self.args.suite, self.root + ".part", "http://deb.debian.org/debian"],
                           check=True, stdout=self.log, stderr=self.log)
            os.rename(self.root + ".part", self.root)
        apps = self.root + HOME + "/.local/share/applications/"
        for folder in self.root + DISC, apps, self.root + f"/run/user/{USER}":
            os.makedirs(folder, mode=0o700, exist_ok=True)
        # An application for pictures, as installing one leaves it (update-desktop-database).
        open(apps + "tool.desktop", "w").write("[Desktop Entry]\nType=Application\nName=Tool\n"
                                               "Exec=true %f\n")
        open(apps + "mimeinfo.cache", "w").write("[MIME Cache]\nimage/jpeg=tool.desktop;\n")
        self.run(["chown", "-R", f"{USER}:{USER}", self.root + HOME, self.root + "/run/user"])
        self.run(["mount", "-t", "proc", "proc", self.root + "/proc"])  # or no $ORIGIN
        self.run(["fuseiso", self.args.image, self.root + DISC, "-o", "allow_other"])

    def teardown(self):
        super().teardown()
        if hasattr(self, "root"):
            subprocess.run(["umount", "-l", self.root + DISC, self.root + "/proc"])

    def start(self):
        env = {"DISPLAY": self.env["DISPLAY"], "HOME": HOME, "LANG": "C.UTF-8",
               "PATH": "/usr/bin:/bin", "XDG_RUNTIME_DIR": f"/run/user/{USER}"}
        launcher = self._start(["/usr/sbin/chroot", f"--userspec={USER}:{USER}", self.root, "sh",
                                "-c", f"cd {DISC} && exec ./autorun.sh"], env=env)
        return self.adopt(launcher, on_bus=False)  # the root has no way to the bus


def clean_root(d):
    main = d.start()
    x, y = main.rect[:2]
    red = lambda s, r: sum(p[0] > 230 and max(p[1:]) < 40 for p in s.pixels(r, 1))  # noqa: E731
    wait_until("the catalogue's title in its colour (orvane.ini)",
               lambda: red(d.shot(), (x + 127, y + 16, 139, 37)) > 20)
    for keyword in "welcome", "Dog", "postcard":  # a BMP, a GIF, a JPEG, each alone in the list
        d.click(x + 273, y + 342)  # Reset: the first row again
        before = d.run(["sleep", "2"]) and d.shot()
        d.click(x + 273, y + 318)  # Search
        search = d.window("the search dialog", lambda w: w.id != main.id)
        d.run(["xdotool", "type", "--delay", "60", keyword])
        d.close(search, "Return", owner=main)
        wait_until(f"the preview of {keyword}",
                   lambda: d.shot().changed_share(before, (x + 213, y + 108, 121, 91)) > 0.3)
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
    bundle = os.path.dirname(os.readlink(f"/proc/{d.program.pid}/exe"))  # may be a copy
    realwin.check_maps(d.program.pid, d.root + DISC, bundle + "/")
    # The disc taken out under the main window, its pages dropped: the viewer runs from its copy
    # in memory, and the pictures it can no longer read change nothing.
    d.run(["pkill", "-f", "^fuseiso " + d.args.image])
    with open("/proc/sys/vm/drop_caches", "w") as caches:
        caches.write("3\n")
    d.key("Down", "Return")
    d.close(d.viewer(main_hides=False), "Escape", owner=main)


if __name__ == "__main__":
    roots = os.environ.get("ORVANE_ROOTS", os.path.expanduser("~/.cache/orvane/roots"))
    args = types.SimpleNamespace(suite=sys.argv[1], image=sys.argv[2], out=sys.argv[3], roots=roots,
                                 wm="openbox")
    sys.exit(realwin.run(f"clean_root_{args.suite}", args, clean_root, RootDesktop))
