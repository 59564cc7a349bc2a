#!/usr/bin/env bash
# The exe (x64 or x86) under Wine keeps a single copy running:
#   (a) a first copy starts, reaches its message loop and keeps running;
#   (b) a second copy started meanwhile ends at once with exit code 0 and
#       leaves the first alone;
#   (c) once the first is ended, a new copy is first again and keeps running.
# Usage: tools/wine/check-single-instance.sh EXE
set -uo pipefail
ORV_CHECK=single-instance
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

src=${1:?usage: $0 path/to/OrvantaBrevo.exe}
SECOND_BOUND_MS=20000 # "at once", with room for a busy shared machine

orv_program_check_begin "$src"

# The program has run its start-up and settled into its message loop when its
# application window answers a message (a machine without a CD drive writes no
# settings: its device cannot open); then it must still be there.
expect_started() {
  local who=$1 launcher=$2
  orv_wait_for 60 "window \"$TITLE\" to answer" answers_or_ended "$launcher" ||
    orv_die "$who never answered at its window \"$TITLE\""
  local answer rc
  answer=$(orv_probe ping "$ORV_DESKTOP" "$ORV_IMAGE" "$TITLE" 5000)
  rc=$?
  ((rc != 1)) || orv_die "$who ended during start-up"
  ((rc == 0)) || orv_die "$who has no window titled \"$TITLE\" that answers messages: $answer"
  orv_log "$who answers messages sent to its window \"$TITLE\""
  local pids
  pids=$(orv_probe list "$ORV_IMAGE") || orv_die "$who ended after start-up"
  (($(wc -l <<<"$pids") == 1)) || orv_die "expected one $ORV_IMAGE, found: $pids"
  started_pids=$pids
  expect_nothing_shown "$who"
}

# Before the program's process is there the probe finds nothing either: only a
# launcher that has returned while no copy runs means the program has ended.
answers_or_ended() {
  orv_probe ping "$ORV_DESKTOP" "$ORV_IMAGE" "$TITLE" 5000 >/dev/null
  local rc=$?
  ((rc == 0)) || { ((rc == 1)) && orv_pid_gone "$1" && orv_not_running "$ORV_IMAGE"; }
}

# It has no visible window (a visible one of no size shows nothing either).
expect_nothing_shown() {
  local shown
  shown=$(orv_probe windows "$ORV_DESKTOP" "$ORV_IMAGE" |
    awk -F'\t' '$1 == "window" && $3 == "visible" && $4 > 0 && $5 > 0')
  [[ -z $shown ]] || orv_die "$1 shows a window: $shown"
}

# (a)
orv_start_in_desktop "$exe" "$run_dir/first.log"
first_launcher=$ORV_LAST_LAUNCHER
expect_started "the first copy" "$first_launcher"

# (b)
second=$(orv_probe run --desktop "$ORV_DESKTOP" "$SECOND_BOUND_MS" "$(orv_winpath "$exe")")
rc=$?
orv_log "second copy: $second"
case $rc in
  0) [[ $second == "exited with code 0 "* ]] || orv_die "the second copy must exit with code 0: $second" ;;
  2) orv_die "the second copy did not end within $SECOND_BOUND_MS ms: $second" ;;
  *) orv_die "could not run the second copy (probe status $rc): $second" ;;
esac
pids=$(orv_probe list "$ORV_IMAGE") || orv_die "the first copy ended when the second one ran"
[[ $pids == "$started_pids" ]] || orv_die "expected only the first copy ($started_pids), found: $pids"
orv_probe ping "$ORV_DESKTOP" "$ORV_IMAGE" "$TITLE" 5000 >/dev/null ||
  orv_die "the first copy stopped answering after the second one ran"
orv_log "the first copy still runs and answers"

# (c)
orv_end "$ORV_IMAGE" || orv_die "could not end the first copy"
orv_log "ended the first copy"
# Its virtual desktop closes behind it; a new copy must not land in one that is closing.
orv_wait_launcher "$first_launcher" 30 || orv_die "the virtual desktop of the first copy did not close"
orv_start_in_desktop "$exe" "$run_dir/third.log"
expect_started "the third copy" "$ORV_LAST_LAUNCHER"
orv_screenshot "$ORV_CHECK" || orv_die "could not take a screenshot of $DISPLAY"
orv_log "screenshot: $ORV_LAST_SHOT"
orv_end "$ORV_IMAGE" || orv_die "could not end the last copy"

orv_log "PASS"
