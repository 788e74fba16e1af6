#!/usr/bin/env python3
"""Reads the menus, the controls and the status line from the dump the running program writes
(PIXELSIEVE_UI_DUMP), so that the end-to-end tests find an item by its label and a control by
its kind, wherever they stand; and finds the menu bar's entries on a screenshot.

    window_layout.py DUMP menu-keys LABEL [LABEL...]
    window_layout.py DUMP bar-index LABEL
    window_layout.py DUMP popup-keys LABEL
    window_layout.py DUMP control KIND [TEXT]
    window_layout.py DUMP status [BAR]
    window_layout.py DUMP rows KIND
    window_layout.py DUMP bar-entry SHOT X Y WIDTH INDEX

DUMP is the program's JSON dump of its window.
menu-keys prints the index of the bar entry LABEL names first, then the keys that pick the item
once a click has opened that entry's menu, where no item is selected yet: the first Down selects
the first item; Right opens a submenu with its first item selected; Return picks. A single LABEL
names an entry on the bar itself, which the click alone picks. Separators are not counted: the
keyboard skips them.
bar-index prints the index of the bar entry and "menu" or "item".
popup-keys prints the keys that pick an item of the popup menu opened by a click.
control prints "X Y W H" of the first control of the KIND ("check box", "spin field", "vertical
scroll bar"...) whose text is TEXT (any text without it), relative to the client area, whose
top-left pixel is the canvas's.
status prints the texts of the fields of status bar BAR (default: the first), one a line.
rows prints the rows of the first control of the KIND that has rows (a "picture list"), one a
line, its texts separated by tabs.
bar-entry prints "X Y", the screen position of the middle of the INDEX-th entry (from 0) of the
menu bar of the window whose client area starts at (X, Y) and is WIDTH wide, on SHOT, a raw RGB
screenshot of the 1280 x 1024 screen. The bar is the band of its background colour at the top;
the entries are the runs of text on it, found by their pixels, as the style places them.
The label is the item's text before any tab (the shortcut's text follows the tab).
"""
import json
import sys


class Menu:
    def __init__(self, label, entries):
        self.label = label
        self.entries = []  # Menu for a submenu, the label for an item; separators left out
        for entry in entries:
            if entry.get("separator"):
                continue
            text = entry["label"].split("\t")[0]
            self.entries.append(Menu(text, entry["entries"]) if "entries" in entry else text)


def read_menus(dump):
    """The menu bar and the popup menu, as trees of labels in their order."""
    bar, popup = Menu("", []), Menu("", [])
    for menu in dump["menus"]:
        if menu["kind"] == "bar" and not bar.entries:
            bar = Menu("", menu["entries"])
        elif menu["kind"] == "popup" and not popup.entries:
            popup = Menu("", menu["entries"])
    return bar, popup

def index_of(menu, label):
    labels = [e.label if isinstance(e, Menu) else e for e in menu.entries]
    if label not in labels:
        sys.exit("no entry %r in %r; there are %s" % (label, menu.label or "the bar", labels))
    return labels.index(label)


def menu_keys(bar, labels):
    first = index_of(bar, labels[0])
    keys = [str(first)]
    entry = bar.entries[first]
    if len(labels) > 1 and not isinstance(entry, Menu):
        sys.exit("%r is not a menu" % labels[0])
    for depth, label in enumerate(labels[1:]):
        position = index_of(entry, label)
        # In a menu a click opened nothing is selected yet; Right opens a submenu on its first item.
        keys += ["Down"] * (position + 1 if depth == 0 else position)
        entry = entry.entries[position]
        if depth < len(labels) - 2:
            if not isinstance(entry, Menu):
                sys.exit("%r is not a submenu" % label)
            keys.append("Right")
    if len(labels) > 1:
        keys.append("Return")
    return keys


SCREEN_W = 1280


def bar_entry(shot, x0, y0, width, index):
    data = open(shot, "rb").read()

    def px(x, y):
        i = (y * SCREEN_W + x) * 3
        return data[i:i + 3]

    background = px(x0 + 1, y0 + 1)
    bottom = y0
    while bottom < y0 + 80 and px(x0 + 1, bottom) == background:
        bottom += 1
    if bottom - y0 < 8:
        sys.exit("no menu bar at %d,%d" % (x0, y0))

    def ink(x):
        return any(sum(abs(a - b) for a, b in zip(px(x, y), background)) > 150 for y in range(y0, bottom))

    runs, start, gap = [], None, 0
    for x in range(x0, x0 + width):
        if ink(x):
            if start is None:
                start = x
            end, gap = x, 0
        elif start is not None:
            gap += 1
            if gap >= 6:  # wider than any space between two letters of one label
                runs.append((start, end))
                start = None
    if start is not None:
        runs.append((start, end))
    if index >= len(runs):
        sys.exit("the menu bar shows %d entries, not %d" % (len(runs), index + 1))
    left, right = runs[index]
    return (left + right) // 2, (y0 + bottom) // 2


def control(dump, kind, text):
    for c in dump["controls"]:
        if c["kind"] == kind and (text is None or c["text"] == text):
            return c["x"], c["y"], c["width"], c["height"]
    sys.exit("no control %s %s; there are %s" % (kind, text or "", [(c["kind"], c["text"]) for c in dump["controls"]]))


def main():
    path, command, *rest = sys.argv[1:]
    if command == "bar-entry" and len(rest) == 5:
        print(*bar_entry(rest[0], *map(int, rest[1:])))
        return
    dump = json.load(open(path, encoding="utf-8"))
    bar, popup = read_menus(dump)
    if command == "menu-keys" and rest:
        print(" ".join(menu_keys(bar, rest)))
    elif command == "bar-index" and len(rest) == 1:
        index = index_of(bar, rest[0])
        print(index, "menu" if isinstance(bar.entries[index], Menu) else "item")
    elif command == "popup-keys" and len(rest) == 1:
        print(" ".join(["Down"] * (index_of(popup, rest[0]) + 1) + ["Return"]))
    elif command == "control" and len(rest) in (1, 2):
        print(*control(dump, rest[0], rest[1] if len(rest) == 2 else None))
    elif command == "status" and len(rest) <= 1:
        bars = [b for b in dump["status"] if not rest or b["number"] == int(rest[0])]
        for status in bars[:1]:
            print("\n".join(status["fields"]))
    elif command == "rows" and len(rest) == 1:
        for c in dump["controls"]:
            if c["kind"] == rest[0]:
                print("\n".join(c.get("rows", [])))
                break
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
