#!/usr/bin/env bash
# Takes the README's screenshots under Xvfb: the main window empty, with two covers, on a
# single page, with a CD-tray format, in three languages and in every shipped skin; then
# the splash, the dialogs over the main window and the batch dialog. Needs a built window
# program (default build/src/sleevit), xvfb-run, xdotool and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."
bin="$PWD/${1:-build/src/sleevit}"
out="$PWD/docs/screenshots"
convert=/usr/bin/convert
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# Covers of our own: a CD front and its back inlay, and a disc label.
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
$convert -size 1200x1200 gradient:'#14324f-#e07a5f' -font "$font" -fill white -pointsize 110 \
  -gravity center -annotate +0-80 'Harbour' -annotate +0+60 'Lights' "$work/Harbour front.jpg"
$convert -size 1510x1180 gradient:'#e07a5f-#14324f' -font "$font" -fill white -pointsize 54 \
  -gravity center -annotate +0+0 '1. Tide   2. Lantern   3. Quay   4. Fog' "$work/Harbour back.jpg"
$convert -size 1200x1200 radial-gradient:'#f2cc8f-#3d405b' -font "$font" -fill white -pointsize 90 \
  -gravity center -annotate +0-250 'Harbour Lights' "$work/Harbour disc.jpg"

# shot NAME SETTINGS [CLICK_X CLICK_Y]: starts the program with these settings and
# saves its window.
shot() {
  local name="$1" settings="$2" click="${3:-}"
  local config="$work/config-$name"
  mkdir -p "$config/Tessaly"
  printf '%s\n' "[Options]" "ShowPayPalDialog%201.14=1" "ShowSplash=0" "$settings" >"$config/Tessaly/Sleevit.conf"
  XDG_CONFIG_HOME="$config" XDG_DATA_HOME="$work/data-$name" xvfb-run -a -s '-screen 0 1024x768x24' bash -c '
    "$0" 2>/dev/null &
    sleep 3
    id=$(xdotool search --name "^Sleevit 1.14" | head -1)
    if [ -n "$2" ]; then
      h=$(xdotool getwindowgeometry "$id" | sed -n "s/.*Geometry: [0-9]*x//p")
      xdotool mousemove --window "$id" ${2% *} $(( ${2#* } + h - 374 )) click 1
      sleep 1
    fi
    import -window "$id" "$1"
    kill %1' "$bin" "$out/$name.png" "$click"
  echo "wrote $out/$name.png"
}

covers="RecentFileLeft=$work/Harbour front.jpg
RecentFileRight=$work/Harbour back.jpg"
shot main-empty "SelectedSkin=0"
shot main-two-covers "SelectedSkin=0
$covers"
shot main-single-page "SelectedSkin=0
$covers" "250 13"
shot main-cd-tray "SelectedSkin=0
AutoDetectFormat=0
LastUsedLeftFormat=12
LastUsedRightFormat=12
RecentFileRight=$work/Harbour disc.jpg"
for language in 6:german 10:russian 22:chinese; do
  shot "main-language-${language#*:}" "SelectedSkin=0
Language=${language%%:*}
$covers"
done
for skin in 0:default 1:alternative 2:midnight 3:paper; do
  shot "main-skin-${skin#*:}" "SelectedSkin=${skin%%:*}
$covers"
done

# screen NAME SETTINGS KEYS [FILES] [WAIT] [CLICK_X CLICK_Y] [THEN]: starts the program
# with these settings and the pictures named one a line in FILES, clicks where shot()
# does when asked, opens the first menu with a click (so that no language's shortcut
# letters are needed), sends the keys, runs the xdotool commands THEN and saves the whole
# screen: what opened over the window.
screen() {
  local name="$1" settings="$2" keys="$3" files="${4:-}" wait="${5:-3}" click="${6:-}" then="${7:-}"
  local config="$work/config-$name"
  mkdir -p "$config/Tessaly"
  printf '%s\n' "[Options]" "$settings" >"$config/Tessaly/Sleevit.conf"
  XDG_CONFIG_HOME="$config" XDG_DATA_HOME="$work/data-$name" xvfb-run -a -s '-screen 0 1024x768x24' bash -c '
    IFS=$'"'"'\n'"'"'
    "$0" $3 2>/dev/null &
    sleep "$4"
    id=$(xdotool search --name "^Sleevit 1.14" | head -1)
    if [ -n "$5" ]; then
      h=$(xdotool getwindowgeometry "$id" | sed -n "s/.*Geometry: [0-9]*x//p")
      xdotool mousemove --window "$id" ${5% *} $(( ${5#* } + h - 374 )) click 1
      sleep 1
    fi
    if [ -n "$2" ]; then
      xdotool mousemove --window "$id" 12 8 click 1 sleep 0.5
      IFS=" "
      xdotool key --delay 200 $2
      sleep 1.5
    fi
    if [ -n "$6" ]; then
      xdotool $6
      sleep 1
    fi
    import -window root "$1"
    kill %1' "$bin" "$out/$name.png" "$keys" "$files" "$wait" "$click" "$then"
  echo "wrote $out/$name.png"
}

quiet="ShowPayPalDialog%201.14=1
ShowSplash=0
SelectedSkin=0"
screen splash "ShowPayPalDialog%201.14=1
ShowSplash=1
SelectedSkin=0" "" "" 1
screen options "$quiet" "Right Return"
screen image-open "$quiet
$covers" "Down Down Return"
# Online Help is disabled: the Help menu opens on the website entry.
screen donate "$quiet" "Right Right Down Return"
screen about "$quiet" "Right Right Up Return"
screen format-editor "$quiet" "Right Up Return"
# The cut-line dialog over the editor: its Add line button, where the editor (centred on
# the screen) has it.
screen format-editor-add-line "$quiet" "Right Up Return" "" 3 "" "mousemove 236 562 click 1"
for language in 6:german 10:russian; do
  screen "options-${language#*:}" "$quiet
Language=${language%%:*}" "Right Return"
done
# Print Preview is the File menu's eighth entry; it needs a cover to preview.
screen print-preview-german "$quiet
Language=6
$covers" "Down Down Down Down Down Down Down Return"
# A DVD sleeve and a back inlay overlap on a single page: Print Left asks first.
screen overlap-question "$quiet
$covers
AutoDetectFormat=0
LastUsedLeftFormat=3" "Down Down Down Down Return" "" 3 "250 13"
screen batch-printing "$quiet
BatchMode=1" "" "$work/Harbour front.jpg
$work/Harbour back.jpg
$work/Harbour disc.jpg"
