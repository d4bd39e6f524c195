#!/usr/bin/env bash
# The main job: builds the driver and the stand-in host program and plays the
# sample case (a tank level loop) through them. Extra arguments go to the
# program, e.g. --csv or --every 1.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native --target dravik32 dravik-host >/dev/null
exec build/native/bin/dravik-host examples/tank.toml --every 10 "$@"
