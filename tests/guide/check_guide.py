#!/usr/bin/env python3
"""Checks the user guide (docs/guide) against itself and the program.

  check_guide.py links GUIDE_DIR RESOURCE_H GUIDE_TABLE_CPP
      every link and image of every page resolves to a file of the guide
      (and a #fragment to an id there); every page is reachable from
      index.html and every image is shown; every dialog template of the
      program has a row in the table of F1 pages, and each row names a page.
  check_guide.py shortcuts QUARVEX_RC SHORTCUTS_HTML
      every menu command of the resource script is a row of the shortcuts
      page, with the key its menu shows; every key of the accelerator table
      is on the page, in the row of its menu command when it has one.

Prints each fault; exits 1 when any.
"""
import html
import os
import re
import sys
from html.parser import HTMLParser
from urllib.parse import unquote, urlsplit


class Page(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.links = []   # (attribute, value)
        self.ids = set()
        self.rows = []    # [cell texts] of each table row with a "command" cell
        self.kbds = []
        self._row = None
        self._cell = None
        self._kbd = None

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        for name in ("href", "src"):
            if name in a:
                self.links.append((name, a[name]))
        if "id" in a:
            self.ids.add(a["id"])
        if tag == "tr":
            self._row = []
        elif tag == "td" and self._row is not None:
            self._cell = {"class": a.get("class", ""), "text": "", "kbds": []}
        elif tag == "kbd":
            self._kbd = ""

    def handle_endtag(self, tag):
        if tag == "kbd" and self._kbd is not None:
            self.kbds.append(self._kbd.strip())
            if self._cell is not None:
                self._cell["kbds"].append(self._kbd.strip())
            self._kbd = None
        elif tag == "td" and self._cell is not None:
            self._row.append(self._cell)
            self._cell = None
        elif tag == "tr" and self._row is not None:
            if any(c["class"] == "command" for c in self._row):
                self.rows.append(self._row)
            self._row = None

    def handle_data(self, data):
        if self._kbd is not None:
            self._kbd += data
        if self._cell is not None:
            self._cell["text"] += data


def parse(path):
    page = Page()
    with open(path, encoding="utf-8") as f:
        page.feed(f.read())
    return page


def check_links(guide, resource_h, table_cpp):
    faults = []
    guide = os.path.abspath(guide)
    pages = {}
    for folder, _, names in os.walk(guide):
        for name in names:
            if name.endswith(".html"):
                path = os.path.join(folder, name)
                pages[os.path.relpath(path, guide)] = parse(path)
    if "index.html" not in pages:
        return ["index.html is missing"]
    used = set()
    edges = {}
    for name, page in sorted(pages.items()):
        edges[name] = set()
        for attribute, value in page.links:
            parts = urlsplit(value)
            if parts.scheme or parts.netloc:
                continue   # the web: not the guide's to check
            target = os.path.normpath(os.path.join(os.path.dirname(name), unquote(parts.path))) if parts.path \
                else name
            full = os.path.join(guide, target)
            if target.startswith("..") or os.path.isabs(target):
                faults.append(f"{name}: {attribute}={value} leaves the guide")
            elif not os.path.isfile(full):
                faults.append(f"{name}: {attribute}={value} names no file of the guide")
            else:
                used.add(target)
                if target in pages:
                    edges[name].add(target)
                if parts.fragment and (target not in pages or parts.fragment not in pages[target].ids):
                    faults.append(f"{name}: {attribute}={value} names no id #{parts.fragment} there")
    reached, todo = {"index.html"}, ["index.html"]
    while todo:
        for target in edges[todo.pop()]:
            if target not in reached:
                reached.add(target)
                todo.append(target)
    for name in sorted(set(pages) - reached):
        faults.append(f"{name}: no link from index.html leads here")
    for folder, _, names in os.walk(os.path.join(guide, "img")):
        for image in names:
            rel = os.path.relpath(os.path.join(folder, image), guide)
            if rel not in used:
                faults.append(f"{rel}: no page shows it")

    with open(resource_h, encoding="utf-8") as f:
        dialogs = set(re.findall(r"^#define\s+(IDD_\w+)\s", f.read(), re.M))
    with open(table_cpp, encoding="utf-8") as f:
        rows = re.findall(r"\{\s*(IDD_\w+)\s*,\s*(\"[^\"]*\"|\w+)\s*\}", f.read())
    if not rows:
        faults.append(f"{table_cpp}: no table of F1 pages found")
    for dialog in sorted(dialogs - {d for d, _ in rows}):
        faults.append(f"{dialog}: no page of the guide for F1 in this window")
    for dialog, page in rows:
        if page.startswith('"') and page.strip('"') not in pages:
            faults.append(f"{dialog}: F1 opens {page}, which is no page of the guide")
    return faults


# Virtual keys of the accelerator table as the guide writes them.
KEY_NAMES = {"VK_BACK": "Backspace", "VK_DELETE": "Delete", "VK_INSERT": "Insert", "VK_RETURN": "Enter",
             "VK_ESCAPE": "Escape", "VK_TAB": "Tab", "VK_SPACE": "Space", "VK_LEFT": "Left", "VK_RIGHT": "Right",
             "VK_UP": "Up", "VK_DOWN": "Down", "VK_HOME": "Home", "VK_END": "End", "VK_PRIOR": "Page Up",
             "VK_NEXT": "Page Down"}
MODIFIERS = (("CONTROL", "Ctrl"), ("SHIFT", "Shift"), ("ALT", "Alt"))


def read_menu(rc_text):
    """[(path as the guide writes it, key after the tab or "", command id)] of the main menu."""
    block = re.search(r"^IDR_MAINFRAME\s+MENU\b.*?^BEGIN\s*$(.*?)^END\s*$", rc_text, re.S | re.M)
    if not block:
        raise SystemExit("no IDR_MAINFRAME MENU in the resource script")
    items, stack = [], [None]   # the menu's own BEGIN was read
    pending = None
    for line in rc_text[block.start(1):].splitlines():
        line = line.strip()
        m = re.match(r'POPUP\s+"((?:[^"]|"")*)"', line)
        if m:
            pending = m.group(1)
            continue
        if line == "BEGIN":
            stack.append(pending)
            pending = None
            continue
        if line == "END":
            stack.pop()
            if not stack:
                break
            continue
        m = re.match(r'MENUITEM\s+"((?:[^"]|"")*)"\s*,\s*(\w+)', line)
        if m:
            label, key = (m.group(1).replace('""', '"').split("\\t") + [""])[:2]
            path = [p for p in stack if p] + [label]
            items.append((" > ".join(p.replace("&", "") for p in path), key, m.group(2)))
    return items


def read_accelerators(rc_text):
    """[(key text, command id)] of the main accelerator table."""
    block = re.search(r"^IDR_MAINFRAME\s+ACCELERATORS\b.*?^BEGIN\s*$(.*?)^END\s*$", rc_text, re.S | re.M)
    if not block:
        raise SystemExit("no IDR_MAINFRAME ACCELERATORS in the resource script")
    keys = []
    for line in block.group(1).splitlines():
        fields = [f.strip() for f in line.split(",") if f.strip()]
        if len(fields) < 2:
            continue
        key, command, flags = fields[0], fields[1], set(fields[2:])
        if "VIRTKEY" not in flags:
            raise SystemExit(f"accelerator {line.strip()}: only virtual keys are known here")
        if key.startswith('"'):
            name = key.strip('"')
        elif re.fullmatch(r"VK_F\d+", key):
            name = key[3:]
        else:
            name = KEY_NAMES.get(key)
            if not name:
                raise SystemExit(f"accelerator {line.strip()}: no name for {key} here")
        keys.append(("+".join([text for flag, text in MODIFIERS if flag in flags] + [name]), command))
    return keys


def check_shortcuts(rc, shortcuts_html):
    faults = []
    with open(rc, encoding="utf-8") as f:
        rc_text = f.read()
    page = parse(shortcuts_html)
    rows = {}
    for row in page.rows:
        command = next(c for c in row if c["class"] == "command")
        text = " ".join(html.unescape(command["text"]).split())
        rows[text] = [k for c in row for k in c["kbds"]]
    menu = read_menu(rc_text)
    if len(menu) < 10:
        faults.append(f"{rc}: only {len(menu)} menu commands read")
    by_command = {}
    for path, key, command in menu:
        by_command.setdefault(command, []).append(path)
        if path not in rows:
            faults.append(f"menu command {path}: no row of the shortcuts page")
        elif key and key not in rows[path]:
            faults.append(f"menu command {path}: its key {key} is not in its row")
    for key, command in read_accelerators(rc_text):
        paths = by_command.get(command)
        if paths:
            if not any(key in rows.get(p, []) for p in paths):
                faults.append(f"key {key} ({command}): not in the row of {paths[0]}")
        elif key not in page.kbds:
            faults.append(f"key {key} ({command}): not on the shortcuts page")
    return faults


def main():
    if len(sys.argv) == 5 and sys.argv[1] == "links":
        faults = check_links(*sys.argv[2:])
    elif len(sys.argv) == 4 and sys.argv[1] == "shortcuts":
        faults = check_shortcuts(*sys.argv[2:])
    else:
        raise SystemExit(__doc__)
    for fault in faults:
        print(fault)
    print(f"{len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
