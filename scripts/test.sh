#!/usr/bin/env bash
# Every test of the project: style and static checks, then each configuration
# built and tested (64-bit with sanitizers, 32-bit under qemu-i386 where
# needed, the Windows DLL checked as a file and run under wine, and a bounded
# run of each fuzz target), then the coverage of dcs/ by the native tests
# against its gates. Tests write only under temporary directories: the run
# fails when one leaves the working tree changed.
set -euo pipefail
cd "$(dirname "$0")/.."

# The working tree as git sees it: every changed or untracked file (ignored
# ones aside), each with a digest of its content, so that a file already
# changed before a test and rewritten by it shows too.
tree_state() {
  git status --porcelain --untracked-files=all | while IFS= read -r line; do
    path=${line:3}
    digest=-
    if [[ -f $path ]]; then digest=$(sha1sum <"$path" | cut -c1-12); fi
    printf '%s %s\n' "$line" "$digest"
  done
}

# Fails, printing what changed, when the tree differs from the state $2.
tree_unchanged() {
  local after
  after=$(tree_state)
  if [[ $after != "$2" ]]; then
    echo "FAIL: $1 changed the working tree (- before, + after):" >&2
    diff <(printf '%s\n' "$2") <(printf '%s\n' "$after") | sed -n 's/^</  -/p; s/^>/  +/p' >&2
    return 1
  fi
}

start=$(tree_state)
scripts/install-deps.sh
scripts/check-style.sh

# The bench preset runs the benchmarks' smallest sizes once.
for preset in native linux32 windows fuzz bench; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  before=$(tree_state)
  status=0
  ctest --preset "$preset" || status=$?
  tree_unchanged "ctest --preset $preset" "$before" || status=1
  if ((status != 0)); then exit "$status"; fi
done

echo "=== coverage"
scripts/coverage.sh
tree_unchanged "scripts/test.sh" "$start"
