#!/usr/bin/env python3
"""Checks the release archive as a plant receives it, and runs it under wine.

The archive must hold the driver alone at its top, beside no library that
could take the place of the host's or the emulator's (the stand-ins live in
desk/), its checksums must hold, its driver must be the one built, and the
desk tool run from the unpacked archive, with absolute paths, must print the
sample's CSV of every step exactly as the 64-bit Linux build does
(tests/host_program/tank.golden.csv). Every failed check is printed; the exit
status is 1 when any failed.
"""
import argparse
import difflib
import hashlib
import pathlib
import subprocess
import sys
import tempfile
import zipfile

ROOT = pathlib.Path(__file__).resolve().parent.parent.parent
GOLDEN = ROOT / "tests" / "host_program" / "tank.golden.csv"
FILES = {"dravik32.dll", "README.txt", "CHANGELOG.md", "SHA256SUMS", "desk/dravik-host.exe",
         "desk/corva.dll", "desk/DRAVLINK.dll", "sample/tank.toml", "sample/tank.init"}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def checksums_hold(folder):
    listed = {}
    for line in (folder / "SHA256SUMS").read_text().splitlines():
        digest, name = line.split("  ", 1)
        listed[name] = digest
    check(set(listed) == FILES - {"SHA256SUMS"},
          f"SHA256SUMS lists {sorted(listed)}, expected every other file")
    for name, digest in listed.items():
        actual = hashlib.sha256((folder / name).read_bytes()).hexdigest()
        check(actual == digest, f"SHA256SUMS: {name} is {actual}, listed {digest}")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--runner", required=True, help="runs a Windows program")
    parser.add_argument("--archive", required=True, type=pathlib.Path)
    parser.add_argument("--dll", required=True, type=pathlib.Path, help="the driver built")
    parser.add_argument("--release-text", required=True, help="the build's release line")
    args = parser.parse_args()

    folder_name = args.archive.name.removesuffix(".zip") + "/"
    with zipfile.ZipFile(args.archive) as archive:
        names = archive.namelist()
        check(all(name.startswith(folder_name) for name in names),
              f"entries outside {folder_name}: {[n for n in names if not n.startswith(folder_name)]}")
        files = {name[len(folder_name):] for name in names if not name.endswith("/")}
        check(files == FILES, f"the archive holds {sorted(files)}, expected {sorted(FILES)}")
        top_libraries = {name for name in files if "/" not in name and name.lower().endswith(".dll")}
        check(top_libraries == {"dravik32.dll"},
              f"libraries beside the driver: {sorted(top_libraries - {'dravik32.dll'})}")
        with tempfile.TemporaryDirectory() as scratch:
            archive.extractall(scratch)
            unpacked = pathlib.Path(scratch) / folder_name
            checksums_hold(unpacked)
            check((unpacked / "dravik32.dll").read_bytes() == args.dll.read_bytes(),
                  "the archive's dravik32.dll is not the one built")
            desk = unpacked / "desk" / "dravik-host.exe"
            version = subprocess.run([args.runner, str(desk), "--version"],
                                     capture_output=True, timeout=300)
            check(version.stdout == f"dravik-host: {args.release_text}\n".encode(),
                  f"--version printed {version.stdout!r}")
            # Absolute paths, one as wine maps the Linux root (Z:), one from
            # the root of the current drive; run from elsewhere.
            driver = "Z:" + str(unpacked / "dravik32.dll").replace("/", "\\")
            sample = subprocess.run(
                [args.runner, str(desk), str(unpacked / "sample" / "tank.toml"), "--driver", driver,
                 "--csv", "--every", "1"], cwd=ROOT, capture_output=True, timeout=300)
    produced = sample.stdout + f"# exit status {sample.returncode}\n".encode()
    golden = GOLDEN.read_bytes()
    check(not sample.stderr, f"the sample wrote to stderr: {sample.stderr[-2000:]!r}")
    if produced != golden:
        # Lines as Python shows them, so a carriage return shows.
        diff = difflib.unified_diff([repr(line) for line in golden.splitlines(keepends=True)],
                                    [repr(line) for line in produced.splitlines(keepends=True)],
                                    "golden", "produced", lineterm="", n=1)
        failures.append("the archive's sample run differs from the golden CSV byte for byte:\n" +
                        "\n".join(list(diff)[:40]))
    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print(f"{args.archive.name}: layout, checksums and the sample run as expected")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
