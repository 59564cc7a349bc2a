#!/usr/bin/env bash
# The exe (x64 or x86) under Wine puts its icon into the notification area and answers it:
#   (a) the icon appears in the virtual desktop's notification area (screenshot
#       tray-icon.png), and its tip reads as the start-up decided (tray-tip.png): "No CD"
#       when the CD device opened on a drive without a disc, "Orvanta" (the form
#       definition's tip) when no device could be opened, as in a plain Wine prefix;
#   (b) a left click pops up the player menu at the cursor (screenshot tray-left.png),
#       Escape closes it;
#   (c) a right click pops up the second menu there (screenshot tray-right.png), which is
#       shorter than the player menu (6 items and 2 lines against 7 and 3);
#   (d) the program still answers afterwards.
# Usage: tools/wine/check-tray.sh EXE
set -uo pipefail
ORV_CHECK=tray
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

src=${1:?usage: $0 path/to/OrvantaBrevo.exe}

orv_program_check_begin "$src"

# shellcheck source-path=SCRIPTDIR source=tray-lib.sh
source "$ORV_TOOLS/tray-lib.sh"

# --- (a) the icon and its tip
orv_start_in_desktop "$exe" "$run_dir/program.log"
# The taskbar appears with the first icon, which sits at its right end, centred in its height.
taskbar_found() {
  local line
  line=$(trayprobe tray "$ORV_DESKTOP") || return 1
  read -r _ left top right bottom <<<"$line"
  [[ $left =~ ^-?[0-9]+$ && $top =~ ^-?[0-9]+$ && $right =~ ^-?[0-9]+$ && $bottom =~ ^-?[0-9]+$ ]]
}
# An empty taskbar is one colour at the icon's spot; an icon image has several.
icon_drawn() {
  orv_screenshot tray-icon || return 1
  colours=$(convert "$ORV_LAST_SHOT" -crop "16x16+$((x - 8))+$((y - 8))" +repage -format %k info:)
  ((colours > 2))
}
orv_wait_for 60 "the taskbar with the icon" taskbar_found ||
  orv_die "no taskbar appeared: the program added no icon"
x=$((right - 11))
y=$(((top + bottom) / 2))
orv_wait_for 20 "the icon drawn at $x,$y" icon_drawn ||
  orv_die "nothing is drawn at the icon's spot $x,$y (see $ORV_LAST_SHOT)"
orv_log "taskbar ($left,$top)-($right,$bottom); the icon's spot $x,$y has $colours colours"
orv_wait_for 30 "window \"$TITLE\" to answer" \
  orv_probe ping "$ORV_DESKTOP" "$ORV_IMAGE" "$TITLE" 5000 || orv_die "the program does not answer"

# The tip shows while the mouse rests on the icon.
xdotool mousemove "$x" "$y" || orv_die "xdotool could not move the mouse"
# Read while it shows: a tip hides again after a few seconds.
tip_shown() { tips=$(trayprobe tips "$ORV_DESKTOP"); }
orv_wait_for 20 "the icon's tip" tip_shown || orv_die "no tip showed on the icon"
orv_log "tips: $tips"
orv_screenshot tray-tip || orv_die "could not take a screenshot"
# The start-up writes the settings file unless the device failed to open, which leaves the tip of
# the form definition; the program answered, so its start-up is over.
if [[ -f $run_dir/OrvantaBrevo.ini ]]; then
  want="No CD"
  orv_log "the device opened (the settings are written): the tip must read \"$want\""
else
  want="Orvanta"
  orv_log "no device opened (no settings written): the tip must read \"$want\""
fi
grep -qxF "$(printf 'tip\t%s' "$want")" <<<"$tips" || orv_die "the tip does not read \"$want\": $tips"

# --- (b) and (c) the menus
no_menu() { ! trayprobe menus "$ORV_DESKTOP" >/dev/null; }
menu_shown() { menu_line=$(trayprobe menus "$ORV_DESKTOP"); }
# Clicks BUTTON on the icon and checks the one menu that shows: the program's, at the cursor.
# Sets menu_height.
click_for_menu() {
  local button=$1 name=$2 line pid l t r b
  xdotool mousemove "$x" "$y" click "$button" || orv_die "xdotool could not click"
  orv_wait_for 20 "the $name menu" menu_shown ||
    orv_die "no menu showed after clicking button $button on the icon"
  line=$menu_line
  orv_screenshot "tray-$name" || orv_die "could not take a screenshot"
  orv_log "$name menu: $line (screenshot $ORV_LAST_SHOT)"
  (($(grep -c '^menu' <<<"$line") == 1)) || orv_die "expected one $name menu, found: $line"
  read -r _ pid l t r b <<<"$line"
  [[ $(orv_probe list "$ORV_IMAGE" | tr -d '\r') == "pid $pid $ORV_IMAGE" ]] ||
    orv_die "the $name menu belongs to process $pid, not to $ORV_IMAGE"
  # Opened at the cursor, and moved as far as needed to fit the screen: it covers the cursor.
  ((l <= x && x <= r && t <= y && y <= b)) ||
    orv_die "the $name menu ($l,$t)-($r,$b) is not at the cursor $x,$y"
  menu_height=$((b - t))
  # The menu with the icon it belongs to, for the README.
  orv_cut "menu-$name" $((l < x - 8 ? l : x - 8)) $((t < y - 8 ? t : y - 8)) \
    $((r > x + 8 ? r : x + 8)) $((b > y + 8 ? b : y + 8)) 6 || orv_die "could not cut the $name menu out"
  xdotool key Escape
  orv_wait_for 20 "the $name menu to close" no_menu || orv_die "the $name menu did not close on Escape"
}

click_for_menu 1 left
left_height=$menu_height
click_for_menu 3 right
right_height=$menu_height
((left_height > right_height)) ||
  orv_die "the player menu ($left_height px) should be taller than the second menu ($right_height px)"

# --- (d)
orv_probe ping "$ORV_DESKTOP" "$ORV_IMAGE" "$TITLE" 5000 >/dev/null ||
  orv_die "the program stopped answering after its menus"
orv_end "$ORV_IMAGE" || orv_die "could not end the program"
orv_log "PASS"
