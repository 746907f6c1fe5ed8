#!/usr/bin/env bash
# Draws the pictures that are compiled into Sleevit, with ImageMagick and the DejaVu
# fonts. Run it from anywhere; it rewrites the files in resources/pictures/.
#
#   IDJ_SAMPLE_DVD_COVER.jpg  an upright DVD sleeve (face, spine, face), 183 x 273 mm at
#                             6 pixels a millimetre: the sample cover of the format
#                             editor and of the command-line tool
#   IDG_LOGO.gif              the 50 x 35 logo at the view's bottom left
#   IDC_HAND_CURSOR.png       the 32 x 32 hand over the papers, hot spot (6, 0)
#   IDJ_SPLASHSCREEN.jpg      the 430 x 265 splash picture
#   IDJ_ANIME_GIRL.jpg, IDG_LEFTOVERLAY.gif                  the Default skin
#   IDJ_ANOTHER_ANIME_GIRL.jpg, IDG_ANOTHER_LEFTOVERLAY.gif  the Alternative skin
#   IDJ_WHEELS.jpg            the empty paper's picture of both built-in skins
# and the folder skins data/skins/Midnight and data/skins/Paper.
#
# A skin's overlay lies over the Left paper where the paper hides the left edge of the
# skin's main picture, so each overlay is cut out of the same drawing as its main
# picture. Overlays and the logo are palette GIFs whose see-through parts have one
# colour of their own, the colour of the bottom-left pixel: the program leaves that
# colour out when it draws them.
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

# ---------------------------------------------------------------------------------
# Skins, logo, cursor and splash.
convert=/usr/bin/convert
data="$(cd "$(dirname "$0")/.." && pwd)/data"
key='#FF00FF' # the see-through colour of overlays and the logo; no drawing uses it

# disc <diameter> <sheen colour 1> <sheen colour 2> <out.png>: a disc seen from above,
# silver with two coloured sheens, a clear hub and a see-through hole.
disc() {
  local d=$1 c=$(($1 / 2)) s1=$2 s2=$3 out=$4
  local r=$c far=$((2 * $1))
  $convert -size ${d}x${d} radial-gradient:'#f4f5f7-#9aa1ab' \
    \( -size ${d}x${d} xc:none \
       -fill "$s1" -draw "path 'M $c,$c L $far,$((c - d)) L $far,$((c + d / 3)) Z'" \
       -fill "$s1" -draw "path 'M $c,$c L $((c - far)),$((c + d)) L $((c - far)),$((c - d / 3)) Z'" \
       -fill "$s2" -draw "path 'M $c,$c L $((c - d)),$((c - far)) L $((c + d / 3)),$((c - far)) Z'" \
       -fill "$s2" -draw "path 'M $c,$c L $((c + d)),$((c + far)) L $((c - d / 3)),$((c + far)) Z'" \
       -blur 0x$((d / 12)) \) -compose over -composite \
    -fill none -stroke '#ffffff40' -strokewidth 1 \
    -draw "circle $c,$c $c,$((c - r * 80 / 100))" -draw "circle $c,$c $c,$((c - r * 60 / 100))" \
    -stroke '#c8ccd2' -strokewidth 2 -fill '#e9ebee' -draw "circle $c,$c $c,$((c - r * 24 / 100))" \
    -stroke '#aeb3ba' -strokewidth 1 -fill '#d3d6db' -draw "circle $c,$c $c,$((c - r * 14 / 100))" \
    \( -size ${d}x${d} xc:black -fill white -draw "circle $((d / 2)),$((d / 2)) $((d / 2)),1" \
       -fill black -draw "circle $((d / 2)),$((d / 2)) $((d / 2)),$((d / 2 - r * 8 / 100))" \) \
    -alpha off -compose CopyOpacity -composite "$out"
}

# overlay <scene.png> <background colour> <w>x<h>+<x>+<y> <out.gif>: the part of a scene
# that lies over the Left paper, its background turned into the see-through colour.
overlay() {
  $convert "$1" -crop "$3" +repage -alpha off -fill "$key" -opaque "$2" \
    +dither -colors 255 -strip "$4"
}

# A skin's main picture is saved as a JPEG; the scene it comes from stays exact for the
# overlay.
jpeg() { $convert "$1" -alpha off -strip -sampling-factor 1x1 -quality 92 "$2"; }

# ---- Default skin: a disc standing beside the Left paper's right edge. ---------------
# Main picture 193 x 348 at (192, 30), just right of the Left paper (x 14..195), so the
# disc never hides the paper's cut lines; the overlay 22 x 275 lies at (182, 33) in the
# paper, past its right edge, and shows only on a wider paper.
grey='#3C3C3C'
disc 184 '#39c6f088' '#9b6cf088' "$tmp/disc-default.png"
$convert -size 193x348 xc:"$grey" \
  -fill '#444444' -stroke none -draw "ellipse 100,282 70,6 0,360" \
  "$tmp/disc-default.png" -geometry +4+83 -compose over -composite \
  -fill '#47b7dc' -stroke none -draw "roundrectangle 60,294 132,297 1,1" \
  "$tmp/default-scene.png"
jpeg "$tmp/default-scene.png" "$out/IDJ_ANIME_GIRL.jpg"
overlay "$tmp/default-scene.png" "$grey" 22x275+4+49 "$out/IDG_LEFTOVERLAY.gif"

# ---- Alternative skin: a disc sliding out of its case, a level meter above. -----------
# Main picture 212 x 331 at (196, 35), filling the gap between the papers; the overlay
# 32 x 112 at (186, 150) in the Left paper lies past its right edge like the Default's.
disc 140 '#ffb34788' '#ff6a5c88' "$tmp/disc-alt.png"
bars=""
heights=(46 78 60 96 70 88 52 74 40)
for i in "${!heights[@]}"; do
  x=$((34 + i * 18))
  bars+="roundrectangle $x,$((136 - ${heights[$i]})) $((x + 11)),136 2,2 "
done
$convert -size 212x331 xc:"$grey" \
  \( -size 212x331 gradient:'#f2a541-#2bb3a3' \
     \( -size 212x331 xc:black -fill white -draw "$bars" \) -alpha off -compose CopyOpacity -composite \) \
  -compose over -composite \
  -fill '#ffffff14' -stroke '#a9b0b8' -strokewidth 2 -draw "roundrectangle 78,150 205,283 6,6" \
  -stroke '#7d848c' -strokewidth 1 -draw "line 90,150 90,283" \
  "$tmp/disc-alt.png" -geometry +10+147 -compose over -composite \
  "$tmp/alt-scene.png"
jpeg "$tmp/alt-scene.png" "$out/IDJ_ANOTHER_ANIME_GIRL.jpg"
overlay "$tmp/alt-scene.png" "$grey" 32x112+4+161 "$out/IDG_ANOTHER_LEFTOVERLAY.gif"

# ---- The empty paper of both built-in skins: faint rings and a picture sign. ----------
# 182 x 265, centred on a white sheet of about the same size.
wheels() { # <w> <h> <paper> <line colour> <accent> <out>
  local w=$1 h=$2 cx=$(($1 / 2)) cy=$(($2 / 2))
  $convert -size ${w}x${h} xc:"$3" -fill none -stroke "$4" -strokewidth 1 \
    -draw "circle $cx,$cy $cx,$((cy - 78))" -draw "circle $cx,$cy $cx,$((cy - 64))" \
    -draw "circle $cx,$cy $cx,$((cy - 50))" -draw "circle $cx,$cy $cx,$((cy - 8))" \
    -stroke "$5" -strokewidth 2 -fill "$3" \
    -draw "roundrectangle $((cx - 24)),$((cy - 19)) $((cx + 24)),$((cy + 19)) 4,4" \
    -fill "$5" -stroke none \
    -draw "polygon $((cx - 18)),$((cy + 13)) $((cx - 6)),$((cy - 3)) $((cx + 2)),$((cy + 7)) $((cx + 8)),$((cy - 1)) $((cx + 18)),$((cy + 13))" \
    -draw "circle $((cx + 10)),$((cy - 9)) $((cx + 14)),$((cy - 9))" \
    -draw "polygon $((cx - 7)),$((cy + 40)) $cx,$((cy + 31)) $((cx + 7)),$((cy + 40))" \
    -draw "rectangle $((cx - 2)),$((cy + 40)) $((cx + 2)),$((cy + 48))" \
    "$6"
}
wheels 182 265 '#ffffff' '#e4e6ea' '#c2c7cf' "$tmp/wheels.png"
jpeg "$tmp/wheels.png" "$out/IDJ_WHEELS.jpg"

# ---- Logo: a small disc and the name. ----------------------------------------------------
$convert -size 50x35 xc:"$grey" \
  -fill '#d9dce1' -stroke none -draw "circle 25,12 25,2" \
  -fill '#47b7dc' -draw "path 'M 25,12 L 35,4 L 35,9 Z' path 'M 25,12 L 15,20 L 15,15 Z'" \
  -fill "$grey" -draw "circle 25,12 25,10" \
  -fill '#e6e6e6' -font "$bold" -pointsize 10 -gravity south -annotate +0+1 'Sleevit' \
  -alpha off -fill "$key" -opaque "$grey" +dither -colors 255 -strip "$out/IDG_LOGO.gif"

# ---- Hand cursor: black outline, white inside, the tip of the finger at (6, 0). -------
$convert -size 32x32 xc:none +antialias -stroke black -strokewidth 1 -fill white \
  -draw "roundrectangle 4,0 8,14 2,2" \
  -draw "roundrectangle 8,6 12,16 2,2" -draw "roundrectangle 12,7 16,17 2,2" \
  -draw "roundrectangle 16,9 20,18 2,2" \
  -stroke none -draw "polygon 5,13 20,13 20,23 17,28 8,28 5,25" \
  -stroke black -fill none -draw "polyline 4,12 4,25 7,29 18,29 21,23 21,13" \
  -fill white -draw "polygon 4,24 0,17 0,14 2,13 4,16" \
  "$out/IDC_HAND_CURSOR.png"

# ---- Splash: the name and version beside a disc sliding out of its case. ----------------
disc 150 '#39c6f088' '#9b6cf088' "$tmp/disc-splash.png"
$convert -size 430x265 gradient:'#444444-#2e2e2e' \
  -fill '#ffffff10' -stroke '#8f959c' -strokewidth 2 -draw "roundrectangle 272,52 412,212 8,8" \
  -stroke '#6d737a' -strokewidth 1 -draw "line 286,52 286,212" \
  "$tmp/disc-splash.png" -geometry +222+57 -compose over -composite \
  -fill '#47b7dc' -stroke none -draw "rectangle 32,150 112,153" \
  -fill '#ececec' -font "$bold" -pointsize 44 -annotate +30+130 'Sleevit' \
  -fill '#a8a8a8' -font "$book" -pointsize 18 -annotate +30+182 'Version 1.14' \
  -fill '#8a8a8a' -pointsize 12 -annotate +30+236 'Covers for CD and DVD cases' \
  "$tmp/splash.png"
$convert "$tmp/splash.png" -strip -quality 90 "$out/IDJ_SPLASHSCREEN.jpg"

# ---- Folder skins. ---------------------------------------------------------------------
# skin_ini <folder> <colour RRGGBB>: positions as the Default skin's, so the overlay
# meets the main picture the same way.
skin_ini() {
  mkdir -p "$1"
  printf '; Sleevit skin\r\nMainPosX=192\r\nMainPosY=30\r\nLeftPosX=182\r\nLeftPosY=33\r\nBackgroundColor=%s\r\n' "$2" \
    >"$1/skin.ini"
}

# Midnight: a night sky in dark blue with a disc for a moon.
night='#1B2A4A'
disc 184 '#7fb2ff88' '#c3d7ff88' "$tmp/disc-night.png"
stars=""
for xy in 40,20 120,12 176,40 60,60 150,300 30,330 180,250 100,336 12,296 168,90; do
  stars+="point $xy "
done
$convert -size 193x348 xc:"$night" \
  -fill '#f5f1d8' -stroke none -draw "circle 150,44 150,58 circle 70,30 70,31 circle 160,320 160,321" \
  -fill "$night" -draw "circle 157,39 157,52" \
  -fill '#c9d4ee' -draw "$stars" \
  "$tmp/disc-night.png" -geometry +4+83 -compose over -composite \
  "$tmp/night-scene.png"
skin_ini "$data/skins/Midnight" 1B2A4A
jpeg "$tmp/night-scene.png" "$data/skins/Midnight/main.jpg"
overlay "$tmp/night-scene.png" "$night" 22x275+4+49 "$data/skins/Midnight/left.gif"
wheels 182 265 '#f3f6fc' '#dbe3f2' '#9fb2d6' "$tmp/night-paper.png"
$convert "$tmp/night-paper.png" -alpha off +dither -colors 64 -strip "$data/skins/Midnight/background.gif"

# Paper: kraft brown with a disc in a cream paper sleeve.
kraft='#6B4F35'
disc 184 '#e8c89a88' '#f6e7c888' "$tmp/disc-kraft.png"
$convert -size 193x348 xc:"$kraft" \
  -fill '#efe4cc' -stroke '#d8c7a4' -strokewidth 2 -draw "rectangle 70,76 191,274" \
  "$tmp/disc-kraft.png" -geometry +4+83 -compose over -composite \
  -fill '#efe4cc' -stroke '#d8c7a4' -strokewidth 2 -draw "rectangle 124,76 191,274" \
  -fill none -stroke '#b89d73' -strokewidth 2 -draw "line 140,236 176,236 line 140,246 170,246 line 140,256 160,256" \
  "$tmp/kraft-scene.png"
skin_ini "$data/skins/Paper" 6b4f35
jpeg "$tmp/kraft-scene.png" "$data/skins/Paper/main.jpg"
overlay "$tmp/kraft-scene.png" "$kraft" 22x275+4+49 "$data/skins/Paper/left.gif"
wheels 182 265 '#fbf6ea' '#eadfc6' '#b89d73' "$tmp/kraft-paper.png"
$convert "$tmp/kraft-paper.png" -alpha off +dither -colors 64 -strip "$data/skins/Paper/background.gif"

# The desktop icon: a disc sliding out of its case on a dark tile.
$convert -size 256x256 xc:none -fill '#2b2b2b' -draw 'roundrectangle 8,8 248,248 36,36' \
  -fill '#e8e2d4' -draw 'rectangle 120,40 216,216' -fill '#c9bfa8' -draw 'rectangle 120,40 132,216' \
  -fill '#d0d4dc' -stroke '#8a93a3' -strokewidth 3 -draw 'circle 112,128 112,40' \
  -fill '#f4f6fa' -stroke none -draw 'circle 112,128 112,100' -fill '#2b2b2b' -draw 'circle 112,128 112,116' \
  -strip "$(dirname "$out")/desktop/sleevit.png"
# The smaller sizes of the icon theme, scaled from it.
for px in 48 128; do
  mkdir -p "$(dirname "$out")/desktop/icons/${px}x${px}"
  $convert "$(dirname "$out")/desktop/sleevit.png" -filter Lanczos -resize ${px}x${px} -depth 8 -strip \
    "$(dirname "$out")/desktop/icons/${px}x${px}/sleevit.png"
done

echo "wrote the logo, cursor, splash, skin pictures and the desktop icons"
