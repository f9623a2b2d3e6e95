"""What only a real X server and the accessibility bus show: the splash under a window manager,
the viewer covering the screen, activation handed back by the viewer and by message boxes, the
pop-up menu at the mouse, real typing into a dialog, accessible names, a screen scale of 2 and
windows on their opener's screen of two."""

import os
import time

from desktop import MAIN_TITLE, Node, Shot, check, wait_until

BRIGHT = "welcome.bmp"  # 640 x 480 and bright: on black its edges are plain to see
DETAILED = "mosaic.jpg"


def off_centre(rect, size):
    """How far a rectangle's centre lies from the screen's, the larger of the two ways."""
    return max(abs(rect[0] + rect[2] / 2 - size[0] / 2), abs(rect[1] + rect[3] / 2 - size[1] / 2))


def check_named(window, what):
    """Fails naming the objects of a window that a screen reader could not name or place."""
    def fault(node):
        if node.role in ("unknown", "invalid", "filler", "redundant object"):
            return "its role says nothing"
        if node.role != "separator" and not node.name.strip():
            return "no name"
        if node.role == "label" and not node.description:
            return "a label needs a description to be found by"
    bad = [f"{node}: {fault(node)}" for node in window.walk() if fault(node)]
    check(not bad, f"{what}:\n  " + "\n  ".join(bad))


def splash_then_main_window(d):
    d.start(splash=True)
    started = time.monotonic()
    splash = d.window("the splash window", lambda w: True, timeout=20)
    check(off_centre(splash.rect, d.size) <= 1, f"the splash is centred: {splash}")
    check(d.frame_rect(splash) == splash.rect, "the splash has no title bar or border")
    time.sleep(0.5)
    check(len(set(d.shot().pixels(splash.rect))) > 40, "the splash shows its picture")
    d.window("the main window", lambda w: w.name == MAIN_TITLE, 30)
    shown_after = time.monotonic() - started
    check(shown_after > 2.0, f"the splash stays about 3 s, went after {shown_after:.1f} s")
    d.wait_gone("the splash to go", splash)
    main = d.main_window()
    check(off_centre(d.frame_rect(main), d.size) <= 20, f"the main window is centred: {main}")
    check_named(d.main_node(), "main window")
    # The keyboard reaches every button, a column at a time as they stand, then the list again.
    buttons = sorted(d.main_node().find_all("push button"), key=lambda b: b.extents()[:2])
    check(all(b.description for b in buttons), f"buttons describe themselves: {buttons}")
    for button in buttons:
        d.key("Tab")
        wait_until(f"Tab to reach {button}", lambda: "focused" in Node(button.acc).states, 5)
    d.key("Tab")
    wait_until("Tab to come back to the list", d.list_focused, 5)
    preview = d.main_node().find(name="Preview").extents()
    wait_until("the preview to show a picture", lambda: d.shot().dark_share(preview) < 0.8)
    time.sleep(0.3)
    d.doc_shot("main-window.png", crop=d.frame_rect(main))


def viewer_covers_the_screen(d):
    main = d.start()
    rows = d.rows()
    following = rows[(rows.index(BRIGHT) + 1) % len(rows)]
    d.select_row(BRIGHT)
    d.click_button("View")
    viewer = d.viewer_window()
    d.wait_gone("the main window to hide", main)
    d.wait_active("the viewer to be active", viewer)
    width, height = d.size
    wait_until("the picture at its own size in the middle", lambda: (
        box := d.shot().bright_box((0, 0, width, height - 60))) and  # above the caption
        abs(box[2] - 640) + abs(box[3] - 480) <= 4 and off_centre(box, d.size) <= 2)
    check(d.shows(BRIGHT), "the caption names the picture")
    check_named(d.viewer_node(), "viewer")
    d.doc_shot("viewer.png", scale=0.5)
    d.key("Right")
    wait_until("Right to show the next picture", lambda: d.shows(following))
    d.handed_back(main, viewer)
    wait_until("the list to have the focus on the viewer's picture",
               lambda: d.list_focused() and d.rows(selected=True) == [following])


def slideshow_menu_at_the_mouse(d):
    main = d.start()
    d.select_row("big valley.jpg")  # larger than the screen: the README's picture shows no black
    d.click_button("Slideshow")
    d.click_button("OK", d.window_node("the delay dialog"))
    d.viewer_window()
    d.wait_gone("the main window to hide", main)
    time.sleep(0.3)
    before, known = d.shot(), {w.id for w in d.windows()}
    at = (d.size[0] // 3, d.size[1] // 3)
    d.click(*at, button=3)
    menu = d.window("the pop-up menu", lambda w: w.id not in known)
    check(menu.rect[:2] == at, f"the menu opens at the mouse, {at}: {menu}")
    time.sleep(0.5)
    shot = d.shot()
    share = shot.changed_share(before, menu.rect)
    check(share > 0.3, f"the menu is drawn where it opens ({share:.0%} changed there)")
    x, y, w, h = menu.rect
    d.doc_shot("slideshow-menu.png", shot=shot, crop=(max(0, x - 160), max(0, y - 40), w + 320,
                                                      h + 80))
    d.key("Escape")
    d.wait_gone("Escape to close the menu", menu)


def search_typed_into_the_dialog(d):
    d.start()
    everything = d.rows()
    d.click_button("Search")

    def field():
        return d.window_node("the search dialog").find("text")
    check_named(d.window_node("the search dialog"), "search dialog")
    check("focused" in field().states, "the caret is in the search field")
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
    source = next(os.path.join(folder, DETAILED) for folder, _, files
                  in os.walk(os.path.join(d.sample_cd, "images")) if DETAILED in files)

    def scaled(*sizes):  # the picture resized through the given sizes, as the screen holds it
        resize = [a for size in sizes for a in ("-resize", "%dx%d!" % size)]
        return Shot(w, h, d.run(["convert", source + "[0]", "-filter", "Triangle", *resize,
                                 "-depth", "8", "rgb:-"]).stdout)
    # Drawn from the picture itself at device resolution, the preview is closer to the picture
    # scaled straight to its device size than to the same enlarged from half that.
    shot = d.shot()
    near = shot.difference(scaled((w, h)), (x, y))
    far = shot.difference(scaled((w // 2, h // 2), (w, h)), (x, y))
    check(near < 6 and near < far * 0.6,
          f"the preview is drawn from device pixels: it differs by {near:.1f} from the picture "
          f"scaled to the device and by {far:.1f} from one enlarged from half size")


scale_2_preview_in_device_pixels.desktop = {"screens": [(2048, 1536)],
                                            "env": {"QT_SCALE_FACTOR": "2"}}


def messages_hand_back_to_their_window(d):
    def menu_item(key, title):  # from the viewer's menu, by its access key
        d.click(5, 5, button=3)
        time.sleep(0.3)
        d.key(key)
        return d.window(title, lambda w: w.name == title)
    d.start()
    d.select_row(BRIGHT)
    d.key("Return")
    viewer = d.viewer_window()
    area = (0, 0, d.size[0], d.size[1] - 60)  # above the caption
    d.key("Up")
    zoomed = wait_until("the zoom", lambda: (box := d.shot().bright_box(area)) and
                        box[2] > 640 and box)
    d.handed_back(viewer, menu_item("w", "Change desktop wallpaper"))
    time.sleep(0.3)
    check(d.shot().bright_box(area) == zoomed, "Cancel on the wallpaper question keeps the zoom")
    d.handed_back(viewer, menu_item("o", "Open With"))
    save = menu_item("s", "Save Image")
    d.key("Tab", "Tab", "ctrl+a", "BackSpace", "alt+s")  # no file name: the dialog says so
    message = d.window("the message", lambda w: w.name == "orvane" and w.rect[2] < 600)
    d.handed_back(save, message, "Return")
    d.handed_back(viewer, save)
    wait_until("the viewer's start-up to fit the picture again",
               lambda: d.shot().bright_box(area)[2] == 640)
    d.key("Escape")
    d.wait_gone("the viewer to close on Escape", viewer)


def windows_open_on_their_openers_screen(d):
    main = d.start()
    second = (1024, 0, 800, 600)
    d.run(["xdotool", "windowmove", "--sync", str(main.id), "1124", "40"])
    d.select_row(BRIGHT)

    def inside(what, match=lambda w: True):
        w = d.window(what, lambda w: w.id != main.id and match(w))
        x, y, width, height = w.rect
        check(x >= second[0] and x + width <= second[0] + second[2] and y + height <= second[3],
              f"{what} should open on the main window's screen: {w.rect}")
        return w
    d.click_node(next(n for n in d.main_node().walk() if n.description == "Catalogue title"))
    d.wait_gone("the About box to close", inside("the About box", lambda w: w.name == "About"))
    d.click_button("Search")
    search = inside("the search dialog")
    d.key("alt+c")
    d.wait_gone("the search dialog to close", search)
    d.click_button("Slideshow")
    inside("the delay dialog", lambda w: w.name == "Slideshow Delay")
    d.key("Return")
    d.window("the viewer on the second screen", lambda w: w.rect == second)
    box = (second[0] + 80, 60, 640, 480)  # centred in 800 x 600
    wait_until(f"the picture at {box}",
               lambda: d.shot().bright_box(second[:3] + (540,)) == box[:3] + (480,))


windows_open_on_their_openers_screen.desktop = {"screens": [(1024, 768), (800, 600)]}
