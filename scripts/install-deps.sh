#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need, where missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ python3       # native build and the DLL checks
  g++-multilib qemu-user              # 32-bit Linux build, run under qemu-i386
  mingw-w64                           # the Windows DLL
  clang libclang-rt-14-dev            # libFuzzer
  googletest                          # built from source for each target
  clang-format clang-tidy cppcheck    # style and static checks
  locales                             # localedef, for the locale tests
  libtomlplusplus-dev libcli11-dev    # the stand-in host program
  gcovr                               # the coverage report and its gates
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
run_as_root=()
[ "$(id -u)" -eq 0 ] || run_as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${run_as_root[@]}" apt-get update -qq
"${run_as_root[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
