#!/usr/bin/python3
"""Installs the build into temporary folders, as a package build (DESTDIR) and into a prefix of
its own, and checks that the desktop finds the program, its launcher and its icon."""

import configparser
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

SVG = "{http://www.w3.org/2000/svg}"


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def check_tree(root):
    program = os.path.join(root, "bin", "orvane")
    if not (os.path.isfile(program) and os.access(program, os.X_OK)):
        fail(f"no program at {program}")

    launcher = os.path.join(root, "share", "applications", "orvane.desktop")
    if not os.path.isfile(launcher):
        fail(f"no launcher at {launcher}")
    entry = configparser.ConfigParser(interpolation=None, strict=True)
    entry.optionxform = str
    entry.read(launcher, encoding="utf-8")
    if "Desktop Entry" not in entry:
        fail("the launcher has no [Desktop Entry] group")
    keys = entry["Desktop Entry"]
    expected = {"Type": "Application", "Icon": "orvane", "Terminal": "false"}
    for key, value in expected.items():
        if keys.get(key) != value:
            fail(f"launcher {key}={keys.get(key)!r}, expected {value!r}")
    if keys.get("Exec", "").split()[:1] != ["orvane"]:
        fail(f"the launcher should start orvane: Exec={keys.get('Exec')!r}")
    categories = keys.get("Categories", "")
    if not categories.endswith(";") or {"Graphics", "Viewer"} - set(categories.split(";")):
        fail(f"the launcher's categories should hold Graphics and Viewer: {categories!r}")
    if "Path" in keys:
        fail("the launcher must not fix a working folder: the CD's place differs by machine")
    if not keys.get("Name"):
        fail("the launcher has no name")
    if shutil.which("desktop-file-validate"):
        result = subprocess.run(["desktop-file-validate", launcher], capture_output=True,
                                text=True)
        if result.returncode != 0 or result.stdout.strip():
            fail("desktop-file-validate: " + result.stdout + result.stderr)

    icon = os.path.join(root, "share", "icons", "hicolor", "scalable", "apps", "orvane.svg")
    if not os.path.isfile(icon):
        fail(f"no icon at {icon}")
    svg = ElementTree.parse(icon).getroot()
    if svg.tag != SVG + "svg":
        fail("the icon is not an SVG drawing")
    box = [float(v) for v in svg.get("viewBox", "").split()]
    if len(box) != 4 or box[2] != box[3]:
        fail(f"the icon should be square: viewBox={svg.get('viewBox')!r}")
    shapes = [e for e in svg.iter() if e.tag in (SVG + "path", SVG + "circle", SVG + "rect")]
    if len(shapes) < 4:
        fail("the icon should draw a framed landscape under a sun")


def install(cmake, build, prefix, destdir=None):
    env = dict(os.environ)
    env.pop("DESTDIR", None)
    if destdir:
        env["DESTDIR"] = destdir
    result = subprocess.run([cmake, "--install", build, "--prefix", prefix], env=env,
                            capture_output=True, text=True)
    if result.returncode != 0:
        fail("cmake --install failed:\n" + result.stdout + result.stderr)


def main():
    cmake, build = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory(prefix="orvane-install-") as tmp:
        # A package build: the usual prefix, under a staging folder.
        staging = os.path.join(tmp, "staging")
        install(cmake, build, "/usr", destdir=staging)
        check_tree(os.path.join(staging, "usr"))
        # A prefix of its own, as for a user's local install.
        prefix = os.path.join(tmp, "prefix")
        install(cmake, build, prefix)
        check_tree(prefix)
    print("installed program, launcher and icon check out")


if __name__ == "__main__":
    main()
