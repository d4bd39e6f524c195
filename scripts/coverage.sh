#!/usr/bin/env bash
# Line and branch coverage of the driver (dcs/) by the native test suite,
# built with gcov and without sanitizers. Prints gcovr's table and fails
# when coverage falls below the gates; raise the gates as tests are added.
set -euo pipefail
cd "$(dirname "$0")/.."

LINE_GATE=99.4
BRANCH_GATE=94.8

scripts/install-deps.sh
cmake --preset coverage >/dev/null
cmake --build --preset coverage
# Counts from an earlier run would add up with this one.
find build/coverage -name '*.gcda' -delete
ctest --preset coverage

# Branches that exception handling adds, or that the compiler proves
# unreachable, are not the driver's.
tracefile=build/coverage/coverage.json
gcovr --root . --object-directory build/coverage --filter 'dcs/' \
  --exclude-directories 'build/coverage/CMakeFiles' \
  --exclude-unreachable-branches --exclude-throw-branches --json "$tracefile"
gcovr --add-tracefile "$tracefile" --txt -
gcovr --add-tracefile "$tracefile" --txt - --branches --print-summary \
  --fail-under-line "$LINE_GATE" --fail-under-branch "$BRANCH_GATE"
