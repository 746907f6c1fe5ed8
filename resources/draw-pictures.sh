#!/usr/bin/env bash
# Draws the pictures that are compiled into Sleevit, with ImageMagick and the DejaVu
# fonts. Run it from anywhere; it rewrites the files in resources/pictures/.
#
#   IDJ_SAMPLE_DVD_COVER.jpg  an upright DVD sleeve (face, spine, face), 183 x 273 mm at
#                             6 pixels a millimetre: the sample cover of the format
#                             editor and of the command-line tool
set -euo pipefail
out="$(cd "$(dirname "$0")" && pwd)/pictures"
mkdir -p "$out"
bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
book=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
serif=/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf

# Sleeve: 1098 x 1638 pixels. Faces 777 pixels high, spine 84 (14 mm).
w=1098
face=777
spine=84
h=$((2 * face + spine))
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Back face (top): deep blue with a column of text and a block of small print.
convert -size ${w}x${face} gradient:'#0b1d3a-#1f4e79' \
  -fill '#ffffff' -font "$bold" -pointsize 44 -annotate +70+120 'NIGHT TRAIN TO THE COAST' \
  -font "$book" -pointsize 26 -fill '#d6e4f0' \
  -annotate +70+190 'A film about a late train, an old friendship' \
  -annotate +70+228 'and a town at the end of the line.' \
  -fill '#ffffff22' -draw 'roundrectangle 70,300 1028,560 24,24' \
  -fill '#e8eef5' -pointsize 22 \
  -annotate +100+350 'Running time 104 minutes   Colour   Widescreen 16:9' \
  -annotate +100+390 'Audio: stereo   Subtitles: none' \
  -annotate +100+430 'A sample cover drawn for Sleevit. Print it, cut it, fold it.' \
  -fill '#ffffff' -draw 'rectangle 820,620 1028,720' \
  -fill '#000000' -draw 'rectangle 836,636 840,704 rectangle 846,636 848,704 rectangle 854,636 860,704 rectangle 866,636 868,704 rectangle 874,636 880,704 rectangle 888,636 890,704 rectangle 896,636 902,704 rectangle 908,636 910,704 rectangle 916,636 922,704 rectangle 930,636 932,704 rectangle 940,636 946,704 rectangle 952,636 954,704 rectangle 962,636 968,704 rectangle 976,636 978,704 rectangle 986,636 992,704 rectangle 1000,636 1004,704 rectangle 1008,636 1012,704' \
  "$tmp/back.png"

# Spine: dark band with the title across it.
convert -size ${w}x${spine} xc:'#10151f' \
  -fill '#f2c14e' -font "$bold" -pointsize 40 -gravity center -annotate +0+0 'NIGHT TRAIN TO THE COAST' \
  "$tmp/spine.png"

# Front face (bottom): a sunset sky over a sea, a moon and a train on a bridge.
convert -size ${w}x${face} gradient:'#f7b267-#6a2c70' \
  -fill '#fde2a6' -draw 'circle 790,250 790,330' \
  -fill '#2b1b3d' -draw 'rectangle 0,540 1098,777' \
  -fill '#1a1028' -draw 'rectangle 0,500 1098,520' \
  -draw 'rectangle 100,520 118,777 rectangle 400,520 418,777 rectangle 700,520 718,777 rectangle 1000,520 1018,777' \
  -fill '#0e0a14' -draw 'roundrectangle 160,440 880,500 12,12' \
  -fill '#f7d774' -draw 'rectangle 200,455 240,480 rectangle 280,455 320,480 rectangle 360,455 400,480 rectangle 440,455 480,480 rectangle 520,455 560,480 rectangle 600,455 640,480 rectangle 680,455 720,480 rectangle 760,455 800,480' \
  -fill '#ffffff' -font "$serif" -pointsize 72 -gravity north -annotate +0+60 'Night Train' \
  -pointsize 44 -annotate +0+150 'to the Coast' \
  -font "$book" -pointsize 24 -fill '#fff3d6' -gravity south -annotate +0+40 'SLEEVIT SAMPLE EDITION' \
  "$tmp/front.png"

convert "$tmp/back.png" "$tmp/spine.png" "$tmp/front.png" -append \
  -strip -sampling-factor 2x2 -quality 88 -density 152 -units PixelsPerInch \
  "$out/IDJ_SAMPLE_DVD_COVER.jpg"
echo "wrote $out/IDJ_SAMPLE_DVD_COVER.jpg"
