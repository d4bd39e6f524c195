#!/usr/bin/env bash
# Builds dravik32.dll and prints its export and import tables.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows >/dev/null
dll=build/windows/bin/dravik32.dll
echo "built $dll"
i686-w64-mingw32-objdump -p "$dll" |
  sed -n -e '/^The Import Tables/,/^The Export Tables/p' -e '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
  sed '/^The Export Tables/d'
