#!/usr/bin/python3 -B
"""Real-window tests: what only a real X server and the accessibility bus show, a scenario a
function, each run on a desktop of its own. Exit status: 0 passed, 1 failed, 77 skipped."""

import argparse
import fnmatch
import os
import sys
import time
import traceback

from desktop import MAIN_TITLE, WINDOW_MANAGERS, Desktop, Node, Shot, Skip, wait_until

BRIGHT = "welcome.bmp"  # 640 x 480 and bright: on black its edges are plain to see
DETAILED = "mosaic.jpg"


def off_centre(rect, size):
    # How far a rectangle's centre lies from the screen's, the larger of the two ways.
    return max(abs(rect[0] + rect[2] / 2 - size[0] / 2), abs(rect[1] + rect[3] / 2 - size[1] / 2))


def check_named(window, what):
    # Fails naming the objects of a window that a screen reader could not name or place.
    bad = [f"{n}: {fault}" for n in window.walk() for fault, found in (
        ("its role says nothing", n.role in ("unknown", "invalid", "filler", "redundant object")),
        ("no name", n.role != "separator" and not n.name.strip()),
        ("a label needs a description to be found by", n.role == "label" and not n.description))
        if found]
    assert not bad, f"{what}:\n  " + "\n  ".join(bad)


def splash_then_main_window(d):
    d.start(splash=True)
    started = time.monotonic()
    splash = d.window("the splash window", lambda w: True, timeout=20)
    assert d.frame_rect(splash) == splash.rect, "the splash has no title bar or border"
    wait_until("the splash to show its picture",
               lambda: len(set(d.shot().pixels(splash.rect))) > 40, 2)
    # One window: its picture area of 200 x 100 in a frame of 4, centred from the moment it is
    # viewable on until the main window shows.
    places, shown = {splash.rect}, []
    while not any(w.name == MAIN_TITLE for w in shown) and time.monotonic() < started + 30:
        shown = d.windows()
        places |= {w.rect for w in shown if w.name != MAIN_TITLE}
    assert places == {(408, 330, 208, 108)}, f"the splash is centred, one window: {places}"
    main = d.main_window()
    assert time.monotonic() - started > 2.0, "the splash stays about 3 s"
    d.wait_gone("the splash to go", splash)
    assert d.sway or off_centre(d.frame_rect(main), d.size) <= 2, f"the frame is centred: {main}"
    check_named(d.main_node(), "main window")
    # The keyboard reaches every button, a column at a time as they stand, then the list again.
    buttons = sorted(d.main_node().find_all("push button"), key=lambda b: b.extents()[:2])
    assert all(b.description for b in buttons), f"buttons describe themselves: {buttons}"
    for node in buttons + [d.main_node().find("list")]:
        d.key("Tab")
        wait_until(f"Tab to reach {node}", lambda: "focused" in Node(node.acc).states, 5)
    preview = d.main_node().find(name="Preview").extents()
    wait_until("the preview to show a picture", lambda: d.shot().dark_share(preview) < 0.8)
    # A message box gives the keyboard back: the wallpaper's question, answered Cancel.
    d.click_button("Wallpaper")
    d.close(d.window("the question", lambda w: w.name != MAIN_TITLE), "Escape", owner=main)


def viewer_covers_the_screen(d):
    main = d.start()
    d.select_row(BRIGHT)
    d.click_button("View")
    viewer = d.viewer()
    wait_until("the picture at its own size in the middle", lambda: (box := d.picture_box()) and
               abs(box[2] - 640) + abs(box[3] - 480) <= 4 and off_centre(box, d.size) <= 2)
    caption = d.viewer_node().find("label").name  # as a screen reader reads it
    assert caption.strip().lower().split("\\")[-1] == BRIGHT[:-4], f"the caption: {caption}"
    check_named(d.viewer_node(), "viewer")
    d.close(viewer, "Escape", owner=main)
    wait_until("the list to have the focus", d.list_focused)


def search_typed_into_the_dialog(d):
    main = d.start()
    everything = d.rows()
    d.click_button("Search")
    # Its outer corner 330 and 4350 twips from the main window's, 22 and 290 pixels.
    x, y = d.frame_rect(d.window("the search dialog", lambda w: w.id != main.id))[:2]
    assert max(abs(x - 22 - d.frame_rect(main)[0]), abs(y - 290 - d.frame_rect(main)[1])) <= 2
    field = lambda: d.window_node("the search dialog").find("text")  # noqa: E731, read afresh
    check_named(d.window_node("the search dialog"), "search dialog")
    assert "focused" in field().states, "the caret is in the search field"
    d.run(["xdotool", "type", "--delay", "60", "Sea"])
    wait_until("the typed text in the field", lambda: field().acc.get_text(0, -1) == "Sea")
    d.key("Return")
    wait_until("the list to narrow to some pictures, focused",
               lambda: 0 < len(d.rows()) < len(everything) and d.list_focused())


def scale_2_preview_in_device_pixels(d):
    d.start()
    d.select_row(DETAILED)
    image = wait_until("the preview picture named after it", lambda: next(
        (i for i in d.main_node().find_all("image") if i.name.lower() == DETAILED[:-4]), None))
    # The bus gives places in the screen's logical pixels, each 2 x 2 device pixels here.
    x, y, w, h = (2 * v for v in image.extents())
    wait_until("the preview to show a picture", lambda: d.shot().dark_share((x, y, w, h)) < 0.5)
    time.sleep(0.3)

    def scaled(*sizes):  # the picture resized through the given sizes, as the screen holds it
        resize = [a for size in sizes for a in ("-resize", "%dx%d!" % size)]
        return Shot(w, h, d.run(["convert", f"{d.args.sample_cd}/images/shapes/{DETAILED}[0]",
                                 "-filter", "Triangle", *resize, "-depth", "8", "rgb:-"]).stdout)
    # Drawn from the picture itself at device resolution, the preview is closer to the picture
    # scaled straight to its device size than to the same enlarged from half that.
    shot = d.shot()
    near = shot.difference(scaled((w, h)), (x, y))
    far = shot.difference(scaled((w // 2, h // 2), (w, h)), (x, y))
    assert near < 6 and near < far * 0.6, (
        f"the preview is drawn from device pixels: it differs by {near:.1f} from the picture "
        f"scaled to the device and by {far:.1f} from one enlarged from half size")


scale_2_preview_in_device_pixels.desktop = dict(screens=[(2048, 1536)],
                                                env={"QT_SCALE_FACTOR": "2"})


def messages_hand_back_to_their_window(d):
    def menu_item(key, title):  # from the viewer's menu, which opens at the mouse, by access key
        known = {w.id for w in d.windows()}
        d.click(5, 5, button=3)
        menu = d.window("the pop-up menu", lambda w: w.id not in known)
        assert menu.rect[:2] == (5, 5), f"the menu opens at the mouse: {menu}"
        d.key(key)
        return d.window(title, lambda w: w.name == title)
    # The desktop's wallpaper setter takes a second, longer than any window manager's detour.
    log, stand_in = (os.path.join(d.home.name, name) for name in ("gsettings.log", "gsettings"))
    open(stand_in, "w").write(f'#!/bin/sh\nsleep 1\necho "$*" >> {log}\n')
    os.chmod(stand_in, 0o755)
    d.extra_env.update(PATH=f"{d.home.name}:{d.env['PATH']}", XDG_CURRENT_DESKTOP="GNOME")
    d.start()
    d.select_row(BRIGHT)
    d.key("Return")
    viewer = d.viewer(main_hides=False)
    d.key("Up")
    zoomed = wait_until("the zoom", lambda: (box := d.picture_box()) and box[2] > 640 and box)
    # Another program's window takes the focus and closes: the keys come back to the viewer.
    d._start(["xmessage", "-default", "okay", "another program"])
    d.run(["xdotool", "search", "--sync", "--onlyvisible", "--class", "Xmessage",
           "windowactivate", "--sync"])
    d.key("Return")
    d.wait_active("the keyboard back in the viewer after another program", viewer)
    for answer in ("Escape", "Return"):
        d.close(menu_item("w", "Change desktop wallpaper"), answer, owner=viewer)
        time.sleep(0.3)
        assert d.picture_box() == zoomed, f"{answer} on the wallpaper question keeps the zoom"
    wait_until("the wallpaper set", lambda: os.path.exists(log) and len(open(log).readlines()) == 2)
    time.sleep(0.3)
    assert d.picture_box() == zoomed, "the zoom lasts while the wallpaper is set"
    save = menu_item("s", "Save Image")
    d.key("Tab", "Tab", "ctrl+a", "BackSpace", "alt+s")  # no file name: the dialog says so
    message = d.window("the message", lambda w: w.name == "orvane" and w.rect[2] < 600)
    d.close(message, "Return", owner=save)
    d.close(save, "Escape", owner=viewer)
    wait_until("the viewer's start-up to fit the picture again", lambda: d.picture_box()[2] == 640)
    d.close(viewer, "Escape")


def windows_open_on_their_openers_screen(d):
    main = d.start()
    second = (1024, 0, 800, 600)
    d.run(["xdotool", "windowmove", "--sync", str(main.id), "1124", "40"])
    d.select_row(BRIGHT)

    def inside(what, match=lambda w: True):
        w = d.window(what, lambda w: w.id != main.id and match(w))
        x, y, width, height = w.rect
        assert x >= second[0] and x + width <= second[0] + second[2] and y + height <= second[3], (
            f"{what} should open on the main window's screen: {w.rect}")
        return w
    d.click_node(next(n for n in d.main_node().walk() if n.description == "Catalogue title"))
    d.wait_gone("the About box to close", inside("the About box", lambda w: w.name == "About"))
    d.click_button("Slideshow")
    inside("the delay dialog", lambda w: w.name == "Slideshow Delay")
    # 30 s: the show must not step on before a busy machine has looked at the first picture.
    delay = d.window_node("the delay dialog")
    d.click_node(delay.find("radio button", "30 Seconds"))
    d.key("Return")  # OK, though the focus is on the option
    d.window("the viewer on the second screen", lambda w: w.rect == second)
    box = (second[0] + 80, 60, 640, 480)  # centred in 800 x 600
    wait_until(f"the picture at {box}", lambda: d.shot().bright_box(second[:3] + (540,)) == box)


windows_open_on_their_openers_screen.desktop = {"screens": [(1024, 768), (800, 600)]}


TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../tools")


def check_maps(pid, *inside):
    # Every shared object the viewer maps lies in the folders given or is left to the machine.
    listed = [p for line in open(os.path.join(TOOLS, "bundle/left-out"))
              if not line.startswith("#") for p in line.split() if p != "@brought"]
    mapped = {line.split()[5] for line in open(f"/proc/{pid}/maps") if ".so" in line.split()[-1]}
    outside = sorted(m for m in mapped if not m.startswith(inside) and not any(
        fnmatch.fnmatch(os.path.basename(m).split(".so")[0], p) for p in listed))
    assert not outside and any("libQt6Core" in m for m in mapped), "neither carried nor left " \
        "out:\n  " + "\n  ".join(outside)


def bundle_maps_only_its_own(d):
    # The disc's viewer on this machine, which has Qt: a wrong run path or qt.conf would take the
    # machine's copies, which nothing else here shows. None of its code lies on the disc, and its
    # copy in memory goes with it.
    disc = os.path.join(d.home.name, "disc")
    d.run([os.path.join(TOOLS, "bundle/make-bundle"), os.path.dirname(d.args.program), disc,
           "--quick"])
    d.args.program = os.path.join(disc, "orvane-linux/run")
    launcher = d.start(splash=True) or d.program
    d.adopt(launcher)
    copy = os.path.join(d.home.name, f"orvane-run-{launcher.pid}")  # in XDG_RUNTIME_DIR
    check_maps(d.program.pid, copy)
    os.kill(d.program.pid, 15)
    d.program.poll = lambda: None  # ended on purpose
    assert launcher.wait(10) == 143 and not os.path.exists(copy), "the copy in memory is gone"


def run(name, args, scenario=None, desktop=Desktop):
    scenario = scenario or globals()[name]
    d = desktop(args, name, **getattr(scenario, "desktop", {}))
    try:
        d.setup()
        scenario(d)
        d.check_alive()
        print(f"PASS {name}")
        return 0
    except Skip as skip:
        print(f"SKIP {name}: {skip}")
        return 77
    except Exception as error:
        traceback.print_exc()
        try:
            d.save_png(os.path.join(d.out, "failure.png"))
            open(os.path.join(d.out, "tree.txt"), "w").write("\n".join(map(repr, d.app().walk())))
        except Exception as missing:
            print(f"(evidence incomplete: {missing!r})")
        print(f"FAIL {name}: {error}\n  (screenshot, accessibility tree and log in {d.out})")
        return 1
    finally:
        d.teardown()


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("scenarios", nargs="+")
    parser.add_argument("--wm", choices=WINDOW_MANAGERS, default="openbox")
    for option, default in (("--program", "orvane"), ("--sample-cd", "sample-cd"),
                            ("--out", "realwin")):
        parser.add_argument(option, type=os.path.abspath,  # the program starts elsewhere
                            default=default and os.path.join(__file__, "../../../build", default))
    args, codes = parser.parse_args(), set()
    for name in args.scenarios:  # each in a process of its own: it joins its desktop's buses
        if not (pid := os.fork()):
            sys.exit(run(name, args))
        codes.add(os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1]))
    sys.exit(1 if codes - {0, 77} else 77 if codes == {77} else 0)
