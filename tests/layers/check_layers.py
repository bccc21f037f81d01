#!/usr/bin/env python3
"""Checks that the folders tell the truth about the layers.

- core/ is portable: no file there includes a Windows header, nor a header
  of a Win32 folder of ours.
- The Win32 folders depend downward only: winbase/ on nothing of ours but
  core/, winfw/ not on the program, installer/ not on the program's
  framework.
- No include cycle between two units (a header with its source), such as a
  document that reaches up into its view; the framework in winfw/ counts as
  one unit.
- No include cycle between two folders of core/: each is a library that
  links only the ones below it.

Usage: check_layers.py SOURCE_ROOT. Prints each fault; exits 1 when any.
"""
import os
import re
import sys

SOURCE_DIRS = ["core", "winbase", "winfw", "app", "installer"]
EXTENSIONS = (".h", ".cpp", ".rc")
# Project folders each folder may include from (besides its own).
ALLOWED = {
    "core": {"core"},
    "winbase": {"core", "winbase"},
    "winfw": {"core", "winbase", "winfw"},
    "app": {"core", "winbase", "winfw", "app"},
    "installer": {"core", "winbase", "installer"},
}
WIN32_HEADER = re.compile(
    r"^(windows|windowsx|winbase|winuser|wingdi|winreg|winnt|winerror|winsock2?|ws2tcpip|"
    r"commctrl|commdlg|shellapi|shlobj|shlwapi|shobjidl|objbase|ole2|oleauto|mmsystem|tchar|"
    r"odbcinst|sql|sqlext|sqltypes|io|direct|process|conio|dbghelp|psapi|tlhelp32|wincrypt|"
    r"knownfolders|richedit|uxtheme|dwmapi|versionhelpers|intrin)\.h$",
    re.IGNORECASE,
)
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def source_files(root):
    for top in SOURCE_DIRS:
        for folder, _, names in os.walk(os.path.join(root, top)):
            for name in sorted(names):
                if name.endswith(EXTENSIONS):
                    yield os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")


def includes(root, path):
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
        for line in f:
            m = INCLUDE.match(line)
            if m:
                yield m.group(1), m.group(2)


def unit(path):
    # The framework is one unit: its application, templates, frames,
    # documents and views know each other by design, as in any
    # document/view framework. The program's classes are checked one by one.
    if path.startswith("winfw/"):
        return "winfw"
    return os.path.splitext(path)[0]


def core_folder(path):
    parts = path.split("/")
    return "/".join(parts[:2]) if parts[0] == "core" and len(parts) > 2 else None


def find_cycles(graph):
    """Strongly connected components of more than one unit (Tarjan)."""
    index, low, stack, on_stack, cycles = {}, {}, [], set(), []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on_stack.add(v)
        for w in sorted(graph.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                cycles.append(sorted(component))

    sys.setrecursionlimit(10000)
    for v in sorted(graph):
        if v not in index:
            visit(v)
    return cycles


def main(root):
    faults = []
    files = list(source_files(root))
    known = set(files)
    graph = {}
    folders = {}
    for path in files:
        layer = path.split("/")[0]
        for kind, name in includes(root, path):
            base = name.split("/")[-1]
            if layer == "core" and WIN32_HEADER.match(base):
                faults.append(f"{path}: the portable core includes the Win32 header <{name}>")
            top = name.split("/")[0]
            if kind == '"' and top in ALLOWED and top not in ALLOWED[layer]:
                faults.append(f"{path}: {layer}/ may not include {name}")
            target = name if name in known else None
            if target is None and kind == '"':
                local = os.path.normpath(os.path.join(os.path.dirname(path), name)).replace(os.sep, "/")
                target = local if local in known else None
            if target and unit(target) != unit(path):
                graph.setdefault(unit(path), set()).add(unit(target))
            if target and core_folder(path) and core_folder(target) and core_folder(target) != core_folder(path):
                folders.setdefault(core_folder(path), set()).add(core_folder(target))
    for cycle in find_cycles(graph):
        faults.append("include cycle between units: " + ", ".join(cycle))
    for cycle in find_cycles(folders):
        faults.append("include cycle between core folders: " + ", ".join(cycle))
    for fault in faults:
        print(fault)
    print(f"checked {len(files)} files, {sum(len(v) for v in graph.values())} include edges between units")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "."))
