#!/usr/bin/env bash
# The tray image on a screen at 144 DPI (Wine's LogPixels in the prefix, put back afterwards):
# the notification area's small icons are 24 pixels there, and the icon shows the 24-pixel image
# drawn for that size, pixel for pixel (tools/wine/icon-match.py --size 24), not a stretched
# 16-pixel one. With the short sample disc in D: through orvanta-cdaudio.dll:
#   (a) started: the STOP image at 24 pixels (screenshot tray-scale-stop.png);
#   (b) Play from the menu: the PLAY image at 24 pixels.
# Usage: tools/wine/check-tray-scale.sh EXE
set -uo pipefail
ORV_CHECK=tray-scale
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
# shellcheck source-path=SCRIPTDIR source=cd-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/cd-lib.sh"

orv_cd_check_begin "${1:?usage: $0 path/to/OrvantaBrevo.exe}" short.cue
# shellcheck source-path=SCRIPTDIR source=tray-lib.sh
source "$ORV_TOOLS/tray-lib.sh"

DPI_KEY='HKCU\Control Panel\Desktop'
restore_dpi() { orv_wine 60 reg delete "$DPI_KEY" /v LogPixels /f >/dev/null 2>&1; }
# The prefix is shared with the other checks: the DPI goes back however this one ends.
trap 'status=$?; restore_dpi; (exit $status); orv_on_exit' EXIT
orv_wine 60 reg add "$DPI_KEY" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null ||
  orv_die "could not set LogPixels"
orv_wineserver -k
orv_wineserver -w

TRAY24=("$ORV_ROOT"/resources/generated/{stop,play,pause,nocd,zcd}.ico)
image24_is() {
  orv_screenshot "tray-scale-$1" || return 1
  shown_image=$(python3 "$ORV_TOOLS/icon-match.py" --size 24 "$ORV_LAST_SHOT" "$x" "$y" "${TRAY24[@]}")
  [[ ${shown_image%% *} == "$1" ]]
}
expect_image24() { # NAME WHAT
  orv_wait_for 10 "the 24-pixel ${1^^} image" image24_is "$1" ||
    orv_die "$2: the icon shows $shown_image, not the 24-pixel ${1^^} (see $ORV_LAST_SHOT)"
  orv_log "$2: the 24-pixel ${1^^} image at ${shown_image#* }"
}

# --- (a)
orv_start_in_desktop "$exe" "$run_dir/program.log"
orv_wait_for 60 "the taskbar with the icon" find_icon || orv_die "no taskbar: the program added no icon"
# The icon sits at the taskbar's right end; at 24 pixels its middle is further from the end.
x=$((x - 4))
orv_wait_for 30 "the settings file" test -f "$run_dir/OrvantaBrevo.ini" ||
  orv_die "no settings file: the CD device did not open"
expect_image24 stop "(a) started"

# --- (b)
sleep 0.6
xdotool mousemove "$x" "$y" click 1 || orv_die "xdotool could not click"
orv_wait_for 20 "the left-click menu" menu_shown || orv_die "no menu showed after a left click"
xdotool key p || orv_die "xdotool could not press p"
orv_wait_for 10 "the menu to close" no_menu || orv_die "the menu stayed open"
expect_image24 play "(b) Play"
orv_end "$ORV_IMAGE" || orv_die "could not end the program"
orv_log "PASS"
