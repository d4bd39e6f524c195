#!/usr/bin/env bash
# The Windows release archive, dist/dravik32-<version>-win32.zip: the driver,
# the desk tool with its stand-ins in desk/, the sample case, README.txt,
# CHANGELOG.md and SHA256SUMS (see scripts/make-archive.py).
#   scripts/release.sh            builds it from the working tree
#   scripts/release.sh --verify   builds the last commit twice, from two clean
#                                 clones in different folders, one after the
#                                 other, and fails unless the DLLs and the
#                                 archives are the same bytes
# Times in the archive are the last commit's (SOURCE_DATE_EPOCH overrides).
# The host release's values are the build's cache variables: configure with
# e.g. cmake --preset windows -DDCS_HOST_VERSION=1.0.0.2 before a release.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh release
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export SOURCE_DATE_EPOCH

if [ "${1:-}" = "--verify" ]; then
  commit=$(git rev-parse HEAD)
  git diff --quiet HEAD || echo "release: uncommitted changes are not in the builds of $commit" >&2
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  clones=("$scratch/first/dravik32" "$scratch/second-build/elsewhere/dravik32")
  for clone in "${clones[@]}"; do
    git clone -q --no-checkout . "$clone"
    git -C "$clone" checkout -q "$commit"
    echo "=== building $commit in $clone"
    "$clone/scripts/release.sh" >/dev/null
  done
  status=0
  same_bytes() {
    if cmp -s "${clones[0]}/$1" "${clones[1]}/$1"; then
      echo "same bytes: $1 $(sha256sum <"${clones[0]}/$1" | cut -d' ' -f1)"
    else
      echo "DIFFERENT: $1" >&2
      status=1
    fi
  }
  archives=("${clones[0]}"/dist/dravik32-*-win32.zip)
  same_bytes "dist/$(basename "${archives[0]}")"
  same_bytes build/windows/bin/dravik32.dll
  exit $status
fi

cmake --preset windows >/dev/null
# The archive is made again for this commit's time.
rm -f build/windows/dist/dravik32-*-win32.zip
cmake --build --preset windows --target release_archive >/dev/null
mkdir -p dist
for built in build/windows/dist/dravik32-*-win32.zip; do
  cp "$built" dist/
  echo "dist/$(basename "$built") $(sha256sum <"$built" | cut -d' ' -f1)"
done
