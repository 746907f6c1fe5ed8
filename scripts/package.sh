#!/usr/bin/env bash
# Builds the Debian package of Sleevit: bash scripts/package.sh [FOLDER]
# The package (sleevit_<version>_<arch>.deb) is left in FOLDER, else in the
# repository's top folder. It reuses the normal build folder (build-release) when there
# is one, so after scripts/test.sh only the install prefix changes.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
out=${1:-$top}
mkdir -p "$out"
out=$(cd "$out" && pwd)

bash scripts/install-deps.sh
build=build-release
options=(-DCMAKE_INSTALL_PREFIX=/usr)
if [ ! -f "$build/CMakeCache.txt" ]; then
  # No normal build yet: only what the package holds.
  options+=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSLEEVIT_TESTS=OFF -DSLEEVIT_BENCH=OFF)
fi
cmake -S . -B "$build" "${options[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" --target sleevit_package_contents

# Made beside the result, so that a package of the same name is replaced whole by a rename.
work=$(mktemp -d "$out/.sleevit-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log") || {
  cat "$work/cpack.log"
  exit 1
}
for deb in "$work"/*.deb; do
  mv -f "$deb" "$out/"
  echo "Built $out/$(basename "$deb")"
done
