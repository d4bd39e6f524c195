#!/usr/bin/env bash
# The main job: builds the driver and the stand-in host program and plays the
# sample case (a tank level loop) through them. Extra arguments go to the
# program, e.g. --csv or --every 1.
set -euo pipefail
cd "$(dirname "$0")/.."

# Only the sample's packages and a lean release build: no tests, no
# sanitizers, no other configuration.
scripts/install-deps.sh sample
cmake --preset sample >/dev/null
cmake --build --preset sample --target dravik32 dravik-host >/dev/null
exec build/sample/bin/dravik-host examples/tank.toml --every 10 "$@"
