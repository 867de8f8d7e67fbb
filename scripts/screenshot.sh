#!/bin/sh
# screenshot.sh - makes the README's pictures: quillet-viewer showing the bundled sample,
# in docs/screenshot.png its DXF grid and in docs/layers.png its layer list.
#
# Runs the viewer on a virtual X display (Xvfb) and grabs the window. The layer tab is
# pressed through the accessibility interface by tests/AccessibleLayerListTest.py, which
# also checks what the tab shows. The viewer is
# copied to a fresh folder first, so it starts with the default settings (its settings
# file sits beside it) whatever the settings of build/quillet-viewer are.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j 2 --target quillet-viewer quillet-dump
mkdir -p docs
fresh=$(mktemp -d)
trap 'rm -rf "$fresh"' EXIT
cp build/quillet-viewer "$fresh/"
# Without a window manager the window stands at its default place, 100,100, and has its
# default size, 685 x 560, without a frame.
xvfb-run -a -s "-screen 0 800x700x24" sh -c '
  "$1" "$2" &
  viewer=$!
  sleep 3
  import -window root -crop 685x560+100+100 +repage "$3"
  kill "$viewer"
' screenshot "$fresh/quillet-viewer" "$PWD/examples/sample.dxf" docs/screenshot.png
echo "wrote docs/screenshot.png"
dbus-run-session -- /usr/bin/python3 tests/AccessibleLayerListTest.py --screenshot docs/layers.png \
  build/quillet-viewer build/quillet-dump examples/sample.dxf
echo "wrote docs/layers.png"
