#!/usr/bin/env bash
# Runs every Wine check in this folder (check-*.sh) against each exe given, all
# in one Xvfb and one Wine prefix, then the exe under each Windows version it
# names (version-check.sh: x86 winxp nt40 win2k win98, x64 winxp64 win10; win98
# in a Japanese prefix of its own), and prints one line per check and exe.
# Usage: [ORVANTA_WINE_CHECKS="NAME..."] tools/wine/run-checks.sh [EXE...]
#   ORVANTA_WINE_CHECKS runs only the named checks (check-NAME.sh), in that order,
#   and no version runs.
#   EXEs default to the x64 and the x86 build:
#   build/windows-x64/src/app/OrvantaBrevo.exe build/windows-x86/src/app/OrvantaBrevo.exe
# Exit status: 0 when every check passed on every exe. Each check's log is
# build/wine/ARCH/NAME.log (ARCH is x64 or x86).
set -uo pipefail
ORV_CHECK=run-checks
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

exes=("$@")
if ((${#exes[@]} == 0)); then
  exes=("$ORV_ROOT"/build/windows-{x64,x86}/src/app/OrvantaBrevo.exe)
fi
archs=()
for i in "${!exes[@]}"; do
  exe=${exes[i]}
  [[ -f $exe ]] || orv_die "no exe at $exe (build it: cmake --preset windows-x64 && cmake --build --preset windows-x64, likewise windows-x86)"
  exes[i]=$(realpath "$exe")
  arch=$(orv_exe_arch "$exe") || orv_die "$exe is not an x64 or x86 Windows GUI exe"
  # Each architecture's logs and screenshots have one place.
  [[ " ${archs[*]} " != *" $arch "* ]] || orv_die "two $arch exes given; give one of each at most"
  archs[i]=$arch
done

# Everything the run needs is looked for first, so a machine without it fails
# at once with what to install, not after minutes of checks.
orv_require "${archs[@]}"
orv_session_begin

checks=("$ORV_TOOLS"/check-*.sh)
[[ -e ${checks[0]} ]] || orv_die "no check-*.sh in $ORV_TOOLS"
if [[ -n ${ORVANTA_WINE_CHECKS:-} ]]; then
  chosen=()
  for name in $ORVANTA_WINE_CHECKS; do
    [[ -f $ORV_TOOLS/check-$name.sh ]] || orv_die "no check named $name (ORVANTA_WINE_CHECKS)"
    chosen+=("$ORV_TOOLS/check-$name.sh")
  done
  checks=("${chosen[@]}")
fi
failed=()
for i in "${!exes[@]}"; do
  exe=${exes[i]}
  arch=${archs[i]}
  mkdir -p "$ORV_WINE_DIR/$arch"
  # Then the exe under each Windows version it names (version-check.sh), one line each.
  versions=(winxp nt40 win2k win98)
  [[ $arch == x64 ]] && versions=(winxp64 win10)
  [[ -z ${ORVANTA_WINE_CHECKS:-} ]] || versions=()
  runs=("${checks[@]}" "${versions[@]/#/version:}")
  for check in "${runs[@]}"; do
    if [[ $check == version:* ]]; then
      name=${check#version:}
      log=$ORV_WINE_DIR/$arch/version-$name.log
      run=("$ORV_TOOLS/version-check.sh" "$exe" "$name")
    else
      name=$(basename "$check" .sh)
      name=${name#check-}
      log=$ORV_WINE_DIR/$arch/$name.log
      run=("$check" "$exe")
    fi
    start=$(date +%s%N)
    bash "${run[@]}" >"$log" 2>&1
    rc=$?
    ms=$((($(date +%s%N) - start) / 1000000))
    took=$(printf '%d.%ds' $((ms / 1000)) $((ms % 1000 / 100)))
    if ((rc == 0)); then
      echo "PASS  $arch  $name  ($took)"
    else
      why=$(grep -m1 '^FAIL' "$log" || echo "exit status $rc")
      echo "FAIL  $arch  $name  ($took): ${why#FAIL (*): }"
      failed+=("$log")
    fi
  done
done

# CI keeps the console, not necessarily build/: show the failures in full.
for log in "${failed[@]}"; do
  echo
  echo "==== $log"
  cat "$log"
done
((${#failed[@]} == 0))
