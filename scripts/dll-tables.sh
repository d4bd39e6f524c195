#!/usr/bin/env bash
# Prints a Windows DLL's import tables and its exports with their ordinals
# (the export table's index plus its ordinal base), as the host binds them.
# Usage: scripts/dll-tables.sh DLL [OBJDUMP]
set -euo pipefail
"${2:-i686-w64-mingw32-objdump}" -p "$1" | awk '
  /^The Import Tables/ { imports = 1 }
  /^The Export Tables/ { imports = 0 }
  imports { print }
  /Ordinal Base/ { base = $NF }
  /^\[Ordinal\/Name Pointer\] Table/ { print "Exports: ordinal, name"; exports = 1; next }
  exports && /^\t\[/ { gsub(/[][]/, " "); printf "\t%4d  %s\n", $1 + base, $2; next }
  exports { exports = 0 }'
