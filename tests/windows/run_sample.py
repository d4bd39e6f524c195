#!/usr/bin/env python3
"""Plays the sample case with the Windows host program under wine.

dravik-host.exe loads the real dravik32.dll beside it, with the stand-in
corva.dll and DRAVLINK.dll; its CSV of every step must equal the reviewed
golden file of the 64-bit Linux build byte for byte: the same line ends and
every double's every bit, which holds only while both compute in IEEE double
arithmetic (SSE2 on 32-bit x86, not the x87's 80-bit registers). With DRAVIK32_REPORT
set, the real DLL's plant report of the sample with a misspelled tag must
equal the Linux build's golden report byte for byte.
"""
import argparse
import difflib
import pathlib
import subprocess
import sys
import tempfile
import os

ROOT = pathlib.Path(__file__).resolve().parent.parent.parent
GOLDEN = ROOT / "tests" / "host_program" / "tank.golden.csv"
REPORT_GOLDEN = ROOT / "tests" / "host_program" / "tank_misspelled.report"


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--runner", required=True, help="runs a Windows program")
    parser.add_argument("--program", required=True)
    args = parser.parse_args()
    sample = subprocess.run([args.runner, args.program, "examples/tank.toml", "--csv", "--every",
                             "1"], cwd=ROOT, capture_output=True, timeout=300)
    stdout = sample.stdout.decode("utf-8", "replace")
    stderr = sample.stderr.decode("utf-8", "replace")
    produced = stdout + f"# exit status {sample.returncode}\n"
    failures = []
    if stderr:
        failures.append(f"the sample wrote to stderr:\n{stderr}")
    golden = GOLDEN.read_text()
    if produced != golden:
        # Lines as Python shows them, so a carriage return shows.
        diff = difflib.unified_diff([repr(line) for line in golden.splitlines(keepends=True)],
                                    [repr(line) for line in produced.splitlines(keepends=True)],
                                    "golden", "produced", lineterm="", n=1)
        failures.append("the sample's CSV differs from the golden file byte for byte:\n" +
                        "\n".join(list(diff)[:40]))
    with tempfile.TemporaryDirectory() as scratch:
        # wine reads a path from the root as one on the current drive, which
        # maps the Linux root.
        report = pathlib.Path(scratch) / "plant.report"
        reported = subprocess.run(
            [args.runner, args.program, "tests/host_program/tank_misspelled.toml", "--csv"],
            cwd=ROOT, capture_output=True, timeout=300,
            env=dict(os.environ, DRAVIK32_REPORT=str(report)))
        # The DLL writes the facts; the desk tool explains them, byte for
        # byte as the golden file words them.
        explained = subprocess.run([args.runner, args.program, "explain", str(report)],
                                   cwd=ROOT, capture_output=True, timeout=300)
        written = explained.stdout.decode("utf-8", "replace")
        if reported.returncode != 0 or explained.returncode != 0 or \
                written != REPORT_GOLDEN.read_text():
            diff = difflib.unified_diff(REPORT_GOLDEN.read_text().splitlines(),
                                        written.splitlines(), "golden", "explained", lineterm="")
            failures.append(f"the plant report explained (exit {reported.returncode}, "
                            f"{explained.returncode}) differs from {REPORT_GOLDEN.name}:\n" +
                            "\n".join(diff))
    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print(f"{args.program}: the sample's CSV equals {GOLDEN.name}, its report "
              f"{REPORT_GOLDEN.name}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
