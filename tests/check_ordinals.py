#!/usr/bin/env python3
"""Checks that the emulator library's ordinals agree in their two homes.

The linker binds the client library's functions by the ordinals of its
module-definition file; the driver and the stand-in name those ordinals
through the DravlinkOrdinal enum of its header. Each function EmuCamelCase of
the .def file pairs with the enumerator ORDINAL_CAMEL_CASE: both must exist
and carry the same number. Every mismatch is printed; the exit status is 1
when there is any.
"""
import argparse
import re
import sys


def def_ordinals(path):
    """Each function of the .def file's EXPORTS, by the enumerator it pairs with."""
    result = {}
    with open(path) as f:
        for line in f:
            match = re.match(r"\s*Emu(\w+?)(?:@\d+)?\s+@(\d+)", line.split(";", 1)[0])
            if match:
                words = re.findall(r"[A-Z][a-z0-9]*", match.group(1))
                result["ORDINAL_" + "_".join(w.upper() for w in words)] = int(match.group(2))
    return result


def enum_ordinals(path):
    """Each enumerator of the header's DravlinkOrdinal enum, with its value."""
    with open(path) as f:
        text = f.read()
    text = re.sub(r"//[^\n]*|/\*.*?\*/", "", text, flags=re.S)
    body = re.search(r"enum\s+DravlinkOrdinal\b[^{]*\{([^}]*)\}", text)
    if body is None:
        return None
    return {name: int(value, 0)
            for name, value in re.findall(r"(\w+)\s*=\s*(\w+)\s*,?", body.group(1))}


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("def_file")
    parser.add_argument("header")
    args = parser.parse_args()
    linked = def_ordinals(args.def_file)
    named = enum_ordinals(args.header)
    failures = []
    if not linked:
        failures.append(f"{args.def_file}: no exports found")
    if not named:
        failures.append(f"{args.header}: no DravlinkOrdinal enumerators found")
    for name in sorted(set(linked) | set(named or {})):
        if name not in (named or {}):
            failures.append(f"{name} ({linked[name]} in {args.def_file}) is not in the enum")
        elif name not in linked:
            failures.append(f"{name} ({named[name]} in the enum) has no export in {args.def_file}")
        elif linked[name] != named[name]:
            failures.append(f"{name}: {linked[name]} in {args.def_file}, {named[name]} in the enum")
    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print(f"{len(linked)} ordinals agree")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
