#!/bin/sh
# run.sh - installs what is missing, builds everything and opens the bundled sample
# drawing in quillet-viewer.
#
# Without a display (neither DISPLAY nor WAYLAND_DISPLAY set) it says so and prints the
# sample's annotated listing with quillet-dump instead.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset default
cmake --build --preset default
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/quillet-viewer ]; then
  exec ./build/quillet-viewer examples/sample.dxf
fi
echo "run.sh: no display here (DISPLAY and WAYLAND_DISPLAY are unset), so instead of"
echo "opening quillet-viewer this prints the sample's annotated listing (quillet-dump):"
echo
./build/quillet-dump examples/sample.dxf
