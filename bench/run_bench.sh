#!/bin/sh
# run_bench.sh - makes the generated drawings (if missing) and runs the benchmarks.
#
# Usage: bench/run_bench.sh [BUILD_DIR]          (default: build)
#        bench/run_bench.sh --huge [BUILD_DIR]   the 2.3 GB drawing only (bench_huge)
# The drawings go to $QUILLET_BENCH_DIR (default /tmp/quillet-bench), never into the
# repository; the 2.3 GB one is deleted after its run. gen_big_dxf.py comes from the
# shared tools folder beside the project.
set -eu
cd "$(dirname "$0")/.."
huge=false
if [ "${1:-}" = "--huge" ]; then
  huge=true
  shift
fi
build=${1:-build}
data=${QUILLET_BENCH_DIR:-/tmp/quillet-bench}
gen=../shared/tools/gen_big_dxf.py
mkdir -p "$data"
for mb in 2 20 200; do
  [ -f "$data/big$mb.dxf" ] || python3 "$gen" --mb "$mb" "$data/big$mb.dxf"
done
if $huge; then
  trap 'rm -f "$data/huge2300.dxf"' EXIT
  python3 "$gen" --mb 2300 "$data/huge2300.dxf"
  "$build/bench_huge" "$data/big200.dxf" "$data/huge2300.dxf"
  exit
fi
# The same drawings in UTF-8, marked AC1027 (AutoCAD 2013), as a newer AutoCAD writes them.
for mb in 2 200; do
  [ -f "$data/big$mb-utf8.dxf" ] ||
    iconv -f CP932 -t UTF-8 "$data/big$mb.dxf" | sed '0,/^AC1015\r$/s//AC1027\r/' \
      >"$data/big$mb-utf8.dxf"
done
"$build/bench_load" "$data/big20.dxf" "$data/big200.dxf" "$build/quillet-dump" "$data"
"$build/bench_notes" "$data/big2.dxf" "$data/big200.dxf" "$build/quillet-dump" "$data"
"$build/bench_rename" "$data/big200.dxf"
"$build/bench_encoding" "$data/big200.dxf" "$data/big200-utf8.dxf" "$data/big2.dxf" \
  "$data/big2-utf8.dxf" "$build/quillet-dump"
echo
"$build/bench_find" "$data/big200.dxf"
echo
"$build/bench_round" "$data/big200.dxf"
echo
"$build/bench_undo" "$data/big200.dxf"
echo
"$build/bench_purge" "$data/big200.dxf"
echo
"$build/bench_repair" "$data/big200.dxf" "$data/big200-duplicates.dxf"
echo
"$build/bench_handles" "$data/big200.dxf" "$data"
echo
"$build/bench_dump" "$build/quillet-dump" "$data/big200.dxf"
# The compare needs a second version of the drawing: the same after a rounding run.
[ -f "$data/big200-round.dxf" ] ||
  "$build/quillet-dump" --round 0.5/3 0.1/4 "$data/big200-round.dxf" "$data/big200.dxf" >/dev/null
echo
"$build/bench_compare" "$data/big200.dxf" "$data/big200-round.dxf"
# The grid and list benchmarks need the Qt build; they run offscreen.
if [ -x "$build/bench_grid" ]; then
  echo
  "$build/bench_grid" "$data/big2.dxf" "$data/big200.dxf"
  echo
  "$build/bench_lists" "$data/big200.dxf"
fi
# The drawing view paints with Qt Gui, offscreen.
if [ -x "$build/bench_view" ]; then
  echo
  "$build/bench_view" "$data/big200.dxf"
fi
