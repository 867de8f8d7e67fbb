#!/bin/sh
# run.sh - installs what is missing, builds everything and runs the program's main job
# on the bundled sample drawing.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j 2
./build/quillet-dump examples/sample.dxf
