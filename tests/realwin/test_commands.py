"""The main window's commands: search, reset and save."""

import os
import struct

from desktop import wait_until
from program import BUTTONS, check, check_named, picture_paths, scenario, title_of

KEYWORD = "sea"


def close_dialog(o, what):
    wait_until(f"the {what} dialog to close", o.dialogs_closed)
    wait_until("the buttons to come back", lambda: o.enabled_buttons() == BUTTONS)


def search(o, text):
    o.click_button("Search")
    dialog = o.dialog_node("the search dialog", lambda w: w.find(role="text") is not None
                           and w.find(name="Enter search string") is not None)
    check(dialog.role == "dialog", f"the search window is a dialog: {dialog}")
    check_named(dialog, "search dialog")
    check("focused" in dialog.find(role="text").states, "the caret should be in the search field")
    check(o.enabled_buttons() != BUTTONS, "the buttons should be greyed out while it is open")
    o.d.type_text(text)
    o.d.key("Return")
    close_dialog(o, "search")


@scenario
def search_narrows_the_list(o):
    o.start()
    everything = o.rows()
    paths = picture_paths(o.d.sample_cd)
    expected = [r for r in everything if KEYWORD in paths[r].lower()]
    check(0 < len(expected) < len(everything), "the keyword should match some pictures")
    search(o, KEYWORD.upper())
    wait_until(f"the list to narrow to the {len(expected)} matches", lambda: o.rows() == expected)
    wait_until("the first match to be selected", lambda: o.selected_rows() == [expected[0]])
    wait_until("the preview to show the first match",
               lambda: o.preview_name() == title_of(expected[0]))
    wait_until("the list to have the focus", o.list_focused)


@scenario
def reset_restores_the_list(o):
    o.start()
    everything = o.rows()
    search(o, KEYWORD)
    wait_until("the list to narrow", lambda: len(o.rows()) < len(everything))
    o.click_button("Reset")
    wait_until("Reset to bring every picture back", lambda: o.rows() == everything)
    wait_until("the first picture to be selected", lambda: o.selected_rows() == [everything[0]])
    check(o.enabled_buttons() == BUTTONS, "Reset leaves the buttons enabled")


@scenario
def save_writes_a_bitmap(o):
    o.start()
    name = "CAT.JPG"
    o.select_row(name)
    o.click_button("Save")
    dialog = o.dialog_node("the save dialog", lambda w: w.find(role="text") is not None
                           and w.find(role="push button", name="Save") is not None)
    check(o.enabled_buttons() != BUTTONS, "the buttons should be greyed out while it is open")
    field = dialog.find(role="text")
    check(field.name, "the file name field should have an accessible name")
    check(field.text() == "CAT", f"the default name should be 'CAT': {field.text()!r}")
    target = os.path.join(o.d.cd, "CAT.bmp")
    check(not os.path.exists(target), "nothing saved yet")
    # The dialog opens on the current folder: the CD folder of this run, a temporary one.
    o.click_button("Save", dialog)
    wait_until(f"{target} to be written", lambda: os.path.exists(target))
    close_dialog(o, "save")
    with open(target, "rb") as f:
        header = f.read(26)
    check(header[:2] == b"BM", f"{target} should be a Windows bitmap")
    width, height = struct.unpack("<ii", header[18:26])
    check((width, abs(height)) == (640, 480),
          f"the bitmap holds the picture at its own size: {width} x {height}")
    check(o.selected_rows() == [name], "the list keeps its selection")
