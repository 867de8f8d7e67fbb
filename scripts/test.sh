#!/bin/sh
# test.sh - installs what is missing, builds everything and runs every test through ctest.
#
# Three builds, each a CMake preset: the normal one (all tests, warnings as errors, and the
# Debian package with its file list checked), the tests again, the widget tests too
# (offscreen), under AddressSanitizer and UndefinedBehaviorSanitizer with asserts on, and
# the mingw-w64 cross-build for Windows, whose tests run under Wine
# (scripts/test-windows.sh). Exits non-zero when any build or test fails.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

cmake --preset default
cmake --build --preset default
ctest --preset default
(cd build && rm -f quillet_*.deb && cpack -G DEB)
./packaging/check-deb.sh build/quillet_*.deb

cmake --preset asan
cmake --build --preset asan
ctest --preset asan

./scripts/test-windows.sh
