#!/usr/bin/env bash
# A long fuzzing run on demand: every fuzz target in turn for MINUTES
# minutes, on corpora kept between runs under build/fuzz/long/TARGET (seeded
# from fuzz/), with the shared dictionary. Prints for each target the
# executions, their rate, the coverage reached and the findings (inputs that
# crashed, leaked, timed out or ran out of memory, kept under
# build/fuzz/long/TARGET/findings). Exits with 1 when anything was found.
set -euo pipefail
cd "$(dirname "$0")/.."

minutes=${1:-}
if ! [[ "$minutes" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: scripts/fuzz-long.sh MINUTES   (minutes per target)" >&2
  exit 2
fi

scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

long=build/fuzz/long
rows=()
total=0
found=0
# One line a target: name, program, longest input, seed folders.
while read -r target program max_len seeds; do
  dir=$long/$target
  mkdir -p "$dir/corpus" "$dir/findings"
  echo "=== $target: $minutes min"
  # New inputs go to the first folder; the seed folders are only read.
  # shellcheck disable=SC2086
  "$program" -max_total_time=$((minutes * 60)) -max_len="$max_len" -timeout=10 \
    -dict=fuzz/init_string.dict -print_final_stats=1 -artifact_prefix="$dir/findings/" \
    "$dir/corpus" $seeds </dev/null >"$dir/log" 2>&1 || true
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$dir/log" | tail -1)
  coverage=$(grep -E '^#[0-9]+' "$dir/log" | tail -1 | grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+' || true)
  findings=$(find "$dir/findings" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  # A run that stopped without its final statistics found something too.
  if [ -z "$executions" ]; then
    findings=$((findings > 0 ? findings : 1))
    executions=0
    rate=0
  fi
  rows+=("$(printf '%-22s %12s %9s  %-32s %s' "$target" "$executions" "$rate" "$coverage" "$findings")")
  total=$((total + executions))
  found=$((found + findings))
done <build/fuzz/fuzz-targets.txt

echo
printf '%-22s %12s %9s  %-32s %s\n' target executions exec/s coverage findings
printf '%s\n' "${rows[@]}"
echo "executions in all: $total; findings: $found (logs and inputs under $long)"
[ "$found" -eq 0 ]
