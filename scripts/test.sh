#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, checks the layout of the C++ files, then builds and
# runs the whole test suite: the normal build, an installed copy run by an ordinary user,
# the Debian package made from it (installed, tried and removed again), the
# AddressSanitizer + UndefinedBehaviorSanitizer build, and a short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== Formatting and folder order"
bash scripts/check-format.sh
bash scripts/check-folders.sh

echo "== Normal build (warnings are errors)"
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSLEEVIT_TESTS=ON -DSLEEVIT_BENCH=ON >/dev/null
cmake --build build-release -j "$jobs"
ctest --test-dir build-release --output-on-failure -j "$jobs"

echo "== Installed as an ordinary user"
bash scripts/installed-user-test.sh build-release
echo "== Debian package: build, lintian, install, run as a user, validate, remove"
bash scripts/test-package.sh

echo "== Sanitizer build (ASan + UBSan)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSLEEVIT_SANITIZE=ON -DSLEEVIT_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== Fuzz targets (clang, libFuzzer): short smoke run each"
CC=clang CXX=clang++ cmake -S . -B build-fuzz-smoke -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSLEEVIT_FUZZ=ON -DSLEEVIT_SANITIZE=ON -DSLEEVIT_GUI=OFF -DSLEEVIT_TESTS=OFF -DSLEEVIT_BENCH=OFF >/dev/null
cmake --build build-fuzz-smoke -j "$jobs"
for fuzzer in build-fuzz-smoke/fuzz/fuzz_*; do
  name=$(basename "$fuzzer")
  name=${name#fuzz_}
  work=$(mktemp -d)
  seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds+=("fuzz/corpus/$name")
  "$fuzzer" -max_total_time=10 -max_len=65536 "$work" "${seeds[@]}" >"$work.log" 2>&1 || {
    tail -50 "$work.log"
    echo "fuzz target $name failed"
    exit 1
  }
  echo "fuzz_$name: $(grep -Eo 'Done [0-9]+ runs' "$work.log" || echo ok)"
  rm -rf "$work" "$work.log"
done
echo "== All tests passed"
