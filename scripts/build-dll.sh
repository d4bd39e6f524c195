#!/usr/bin/env bash
# Builds dravik32.dll and prints its import tables and its exports by ordinal.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows >/dev/null
dll=build/windows/bin/dravik32.dll
echo "built $dll"
scripts/dll-tables.sh "$dll"
