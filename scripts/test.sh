#!/bin/sh
# test.sh - installs what is missing, builds everything and runs every test through ctest.
#
# Three builds: the normal one (all tests), the Qt-free tests again under AddressSanitizer
# and UndefinedBehaviorSanitizer, and a mingw-w64 cross-compile of the AutoCAD link's
# Windows code, which cannot run here but must keep compiling. Exits non-zero when any
# build or test fails.
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

# The AutoCAD link for Windows: its Win32 backend, the link, the sequences and the text
# helpers they use, compiled into a static archive. Sjis.cpp is left out: it is built on
# glibc's iconv, which mingw-w64 does not have.
rm -rf build-win32
mkdir build-win32
for source in cad/WindowSystemWin32.cpp cad/MyCADLib.cpp cad/AcadSequences.cpp \
  model/MyStringLib.cpp; do
  x86_64-w64-mingw32-g++ -std=c++20 -Wall -Wextra -Werror -I. -c "$source" \
    -o "build-win32/$(basename "$source" .cpp).o"
done
x86_64-w64-mingw32-ar rcs build-win32/quillet_cad_win32.a build-win32/*.o
echo "mingw-w64: build-win32/quillet_cad_win32.a built"
