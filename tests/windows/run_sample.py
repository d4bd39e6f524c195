#!/usr/bin/env python3
"""Plays the sample case with the Windows host program under wine.

dravik-host.exe loads the real dravik32.dll beside it, with the stand-in
corva.dll and DRAVLINK.dll; its CSV (line ends aside: Windows writes CRLF)
must equal the reviewed golden file of the Linux build.
"""
import argparse
import difflib
import pathlib
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent.parent
GOLDEN = ROOT / "tests" / "host_program" / "tank.golden.csv"


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--runner", required=True, help="runs a Windows program")
    parser.add_argument("--program", required=True)
    args = parser.parse_args()
    # A relative case path: on Windows the program takes "/..." for an option.
    sample = subprocess.run([args.runner, args.program, "examples/tank.toml", "--csv", "--every",
                             "10"], cwd=ROOT, capture_output=True, timeout=300)
    stdout = sample.stdout.decode("utf-8", "replace")
    stderr = sample.stderr.decode("utf-8", "replace")
    produced = stdout.replace("\r\n", "\n") + f"# exit status {sample.returncode}\n"
    failures = []
    if stderr:
        failures.append(f"the sample wrote to stderr:\n{stderr}")
    if "\n" in stdout.replace("\r\n", ""):
        failures.append("the sample's output has lines without CRLF")
    golden = GOLDEN.read_text()
    if produced != golden:
        diff = difflib.unified_diff(golden.splitlines(), produced.splitlines(), "golden",
                                    "produced", lineterm="")
        failures.append("the sample's CSV differs from the golden file:\n" + "\n".join(diff))
    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print(f"{args.program}: the sample's CSV equals {GOLDEN.name}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
