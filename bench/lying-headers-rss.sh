#!/usr/bin/env bash
# Peak memory of pictures whose headers claim far more than their data holds: a tiny
# JPEG whose frame header says 32000 x 32000 and a GIF whose screen is 32000 x 32000
# around a 1 x 1 frame, padded with zeros. Each is read with `info` and printed to PDF;
# the maximum resident set size (/usr/bin/time -v) is reported against the target of
# 64 MB per run. A valid 8000 x 8000 JPEG is measured beside them, to show that real
# large pictures still load whole.
#
# usage: bench/lying-headers-rss.sh [PATH/TO/sleevit-cli]
#   default: build/src/cli/sleevit-cli relative to the repository.
# Exit status 1 when a lying file goes past the target.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli=${1:-$repo/build/src/cli/sleevit-cli}
target_kb=$((64 * 1024))

[[ -x $cli ]] || { echo "sleevit-cli not found or not executable: $cli" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time (GNU time) is needed" >&2; exit 2; }
command -v convert >/dev/null || { echo "ImageMagick 'convert' is needed" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/lying-headers.XXXXXX")
trap 'rm -rf "$work"' EXIT
python3 "$repo/scripts/make-damaged-pictures.py" "$work" --large
convert -size 8000x8000 gradient:white-black -quality 85 "$work/valid_8000x8000.jpg"

# Runs the command line given, prints its exit status, peak RSS and first stderr line.
measure() {
    local label=$1
    shift
    local status=0
    /usr/bin/time -v -o "$work/time.txt" "$@" >"$work/out.txt" 2>"$work/err.txt" || status=$?
    local kb
    kb=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt")
    printf '%-40s exit %d  peak %7d KB  %s\n' "$label" "$status" "$kb" "$(head -1 "$work/err.txt")"
    last_kb=$kb
}

over=0
for file in claims_32000x32000.jpg screen_32000_frame_1x1.gif valid_8000x8000.jpg; do
    measure "info $file" "$cli" info "$work/$file"
    [[ $file == valid_* || $last_kb -le $target_kb ]] || over=1
    measure "print $file" "$cli" print --left "$work/$file" --no-companion --catalogue "$repo/data/Sleevit.dat" \
        --to "$work/out.pdf"
    [[ $file == valid_* || $last_kb -le $target_kb ]] || over=1
done
echo "target: at most $target_kb KB for the lying files"
exit $over
