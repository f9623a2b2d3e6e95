"""The viewer: full screen, stepping, zoom, the pop-up menu and the slideshow."""

import time

from a11y import Node, capture
from desktop import Failure, wait_until
from program import check, scenario, settle, title_of

# A bright 640 x 480 picture of the sample CD: on black its edges are plain to see.
BRIGHT = "welcome.bmp"
CAPTION_BAND = 60  # the bottom of the screen, where the caption sits


def bright(pixel):
    return max(pixel) > 48


def picture_box(o):
    """Where the picture lies on the screen: the bright area above the caption."""
    width, height = o.d.size
    return o.d.shot().bounding_box(bright, (0, 0, width, height - CAPTION_BAND))


def wait_for_picture_box(o, expected, what):
    x, y, w, h = expected
    expected = (x, y, w, min(y + h, o.d.size[1] - CAPTION_BAND) - y)  # the part above the band

    def matches():
        box = picture_box(o)
        return box if box and all(abs(a - b) <= 3 for a, b in zip(box, expected)) else None
    try:
        return wait_until(what, matches, timeout=8)
    except Failure:
        raise Failure(f"{what}: the picture lies at {picture_box(o)}, expected {expected}")


def centred(o, width, height):
    return ((o.d.size[0] - width) // 2, (o.d.size[1] - height) // 2, width, height)


def open_viewer_on(o, name):
    """Opens the viewer with Enter on a list row; gives the list's rows and the row's index."""
    o.start()
    rows = o.rows()
    o.select_row(name)
    o.d.key("Return")
    o.d.wait_active("the viewer to be the active window", o.viewer_window())
    wait_until("the caption to name the picture", lambda: o.shows(name))
    return rows, rows.index(name)


def open_menu(o, x, y):
    """Right-clicks at a place and gives the pop-up menu and its items, as a screen reader
    learns of them: the menu tells the bus it is showing."""
    menu = capture(["object:state-changed:showing"], lambda: o.d.click(x, y, button=3),
                   lambda node, event: node.role == "popup menu" and event.detail1 == 1 and node,
                   "the pop-up menu")
    return menu, [n for n in menu.children if n.role in ("menu item", "separator")]


def menu_closed(menu):
    def gone():
        try:
            return "showing" not in Node(menu.acc).states
        except Exception:
            return True
    wait_until("the pop-up menu to close", gone)


@scenario
def enter_opens_the_viewer(o):
    open_viewer_on(o, BRIGHT)
    screen = o.d.size
    check(any(w.id == o.main_window.id for w in o.d.windows()),
          "Enter leaves the main window shown behind the viewer")
    # At its own size, centred, on black, with its title near the bottom.
    box = wait_for_picture_box(o, centred(o, 640, 480), "the picture centred")
    shot = o.d.shot()
    for region in ((0, 0, screen[0], box[1]), (0, 0, box[0], screen[1] - CAPTION_BAND)):
        check(shot.dark_share(region) > 0.98, f"the viewer should be black around the picture "
              f"({shot.dark_share(region):.0%} of {region} is)")
    caption = shot.bounding_box(bright, (0, screen[1] - CAPTION_BAND, screen[0], CAPTION_BAND))
    check(caption is not None, "the caption should show near the bottom")
    check(abs(caption[0] + caption[2] / 2 - screen[0] / 2) <= 3,
          f"the caption should be centred: {caption}")
    check(caption[1] >= screen[1] - 40,
          f"the caption's top should be 500 twips (33 px) above the bottom: {caption}")
    check(o.caption() == "  " + title_of(BRIGHT) + "  ",
          f"the caption reads the title with two blanks either side: {o.caption()!r}")
    full = (0, 0) + screen
    image = o.window_node("the viewer", lambda w: w.extents() == full).find(role="image")
    check(image is not None and image.name == title_of(BRIGHT),
          f"the viewer's picture should be an image named {title_of(BRIGHT)!r}: {image}")
    o.save_doc_shot(shot, "viewer.png", scale=0.5)


@scenario
def view_button_opens_the_viewer(o):
    main = o.start()
    rows = o.rows()
    o.click_button("View")
    viewer = o.viewer_window()
    o.d.wait_gone("the main window to hide", main)
    o.d.wait_active("the viewer to be active", viewer)
    wait_until("the caption to name the selected picture", lambda: o.shows(rows[0]))


@scenario
def right_and_left_step(o):
    rows, at = open_viewer_on(o, BRIGHT)
    settle()
    first = o.d.shot()
    o.d.key("Right")
    wait_until("Right to show the next picture", lambda: o.shows(rows[(at + 1) % len(rows)]))
    settle()
    share = o.d.shot().changed_share(first)
    check(share > 0.1, f"the screen should change with the next picture ({share:.0%} did)")
    o.d.key("Left")
    wait_until("Left to show the picture before", lambda: o.shows(BRIGHT))
    settle()
    share = o.d.shot().changed_share(first)
    check(share < 0.02, f"Left should bring back the same screen ({share:.0%} differs)")
    # Backspace and Space step as well, and the ends wrap around.
    o.d.key("Home")  # not handled: nothing changes
    o.d.key("BackSpace")
    wait_until("Backspace to step back", lambda: o.shows(rows[(at - 1) % len(rows)]))
    o.d.key("space")
    wait_until("Space to step on", lambda: o.shows(BRIGHT))
    o.d.key("Left", repeat=at + 1)
    wait_until("Left from the first picture to wrap to the last", lambda: o.shows(rows[-1]))


@scenario
def up_zooms(o):
    open_viewer_on(o, BRIGHT)
    for key, box, what in ((None, centred(o, 640, 480), "the picture at its own size"),
                           ("Up", centred(o, 800, 600), "Up to zoom in by 1.25, centred"),
                           ("Up", centred(o, 1000, 750), "a second step in"),
                           ("Up", (0, 0) + o.d.size, "the third step to stop at the screen's edge"),
                           ("Down", centred(o, 819, 614), "Down to zoom out by 1.25")):
        if key:
            o.d.key(key)
        wait_for_picture_box(o, box, what)
    check(o.caption() == "  " + title_of(BRIGHT) + "  ", "the caption stays through zoom")


@scenario
def right_click_opens_the_menu(o):
    open_viewer_on(o, BRIGHT)
    middle = (o.d.size[0] // 2, o.d.size[1] // 2)
    settle()
    before = o.d.shot()
    menu, items = open_menu(o, *middle)
    names = [i.name for i in items if i.role == "menu item"]
    check(names == [" <<  Orvane Options  >>", "Next Image", "Previous Image", "Slideshow",
                    "Zoom In", "Zoom Out", "Save Image As...", "Set Desktop Wallpaper",
                    "Open With...", "Exit"], f"the pop-up menu's items: {names}")
    check(sum(1 for i in items if i.role == "separator") == 4, "four separators")
    check("enabled" not in items[0].states, "the menu's title line is disabled")
    zoom_in = next(i for i in items if i.name == "Zoom In")
    check("enabled" in zoom_in.states, "Zoom In is enabled for a picture smaller than the screen")
    settle()
    share = o.d.shot().changed_share(before, middle + (150, 200))
    check(share > 0.3, f"the menu should show at the mouse ({share:.0%} changed there)")
    check(menu.extents()[:2] == middle, f"the menu opens at the mouse: {menu.extents()}")
    # Escape closes it without a choice; a choice closes it and acts.
    o.d.key("Escape")
    menu_closed(menu)
    check(o.shows(BRIGHT), "dismissing the menu changes nothing")
    menu, items = open_menu(o, *middle)
    o.click_node(next(i for i in items if i.name == "Next Image"))
    menu_closed(menu)
    wait_until("Next Image to step on", lambda: not o.shows(BRIGHT))


@scenario
def escape_returns_with_the_row_following(o):
    main = o.start()
    rows = o.rows()
    o.select_row(BRIGHT)
    target = rows[(rows.index(BRIGHT) + 2) % len(rows)]
    o.d.key("Return")
    viewer = o.viewer_window()
    o.d.key("Right", "Right")
    wait_until("two steps on", lambda: o.shows(target))
    o.d.key("Escape")
    o.d.wait_gone("the viewer to close", viewer)
    o.d.wait_active("the main window to be active", main)
    wait_until("the list to follow the viewer", lambda: o.selected_rows() == [target])
    wait_until("the list to have the focus", o.list_focused)
    wait_until("the preview to follow the viewer", lambda: o.preview_name() == title_of(target))


@scenario
def slideshow_at_5_seconds_advances(o):
    main = o.start()
    rows = o.rows()
    o.select_row(BRIGHT)
    following = rows[(rows.index(BRIGHT) + 1) % len(rows)]
    o.click_button("Slideshow")
    dialog = o.d.window("the slideshow delay dialog", lambda w: w.name == "Slideshow Delay", 8)
    node = o.window_node("the slideshow delay dialog", lambda w: w.name == "Slideshow Delay")
    check(node.role == "dialog", f"the slideshow delay window is a dialog: {node.role}")
    options = {n.name: n for n in node.find_all(role="radio button")}
    check(sorted(options) == ["  5 Seconds", "15 Seconds", "30 Seconds"],
          f"the dialog offers 5, 15 and 30 seconds: {sorted(options)}")
    check("checked" in options["  5 Seconds"].states, "5 seconds is chosen when it opens")
    check(node.find(role="panel", name="Select") or node.find(name="Select"),
          "the choices sit in a frame named Select")
    check(o.enabled_buttons() == [],
          f"the buttons should be greyed out while the dialog is open: {o.enabled_buttons()}")
    o.click_button("OK", node)
    o.viewer_window()
    opened = time.monotonic()
    o.d.wait_gone("the dialog to close", dialog)
    o.d.wait_gone("the main window to hide", main)
    check(o.shows(BRIGHT), "the show starts on the selected picture")
    wait_until("the slideshow to advance", lambda: o.shows(following), timeout=15, interval=0.05)
    took = time.monotonic() - opened
    check(3.5 <= took <= 9.0, f"the show should advance after about 5 s, took {took:.1f} s")

    # A right click pauses the show and says so in the menu.
    menu, items = open_menu(o, o.d.size[0] // 3, o.d.size[1] // 3)
    names = [i.name for i in items]
    check("Slideshow (Paused)... Restart" in names, f"the menu tells the show is paused: {names}")
    settle(0.5)
    mx, my, mw, mh = menu.extents()
    o.save_doc_shot(o.d.shot(), "slideshow-menu.png",
                    (max(0, mx - 160), max(0, my - 40), mw + 320, mh + 80))
    o.d.key("Escape")
    menu_closed(menu)
    paused_on = o.caption()
    time.sleep(6.5)
    check(o.caption() == paused_on, "a paused show should not advance")
