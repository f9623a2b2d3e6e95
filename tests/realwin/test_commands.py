"""The main window's commands: search, reset and save."""

import os
import struct

from desktop import wait_until
from program import MAIN_TITLE, check, feature, scenario, title_of, unnamed

BUTTONS = ("View", "Search", "Reset", "Slideshow", "Wallpaper", "Save")
KEYWORD = "sea"


def catalogue_paths(sample_cd):
    """Each picture's path inside the picture folder, by file name (names are unique there)."""
    paths = {}
    root = os.path.join(sample_cd, "images")
    for folder, _, files in os.walk(root):
        for name in files:
            paths[name] = os.path.relpath(os.path.join(folder, name), root)
    return paths


def dialog_node(o, what, predicate):
    """A program window other than the main window, found on the accessibility bus."""
    def find():
        for window in o.app().children:
            if window.name != MAIN_TITLE and "showing" in window.states and predicate(window):
                return window
        return None
    return feature(what, find)


def buttons_enabled(o):
    main = o.main_node()
    return all("enabled" in o.button(name, main).states for name in BUTTONS)


def search(o, text):
    o.click_button("Search")
    dialog = dialog_node(o, "the search dialog",
                         lambda w: w.find(role="text") is not None
                         and w.find(name="Enter search string") is not None)
    check(dialog.role == "dialog", f"the search window is a dialog: {dialog}")
    bad = unnamed(dialog)
    check(not bad, "search dialog:\n  " + "\n  ".join(bad))
    field = dialog.find(role="text")
    check("focused" in field.states, "the caret should be in the search field")
    check(not buttons_enabled(o), "the buttons should be greyed out while the dialog is open")
    o.d.type_text(text)
    o.d.key("Return")
    wait_until("the search dialog to close",
               lambda: all(w.name == MAIN_TITLE or "showing" not in w.states
                           for w in o.app().children))
    wait_until("the buttons to come back", lambda: buttons_enabled(o))


@scenario
def search_narrows_the_list(o):
    o.start()
    everything = o.rows()
    paths = catalogue_paths(o.d.sample_cd)
    expected = [r for r in everything if KEYWORD in paths[r].lower()]
    check(0 < len(expected) < len(everything), "the keyword should match some pictures")
    search(o, KEYWORD.upper())
    wait_until(f"the list to narrow to the {len(expected)} matches",
               lambda: o.rows() == expected)
    wait_until("the first match to be selected", lambda: o.selected_rows() == [expected[0]])
    feature("the preview to show the first match",
            lambda: o.preview_node()[1] and o.preview_node()[1].name == title_of(expected[0]))
    wait_until("the list to have the focus", lambda: "focused" in o.list_node().states)


@scenario
def reset_restores_the_list(o):
    o.start()
    everything = o.rows()
    search(o, KEYWORD)
    wait_until("the list to narrow", lambda: len(o.rows()) < len(everything))
    o.click_button("Reset")
    wait_until("Reset to bring every picture back", lambda: o.rows() == everything)
    wait_until("the first picture to be selected", lambda: o.selected_rows() == [everything[0]])
    check(buttons_enabled(o), "Reset leaves the buttons enabled")


def bitmap_size(path):
    with open(path, "rb") as f:
        header = f.read(26)
    check(header[:2] == b"BM", f"{path} should be a Windows bitmap")
    width, height = struct.unpack("<ii", header[18:26])
    return width, abs(height)


@scenario
def save_writes_a_bitmap(o):
    o.start()
    name = "CAT.JPG"
    o.select_row(name)
    o.click_button("Save")
    dialog = dialog_node(o, "the save dialog",
                         lambda w: w.find(role="text") is not None
                         and w.find(role="push button", name="Save") is not None)
    check(not buttons_enabled(o), "the buttons should be greyed out while the dialog is open")
    field = dialog.find(role="text")
    check(field.name, "the file name field should have an accessible name")
    check(field.text() == name[:-4], f"the default name should be {name[:-4]!r}: {field.text()!r}")
    target = os.path.join(o.d.cd, name[:-4] + ".bmp")
    check(not os.path.exists(target), "nothing saved yet")
    # The dialog opens on the current folder: the CD folder of this run, a temporary one.
    o.click_button("Save", dialog)
    wait_until(f"{target} to be written", lambda: os.path.exists(target))
    wait_until("the save dialog to close",
               lambda: all(w.name == MAIN_TITLE or "showing" not in w.states
                           for w in o.app().children))
    wait_until("the buttons to come back", lambda: buttons_enabled(o))
    check(bitmap_size(target) == (640, 480),
          f"the bitmap holds the picture at its own size: {bitmap_size(target)}")
    check(o.selected_rows() == [name], "the list keeps its selection")
