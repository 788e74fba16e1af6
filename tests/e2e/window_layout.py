#!/usr/bin/env python3
"""Reads the menus and the control rectangles from the main window's builder, so that the
end-to-end tests find an item by its label and a control by its name, wherever they stand; and
finds the menu bar's entries on a screenshot.

    window_layout.py APP menu-keys LABEL [LABEL...]
    window_layout.py APP bar-index LABEL
    window_layout.py APP popup-keys LABEL
    window_layout.py APP control NAME
    window_layout.py APP bar-entry SHOT X Y WIDTH INDEX

APP is the shell's folder: the menus are read from build_menus, with the helpers it calls (any
function of the folder without arguments) read in place.
menu-keys prints the index of the bar entry LABEL names first, then the keys that pick the item
once a click has opened that entry's menu, where no item is selected yet: the first Down selects
the first item; Right opens a submenu with its first item selected; Return picks. A single LABEL
names an entry on the bar itself, which the click alone picks. Separators are not counted: the
keyboard skips them.
bar-index prints the index of the bar entry and "menu" or "item".
popup-keys prints the keys that pick an item of the popup menu opened by a click.
control prints "X Y W H" of the control, relative to the canvas's top-left pixel.
bar-entry prints "X Y", the screen position of the middle of the INDEX-th entry (from 0) of the
menu bar of the window whose client area starts at (X, Y) and is WIDTH wide, on SHOT, a raw RGB
screenshot of the 1280 x 1024 screen. The bar is the band of its background colour at the top;
the entries are the runs of text on it, found by their pixels, as the style places them.
The label is the item's text before any tab (the shortcut's text follows the tab).
"""
import glob
import os
import re
import sys

# A call's arguments: texts, one level of parentheses, anything else but ; { } ( ) and quotes.
ARGS = r'((?:"(?:[^"\\]|\\.)*"|\([^()]*\)|[^;"(){}])*)'
CALL = re.compile(
    r"\b(createMenuBar|createPopupMenu|addMenuTitle|openSubmenu|closeSubmenu|addMenuSeparator|addMenuItem)"
    r"\s*\(" + ARGS + r"\)"
)
TEXT = re.compile(r'"((?:[^"\\]|\\.)*)"')


def label_of(args):
    found = TEXT.search(args)
    if not found:
        return None
    text = found.group(1).encode().decode("unicode_escape")
    return text.split("\t")[0]


class Menu:
    def __init__(self, label):
        self.label = label
        self.entries = []  # Menu for a submenu, None for an item, by label


def read_menus(source):
    """The menu bar and the popup menu, as trees of labels in their order."""
    bar, popup = Menu(""), Menu("")
    current, parents = None, []
    for name, args in CALL.findall(source):
        if name == "createMenuBar":
            current, parents = bar, []
        elif name == "createPopupMenu":
            current, parents = popup, []
        elif current is None:
            continue
        elif name == "addMenuTitle":
            menu = Menu(label_of(args))
            bar.entries.append(menu)
            current, parents = menu, [bar]
        elif name == "openSubmenu":
            menu = Menu(label_of(args))
            current.entries.append(menu)
            parents.append(current)
            current = menu
        elif name == "closeSubmenu":
            if parents:
                current = parents.pop()
        elif name == "addMenuItem":
            current.entries.append(label_of(args))
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


def control(source, name):
    constants = {"VIEW_WIDTH": 600, "VIEW_HEIGHT": 512}
    for alias, value in re.findall(r"constexpr\s+int\s+(\w+)\s*=\s*(\w+)\s*;", source):
        if value in constants:
            constants[alias] = constants[value]
        elif value.isdigit():
            constants[alias] = int(value)
    call = re.search(r"\bcreate\w+\s*\(\s*" + re.escape(name) + r"\s*," + ARGS + r"\)", source)
    if not call:
        sys.exit("no control %s" % name)
    numbers = []
    for arg in call.group(1).split(",")[:4]:
        expression = re.sub(r"[A-Za-z_]\w*", lambda m: str(constants[m.group(0)]), arg)
        if not re.fullmatch(r"[\d\s+\-*/()]+", expression):
            sys.exit("cannot read %r of %s" % (arg, name))
        numbers.append(int(eval(expression)))
    return numbers


def read_sources(folder):
    return "\n".join(open(path, encoding="utf-8").read() for path in sorted(glob.glob(os.path.join(folder, "*.cpp"))))


def menu_builder(sources):
    """The body of build_menus, with every call of an argument-less function of the shell
    replaced by that function's body."""
    bodies = dict(re.findall(r"^void (\w+)\(\) \{\n(.*?)^\}", sources, re.M | re.S))
    if "build_menus" not in bodies:
        sys.exit("no build_menus in the shell's sources")

    def expand(text, depth):
        if depth > 5:
            return text
        return re.sub(r"\b(\w+)\(\);", lambda m: expand(bodies[m.group(1)], depth + 1)
                      if m.group(1) in bodies else m.group(0), text)

    return expand(bodies["build_menus"], 0)


def main():
    folder, command, *rest = sys.argv[1:]
    source = read_sources(folder)
    bar, popup = read_menus(menu_builder(source))
    if command == "menu-keys" and rest:
        print(" ".join(menu_keys(bar, rest)))
    elif command == "bar-index" and len(rest) == 1:
        index = index_of(bar, rest[0])
        print(index, "menu" if isinstance(bar.entries[index], Menu) else "item")
    elif command == "popup-keys" and len(rest) == 1:
        print(" ".join(["Down"] * (index_of(popup, rest[0]) + 1) + ["Return"]))
    elif command == "control" and len(rest) == 1:
        # The control's rectangle, read with the constants of the file that creates it.
        for path in sorted(glob.glob(os.path.join(folder, "*.cpp"))):
            text = open(path, encoding="utf-8").read()
            if re.search(r"\bcreate\w+\s*\(\s*" + re.escape(rest[0]) + r"\s*,", text):
                print(*control(text, rest[0]))
                break
        else:
            sys.exit("no control %s" % rest[0])
    elif command == "bar-entry" and len(rest) == 5:
        print(*bar_entry(rest[0], *map(int, rest[1:])))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
