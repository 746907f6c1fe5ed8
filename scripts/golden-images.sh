#!/bin/sh
# Regenerates tests/images/golden/corpus-manifest.txt: one line per file of the shared
# decoder corpus with what the image facility makes of it,
#   <path> OK <width>x<height>x<bpp> <crc32 of the top-down RGB rows> <decoder>
#   <path> BAD <error text>
# Review the change with `git diff` before committing it: every changed line is a
# decoder that now decodes a file differently.
#
# usage: scripts/golden-images.sh [BUILD_DIR]    (default: build; sleevit-cli must be built)
# The corpus is taken from $SLEEVIT_SHARED_DIR/corpus, by default ../shared/corpus.
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
cli=$build/src/cli/sleevit-cli
corpus=${SLEEVIT_SHARED_DIR:-$repo/../shared}/corpus
out=$repo/tests/images/golden/corpus-manifest.txt

if [ ! -x "$cli" ]; then
    echo "golden-images: no $cli; build sleevit-cli first" >&2
    exit 1
fi
if [ ! -d "$corpus" ]; then
    echo "golden-images: no corpus at $corpus" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The test files are the table rows of each folder's MANIFEST.md: | `path` | status | ...
for manifest in "$corpus"/*/MANIFEST.md; do
    folder=$(basename "$(dirname "$manifest")")
    grep '^| `' "$manifest" | cut -d'`' -f2 | sed "s|^|$folder/|"
done >"$work/files"

if grep -q ' ' "$work/files"; then
    echo "golden-images: a corpus path holds a space; the manifest format cannot carry it" >&2
    exit 1
fi

# Paths relative to the corpus root, so that the manifest does not depend on where it lies.
# info exits with 1 when a file fails to load, which broken files are meant to do.
(cd "$corpus" && tr '\n' '\0' <"$work/files" | xargs -0 "$cli" info --crc >"$work/raw") || true

expected=$(wc -l <"$work/files")
got=$(wc -l <"$work/raw")
if [ "$expected" -ne "$got" ]; then
    echo "golden-images: $got results for $expected files; did sleevit-cli crash?" >&2
    exit 1
fi

{
    echo "# Decoded results of the shared corpus; regenerate with scripts/golden-images.sh."
    echo "# <path> OK <width>x<height>x<bpp> <crc32 of the top-down RGB rows> <decoder> | <path> BAD <error>"
    awk -F'\t' '$2 == "error" { print $1 " BAD " $3; next }
                { print $1 " OK " $2 "x" $3 "x" $4 " " $6 " " $5 }' "$work/raw" | LC_ALL=C sort
} >"$work/manifest"
mv "$work/manifest" "$out"
echo "golden-images: wrote $out ($expected files)"
