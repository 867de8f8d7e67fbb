#!/bin/sh
# fuzz.sh SECONDS - builds the fuzz programs with clang and runs each for SECONDS.
#
# The programs are built with the fuzz preset (build-fuzz/: libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer, asserts on). Each run starts from the shared corpus and
# what earlier runs found (kept in $QUILLET_FUZZ_WORK, /tmp/quillet-fuzz by default) and
# uses fuzz/dxf.dict. A crash input is written to fuzz/regressions/TARGET/, which the
# test command replays: commit it with its fix. The last lines give each program's
# executions per second.
set -eu

usage="usage: scripts/fuzz.sh SECONDS"
seconds=${1:?$usage}
case $seconds in *[!0-9]* | "") echo "$usage" >&2; exit 2 ;; esac
root=$(cd "$(dirname "$0")/.." && pwd)
work=${QUILLET_FUZZ_WORK:-/tmp/quillet-fuzz}
corpus="$root/../shared/corpus"

"$root/scripts/install-deps.sh"
cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

summary=""
failed=0
# Each target with the longest input it mutates: a drawing of a few hundred pairs reaches
# every path of the load and the save, a few hundred characters every path of the text
# helpers; longer inputs only slow the runs down.
for run in load:16384 edit:16384 text:1024 find:8192; do
  target=${run%%:*}
  max_len=${run#*:}
  mkdir -p "$work/$target" "$root/fuzz/regressions/$target"
  log="$work/$target.log"
  echo "== fuzz_$target for ${seconds}s"
  if ! "$root/build-fuzz/fuzz_$target" "$work/$target" "$corpus" \
      -dict="$root/fuzz/dxf.dict" -max_len="$max_len" -max_total_time="$seconds" \
      -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
      -artifact_prefix="$root/fuzz/regressions/$target/" >"$log" 2>&1; then
    failed=1
    tail -40 "$log"
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  summary="$summary
fuzz_$target: ${runs:-0} runs, ${speed:-0} exec/s"
done
echo "$summary"
exit $failed
