#!/bin/sh
# build-qt-mingw.sh - Qt's base module 6.4.2 for 64-bit Windows, in a cache folder.
#
# Cross-builds Qt's base module (Core, Gui, Widgets, the Windows, offscreen and minimal
# platform plugins, Test, Concurrent) with the mingw-w64 POSIX-thread compilers against
# the host's Qt 6.4.2 tools (moc, uic, rcc): shared, release, without OpenGL, tablet
# events, SQL, D-Bus, network, examples or tests. The source is Debian's source package
# qt6-base of the host's version, its upstream tarball as it is (Debian's patches are not
# applied, so the tree is the same as the prebuilt one below).
#
# The tree goes to $QUILLET_QT_MINGW_DIR (default ~/.cache/quillet/qt-6.4.2-mingw-w64),
# outside the repository; the script does nothing when that folder is already complete.
# When ../shared/qt-mingw holds a prebuilt tree of the same version and configuration, it
# is unpacked instead of built (seconds instead of about 13 minutes on two idle cores);
# --from-source builds even then. Prints the folder's path as its last line.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
version=6.4.2
prefix=${QUILLET_QT_MINGW_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/quillet/qt-$version-mingw-w64}
prebuilt=$root/../shared/qt-mingw
stamp=$prefix/quillet-qt-mingw.stamp
from_source=no
[ "${1:-}" = "--from-source" ] && from_source=yes

die() {
  echo "build-qt-mingw.sh: $*" >&2
  exit 1
}

# The configuration, one option a line; the stamp of a complete tree holds it.
options() {
  cat <<'EOF'
-DCMAKE_BUILD_TYPE=Release
-DBUILD_SHARED_LIBS=ON
-DQT_BUILD_EXAMPLES=OFF
-DQT_BUILD_TESTS=OFF
-DQT_BUILD_BENCHMARKS=OFF
-DFEATURE_pkg_config=OFF
-DFEATURE_gui=ON
-DFEATURE_widgets=ON
-DFEATURE_testlib=ON
-DFEATURE_concurrent=ON
-DFEATURE_network=OFF
-DFEATURE_sql=OFF
-DFEATURE_dbus=OFF
-DFEATURE_xml=OFF
-DFEATURE_printsupport=OFF
-DINPUT_opengl=no
-DFEATURE_vulkan=OFF
-DFEATURE_direct2d=ON
-DFEATURE_direct2d1_1=OFF
-DFEATURE_icu=OFF
-DFEATURE_zstd=OFF
-DFEATURE_system_zlib=OFF
-DFEATURE_system_png=OFF
-DFEATURE_system_jpeg=OFF
-DFEATURE_system_freetype=OFF
-DFEATURE_system_harfbuzz=OFF
-DFEATURE_system_pcre2=OFF
-DFEATURE_system_doubleconversion=OFF
-DFEATURE_system_textmarkdownreader=OFF
-DFEATURE_freetype=ON
-DFEATURE_harfbuzz=ON
-DFEATURE_tabletevent=OFF
EOF
}
# Notes on the options: Debian's source lacks src/3rdparty/wintab, so tablet events are
# off; -DFEATURE_opengl=OFF fails Qt's configure report where -DINPUT_opengl=no works;
# qwindows.dll needs direct2d for its DirectWrite font database.
recipe="qtbase $version x86_64-w64-mingw32 $(options | tr '\n' ' ')"

# Tells whether a Qt tree is this version with the parts and features the program needs:
# what it finds wrong goes to standard error.
check_tree() {
  tree=$1
  ok=yes
  grep -qs "set(PACKAGE_VERSION \"$version\")" "$tree/lib/cmake/Qt6/Qt6ConfigVersionImpl.cmake" ||
    { echo "  not Qt $version" >&2; ok=no; }
  for file in bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll bin/Qt6Test.dll \
    bin/Qt6Concurrent.dll plugins/platforms/qwindows.dll plugins/platforms/qoffscreen.dll \
    lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake; do
    [ -f "$tree/$file" ] || { echo "  no $file" >&2; ok=no; }
  done
  for feature in "QtCore/qconfig.h:shared 1" "QtGui/qtgui-config.h:opengl -1" \
    "QtGui/qtgui-config.h:tabletevent -1"; do
    header=${feature%%:*}
    grep -qs "#define QT_FEATURE_${feature#*:}\$" "$tree/include/$header" ||
      { echo "  not QT_FEATURE_${feature#*:} in $header" >&2; ok=no; }
  done
  for absent in Qt6Sql Qt6DBus Qt6OpenGL; do
    [ ! -e "$tree/lib/cmake/$absent" ] || { echo "  has $absent" >&2; ok=no; }
  done
  [ "$ok" = yes ]
}

finish() {  # finish TREE: checks the tree, stamps it and moves it into place
  check_tree "$1" || die "the Qt tree in $1 is not the one wanted (above)"
  printf '%s\n' "$recipe" >"$1/$(basename "$stamp")"
  rm -rf "$prefix"
  mv "$1" "$prefix"
  echo "Qt $version for mingw-w64 is in $prefix"
  echo "$prefix"
}

unpack_prebuilt() {
  [ -f "$prebuilt/qt$version-base-mingw-w64-x86_64.tar.xz" ] || return 1
  (cd "$prebuilt" && sha256sum -c --quiet SHA256SUMS) || {
    echo "build-qt-mingw.sh: $prebuilt fails its SHA256SUMS: building instead" >&2
    return 1
  }
  # The prebuilt tree's README gives its configure options: every one must be ours.
  for option in $(options); do
    grep -qF -- "$option" "$prebuilt/README.md" || {
      echo "build-qt-mingw.sh: the prebuilt tree was not configured with $option: building instead" >&2
      return 1
    }
  done
  unpacked=$prefix.unpack.$$
  mkdir -p "$unpacked"
  tar -xJf "$prebuilt/qt$version-base-mingw-w64-x86_64.tar.xz" -C "$unpacked"
  check_tree "$unpacked/qt-mingw" || {
    echo "build-qt-mingw.sh: the prebuilt tree does not match (above): building instead" >&2
    rm -rf "$unpacked"
    return 1
  }
  echo "Unpacked the prebuilt Qt tree of $prebuilt"
  finish "$unpacked/qt-mingw"
  rm -rf "$unpacked"
}

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Debian's source package of the host's Qt, from the archive the machine installs from.
fetch_source() {
  host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null) ||
    die "qt6-base-dev is not installed (scripts/install-deps.sh installs it)"
  case $host_version in
    "$version"+*) ;;
    *) die "the host's Qt is $host_version, not $version: its tools would not fit this tree" ;;
  esac
  if ! apt-get source --download-only "qt6-base=$host_version" >/dev/null 2>&1; then
    echo "Adding Debian's source archive (deb-src) to find qt6-base $host_version"
    as_root sh -c 'cat >/etc/apt/sources.list.d/quillet-deb-src.sources' <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    as_root apt-get update -q >/dev/null
    apt-get source --download-only "qt6-base=$host_version" ||
      die "apt-get source qt6-base=$host_version failed"
  fi
  tarball=$(ls qt6-base_"$version"*.orig.tar.* 2>/dev/null | head -1)
  [ -n "$tarball" ] || die "apt-get source gave no upstream tarball of qt6-base"
  rm -rf qtbase-src
  mkdir qtbase-src
  tar -xf "$tarball" -C qtbase-src --strip-components=1
}

build_from_source() {
  for tool in x86_64-w64-mingw32-g++-posix cmake ninja /usr/lib/qt6/libexec/moc; do
    command -v "$tool" >/dev/null || die "$tool is missing (scripts/install-deps.sh installs it)"
  done
  work=$prefix.work
  mkdir -p "$work"
  cd "$work"
  started=$(date +%s)
  fetch_source
  installed=$prefix.new.$$
  rm -rf build
  # shellcheck disable=SC2046
  cmake -S qtbase-src -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-compilers.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$installed" $(options) >configure.log 2>&1 ||
    die "Qt's configure failed: $(tail -20 configure.log)"
  configured=$(date +%s)
  nice cmake --build build -j "$(nproc)" >build.log 2>&1 || die "Qt's build failed: $(tail -20 build.log)"
  built=$(date +%s)
  cmake --install build >install.log 2>&1 || die "Qt's install failed: $(tail -20 install.log)"
  echo "Qt $version built from source in $(($(date +%s) - started)) s" \
    "(configure $((configured - started)) s, build $((built - configured)) s)"
  cd "$root"
  finish "$installed"
  rm -rf "$work"
}

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ]; then
  echo "$prefix"
  exit 0
fi
mkdir -p "$(dirname "$prefix")"
if [ "$from_source" = no ] && unpack_prebuilt; then
  exit 0
fi
build_from_source
