"""The splash, the main window and its preview, as a person and a screen reader meet them."""

import os
import time

from desktop import wait_until
from program import (BUTTONS, MAIN_TITLE, check, check_named, picture_paths, scenario, settle,
                     size_text, title_of)
from screen import Shot

KINDS = {"jpg": "Jpeg Image", "gif": "Gif Image", "bmp": "Bitmap Image"}
DETAILED = "mosaic.jpg"


def picture_file(sample_cd, name):
    return os.path.join(sample_cd, "images", picture_paths(sample_cd)[name])


def info_texts(d, name):
    """What the information line may show for a picture: title, kind, size in pixels, file
    size."""
    path = picture_file(d.sample_cd, name)
    pixels = d.run(["identify", "-format", "%w * %h pixels", path + "[0]"]).stdout.decode()
    return {title_of(name), KINDS.get(name[-3:].lower(), ""), pixels,
            size_text(os.path.getsize(path))}


def preview_shown(o):
    """The preview box, once it shows a picture rather than only its black background."""
    rect = o.preview_node()[0].extents()
    return rect if o.d.shot().dark_share(rect) < 0.8 else None


def scaled_picture(d, path, resize):
    return Shot.from_ppm(d.run(["convert", path + "[0]", "-filter", "Triangle", *resize,
                                "-depth", "8", "ppm:-"]).stdout)


@scenario
def splash_then_main_window(o):
    d = o.d
    d.start_program()
    started = time.monotonic()
    width, height = d.size
    splash = d.window("the splash window", lambda w: True, timeout=20)
    check((splash.width, splash.height) == (200, 100),
          f"the splash should be 200 x 100 pixels (3000 x 1500 twips): {splash}")
    check(abs(splash.x + 100 - width // 2) <= 1 and abs(splash.y + 50 - height // 2) <= 1,
          f"the splash should be centred: {splash}")
    check(d.frame_rect(splash) == splash.rect,
          f"the splash should have no title bar: {d.frame_rect(splash)}")
    settle(0.5)
    check(d.shot().colours((splash.x, splash.y, 200, 100), step=2) > 40,
          "the splash window should show the splash picture")

    main = o.main_window = d.window("the main window", lambda w: w.name == MAIN_TITLE, 30)
    shown_after = time.monotonic() - started
    check(shown_after > 2.0, f"the splash should stay about 3 s, went after {shown_after:.1f} s")
    d.wait_gone("the splash to go", splash)
    check((main.width, main.height) == (393, 367),
          f"the main window's client area should be 5895 x 5505 twips (393 x 367): {main}")
    d.wait_active("the main window to be active", main)
    left, top, w, h = d.frame_rect(main)
    check(abs(left + w / 2 - width / 2) <= 20 and abs(top + h / 2 - height / 2) <= 20,
          f"the main window should be centred on the screen: {(left, top, w, h)}")

    # What a screen reader finds: the window, the title from the settings file, the list with
    # its first row selected and focused, the six buttons.
    window = o.main_node()
    check(window.role == "frame", f"the main window's role should be frame: {window.role}")
    title = window.find(role="label", description="Catalogue title")
    check(title is not None and title.name == "Vistas",
          f"the title label should read the settings file's 'Vistas': {title}")
    rows = o.rows()
    check(len(rows) == 51, f"the sample CD holds 51 pictures, the list shows {len(rows)}")
    wait_until("the first row to be selected and focused",
               lambda: o.selected_rows() == [rows[0]] and o.list_focused())
    check(o.enabled_buttons() == BUTTONS, f"every button should be enabled: {o.enabled_buttons()}")
    # The title label in bright red (colour 12 of the settings file).
    red = d.shot().bounding_box(lambda p: p[0] > 200 and p[1] < 60 and p[2] < 60, title.extents())
    check(red is not None and red[2] > 40, "the title should be drawn in bright red")


@scenario
def arrow_keys_move_the_preview(o):
    o.start()
    rows = o.rows()
    rect = wait_until("the preview showing the first picture", lambda: preview_shown(o))
    before = o.d.shot()
    check(o.preview_name() == title_of(rows[0]),
          f"the preview picture should be named {title_of(rows[0])!r}: {o.preview_name()}")

    o.d.key("Down")
    wait_until("the second row to be selected, the preview named after it",
               lambda: o.selected_rows() == [rows[1]] and o.preview_name() == title_of(rows[1]))
    line = o.info_line()
    check(line in info_texts(o.d, rows[1]),
          f"the information line should be about {rows[1]}: {line!r}")
    settle()
    share = o.d.shot().changed_share(before, rect)
    check(share > 0.3, f"the preview should change with the Down key ({share:.0%} changed)")

    o.d.key("Up")
    wait_until("the first row to be selected again, the preview named after it",
               lambda: o.selected_rows() == [rows[0]] and o.preview_name() == title_of(rows[0]))
    settle()
    back = o.d.shot()
    share = back.changed_share(before, rect)
    check(share < 0.05, f"Up should bring the first picture back ({share:.0%} differs)")
    o.save_doc_shot(back, "main-window.png", o.d.frame_rect(o.main_window))


@scenario
def main_window_accessible(o):
    o.start()
    rows = o.rows()
    frame, image = o.preview_node()
    check(frame.role == "panel", f"the preview box is a panel: {frame}")
    check(image is not None, "the preview picture is an image")
    wait_until("the preview picture named after its title",
               lambda: o.preview_name() == title_of(rows[0]))
    window = o.main_node()
    check_named(window, "main window")
    for name in BUTTONS:
        check(o.button(name, window).description, f"{name} should describe itself (tool tip)")
    # Every control can be reached with the keyboard, in the design's tab order.
    for name in BUTTONS:
        o.d.key("Tab")
        wait_until(f"Tab to reach {name}", lambda: "focused" in o.button(name).states, 5)
    o.d.key("Tab")
    wait_until("Tab to come back to the list", o.list_focused)


@scenario
def high_dpi_keeps_proportions(o):
    main = o.start()
    check((main.width, main.height) == (786, 734),
          f"at scale 2 the main window should be twice its design size (786 x 734): {main}")
    shot = o.d.shot()
    # The View button's caption, in device pixels from the window's design place.
    caption = (main.x + 2 * 240 + 20, main.y + 2 * 284 + 8, 92, 24)
    check(shot.bounding_box(lambda p: max(p) < 100, caption),
          "the View button should show its caption")
    doubling, sharpness = shot.doubling(caption), shot.sharpness(caption)
    check(doubling < 0.75 and sharpness > 0.7,
          f"the button's text should be drawn at the device's resolution: {doubling:.0%} of its "
          f"edges on every other pixel, edge sharpness {sharpness:.2f}")

    # The preview, drawn from the picture itself at device resolution: closer to the picture
    # scaled straight to 240 x 180 than to the same enlarged from 120 x 90.
    o.select_row(DETAILED)
    preview = (main.x + 2 * 213, main.y + 2 * 108)
    wait_until("the preview showing a picture",
               lambda: o.d.shot().dark_share(preview + (240, 180)) < 0.5)
    settle()
    shot = o.d.shot()
    source = picture_file(o.d.sample_cd, DETAILED)
    direct = scaled_picture(o.d, source, ["-resize", "240x180!"])
    doubled = scaled_picture(o.d, source, ["-resize", "120x90!", "-resize", "240x180!"])
    near, far = shot.difference(direct, preview), shot.difference(doubled, preview)
    check(near < 6 and near < far * 0.6,
          f"the preview should be drawn from device pixels: it differs by {near:.1f} from the "
          f"picture scaled to the device and by {far:.1f} from one enlarged from half size")


high_dpi_keeps_proportions.desktop = {"width": 2048, "height": 1536,
                                      "env": {"QT_SCALE_FACTOR": "2"}}
