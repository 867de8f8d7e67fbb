#!/bin/sh
# test-windows.sh - the Windows part of the tests, run under Wine.
#
# Gets Qt for Windows (scripts/build-qt-mingw.sh: the prebuilt tree of ../shared/qt-mingw
# when it matches, else built from Debian's source, which takes longer), cross-builds
# everything with mingw-w64 (the mingw preset): the libraries, quillet-dump, both editions
# of the program, the stand-in AutoCAD and every suite; packs the program folder as a
# .zip (cpack) and as an NSIS installer. Then it runs them under Wine as a Japanese
# Windows (code page 932, the IPA Gothic fonts registered for the Japanese font names) on
# an Xvfb display: the suites through ctest, among them the widget suites (offscreen) and
# the main window's AutoCAD buttons against the stand-in AutoCAD in a second process (on
# Qt's Windows platform); it compares the Windows and the Linux build on every character of
# every code page, every corpus line in every encoding and every corpus drawing's listing;
# and it tests the installer and the installed viewer (tests/WindowsProgramTest.py: a
# silent install, "Open with" on a drawing, the AutoCAD read clicked from outside, the
# settings file's place, the uninstall), leaving the viewer's picture in
# build-mingw/wine/viewer.png. One Wine prefix per run, made anew in build-mingw/wine.
# Fails, loudly, when Qt cannot be had, when Wine or Xvfb cannot start, when a build fails
# or when any test fails; the last line is "windows: N passed, M failed".
# QUILLET_WINDOWS_GUI=0 runs only the part without Qt: no Qt for Windows is needed then.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
started=$(date +%s)
./scripts/install-deps.sh

die() {
  echo "test-windows.sh: $*" >&2
  exit 1
}

# QUILLET_WINDOWS_GUI=0 leaves out Qt for Windows and all that needs it: the two editions,
# the widget suites, the package and the installer test. The Qt-free libraries,
# quillet-dump, the stand-in AutoCAD and every other suite are built and run either way.
gui=${QUILLET_WINDOWS_GUI:-1}
if [ "$gui" = 1 ]; then
  ./scripts/build-qt-mingw.sh ||
    die "no Qt for Windows: neither the prebuilt tree of ../shared/qt-mingw nor a build from Debian's source (above)"
  cmake --preset mingw -DQUILLET_GUI=ON
else
  cmake --preset mingw -DQUILLET_GUI=OFF
fi
cmake --build --preset mingw
if [ "$gui" = 1 ]; then
  [ -f build-mingw/quillet-viewer.exe ] || die "the mingw build found no Qt for Windows (build-mingw/CMakeCache.txt)"
  # The program folder as a .zip, and its installer.
  (cd build-mingw && rm -f quillet-*-windows-x64.zip && cpack -G ZIP >cpack.log) ||
    die "cpack failed: $(tail -5 build-mingw/cpack.log)"
  cmake --build build-mingw --target windows-installer
  installer=$(ls build-mingw/quillet-*-windows-x64-installer.exe)
fi
# The Linux programs the Windows ones are compared with.
[ -f build/CMakeCache.txt ] || cmake --preset default
cmake --build build -j2 --target quillet-dump quillet-codepage-table

state=$root/build-mingw/wine
# The installer test makes the install folder immutable for a while: a run stopped then
# leaves it so.
installed="$state/prefix/drive_c/Program Files/Quillet"
if [ -d "$installed" ]; then chattr -i "$installed" || true; fi
rm -rf "$state"
mkdir -p "$state/gtest" "$state/locale" "$state/prefix"

# Wine reads Windows' code page from the locale's name and turns file names into UTF-8
# through the locale itself, which is made here, so the machine needs no Japanese locale.
localedef -i ja_JP -f UTF-8 "$state/locale/ja_JP.UTF-8" || die "cannot make the ja_JP.UTF-8 locale"
export LOCPATH="$state/locale" LC_ALL=ja_JP.UTF-8
export WINEPREFIX="$state/prefix" WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree=;mshtml="  # no Mono or Gecko to install

xvfb_pid=""
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

command -v Xvfb >/dev/null || die "Xvfb is not installed"
command -v wine >/dev/null || die "Wine is not installed"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$state/display" 2>"$state/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$state/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || die "Xvfb did not start: $(cat "$state/xvfb.log")"
  sleep 0.1
done
[ -s "$state/display" ] || die "Xvfb gave no display within 10 s"
export DISPLAY=":$(cat "$state/display")"

# One server for every program of the run, started before the prefix is made.
wineserver -p </dev/null >"$state/wineserver.log" 2>&1 ||
  die "wineserver did not start: $(cat "$state/wineserver.log")"
wineboot --init >"$state/wineboot.log" 2>&1 || die "wineboot failed: $(tail -5 "$state/wineboot.log")"
# The programs that link Qt, quillet-dump among them, find Qt's DLLs and the compiler's
# runtime DLLs where the build found them.
WINEPATH=$(sed -n 's/^QUILLET_WINEPATH:INTERNAL=//p' build-mingw/CMakeCache.txt)
export WINEPATH
wine "$root/build-mingw/quillet-dump.exe" --help >/dev/null 2>&1 ||
  die "Wine cannot run build-mingw/quillet-dump.exe"
# A program that crashes ends at once, as a test's failure, instead of waiting in Wine's
# debugger.
aedebug='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'
wine reg add "$aedebug" /v Debugger /d "" /f >/dev/null 2>&1 &&
  wine reg add "$aedebug" /v Auto /d 1 /f >/dev/null 2>&1 || die "cannot turn Wine's crash debugger off"

# The Japanese fonts of Windows are IPA Gothic here: the font files in the prefix's Fonts
# folder, registered, and Windows' Japanese font names (and Tahoma, Wine's UI font)
# replaced by them, so captions and grids render as on a Japanese Windows.
cp /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf /usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf \
  "$WINEPREFIX/drive_c/windows/Fonts/" || die "the IPA Gothic fonts are missing (fonts-ipafont-gothic)"
fonts='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts'
wine reg add "$fonts" /v "IPAGothic (TrueType)" /d ipag.ttf /f >/dev/null 2>&1 &&
  wine reg add "$fonts" /v "IPAPGothic (TrueType)" /d ipagp.ttf /f >/dev/null 2>&1 ||
  die "cannot register the IPA Gothic fonts in the Wine prefix"
for replacement in "ＭＳ ゴシック=IPAGothic" "MS Gothic=IPAGothic" "ＭＳ Ｐゴシック=IPAPGothic" \
  "MS PGothic=IPAPGothic" "MS UI Gothic=IPAPGothic" "Meiryo=IPAPGothic" "Tahoma=IPAPGothic"; do
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${replacement%%=*}" \
    /d "${replacement#*=}" /f >/dev/null 2>&1 || die "cannot map the font ${replacement%%=*}"
done
echo "Wine $(wine --version) ready, prefix $WINEPREFIX, display $DISPLAY"

# The suites: each program writes its GoogleTest results beside the others.
ctest_failed=0
# GoogleTest on Windows takes a path without a drive as relative: Z: is the Linux root.
GTEST_OUTPUT="xml:Z:$state/gtest/" ctest --preset mingw || ctest_failed=1

# The two builds side by side: every character, then every corpus drawing.
compared_passed=0
compared_failed=0
compare() {  # compare NAME LINUX-OUTPUT WINDOWS-OUTPUT
  if cmp -s "$2" "$3"; then
    compared_passed=$((compared_passed + 1))
  else
    compared_failed=$((compared_failed + 1))
    echo "DIFFERS between Linux and Windows: $1"
    diff "$2" "$3" | head -5
  fi
}
build/quillet-codepage-table >"$state/table-linux.txt"
wine build-mingw/quillet-codepage-table.exe >"$state/table-windows.txt"
compare "every character of every code page" "$state/table-linux.txt" "$state/table-windows.txt"
cmp -s "$state/table-linux.txt" "$state/table-windows.txt" ||
  echo "(scripts/codepage-rules.py $state/table-linux.txt $state/table-windows.txt writes the rules that make them agree)"
corpus=$(sed -n 's/^QUILLET_CORPUS_DIR:PATH=//p' build-mingw/CMakeCache.txt)
if [ -d "$corpus" ]; then
  build/quillet-codepage-table "$corpus"/*.dxf >"$state/lines-linux.txt"
  wine build-mingw/quillet-codepage-table.exe "$corpus"/*.dxf >"$state/lines-windows.txt"
  compare "both conversions of every corpus line in every encoding" "$state/lines-linux.txt" "$state/lines-windows.txt"
  for drawing in "$corpus"/*.dxf; do
    build/quillet-dump "$drawing" >"$state/dump-linux.txt" 2>&1 || echo "exit $?" >>"$state/dump-linux.txt"
    wine build-mingw/quillet-dump.exe "$drawing" >"$state/dump-windows.txt" 2>&1 ||
      echo "exit $?" >>"$state/dump-windows.txt"
    compare "quillet-dump $(basename "$drawing")" "$state/dump-linux.txt" "$state/dump-windows.txt"
  done
else
  echo "the DXF corpus ($corpus) is not there: the dumps are not compared"
fi

# The installer and the installed viewer, as a user meets them.
program_counts="0 0"
if [ "$gui" = 1 ]; then
  python3 tests/WindowsProgramTest.py "$installer" build-mingw/windows-stage \
    build-mingw/StandInAutoCAD.exe examples/sample.dxf "$state/viewer.png" |
    tee "$state/program-test.log"
  program_counts=$(sed -n 's/^windows-program: \([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p' \
    "$state/program-test.log")
  [ -n "$program_counts" ] || program_counts="0 1"
fi

# GoogleTest's cases from their XML files; a test without one (a replay of the fuzz
# inputs, or a suite that crashed before writing it) counts as one case, passed or failed
# as ctest saw it.
counts=$(python3 - "$state/gtest" "$root/build-mingw" <<'EOF'
import pathlib, re, sys, xml.etree.ElementTree as ET
results = pathlib.Path(sys.argv[1])
passed = failed = 0
reported = set()
for report in results.glob("*.xml"):
    reported.add(report.stem)
    for case in ET.parse(report).getroot().iter("testcase"):
        if case.find("failure") is not None:
            failed += 1
        elif case.get("result", "completed") == "completed" and case.get("status") != "notrun":
            passed += 1
log = pathlib.Path(sys.argv[2]) / "Testing/Temporary/LastTest.log"
runs = re.split(r"^\d+/\d+ Testing: ", log.read_text(errors="replace"), flags=re.M)[1:]
for run in runs:
    if run.split(None, 1)[0] in reported:
        continue
    if "Test Passed." in run:
        passed += 1
    else:
        failed += 1
print(passed, failed)
EOF
)
set -- $counts $program_counts
[ "$(($1 + $2))" -gt 0 ] || die "no GoogleTest case ran under Wine"
passed=$(($1 + compared_passed + $3))
failed=$(($2 + compared_failed + $4))
[ "$ctest_failed" -eq 0 ] || [ "$failed" -gt 0 ] || failed=1
echo "windows: the cross-build and its tests took $(($(date +%s) - started)) s"
echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
