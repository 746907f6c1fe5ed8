#!/usr/bin/env bash
# Side-by-side measurement: one 6000 x 6000 JPEG printed as a disc label to PDF,
# once by sleevit-cli ("Disc in CD Tray") and once by the peer label designer
# gLabels 3 (glabels-3-batch), when that is installed.
#
# usage: bench/peer-disc-label.sh [PATH/TO/sleevit-cli]
#   default: build/src/cli/sleevit-cli relative to the repository.
#   KEEP=1 keeps the temporary folder (picture, documents, PDFs) and prints its path.
#
# Reported per program: wall time and maximum resident set size (/usr/bin/time -v),
# PDF size, PDF size / JPEG size, and the images found in the PDF (pdfimages -list).
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli=${1:-$repo/build/src/cli/sleevit-cli}
peer=glabels-3-batch

[[ -x $cli ]] || { echo "sleevit-cli not found or not executable: $cli" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time (GNU time) is needed" >&2; exit 2; }
command -v convert >/dev/null || { echo "ImageMagick 'convert' is needed" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/peer-disc-label.XXXXXX")
if [[ ${KEEP:-0} == 1 ]]; then
    echo "keeping $work"
else
    trap 'rm -rf "$work"' EXIT
fi

pic=$work/picture.jpg

# Test picture: a coarse random texture blown up to 6000 x 6000 (smooth areas and
# detail, like a photo), with a few flat shapes and hard edges drawn over it.
echo "making the 6000 x 6000 test picture ..."
convert -seed 7 -size 1000x1000 plasma:fractal -blur 0x1 -resize '6000x6000!' \
    -fill '#c0392b' -draw 'circle 3000,3000 3000,2200' \
    -fill none -stroke white -strokewidth 40 \
    -draw 'line 0,0 6000,6000' -draw 'ellipse 4500,4500 1000,600 0,360' \
    -fill '#2ecc71' -stroke none -draw 'rectangle 400,400 2200,1600' \
    -quality 90 "$pic"
jpeg_bytes=$(stat -c %s "$pic")

rows=()
wrap=() # optional command put before /usr/bin/time (a virtual display)

# measure NAME OUT.pdf COMMAND...: runs COMMAND under /usr/bin/time -v and appends a
# table row. Returns the command's exit status.
measure() {
    local name=$1 out=$2
    shift 2
    local tfile=$work/time-${name//[^A-Za-z0-9]/_}.txt
    local status=0
    "${wrap[@]}" /usr/bin/time -v -o "$tfile" "$@" >"$tfile.log" 2>&1 || status=$?
    if ((status != 0)) || [[ ! -s $out ]]; then
        echo "$name failed (exit $status); its output:" >&2
        sed 's/^/  /' "$tfile.log" >&2
        return $((status != 0 ? status : 1))
    fi
    local elapsed rss_kb wall pdf_bytes ratio images
    elapsed=$(sed -n 's/^[[:space:]]*Elapsed (wall clock) time.*: //p' "$tfile")
    rss_kb=$(sed -n 's/^[[:space:]]*Maximum resident set size (kbytes): //p' "$tfile")
    # h:mm:ss or m:ss(.ss) -> seconds
    wall=$(awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; printf "%.2f", s }' <<<"$elapsed")
    pdf_bytes=$(stat -c %s "$out")
    ratio=$(awk -v p="$pdf_bytes" -v j="$jpeg_bytes" 'BEGIN { printf "%.2f", p / j }')
    images="-"
    if command -v pdfimages >/dev/null; then
        # "count x WIDTHxHEIGHT enc" per distinct image shape found in the PDF
        images=$(pdfimages -list "$out" 2>/dev/null | awk 'NR > 2 { k = $4 "x" $5 " " $9; n[k]++ }
            END { sep = ""; for (k in n) { printf "%s%dx %s", sep, n[k], k; sep = ", " } }')
        [[ -n $images ]] || images="none"
    fi
    rows+=("$(printf '%-16s %9s %12s %12s %10s  %s' "$name" "$wall" \
        "$(awk -v k="$rss_kb" 'BEGIN { printf "%.1f", k / 1024 }')" "$pdf_bytes" "$ratio" "$images")")
}

echo "running sleevit-cli ..."
measure "sleevit-cli" "$work/ours.pdf" \
    "$cli" print --left "$pic" --left-format "Disc in CD Tray" --no-companion --to "$work/ours.pdf"

peer_note=""
if command -v "$peer" >/dev/null; then
    # A gLabels 3 document. The template is named by brand and part of a CD/DVD label
    # sheet the peer ships (Igepa EA-CD-ROM2Q: 117 mm disc, 41 mm hole, two per A4);
    # "equiv" makes the peer take the geometry from its own template database instead
    # of from this document. The image object covers the label's 117 mm square; the
    # peer clips it to the disc shape. The affine attributes must be given: left out,
    # they default to a singular matrix and the page comes out empty.
    # Printing a whole sheet would place the picture twice, so a one-record merge
    # limits the run to a single label.
    xml_escape() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' -e 's/"/\&quot;/g' <<<"$1"; }
    printf 'one\n' >"$work/one-record.csv"
    cat >"$work/disc.glabels" <<EOF
<?xml version="1.0"?>
<Glabels-document xmlns="http://glabels.org/xmlns/3.0/">
  <Template brand="Igepa" part="EA-CD-ROM2Q" equiv="EA-CD-ROM2Q"/>
  <Objects id="0" rotate="False">
    <Object-image x="0mm" y="0mm" w="117mm" h="117mm" src="$(xml_escape "$pic")"
                  a0="1" a1="0" a2="0" a3="1" a4="0" a5="0"/>
  </Objects>
  <Merge type="Text/Comma" src="$(xml_escape "$work/one-record.csv")"/>
</Glabels-document>
EOF
    echo "running $peer ..."
    peer_cmd=("$peer" -o "$work/peer.pdf" "$work/disc.glabels")
    # The batch program draws without a display; use a virtual one only if a run
    # without it fails and none is set.
    if ! measure "$peer" "$work/peer.pdf" "${peer_cmd[@]}"; then
        if [[ -z ${DISPLAY:-} ]] && command -v xvfb-run >/dev/null; then
            echo "retrying $peer under xvfb-run (time measures the peer only)" >&2
            rm -f "$work/peer.pdf"
            wrap=(xvfb-run -a)
            measure "$peer" "$work/peer.pdf" "${peer_cmd[@]}" ||
                peer_note="$peer failed; see above"
            wrap=()
        else
            peer_note="$peer failed; see above"
        fi
    fi
else
    peer_note="$peer is not installed: only sleevit-cli was measured"
fi

echo
printf 'input: %s  6000 x 6000 JPEG, %d bytes\n\n' "$(basename "$pic")" "$jpeg_bytes"
printf '%-16s %9s %12s %12s %10s  %s\n' "program" "wall s" "max RSS MiB" "PDF bytes" "PDF/JPEG" "images in PDF (count x size enc)"
printf '%s\n' "${rows[@]}"
[[ -z $peer_note ]] || printf '\n%s\n' "$peer_note"
