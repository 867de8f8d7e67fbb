#!/bin/sh
# check-deb.sh DEB - fails unless the package holds exactly the files an install needs
# and depends on the Qt 6 runtime.
set -eu
deb=$1
expected="./usr/bin/quillet-dump
./usr/bin/quillet-editor
./usr/bin/quillet-viewer
./usr/share/applications/quillet-editor.desktop
./usr/share/applications/quillet-viewer.desktop
./usr/share/icons/hicolor/scalable/apps/quillet.svg"
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
if [ "$actual" != "$expected" ]; then
  echo "check-deb.sh: $deb holds other files than expected:" >&2
  echo "$actual" >&2
  exit 1
fi
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins; do
  case "$depends" in
    *"$package"*) ;;
    *) echo "check-deb.sh: $deb does not depend on $package (Depends: $depends)" >&2; exit 1 ;;
  esac
done
echo "check-deb.sh: $(basename "$deb") holds the three programs, two desktop entries and the icon"
