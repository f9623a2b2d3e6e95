"""What only a real X server and the accessibility bus show: the splash under a window manager,
the viewer covering the screen, activation handed back by the viewer and by message boxes, the
pop-up menu at the mouse, real typing into a dialog, accessible names, a screen scale of 2 and
windows on their opener's screen of two."""

import os
import time

from desktop import check, wait_until
from program import MAIN_TITLE, Node, check_named, scenario, settle
from screen import Shot

BRIGHT = "welcome.bmp"  # 640 x 480 and bright: on black its edges are plain to see
DETAILED = "mosaic.jpg"


def off_centre(rect, size):
    """How far a rectangle's centre lies from the screen's, the larger of the two ways."""
    return max(abs(rect[0] + rect[2] / 2 - size[0] / 2), abs(rect[1] + rect[3] / 2 - size[1] / 2))


@scenario
def splash_then_main_window(o):
    d = o.d
    d.start_program()
    started = time.monotonic()
    splash = d.window("the splash window", lambda w: True, timeout=20)
    check(off_centre(splash.rect, d.size) <= 1, f"the splash is centred: {splash}")
    check(d.frame_rect(splash) == splash.rect, "the splash has no title bar or border")
    settle(0.5)
    check(d.shot().colours(splash.rect, step=2) > 40, "the splash shows its picture")

    main = d.window("the main window", lambda w: w.name == MAIN_TITLE, 30)
    shown_after = time.monotonic() - started
    check(shown_after > 2.0, f"the splash stays about 3 s, went after {shown_after:.1f} s")
    d.wait_gone("the splash to go", splash)
    d.wait_active("the main window to be active", main)
    check(off_centre(d.frame_rect(main), d.size) <= 20, f"the main window is centred: {main}")
    wait_until("the list to take the focus", o.list_focused)
    check_named(o.main_node(), "main window")
    # The keyboard reaches every button, a column at a time as they stand, then the list again.
    buttons = sorted(o.main_node().find_all("push button"), key=lambda b: b.extents()[:2])
    check(all(b.description for b in buttons), f"buttons describe themselves: {buttons}")
    for button in buttons:
        d.key("Tab")
        wait_until(f"Tab to reach {button}", lambda: "focused" in Node(button.acc).states, 5)
    d.key("Tab")
    wait_until("Tab to come back to the list", o.list_focused, 5)
    preview = o.main_node().find(name="Preview").extents()
    wait_until("the preview to show a picture", lambda: d.shot().dark_share(preview) < 0.8)
    settle()
    o.save_doc_shot(d.shot(), "main-window.png", d.frame_rect(main))


@scenario
def viewer_covers_the_screen(o):
    main = o.start()
    rows = o.rows()
    following = rows[(rows.index(BRIGHT) + 1) % len(rows)]
    o.select_row(BRIGHT)
    o.click_button("View", o.main_node())
    viewer = o.viewer_window()
    o.d.wait_gone("the main window to hide", main)
    o.d.wait_active("the viewer to be active", viewer)
    width, height = o.d.size

    def picture_box():  # the bright part of the screen above the caption
        return o.d.shot().bright_box((0, 0, width, height - 60))
    wait_until("the picture at its own size in the middle", lambda: (box := picture_box()) and
               abs(box[2] - 640) + abs(box[3] - 480) <= 4 and off_centre(box, o.d.size) <= 2)
    check(o.shows(BRIGHT), "the caption names the picture")
    check_named(o.viewer_node(), "viewer")
    o.save_doc_shot(o.d.shot(), "viewer.png", scale=0.5)

    o.d.key("Right")
    wait_until("Right to show the next picture", lambda: o.shows(following))
    o.d.key("Escape")
    o.d.wait_gone("the viewer to close", viewer)
    o.d.wait_active("the main window to be back and active", main)
    wait_until("the list to have the focus on the viewer's picture",
               lambda: o.list_focused() and o.rows(selected=True) == [following])


@scenario
def slideshow_menu_at_the_mouse(o):
    main = o.start()
    o.select_row("big valley.jpg")  # larger than the screen: the README's picture shows no black
    o.click_button("Slideshow", o.main_node())
    o.click_button("OK", o.window_node("the delay dialog", lambda w: w.role == "dialog"))
    o.viewer_window()
    o.d.wait_gone("the main window to hide", main)
    settle()
    before, known = o.d.shot(), {w.id for w in o.d.windows()}
    at = (o.d.size[0] // 3, o.d.size[1] // 3)
    o.d.click(*at, button=3)
    menu = o.d.window("the pop-up menu", lambda w: w.id not in known)
    check(menu.rect[:2] == at, f"the menu opens at the mouse, {at}: {menu}")
    settle(0.5)
    shot = o.d.shot()
    share = shot.changed_share(before, menu.rect)
    check(share > 0.3, f"the menu is drawn where it opens ({share:.0%} changed there)")
    x, y, w, h = menu.rect
    o.save_doc_shot(shot, "slideshow-menu.png", (max(0, x - 160), max(0, y - 40), w + 320, h + 80))
    o.d.key("Escape")
    o.d.wait_gone("Escape to close the menu", menu)


@scenario
def search_typed_into_the_dialog(o):
    o.start()
    everything = o.rows()
    o.click_button("Search", o.main_node())

    def field():
        return o.window_node("the search dialog", lambda w: w.role == "dialog").find("text")
    check_named(o.window_node("the search dialog", lambda w: w.role == "dialog"), "search dialog")
    check("focused" in field().states, "the caret is in the search field")
    o.d.type_text("Sea")
    wait_until("the typed text in the field", lambda: field().text() == "Sea")
    o.d.key("Return")
    wait_until("the list to narrow to some pictures, focused",
               lambda: 0 < len(o.rows()) < len(everything) and o.list_focused())


@scenario
def scale_2_preview_in_device_pixels(o):
    o.start()
    o.select_row(DETAILED)
    image = wait_until("the preview picture named after it", lambda: next(
        (i for i in o.main_node().find_all("image") if i.name.lower() == DETAILED[:-4]), None))
    # The bus gives places in the screen's logical pixels, each 2 x 2 device pixels here.
    x, y, w, h = (2 * v for v in image.extents())
    wait_until("the preview to show a picture", lambda: o.d.shot().dark_share((x, y, w, h)) < 0.5)
    settle()
    source = next(os.path.join(folder, DETAILED) for folder, _, files
                  in os.walk(os.path.join(o.d.sample_cd, "images")) if DETAILED in files)

    def scaled(*sizes):  # the picture resized through the given sizes, as the screen holds it
        resize = [a for size in sizes for a in ("-resize", "%dx%d!" % size)]
        return Shot(w, h, o.d.run(["convert", source + "[0]", "-filter", "Triangle", *resize,
                                   "-depth", "8", "rgb:-"]).stdout)
    # Drawn from the picture itself at device resolution, the preview is closer to the picture
    # scaled straight to its device size than to the same enlarged from half that.
    shot = o.d.shot()
    near = shot.difference(scaled((w, h)), (x, y))
    far = shot.difference(scaled((w // 2, h // 2), (w, h)), (x, y))
    check(near < 6 and near < far * 0.6,
          f"the preview is drawn from device pixels: it differs by {near:.1f} from the picture "
          f"scaled to the device and by {far:.1f} from one enlarged from half size")


scale_2_preview_in_device_pixels.desktop = {"screens": [(2048, 1536)],
                                            "env": {"QT_SCALE_FACTOR": "2"}}


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
    o.start()
    o.select_row(BRIGHT)
    o.d.key("Return")
    viewer = o.viewer_window()
    area = (0, 0, o.d.size[0], o.d.size[1] - 60)  # above the caption
    o.d.key("Up")
    zoomed = wait_until("the zoom", lambda: (box := o.d.shot().bright_box(area)) and
                        box[2] > 640 and box)
    handed_back(o, viewer, menu_item(o, "w", "Change desktop wallpaper"))
    settle()
    check(o.d.shot().bright_box(area) == zoomed, "Cancel on the wallpaper question keeps the zoom")
    handed_back(o, viewer, menu_item(o, "o", "Open With"))
    save = menu_item(o, "s", "Save Image")
    o.d.key("Tab", "Tab", "ctrl+a", "BackSpace", "alt+s")  # no file name: the dialog says so
    message = o.d.window("the message", lambda w: w.name == "orvane" and w.width < 600)
    handed_back(o, save, message, "Return")
    handed_back(o, viewer, save)
    wait_until("the viewer's start-up to fit the picture again",
               lambda: o.d.shot().bright_box(area)[2] == 640)
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
    title = next(n for n in o.main_node().walk() if n.description == "Catalogue title")
    x, y, w, h = title.extents()
    o.d.click(x + w // 2, y + h // 2)
    o.d.wait_gone("the About box to close", inside("the About box", lambda w: w.name == "About"))
    o.click_button("Search", o.main_node())
    search = inside("the search dialog", lambda w: True)
    o.d.key("alt+c")
    o.d.wait_gone("the search dialog to close", search)
    o.click_button("Slideshow", o.main_node())
    inside("the delay dialog", lambda w: w.name == "Slideshow Delay")
    o.d.key("Return")
    o.d.window("the viewer on the second screen", lambda w: w.rect == second)
    box = (second[0] + 80, 60, 640, 480)  # centred in 800 x 600
    wait_until(f"the picture at {box}",
               lambda: o.d.shot().bright_box(second[:3] + (540,)) == box[:3] + (480,))


windows_open_on_their_openers_screen.desktop = {"screens": [(1024, 768), (800, 600)]}
