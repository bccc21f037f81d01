#!/usr/bin/env python3
"""Fails when the Win32 layers call the system's ANSI API: an explicit
...A form, or a generic name that resolves to it (the build defines no
UNICODE). The generic names are read from the mingw-w64 headers, the ones
they declare with __MINGW_NAME_AW / __MINGW_TYPEDEF_AW.

Usage: check_wide_api.py SOURCE_DIR [HEADER_DIR]
"""
import glob
import os
import re
import sys

FOLDERS = ("winfw", "winbase", "app")

# file (relative, '/' separated) and name -> why it stays.
ALLOWED = {
    ("winfw/FrameWnd.h", "CREATESTRUCTA"): "the framework's own description of a window to make; "
    "no system call takes it, CreateEx widens its UTF-8 texts",
    ("winfw/FrameWnd.cpp", "CREATESTRUCTA"): "as in FrameWnd.h",
    ("winfw/View.h", "CREATESTRUCTA"): "as in FrameWnd.h",
    ("winfw/View.cpp", "CREATESTRUCTA"): "as in FrameWnd.h",
    ("app/ImageView.h", "CREATESTRUCTA"): "overrides the framework's PreCreateWindow, as in FrameWnd.h",
    ("app/ImageView.cpp", "CREATESTRUCTA"): "as in ImageView.h",
    ("app/CrsDlg.cpp", "LVN_GETDISPINFOA"): "answers a list view that asks in ANSI all the same; ours ask in UTF-16",
    ("winfw/WinApp.h", "GetProfileInt"): "the application's own profile reader, named as the framework "
    "names it; the header's macro renames it alike everywhere, and it calls the registry's W API",
    ("winfw/Wnd.cpp", "LoadCursor"): "a system cursor by its IDC_ number, which the generic macro makes: no text",
    ("winfw/View.cpp", "LoadCursor"): "as in Wnd.cpp",
    ("winfw/LongWork.cpp", "LoadCursor"): "as in Wnd.cpp",
    ("winfw/FwUtil.cpp", "LoadCursor"): "as in Wnd.cpp",
    ("winfw/FrameWnd.cpp", "LoadCursor"): "as in Wnd.cpp",
}

GENERIC = re.compile(r"^\s*#\s*define\s+(\w+)\s+__MINGW_NAME_AW(?:_EXT)?\(\1\b|^\s*__MINGW_TYPEDEF_AW\((\w+)\)", re.M)
# A member reached through an object or a class is ours, whatever its name.
WORD = re.compile(r"(->|\.|::)?\s*\b([A-Za-z_]\w*)\b")
STRING = re.compile(r'L?"(?:[^"\\]|\\.)*"')


def generic_names(header_dir):
    names = set()
    for path in glob.glob(os.path.join(header_dir, "*.h")):
        with open(path, encoding="latin-1") as f:
            names.update(a or b for a, b in GENERIC.findall(f.read()))
    return names


def main():
    source = sys.argv[1]
    header_dir = sys.argv[2] if len(sys.argv) > 2 else "/usr/share/mingw-w64/include"
    generic = generic_names(header_dir)
    if len(generic) < 1000:
        print(f"too few generic names in {header_dir}: {len(generic)}")
        return 2
    ansi = {name + "A" for name in generic}
    found, used = [], set()
    for folder in FOLDERS:
        for path in sorted(glob.glob(os.path.join(source, folder, "**", "*.*"), recursive=True)):
            if not path.endswith((".cpp", ".h")):
                continue
            rel = os.path.relpath(path, source).replace(os.sep, "/")
            with open(path, encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    code = STRING.sub('""', line.split("//")[0])
                    for member, word in WORD.findall(code):
                        if not member and (word in ansi or word in generic):
                            if (rel, word) in ALLOWED:
                                used.add((rel, word))
                            else:
                                found.append(f"{rel}:{number}: {word}: {line.strip()}")
    for entry in found:
        print(entry)
    stale = set(ALLOWED) - used
    for rel, word in sorted(stale):
        print(f"allowed but no longer there (take it off the list): {rel} {word}")
    return 1 if found or stale else 0


if __name__ == "__main__":
    sys.exit(main())
