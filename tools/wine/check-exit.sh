#!/usr/bin/env bash
# The right-click menu's commands of the exe (x64 or x86) under Wine:
#   (a) "OrvantaBrevoの終了(&X)", chosen with its access key, ends the program with exit code 0, and
#       its icon leaves the notification area (screenshots exit-menu.png, exit-after.png);
#   (b) with Dialog_CheckBox=1 in the settings file, "ログオフ" asks first: a box captioned "警告"
#       with the question on its second line and the buttons "OK" and "ｷｬﾝｾﾙ" (screenshot
#       exit-logoff-box.png); while it is open a right click on the icon opens no menu; Escape
#       closes it and the program runs on, nothing ended.
# A confirmed log-off would end every program of the Wine prefix (the prefix is the checks' own);
# this check never confirms one.
# Usage: tools/wine/check-exit.sh EXE
set -uo pipefail
ORV_CHECK=exit
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

src=${1:?usage: $0 path/to/OrvantaBrevo.exe}

orv_program_check_begin "$src"

# shellcheck source-path=SCRIPTDIR source=tray-lib.sh
source "$ORV_TOOLS/tray-lib.sh"

# --- (a) the exit item
report=$run_dir/exit-code.txt
# The probe starts the program inside the virtual desktop and writes how it ended; it stays a
# while afterwards, so the desktop and its notification area can still be looked at.
orv_start_in_desktop "$ORV_PROBE" "$run_dir/exit-run.log" run --report "$(orv_winpath "$report")" \
  --linger 8000 120000 "$(orv_winpath "$exe")"
exit_launcher=$ORV_LAST_LAUNCHER
right_menu exit
xdotool key x || orv_die "xdotool could not press X"
orv_wait_for 30 "the program to end" test -s "$report" || orv_die "the program did not end after X"
outcome=$(tr -d '\r' <"$report")
orv_log "program: $outcome"
[[ $outcome == "exited with code 0 "* ]] || orv_die "the program must end with code 0: $outcome"
# Still within the probe's linger: the desktop is there, without the icon.
orv_wait_for 5 "the icon to leave" icon_gone exit-after ||
  orv_die "the icon is still drawn at $x,$y after the program ended (see $ORV_LAST_SHOT)"
orv_log "the icon left the notification area (screenshot $ORV_LAST_SHOT)"
orv_wait_launcher "$exit_launcher" 30 || orv_die "the virtual desktop did not close"

# --- (b) the log-off item asks first
printf '[RB_TabSheet]\r\nDialog_CheckBox=1\r\n' >"$run_dir/OrvantaBrevo.ini"
orv_start_in_desktop "$exe" "$run_dir/logoff.log"
right_menu logoff
# The fourth item; a menu opened from the tray has nothing selected until the first Down.
xdotool key Down Down Down Down Return || orv_die "xdotool could not choose"
box_shown() { boxes=$(trayprobe boxes "$ORV_DESKTOP"); }
orv_wait_for 20 "the confirmation box" box_shown || orv_die "no box showed after choosing ログオフ"
orv_screenshot exit-logoff-box || orv_die "could not take a screenshot"
orv_log "box (screenshot $ORV_LAST_SHOT):"
printf '%s\n' "$boxes" | sed 's/^/  /'
expect_line() {
  grep -qxF "$1" <<<"$boxes" || orv_die "the box lacks: $1"
}
expect_line "$(printf 'box\t%s\t警告' "$(orv_probe list "$ORV_IMAGE" | tr -d '\r' | awk '{print $2}')")"
grep -qP '^item\tStatic\t65535\t\\r\\nWindowsからログオフしてもよろしいですか？$' <<<"$boxes" ||
  orv_die "the box's text is not the question on its second line"
expect_line "$(printf 'item\tButton\t1\tOK')"
expect_line "$(printf 'item\tButton\t2\tｷｬﾝｾﾙ')"
# The box holds the program's windows: a right click on the icon opens no second menu.
xdotool mousemove "$x" "$y" click 3 || orv_die "xdotool could not click"
sleep 2
menu_shown && orv_die "a menu opened over the open confirmation box"
orv_log "no menu opened while the box was open"
xdotool key Escape
no_box() { ! trayprobe boxes "$ORV_DESKTOP" >/dev/null; }
orv_wait_for 20 "the box to close" no_box || orv_die "Escape did not close the box"
orv_probe ping "$ORV_DESKTOP" "$ORV_IMAGE" "$TITLE" 5000 >/dev/null ||
  orv_die "the program stopped after the log-off was cancelled"
orv_log "Escape closed the box; the program runs on"
orv_end "$ORV_IMAGE" || orv_die "could not end the program"
orv_log "PASS"
