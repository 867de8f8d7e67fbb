#!/bin/sh
# install-deps.sh - installs the Debian packages the build and the tests need, if missing.
#
# Runs apt-get only when a package is absent: as root directly, otherwise through sudo.
set -eu

PACKAGES="g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
qt6-base-dev qt6-qpa-plugins qt6-translations-l10n libgl-dev fonts-ipafont-gothic xvfb xauth
imagemagick xdotool openbox g++-mingw-w64-x86-64 googletest wine wine64 locales python3 clang-format
nsis e2fsprogs xz-utils
dpkg-dev dbus-daemon at-spi2-core python3-pyatspi clang libclang-rt-14-dev"

missing=""
for package in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $package"
  fi
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then
  as_root=""
elif command -v sudo >/dev/null 2>&1; then
  as_root="sudo"
else
  echo "install-deps.sh: these packages are missing and neither root nor sudo is available:$missing" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
$as_root apt-get update -q
# shellcheck disable=SC2086
$as_root apt-get install -y -q --no-install-recommends $missing
