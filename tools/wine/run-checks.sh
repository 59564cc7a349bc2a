#!/usr/bin/env bash
# Runs every Wine check in this folder (check-*.sh) against the x64 exe, all in
# one Xvfb and one Wine prefix, and prints one line per check.
# Usage: tools/wine/run-checks.sh [EXE]
#   EXE defaults to build/windows-x64/src/app/OrvantaBrevo.exe
# Exit status: 0 when every check passed. Each check's log is build/wine/NAME.log.
set -uo pipefail
ORV_CHECK=run-checks
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

exe=${1:-$ORV_ROOT/build/windows-x64/src/app/OrvantaBrevo.exe}
[[ -f $exe ]] || orv_die "no exe at $exe (build it: cmake --preset windows-x64 && cmake --build --preset windows-x64)"
exe=$(realpath "$exe")

orv_session_begin

checks=("$ORV_TOOLS"/check-*.sh)
[[ -e ${checks[0]} ]] || orv_die "no check-*.sh in $ORV_TOOLS"
failed=()
for check in "${checks[@]}"; do
  name=$(basename "$check" .sh)
  name=${name#check-}
  log=$ORV_WINE_DIR/$name.log
  start=$(date +%s%N)
  bash "$check" "$exe" >"$log" 2>&1
  rc=$?
  ms=$((($(date +%s%N) - start) / 1000000))
  took=$(printf '%d.%ds' $((ms / 1000)) $((ms % 1000 / 100)))
  if ((rc == 0)); then
    echo "PASS  $name  ($took)"
  else
    why=$(grep -m1 '^FAIL' "$log" || echo "exit status $rc")
    echo "FAIL  $name  ($took): ${why#FAIL (*): }"
    failed+=("$log")
  fi
done

# CI keeps the console, not necessarily build/: show the failures in full.
for log in "${failed[@]}"; do
  echo
  echo "==== $log"
  cat "$log"
done
((${#failed[@]} == 0))
