#!/bin/sh
# test.sh - installs what is missing, builds everything and runs every test through ctest.
#
# Three builds: the normal one (all tests), the model tests again under AddressSanitizer
# and UndefinedBehaviorSanitizer. Exits non-zero when any build or test fails.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j 2
(cd build && ctest --output-on-failure -j 2)

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLET_SANITIZE=ON \
  -DQUILLET_GUI=OFF -DQUILLET_BENCH=OFF
cmake --build build-asan -j 2
(cd build-asan && ctest --output-on-failure -j 2)
