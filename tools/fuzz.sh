#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz (preset "fuzz": clang, ASan + UBSan) and runs each
# for SECONDS (default 60), starting from the seed corpus in tests/fuzz/corpus/TARGET. What a run
# learns goes to build/fuzz/corpus/TARGET, a finding to build/fuzz/findings/TARGET/. Exits 1 when
# any target found something.
#
#   tools/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
case "$seconds" in '' | *[!0-9]*) echo "usage: tools/fuzz.sh [SECONDS]" >&2; exit 2 ;; esac

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

status=0
for target in profile integer words cdaudio cue; do
  work=build/fuzz/corpus/$target
  findings=build/fuzz/findings/$target
  mkdir -p "$work" "$findings"
  log=build/fuzz/$target.log
  echo "== ${target}_fuzz for ${seconds}s"
  if build/fuzz/tests/fuzz/${target}_fuzz -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$findings/" "$work" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
    grep -E '^#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units' "$log" || true
  else
    status=1
    echo "${target}_fuzz found a fault (log: $log, input in $findings/):"
    grep -E 'ERROR|SUMMARY|failed|before:|after:' "$log" | head -20 || true
  fi
done
exit $status
