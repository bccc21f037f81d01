"""A Win32 binary checked without running it, as pefile reads it: its
machine type, the names it exports, the DLLs it imports and its version
resource. Used where the binary's architecture cannot be started (the x86
binaries on a machine without 32-bit support) and beside the tests that run.

Usage: check_pe.py FILE --machine i386|amd64 [--exports NAME,...]
                   [--version A.B.C.D [--string Key=Value]...]
Exits 1, naming each mismatch, when the file is not what is asked."""
import argparse
import sys

import pefile

MACHINES = {"i386": pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"],
            "amd64": pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"]}

# DLLs that come with every Windows we support: nothing else may be needed
# beside our binaries (the C and C++ runtimes are linked in).
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll",
    "odbc32.dll", "odbccp32.dll", "ole32.dll", "oleaut32.dll", "shell32.dll", "shlwapi.dll",
    "user32.dll", "version.dll", "winspool.drv", "ws2_32.dll",
}


def check(path, machine, exports, version, strings):
    problems = []
    pe = pefile.PE(path)
    found_machine = next((name for name, value in MACHINES.items() if value == pe.FILE_HEADER.Machine),
                         hex(pe.FILE_HEADER.Machine))
    if found_machine != machine:
        problems.append(f"machine {found_machine}, expected {machine}")
    magic = pe.OPTIONAL_HEADER.Magic
    want_magic = pefile.OPTIONAL_HEADER_MAGIC_PE if machine == "i386" else pefile.OPTIONAL_HEADER_MAGIC_PE_PLUS
    if magic != want_magic:
        problems.append(f"optional header {hex(magic)}, expected {hex(want_magic)} (PE32 for i386, PE32+ for amd64)")

    imports = sorted(entry.dll.decode().lower() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []))
    for dll in imports:
        if dll not in SYSTEM_DLLS:
            problems.append(f"imports {dll}, which does not come with Windows")

    names = sorted((symbol.name or b"").decode() for symbol in
                   getattr(getattr(pe, "DIRECTORY_ENTRY_EXPORT", None), "symbols", []))
    if exports is not None and names != sorted(exports):
        problems.append(f"exports {names}, expected exactly {sorted(exports)} (plain names, no _ or @n decoration)")

    if version is not None:
        fixed = pe.VS_FIXEDFILEINFO[0] if getattr(pe, "VS_FIXEDFILEINFO", None) else None
        if fixed is None:
            problems.append("no version resource")
        else:
            numbers = (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF,
                       fixed.FileVersionLS >> 16, fixed.FileVersionLS & 0xFFFF)
            found = ".".join(map(str, numbers))
            if found != version:
                problems.append(f"file version {found}, expected {version}")
            table = {}
            for info in getattr(pe, "FileInfo", []):
                for entry in info:
                    for string_table in getattr(entry, "StringTable", []):
                        table.update({k.decode(): v.decode() for k, v in string_table.entries.items()})
            for key, value in strings.items():
                if table.get(key) != value:
                    problems.append(f"version string {key} is {table.get(key)!r}, expected {value!r}")

    print(f"{path}: {found_machine}, imports {' '.join(imports)}" + (f", exports {' '.join(names)}" if names else ""))
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("file")
    parser.add_argument("--machine", required=True, choices=sorted(MACHINES))
    parser.add_argument("--exports", type=lambda text: text.split(",") if text else [])
    parser.add_argument("--version")
    parser.add_argument("--string", action="append", default=[], help="a version string that must be there")
    args = parser.parse_args()
    strings = dict(item.split("=", 1) for item in args.string)
    problems = check(args.file, args.machine, args.exports, args.version, strings)
    for problem in problems:
        print(f"  MISMATCH: {problem}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
