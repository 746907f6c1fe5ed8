#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Sleevit and runs its main job: the window
# when there is a display, else the built-in sample cover printed to a PDF file.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=Release -DSLEEVIT_TESTS=OFF -DSLEEVIT_BENCH=OFF >/dev/null
cmake --build build-run

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ./build-run/src/sleevit
fi

echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot open."
echo "Printing the built-in sample cover with the command-line tool instead."
# The shipped cover-format catalogue, then the sample cover (a DVD sleeve, its format
# detected) printed to a PDF file.
./build-run/src/cli/sleevit-cli formats
out="$PWD/sleevit-sample.pdf"
./build-run/src/cli/sleevit-cli print --sample --to "$out"
echo "The sample cover was printed to $out"
