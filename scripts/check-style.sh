#!/usr/bin/env bash
# Formatting of every C++ source, and the static checkers on the driver.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t sources < <(git ls-files '*.cpp' '*.h')
clang-format --dry-run --Werror "${sources[@]}"

# The driver includes release.h, which configuring a build makes from
# cmake/Version.cmake.
cmake --preset native >/dev/null
generated=build/native/generated
mapfile -t driver < <(git ls-files 'dcs/*.cpp')
cppcheck --quiet --error-exitcode=1 --enable=warning,performance,portability \
  --std=c++20 --language=c++ --inline-suppr -I dcs -I "$generated" "${driver[@]}"
clang-tidy --quiet "${driver[@]}" -- -std=c++20 -I dcs -I "$generated" -fno-exceptions -fno-rtti \
  2>/dev/null
# The folders of dcs/ depend downward only, in this order: each includes its
# own headers and those of the folders after it.
layers=(driver emulator catalogue record host)
for ((rank = 0; rank < ${#layers[@]}; ++rank)); do
  above=$(IFS='|'; echo "${layers[*]:0:rank}")
  [ -n "$above" ] || continue
  if git grep -nE "#include \"($above)/" -- "dcs/${layers[rank]}/"; then
    echo "dcs/${layers[rank]} includes a folder above it (order: ${layers[*]})" >&2
    exit 1
  fi
done
echo "style: clean"
