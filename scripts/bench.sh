#!/usr/bin/env bash
# Builds the release benchmarks and prints one table: each measurement beside
# its reference from the same run, with the ratio. Times are CPU times, the
# least of the repetitions, which other work on the machine disturbs least.
# Extra arguments go to the benchmark program (for example
# --benchmark_repetitions=9).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null

results=build/bench/results.json
build/bench/bin/driver_bench --benchmark_repetitions=3 --benchmark_enable_random_interleaving=true \
  --benchmark_out="$results" --benchmark_out_format=json "$@" >/dev/null

python3 - "$results" <<'PYTHON'
import json, sys

runs = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("run_type") != "iteration" or b.get("error_occurred"):
        continue
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    name = "/".join(part for part in b["run_name"].split("/")
                    if not part.startswith(("min_time:", "repeats:")))
    time = b["cpu_time"] * scale
    if name not in runs or time < runs[name]["ms"]:
        runs[name] = {"ms": time, **{k: v for k, v in b.items() if isinstance(v, float)}}

def get(name):
    return runs.get(name)

def ms(value):
    if value >= 10000:
        return f"{value / 1000:.1f} s"
    return f"{value:.3f} ms" if value < 10 else f"{value:.1f} ms"

rows = []
def row(work, size, time, reference, ratio):
    rows.append((work, size, time, reference, ratio))

sizes = sorted({int(n.split("/")[1]) for n in runs if n.startswith("BM_LoadPassthrough/")})
for n in sizes:
    floor, plain, moving = (get(f"BM_{w}/{n}") for w in ("StrpbrkPass", "LoadPassthrough", "LoadMoving"))
    if not (floor and plain and moving):
        continue
    size = f"N={n}"
    row("one strpbrk pass over the string", size, ms(floor["ms"]), "", "")
    row("DCSLoad, passthrough heap", size, ms(plain["ms"]), "strpbrk pass", f"{plain['ms'] / floor['ms']:.2f}x")
    row("DCSLoad, moving heap", size, ms(moving["ms"]), "passthrough load", f"{moving['ms'] / plain['ms']:.2f}x")
    row("catalogue heap after the load", size, f"{moving['catalogue_bytes'] / 1e6:.3f} MB",
        f"exact per-record resize {moving['exact_bytes'] / 1e6:.3f} MB",
        f"{moving['catalogue_bytes'] / moving['exact_bytes']:.3f}x")
    for mode, run in (("moving", moving), ("passthrough", plain)):
        row(f"peak during the load, {mode} heap", size, f"{run['peak_bytes'] / 1e6:.3f} MB",
            "final catalogue + string", f"{run['peak_bytes'] / (run['catalogue_bytes'] + run['string_bytes']):.3f}x")

for name in sorted((n for n in runs if n.startswith("BM_Configure/")),
                   key=lambda n: [int(x) for x in n.split("/")[1:]]):
    n, k = name.split("/")[1:]
    indexed, linear = get(name), get(f"BM_ConfigureLinear/{n}/{k}")
    if linear:
        row("DCSConfigure (index)", f"N={n} K={k}", ms(indexed["ms"]),
            f"linear search {ms(linear['ms'])}", f"{linear['ms'] / indexed['ms']:.0f}x faster")

def mb(value):
    return f"{value / 1e6:.3f} MB"

for name in sorted((n for n in runs if n.startswith("BM_LoadReport/") and n.endswith("/1")),
                   key=lambda n: int(n.split("/")[1])):
    n = name.split("/")[1]
    on, off = get(name), get(f"BM_LoadReport/{n}/0")
    if off:
        row("DCSLoad, report on", f"N={n}", ms(on["ms"]), f"report off {ms(off['ms'])}",
            f"{on['ms'] / off['ms']:.2f}x")
        row("peak heap during DCSLoad, report on", f"N={n}", mb(on["peak_bytes"]),
            f"report off {mb(off['peak_bytes'])}",
            f"+{(on['peak_bytes'] - off['peak_bytes']) / on['string_bytes']:.2f}x the string")

for name in sorted((n for n in runs if n.startswith("BM_ConfigureReport/") and n.endswith("/1")),
                   key=lambda n: [int(x) for x in n.split("/")[1:]]):
    n, k = name.split("/")[1:3]
    on, off = get(name), get(f"BM_ConfigureReport/{n}/{k}/0")
    if off:
        size = f"N={n} K={k} unbound"
        row("DCSConfigure, report on", size, ms(on["ms"]), f"report off {ms(off['ms'])}",
            f"{on['ms'] / off['ms']:.2f}x")
        row("peak heap during DCSConfigure, report on", size, mb(on["peak_bytes"]),
            f"report off {mb(off['peak_bytes'])}",
            f"+{(on['peak_bytes'] - off['peak_bytes']) / on['string_bytes']:.2f}x the string")
        row("heap kept after DCSConfigure, report on", size, mb(on["kept_bytes"]),
            f"report off {mb(off['kept_bytes'])}", "")

for name in sorted((n for n in runs if n.startswith("BM_CheckString/")),
                   key=lambda n: int(n.split("/")[1])):
    n = name.split("/")[1]
    check, load = get(name), get(f"BM_LoadPassthrough/{n}")
    if load:
        row("check of the string", f"N={n}", ms(check["ms"]), f"DCSLoad {ms(load['ms'])}",
            f"{check['ms'] / load['ms']:.2f}x")

for name in sorted((n for n in runs if n.startswith("BM_Simulate/")),
                   key=lambda n: int(n.split("/")[1])):
    k = name.split("/")[1]
    step, bare, packed = get(name), get(f"BM_BareCalls/{k}"), get(f"BM_BareCallsPacked/{k}")
    if bare:
        row("DCSSimulate", f"K={k}", f"{step['ms'] * 1000:.2f} us",
            f"bare loop {bare['ms'] * 1000:.2f} us", f"{step['ms'] / bare['ms']:.2f}x")
    if packed:
        row("DCSSimulate", f"K={k}", f"{step['ms'] * 1000:.2f} us",
            f"bare loop, packed arguments {packed['ms'] * 1000:.2f} us", f"{step['ms'] / packed['ms']:.2f}x")

real, strtod = get("BM_ParseReal"), get("BM_Strtod")
if real and strtod:
    per_token = lambda run: 1e9 / run["items_per_second"]
    row("parse_real", "one token", f"{per_token(real):.1f} ns", f"strtod {per_token(strtod):.1f} ns",
        f"{real['ms'] / strtod['ms']:.2f}x")

header = ("work", "size", "time", "reference", "ratio")
widths = [max(len(str(r[i])) for r in rows + [header]) for i in range(5)]
def line(cells):
    return "| " + " | ".join(str(c).ljust(w) for c, w in zip(cells, widths)) + " |"
print(line(header))
print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
for r in rows:
    print(line(r))
PYTHON

# dravik-host at plant scale, with the report off and on, and the report
# explained: the release build of the sample preset.
cmake --preset sample >/dev/null
cmake --build --preset sample >/dev/null
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
echo
echo "| work | size | time or peak | reference | ratio |"
echo "|---|---|---|---|---|"
python3 scripts/plant_scale_run.py build/sample/bin/dravik-host "$scratch"
