#!/usr/bin/env python3
"""Checks the Windows driver DLL as a file, with the cross binutils.

The host loads dravik32.dll by name and looks up nine cdecl exports; the DLL
binds the emulator's library by ordinal alone and the host library by name,
carries its own allocator (nothing of the C runtime's), and identifies itself
through its version resource. Every failed check is printed; the exit status
is 1 when any failed.
"""
import argparse
import os
import re
import struct
import subprocess
import sys

# Every import the DLL may have: its own calls (MessageBoxA, the string and
# memory functions, and for the plant report getenv and the unbuffered file
# functions _open, _write and _close) and what mingw's DLL start-up needs
# (TLS and atexit locks, frame registration, pseudo-relocation and its error
# report). A new import fails the check, so growth shows.
ALLOWED_IMPORTS = {
    "kernel32.dll": {
        "DeleteCriticalSection", "EnterCriticalSection", "FreeLibrary", "GetLastError",
        "GetModuleHandleA", "GetProcAddress", "InitializeCriticalSection",
        "LeaveCriticalSection", "LoadLibraryA", "Sleep", "TlsGetValue", "VirtualProtect",
        "VirtualQuery"},
    "msvcrt.dll": {
        "_amsg_exit", "_close", "_initterm", "_iob", "_lock", "_open", "_unlock", "_write",
        "abort", "fwrite", "getenv", "memcpy", "memmove", "memset", "strcmp", "strlen",
        "strncmp", "vfprintf"},
    "user32.dll": {"MessageBoxA"},
}
# The contract, the index, the plant report's facts and the bridge; the
# explanations live in the desk tool, so no word of them is in the image.
MAX_DLL_BYTES = 64 * 1024
DESK_WORDS = [b"did you mean", b"unbound", b"is only in", b"warning"]
VERSION_STRINGS = {
    "FileDescription": "DCS Driver DLL",
    "InternalName": "DRAVIK",
    "OriginalFilename": "dravik32",
    "DCSDisplayName": "Dravik",
    "Driver Build Number": "1",
}
# The host release's keys carry the values the build was configured with
# (given with --release KEY=VALUE); FileVersion's four numbers are also the
# binary FILEVERSION and PRODUCTVERSION.
HOST_RELEASE_KEYS = ["CompanyName", "FileVersion", "LegalCopyright", "ProductName",
                     "ProductVersion", "Program Build Number"]

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def def_exports(path):
    """Maps each name of a module-definition file's EXPORTS to its ordinal."""
    result = {}
    with open(path) as f:
        for line in f:
            match = re.match(r"\s*(\w+)(?:@\d+)?\s+@(\d+)", line.split(";", 1)[0])
            if match:
                result[match.group(1)] = int(match.group(2))
    return result


def pe_header(path):
    with open(path, "rb") as f:
        image = f.read(4096)
    pe_offset = struct.unpack_from("<I", image, 0x3C)[0]
    signature = image[pe_offset:pe_offset + 4]
    machine, _, _, _, _, optional_size, characteristics = struct.unpack_from(
        "<HHIIIHH", image, pe_offset + 4)
    magic = struct.unpack_from("<H", image, pe_offset + 24)[0]
    return signature, machine, characteristics, magic


def exports(objdump_text):
    base = int(re.search(r"Ordinal Base\s+(\d+)", objdump_text).group(1))
    table = objdump_text.split("[Ordinal/Name Pointer] Table", 1)[1]
    names = {}
    for line in table.splitlines()[1:]:
        match = re.match(r"\s*\[\s*(\d+)\]\s+(\S+)", line)
        if not match:
            break
        names[match.group(2)] = int(match.group(1)) + base
    return names


def imports(objdump_text):
    """Maps each imported DLL to its entries: ('ordinal', n) or ('name', s)."""
    section = objdump_text.split("The Import Tables", 1)[1].split("The Export Tables", 1)[0]
    result = {}
    current = None
    for line in section.splitlines():
        dll = re.match(r"\s*DLL Name: (\S+)", line)
        if dll:
            current = result.setdefault(dll.group(1), [])
            continue
        # Entries start with a tab; the descriptor lines between DLLs with a space.
        entry = re.match(r"\t([0-9a-fA-F]+)\t\s*(\d+)\s+(\S+)", line)
        if current is not None and entry:
            if int(entry.group(1), 16) & 0x80000000:
                current.append(("ordinal", int(entry.group(2))))
            else:
                current.append(("name", entry.group(3)))
    return result


def version_resource(windres, path):
    rc = subprocess.run([windres, "-i", path, "-O", "rc"], check=True, capture_output=True,
                        text=True).stdout
    strings = dict(re.findall(r'VALUE "([^"]+)", "([^"]*)"', rc))
    return rc, strings


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--windres", required=True)
    parser.add_argument("--exports-def", required=True, help="the driver's .def file")
    parser.add_argument("--dravlink-def", required=True, help="the emulator library's .def file")
    parser.add_argument("--release", action="append", default=[], metavar="KEY=VALUE",
                        help="a host release key's expected value")
    parser.add_argument("dll")
    args = parser.parse_args()

    signature, machine, characteristics, magic = pe_header(args.dll)
    check(signature == b"PE\0\0", "not a PE image")
    check(machine == 0x14C, f"machine {machine:#x}, expected i386 (0x14c)")
    check(magic == 0x10B, f"optional header magic {magic:#x}, expected PE32 (0x10b)")
    check(characteristics & 0x2000, "image is not a DLL")
    size = os.path.getsize(args.dll)
    check(size <= MAX_DLL_BYTES, f"{size} bytes, expected at most {MAX_DLL_BYTES}")
    with open(args.dll, "rb") as image:
        content = image.read()
    for words in DESK_WORDS:
        check(words not in content, f"the image holds the desk's words {words!r}")

    dump = subprocess.run([args.objdump, "-p", args.dll], check=True, capture_output=True,
                          text=True).stdout

    expected_exports = def_exports(args.exports_def)
    check(exports(dump) == expected_exports,
          f"exports {sorted(exports(dump).items(), key=lambda e: e[1])}, "
          f"expected {list(expected_exports.items())}")

    imported = imports(dump)
    by_lower = {dll.lower(): entries for dll, entries in imported.items()}
    allowed_dlls = set(ALLOWED_IMPORTS) | {"corva.dll", "dravlink.dll"}
    unexpected = set(by_lower) - allowed_dlls
    check(not unexpected, f"imports from unexpected DLLs: {sorted(unexpected)}")
    dravlink = by_lower.get("dravlink.dll", [])
    check(all(kind == "ordinal" for kind, _ in dravlink),
          f"DRAVLINK.dll imported by name: {[v for k, v in dravlink if k == 'name']}")
    dravlink_ordinals = {value for kind, value in dravlink if kind == "ordinal"}
    expected_ordinals = set(def_exports(args.dravlink_def).values())
    check(dravlink_ordinals == expected_ordinals,
          f"DRAVLINK.dll ordinals {sorted(dravlink_ordinals)}, "
          f"expected {sorted(expected_ordinals)}")
    corva = by_lower.get("corva.dll", [])
    check(corva and all(kind == "name" for kind, _ in corva),
          "corva.dll must be imported, by name")
    for dll, allowed in ALLOWED_IMPORTS.items():
        names = {value for kind, value in by_lower.get(dll, [])}
        check(names <= allowed, f"{dll} imports beyond the allow-list: {sorted(names - allowed)}")

    rc, strings = version_resource(args.windres, args.dll)
    check('BLOCK "040904E4"' in rc, 'no string block "040904E4"')
    check(re.search(r'VALUE "Translation", 0x409, 1252', rc), "translation is not 0x409 1252")
    check(re.search(r"^LANGUAGE 9, 1$", rc, re.M), "resource language is not US English")
    for key, value in VERSION_STRINGS.items():
        check(strings.get(key) == value, f'version key "{key}" is {strings.get(key)!r}, '
                                         f'expected {value!r}')
    release = dict(pair.split("=", 1) for pair in args.release)
    check(sorted(release) == sorted(HOST_RELEASE_KEYS),
          f"--release gives {sorted(release)}, expected {sorted(HOST_RELEASE_KEYS)}")
    for key in HOST_RELEASE_KEYS:
        check(strings.get(key) == release.get(key),
              f'version key "{key}" is {strings.get(key)!r}, expected {release.get(key)!r}')
    numbers = release.get("FileVersion", "").replace(".", ", ")
    for field in ("FILEVERSION", "PRODUCTVERSION"):
        found = re.search(rf"^\s*{field} (.+)$", rc, re.M)
        check(found and found.group(1) == numbers,
              f"{field} is {found.group(1) if found else None!r}, expected {numbers!r}")

    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print(f"{args.dll}: exports, imports and version resource as expected")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
