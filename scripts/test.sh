#!/usr/bin/env bash
# Every test of the project: style and static checks, then each configuration
# built and tested (64-bit with sanitizers, 32-bit under qemu-i386 where
# needed, the Windows DLL checked as a file and run under wine, and a bounded
# run of each fuzz target), then the coverage of dcs/ by the native tests
# against its gates.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/check-style.sh

# The bench preset runs the benchmarks' smallest sizes once.
for preset in native linux32 windows fuzz bench; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

echo "=== coverage"
scripts/coverage.sh
