#!/usr/bin/env python3
"""Runs the stand-in host program on the sample case and on bad input.

The sample's CSV (bindings, exchanged values, exit status) must equal the
reviewed golden file; each bad input must end with its own exit status and a
message that names the file and, where it has one, the line. With --update
the golden file is rewritten from the sample's run instead.
"""
import argparse
import difflib
import pathlib
import shlex
import subprocess
import sys

HERE = pathlib.Path(__file__).resolve().parent
EXAMPLES = HERE.parent.parent / "examples"
GOLDEN = HERE / "tank.golden.csv"

BAD_INPUT = [
    # (arguments, exit status, text the error must contain)
    ([str(HERE / "missing.toml")], 1,
     f"{HERE / 'missing.toml'}: cannot open the case file: No such file or directory"),
    ([str(HERE / "bad_syntax.toml")], 1, f"{HERE / 'bad_syntax.toml'}:3: "),
    ([str(HERE / "bad_ds.toml")], 1, f"{HERE / 'bad_ds.toml'}:8: 'ds' must be an integer"),
    ([str(HERE / "duplicate.toml")], 1,
     f"{HERE / 'duplicate.toml'}:10: duplicate item 'level' (first at line 5)"),
    ([str(HERE / "negative_steps.toml")], 1,
     f"{HERE / 'negative_steps.toml'}:2: 'steps' must not be negative"),
    ([str(EXAMPLES / "tank.toml"), "--steps", "-3"], 1, "--steps"),
    ([str(EXAMPLES / "tank.toml"), "--init", str(HERE / "missing.init")], 1,
     f"{HERE / 'missing.init'}: cannot open the initialization string"),
    ([str(EXAMPLES / "tank.toml"), "--driver", str(HERE / "missing.so")], 3,
     "cannot load the driver library"),
]


def run(command):
    return subprocess.run(command, capture_output=True, text=True, timeout=120)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", required=True)
    parser.add_argument("--emulator", default="", help="runs the program, e.g. qemu-i386")
    parser.add_argument("--update", action="store_true")
    args = parser.parse_args()
    prefix = shlex.split(args.emulator) + [args.program]
    failures = []

    sample = run(prefix + [str(EXAMPLES / "tank.toml"), "--csv", "--every", "10"])
    produced = sample.stdout + f"# exit status {sample.returncode}\n"
    if sample.stderr:
        failures.append(f"the sample wrote to stderr:\n{sample.stderr}")
    if args.update:
        GOLDEN.write_text(produced)
        print(f"wrote {GOLDEN}")
    elif produced != GOLDEN.read_text():
        diff = difflib.unified_diff(GOLDEN.read_text().splitlines(), produced.splitlines(),
                                    "golden", "produced", lineterm="")
        failures.append("the sample's CSV differs from the golden file:\n" + "\n".join(diff))

    refused = run(prefix + [str(HERE / "no_tags.toml")])
    if refused.returncode != 2 or "Cannot Enable DCS Link" not in refused.stdout:
        failures.append(f"a refused link: exit {refused.returncode}, output:\n{refused.stdout}")

    for arguments, status, message in BAD_INPUT:
        result = run(prefix + arguments)
        if result.returncode != status or message not in result.stderr:
            failures.append(f"{' '.join(arguments)}: exit {result.returncode} (expected {status}),"
                            f" stderr:\n{result.stderr}expected to contain: {message}")

    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
