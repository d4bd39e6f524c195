#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need, where missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ python3       # native build and the DLL checks
  g++-multilib qemu-user              # 32-bit Linux build, run under qemu-i386
  mingw-w64                           # the Windows DLL
  libbenchmark-dev                    # the benchmarks
  clang libclang-rt-14-dev            # libFuzzer
  googletest                          # built from source for each target
  libfast-float-dev                   # reading reals (header-only)
  clang-format clang-tidy cppcheck    # style and static checks
  locales                             # localedef, for the locale tests
  libtomlplusplus-dev libcli11-dev    # the stand-in host program
  nlohmann-json3-dev gnuplot-nox      # its JSON output and its plot
  time                                # GNU time, for scripts/bench-memory.sh
  gcovr                               # the coverage report and its gates
)

# wine runs the Windows DLL's tests; its 32-bit half needs the i386 architecture.
wine_packages=(wine wine32:i386 wine64)

not_installed() {
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
      echo "$package"
  done
}
mapfile -t missing < <(not_installed "${packages[@]}")
mapfile -t missing_wine < <(not_installed "${wine_packages[@]}")
[ ${#missing[@]} -eq 0 ] && [ ${#missing_wine[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]} ${missing_wine[*]}"
run_as_root=()
[ "$(id -u)" -eq 0 ] || run_as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${run_as_root[@]}" dpkg --add-architecture i386
fi
"${run_as_root[@]}" apt-get update -qq
if [ ${#missing[@]} -gt 0 ]; then
  "${run_as_root[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi
if [ ${#missing_wine[@]} -gt 0 ]; then
  "${run_as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing_wine[@]}" >/dev/null
fi
