#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Sleevit and runs its main job.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=Release -DSLEEVIT_TESTS=OFF -DSLEEVIT_BENCH=OFF >/dev/null
cmake --build build-run

# The command-line tool lists the shipped cover-format catalogue, then prints the
# built-in sample cover (a DVD sleeve, its format detected) to a PDF file.
./build-run/src/cli/sleevit-cli formats
out="$PWD/sleevit-sample.pdf"
./build-run/src/cli/sleevit-cli print --sample --to "$out"
echo "The sample cover was printed to $out"
