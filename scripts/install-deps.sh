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
run_as_root=()
[ "$(id -u)" -eq 0 ] || run_as_root=(sudo)

# Where this kernel runs no 32-bit program, it can hand them to qemu-i386
# (binfmt_misc): then wine's 32-bit loader runs, and with it the Windows
# DLL's tests. Where that cannot be done, those tests are disabled when the
# windows preset is configured, with a warning.
hand_i386_to_qemu() {
  local probe=/usr/lib/wine/wine binfmt=/proc/sys/fs/binfmt_misc
  [ "$mode" = all ] && [ -x "$probe" ] && [ -x /usr/bin/qemu-i386 ] || return 0
  "$probe" --version >/dev/null 2>&1 && return 0
  [ -f "$binfmt/register" ] ||
    "${run_as_root[@]}" mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || true
  if [ -f "$binfmt/register" ] && [ ! -e "$binfmt/qemu-i386" ]; then
    # 32-bit little-endian x86 executables and shared objects; F: qemu is
    # opened now, so programs in any mount namespace find it.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F' |
      "${run_as_root[@]}" tee "$binfmt/register" >/dev/null 2>&1 || true
  fi
  if "$probe" --version >/dev/null 2>&1; then
    echo "install-deps: this kernel runs no 32-bit program; qemu-i386 now runs them"
  else
    echo "install-deps: this kernel runs no 32-bit program, and qemu-i386 could not be made to" \
      "run them: the tests under wine will be disabled" >&2
  fi
}

mapfile -t missing < <(not_installed "${packages[@]}")
mapfile -t missing_wine < <(not_installed "${wine_packages[@]}")
if [ ${#missing[@]} -eq 0 ] && [ ${#missing_wine[@]} -eq 0 ]; then
  hand_i386_to_qemu
  exit 0
fi

echo "installing: ${missing[*]} ${missing_wine[*]}"
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
hand_i386_to_qemu
