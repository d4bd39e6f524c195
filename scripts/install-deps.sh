#!/usr/bin/env bash
# Installs the Debian packages a job needs, where missing:
#   scripts/install-deps.sh sample    the sample's build (scripts/run-sample.sh)
#   scripts/install-deps.sh release   the Windows release archive (scripts/release.sh)
#   scripts/install-deps.sh [all]     every build and test (scripts/test.sh)
set -euo pipefail

mode=${1:-all}
# The driver and the stand-in host program, built for this machine.
sample_packages=(
  cmake ninja-build g++               # the build
  libfast-float-dev                   # reading reals (header-only)
  libtomlplusplus-dev libcli11-dev    # the stand-in host program
  nlohmann-json3-dev                  # its JSON output
)
release_packages=(
  "${sample_packages[@]}"
  mingw-w64                           # the Windows DLL and the desk tool
  python3 git                         # packing the archive; --verify's clones
)
packages=(
  "${release_packages[@]}"
  g++-multilib qemu-user              # 32-bit Linux build, run under qemu-i386
  libbenchmark-dev                    # the benchmarks
  clang libclang-rt-14-dev            # libFuzzer
  googletest                          # built from source for each target
  clang-format clang-tidy cppcheck    # style and static checks
  locales                             # localedef, for the locale tests
  gnuplot-nox                         # the host program's plot
  time                                # GNU time, for scripts/bench-memory.sh
  gcovr                               # the coverage report and its gates
)
# wine runs the Windows DLL's tests; its 32-bit half needs the i386 architecture.
wine_packages=(wine wine32:i386 wine64)

case "$mode" in
  sample) packages=("${sample_packages[@]}") wine_packages=() ;;
  release) packages=("${release_packages[@]}") wine_packages=() ;;
  all) ;;
  *)
    echo "usage: install-deps.sh [sample|release|all]" >&2
    exit 2
    ;;
esac

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
if [ ${#missing_wine[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${run_as_root[@]}" dpkg --add-architecture i386
fi
# A mirror caught mid-sync fails one list and with it the whole update, though
# the other lists are fresh: go on, and let the installs say what is missing.
"${run_as_root[@]}" apt-get update -qq ||
  echo "install-deps: not every package list could be refreshed; going on with those at hand" >&2
if [ ${#missing[@]} -gt 0 ]; then
  "${run_as_root[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi
install_wine() {
  "${run_as_root[@]}" apt-get install -y -qq --no-install-recommends "$@" "${missing_wine[@]}" >/dev/null
}
if [ ${#missing_wine[@]} -gt 0 ]; then
  # wine's 32-bit libraries must carry the very versions of their 64-bit
  # twins. When one architecture's security list is missing, those versions
  # cannot be matched; the release's own lists hold both architectures alike.
  install_wine || {
    echo "install-deps: taking wine and its libraries from the release's own lists" >&2
    install_wine -t "$(. /etc/os-release && echo "$VERSION_CODENAME")"
  }
fi
