#!/usr/bin/env python3
"""Packs the Windows release: dravik32-<version>-win32.zip.

The archive holds one folder, dravik32-<version>-win32/, with
  dravik32.dll            the driver, for the host's driver folder
  desk/                   the desk tool dravik-host.exe and its stand-in
                          host and emulator libraries, kept apart from the
                          driver so none of them is ever installed beside it
  sample/                 the sample case and its initialization string
  README.txt, CHANGELOG.md
  SHA256SUMS              the SHA-256 of every other file, for sha256sum -c

The same inputs give the same bytes: entries in a fixed order, each with
the time SOURCE_DATE_EPOCH names (else the last commit's time), fixed
permissions and compression, and no extra fields.
"""
import argparse
import hashlib
import os
import pathlib
import subprocess
import sys
import time
import zipfile

ZIP_EPOCH = 315532800  # 1980-01-01, the earliest time a zip entry can hold


def source_date(root):
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    commit = subprocess.run(["git", "-C", str(root), "log", "-1", "--format=%ct"],
                            capture_output=True, text=True)
    return int(commit.stdout) if commit.returncode == 0 and commit.stdout.strip() else ZIP_EPOCH


def windows_text(data):
    """A text file for Notepad: CRLF line ends."""
    return data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--output", required=True, type=pathlib.Path)
    parser.add_argument("--version", required=True)
    parser.add_argument("--release-text", required=True, help="the build's release line")
    parser.add_argument("--dll", required=True, type=pathlib.Path)
    parser.add_argument("--desk", nargs="+", required=True, type=pathlib.Path)
    parser.add_argument("--sample", nargs="+", required=True, type=pathlib.Path)
    parser.add_argument("--readme", required=True, type=pathlib.Path)
    parser.add_argument("--changelog", required=True, type=pathlib.Path)
    args = parser.parse_args()

    root = pathlib.Path(__file__).resolve().parent.parent
    readme = args.readme.read_bytes().replace(b"@VERSION@", args.version.encode()).replace(
        b"@RELEASE@", args.release_text.encode())
    files = {"dravik32.dll": args.dll.read_bytes(),
             "README.txt": windows_text(readme),
             "CHANGELOG.md": args.changelog.read_bytes()}
    files.update({f"desk/{path.name}": path.read_bytes() for path in args.desk})
    files.update({f"sample/{path.name}": path.read_bytes() for path in args.sample})
    files["SHA256SUMS"] = "".join(
        f"{hashlib.sha256(data).hexdigest()}  {name}\n" for name, data in sorted(files.items())
    ).encode()

    folder = f"dravik32-{args.version}-win32/"
    stamp = time.gmtime(max(source_date(root), ZIP_EPOCH))[:6]
    args.output.parent.mkdir(parents=True, exist_ok=True)
    partial = args.output.with_suffix(".partial")
    with zipfile.ZipFile(partial, "w") as archive:
        for name in [folder, folder + "desk/", folder + "sample/"] + \
                [folder + name for name in sorted(files)]:
            entry = zipfile.ZipInfo(name, date_time=stamp)
            entry.create_system = 3  # Unix, so the permissions below are read
            if name.endswith("/"):
                entry.external_attr = (0o40755 << 16) | 0x10
                archive.writestr(entry, b"")
                continue
            entry.external_attr = 0o100644 << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(entry, files[name[len(folder):]], compresslevel=9)
    partial.replace(args.output)
    print(f"wrote {args.output}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
