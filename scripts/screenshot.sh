#!/bin/sh
# screenshot.sh - makes the README's pictures: docs/screenshot.png, quillet-viewer
# showing the bundled sample; docs/layers.png, its layer list; docs/screenshot-utf8.png and
# docs/layers-utf8.png, the viewer showing the UTF-8 (AC1032) Japanese drawing of the shared
# corpus and its layer list, and docs/view.png, the drawing view beside the grid, when the
# corpus is there; docs/tool-tab.png, quillet-editor's "ツール" tab after a run of the
# rounding tool on it; and docs/compare.png, the compare window of the sample against an
# edited copy.
#
# Runs the programs on a virtual X display (Xvfb) and grabs the window. They are copied
# to a fresh folder first, so they start with the default settings (the settings file
# sits beside the program) whatever the settings in build/ are. The layer tab is pressed
# through the accessibility interface by tests/AccessibleLayerListTest.py, which also
# checks what the tab shows.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j 2 --target quillet-viewer quillet-editor quillet-dump
mkdir -p docs
fresh=$(mktemp -d)
trap 'rm -rf "$fresh"' EXIT
cp build/quillet-viewer build/quillet-editor "$fresh/"
# Without a window manager the window stands at its default place, 100,100, and has its
# default size, 685 x 560, without a frame. shoot FILE PICTURE [TERM]: with a TERM, it is
# typed into the find box (at 160,220 on the screen) and found before the picture is taken.
shoot() {
  xvfb-run -a -s "-screen 0 800x700x24" sh -c '
    "$1" "$2" &
    viewer=$!
    sleep 3
    if [ -n "$4" ]; then
      xdotool mousemove 160 220 click 1 type "$4"
      xdotool key Return
      sleep 1
    fi
    import -window root -crop 685x560+100+100 +repage "$3"
    kill "$viewer"
  ' screenshot "$fresh/quillet-viewer" "$1" "$2" "${3:-}"
  echo "wrote $2"
}
shoot "$PWD/examples/sample.dxf" docs/screenshot.png
utf8=../shared/corpus/gen-r2018-utf8-japanese.dxf
if [ -f "$utf8" ]; then
  # The layer after Defpoints is 壁: the page shows the Japanese layer names.
  shoot "$(cd "$(dirname "$utf8")" && pwd)/$(basename "$utf8")" docs/screenshot-utf8.png DEFPOINTS
else
  echo "no $utf8: docs/screenshot-utf8.png left as it is"
fi
# The editor's window stands at the same place; xdotool clicks the "ツール" tab (the last
# tab, at 612,31 in the window), then the tool's button (at 300,284), and closes the
# summary message with Enter.
xvfb-run -a -s "-screen 0 800x700x24" sh -c '
  "$1" "$2" &
  editor=$!
  sleep 3
  xdotool mousemove 712 131 click 1
  sleep 1
  xdotool mousemove 400 384 click 1
  sleep 1
  xdotool key Return
  sleep 1
  import -window root -crop 685x560+100+100 +repage "$3"
  kill "$editor"
' screenshot "$fresh/quillet-editor" "$PWD/examples/sample.dxf" docs/tool-tab.png
echo "wrote docs/tool-tab.png"
# The compare window: the sample against a copy with layer 壁 renamed, the rounding tool
# run and its CIRCLE dropped. Openbox places and frames the windows; xdotool types the
# copy's path into the file dialog of Ctrl+D, moves the compare window to 150,80 and
# selects the ARC's row, so the grid below shows the copy's ARC.
dump=build/quillet-dump
"$dump" --rename-layer 壁 外壁 "$fresh/renamed.dxf" examples/sample.dxf >/dev/null
"$dump" --round 0.5/3 0.1/4 "$fresh/rounded.dxf" "$fresh/renamed.dxf" >/dev/null
python3 - "$fresh/rounded.dxf" "$fresh/sample-edited.dxf" <<'EOF'
import sys
lines = open(sys.argv[1], "rb").read().split(b"\r\n")
out, skipping = [], False
for code, value in zip(lines[0:-1:2], lines[1::2]):
    if code.strip() == b"0":
        skipping = value.strip() == b"CIRCLE"
    if not skipping:
        out += [code, value]
open(sys.argv[2], "wb").write(b"\r\n".join(out) + b"\r\n")
EOF
xvfb-run -a -s "-screen 0 1280x860x24" sh -c '
  openbox &
  sleep 1
  "$1" "$2" &
  viewer=$!
  sleep 4
  xdotool key ctrl+d
  sleep 2
  xdotool type --delay 20 "$3"
  xdotool key Return
  sleep 3
  xdotool windowmove "$(xdotool search --name "^比較 - " | head -1)" 150 80
  sleep 1
  xdotool mousemove 300 255 click 1
  sleep 1
  import -window root -crop 982x666+149+59 +repage "$4"
  kill "$viewer"
' screenshot "$fresh/quillet-viewer" "$PWD/examples/sample.dxf" "$fresh/sample-edited.dxf" \
  docs/compare.png
echo "wrote docs/compare.png"
# docs/view.png: the drawing view beside the grid (F8) on the UTF-8 Japanese drawing,
# after a click on the house's outline (at 693,197 in the window) moved the grid there.
if [ -f "$utf8" ]; then
  xvfb-run -a -s "-screen 0 1300x800x24" sh -c '
    "$1" "$2" &
    viewer=$!
    sleep 3
    for window in $(xdotool search --name Quillet); do xdotool windowsize "$window" 1100 600; done
    sleep 1
    xdotool mousemove 500 300 click 1 key F8
    sleep 3
    xdotool mousemove 793 297 click 1
    sleep 1
    import -window root -crop 1100x600+100+100 +repage "$3"
    kill "$viewer"
  ' screenshot "$fresh/quillet-viewer" "$(cd "$(dirname "$utf8")" && pwd)/$(basename "$utf8")" \
    docs/view.png
  echo "wrote docs/view.png"
fi
# shoot_layers DRAWING PICTURE: the layer list, checked against quillet-dump --layers.
shoot_layers() {
  dbus-run-session -- /usr/bin/python3 tests/AccessibleLayerListTest.py --screenshot "$2" \
    build/quillet-viewer build/quillet-dump "$1"
  echo "wrote $2"
}
shoot_layers examples/sample.dxf docs/layers.png
if [ -f "$utf8" ]; then
  shoot_layers "$utf8" docs/layers-utf8.png
fi
