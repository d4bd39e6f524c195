#!/usr/bin/env python3
"""Times dravik-host on a plant-scale case, with the plant report off and on,
and the explanation of that report: 6 x 32,767 tags and 10,000 items, none
of which names a tag (each has one letter too many, so each gets
suggestions). Prints one Markdown table row per measurement; the times are
wall times, the least of three runs; the memory is the run's peak RSS.

    plant_scale_run.py PROGRAM SCRATCH
"""
import os
import pathlib
import subprocess
import sys
import time

RECORDS = 32767
ITEMS = 10000
KINDS = [("AI", ",x,1,0,100"), ("AO", ",x,1,0,100"), ("DI", ",x,1"), ("DO", ",x,1"),
         ("DCD", ",x,1" + ",0" * 17), ("CALC", ",x,1")]


def write_plant(scratch):
    lines = ["plant-scale tags"]
    for kind, fields in KINDS:
        lines.append(f"*{kind}*")
        lines += [f"{kind}{i:05d}.PV{fields}" for i in range(RECORDS)]
    init = scratch / "plant.init"
    init.write_text("\n".join(lines) + "\n")
    items = [f'title = "plant scale"\ninit_string = "plant.init"\nsteps = 1\n']
    for i in range(ITEMS // 2):
        items.append(f'[[controller]]\nname = "c{i}"\ntag = "AO{i:05d}.PVX"\n')
        items.append(f'[[process_variable]]\nname = "p{i}"\ntag = "AI{i:05d}.PVX"\nsource = 1.0\n')
    case = scratch / "plant.toml"
    case.write_text("".join(items))
    return case


def timed(command, env=None, before=lambda: None):
    """The least wall time of three runs, and the largest peak RSS in MB."""
    best, rss = None, 0.0
    for _ in range(3):
        before()
        start = time.perf_counter()
        child = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(child.pid, 0)
        elapsed = time.perf_counter() - start
        code = os.waitstatus_to_exitcode(status)
        if code not in (0, 4):
            sys.exit(f"{' '.join(map(str, command))}: exit {code}")
        best = elapsed if best is None else min(best, elapsed)
        rss = max(rss, usage.ru_maxrss / 1024)
    return best, rss


def main():
    program, scratch = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    case = write_plant(scratch)
    report = scratch / "plant.report"
    off_env = {k: v for k, v in os.environ.items() if k != "DRAVIK32_REPORT"}
    off, off_rss = timed([program, case], off_env)
    # Each run appends: the report explained is that of one run.
    on, on_rss = timed([program, case], dict(off_env, DRAVIK32_REPORT=str(report)),
                       lambda: report.unlink(missing_ok=True))
    report_mb = report.stat().st_size / 1e6
    explain, explain_rss = timed([program, "explain", report])
    size = f"N={RECORDS} K={ITEMS} unbound"
    print(f"| dravik-host run, report on | {size} | {on:.2f} s | report off {off:.2f} s "
          f"| {on / off:.2f}x |")
    print(f"| peak RSS of the run, report on | {size} | {on_rss:.1f} MB | report off {off_rss:.1f} MB "
          f"| {on_rss - off_rss:+.1f} MB |")
    print(f"| dravik-host explain of the run's report ({report_mb:.1f} MB) | {size} | {explain:.2f} s "
          f"| the run {off:.2f} s | {explain / off:.2f}x |")


if __name__ == "__main__":
    main()
