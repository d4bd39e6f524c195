#!/usr/bin/env bash
# Peak memory of long runs of the sample through dravik-host, measured with
# /usr/bin/time -v: a release build and the sanitizer build (native preset),
# each at 1 and 10 million steps, printing every millionth. A run of any
# length should hold the same memory. Arguments replace the step counts.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
command -v /usr/bin/time >/dev/null || {
  echo "needs GNU time (Debian package 'time')" >&2
  exit 1
}
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target dravik32 dravik-host >/dev/null
cmake --preset native >/dev/null
cmake --build --preset native --target dravik32 dravik-host >/dev/null

steps=("${@:-1000000 10000000}")
for build in release native; do
  for n in ${steps[@]}; do
    report=$(/usr/bin/time -v "build/$build/bin/dravik-host" examples/tank.toml --steps "$n" \
      --every 1000000 2>&1 >/dev/null)
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' <<<"$report")
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' <<<"$report")
    printf '%-8s %10s steps: %8s KB peak, %s\n' "$build" "$n" "$rss" "$wall"
  done
done
