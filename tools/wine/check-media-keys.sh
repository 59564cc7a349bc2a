#!/usr/bin/env bash
# The keyboard's media keys on the real exe, with the three-track sample disc in D: through
# orvanta-cdaudio.dll; the keys are pressed on the X display (xdotool), where Wine turns
# XF86AudioPlay, XF86AudioNext ... into VK_MEDIA_PLAY_PAUSE, VK_MEDIA_NEXT_TRACK ...
#   (a) started: STOP image; Play from the menu plays;
#   (b) playing, the program holds all four keys (a probe on the program's desktop is refused
#       each); XF86AudioPlay pauses (driver paused, PAUSE image), again plays on (PLAY image);
#       XF86AudioNext moves to track 2;
#   (c) XF86AudioStop stops (STOP image) and the four keys are free again (the probe can take
#       each); XF86AudioPlay then leaves the player stopped: the key is no longer the program's.
# The menu is used before the first probe only: once the probe has run on the desktop, Wine
# sends the keyboard no more to the popup menu (the menu stays open after its access key).
# Usage: tools/wine/check-media-keys.sh EXE
set -uo pipefail
ORV_CHECK=media-keys
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
# shellcheck source-path=SCRIPTDIR source=cd-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/cd-lib.sh"

orv_cd_check_begin "${1:?usage: $0 path/to/OrvantaBrevo.exe}" three-tracks.cue
# shellcheck source-path=SCRIPTDIR source=tray-lib.sh
source "$ORV_TOOLS/tray-lib.sh"

choose() { # ACCESS_KEY: left click, the item's access key once the menu shows
  sleep 0.6 # a click within the double-click time of the last one would be a double click
  xdotool mousemove "$x" "$y" click 1 || orv_die "xdotool could not click"
  orv_wait_for 20 "the left-click menu" menu_shown || orv_die "no menu showed after a left click"
  xdotool key "$1" || orv_die "xdotool could not press $1"
  orv_wait_for 10 "the menu to close" no_menu || orv_die "the menu stayed open after $1"
}
keys_are() { # free|taken
  hotkeys=$(trayprobe hotkeys "$ORV_DESKTOP") || return 1
  (($(grep -c "	$1\$" <<<"$hotkeys") == 4))
}
expect_keys() { # free|taken WHAT
  orv_wait_for 10 "the four keys $1" keys_are "$1" || orv_die "$2: the keys are not all $1: $(tr '\n' ' ' <<<"$hotkeys")"
  orv_log "$2: the four keys $1"
}
press() { # KEYSYM: pressed with the mouse resting on the icon, as a user's keyboard would
  xdotool mousemove "$x" "$y" key "$1" || orv_die "xdotool could not press $1"
}

# --- (a)
orv_start_in_desktop "$exe" "$run_dir/program.log"
orv_wait_for 60 "the taskbar with the icon" find_icon || orv_die "no taskbar: the program added no icon"
orv_wait_for 30 "the settings file" test -f "$run_dir/OrvantaBrevo.ini" ||
  orv_die "no settings file: the CD device did not open"
expect_image stop "(a)"
choose p
expect_head "mode=playing track=1 " 10 "Play"
expect_image play "Play"

# --- (b)
expect_keys taken "(b) playing"
press XF86AudioPlay
if ! orv_wait_for 10 "the pause from XF86AudioPlay" head_is "mode=paused track=1 "; then
  orv_screenshot media-keys-no-pause || true
  orv_die "XF86AudioPlay did not pause: the driver reads \"$(orv_record_last head)\" and the keys are $(tr '\n' ' ' <<<"$hotkeys") (Wine delivered no WM_HOTKEY)"
fi
orv_log "XF86AudioPlay: $(orv_record_last head)"
expect_image pause "XF86AudioPlay"
press XF86AudioPlay
expect_head "mode=playing track=1 " 10 "XF86AudioPlay again"
expect_image play "XF86AudioPlay again"
press XF86AudioNext
expect_head "mode=playing track=2 " 10 "XF86AudioNext"

# --- (c)
press XF86AudioStop
expect_head "mode=stopped " 10 "XF86AudioStop"
expect_image stop "XF86AudioStop"
expect_keys free "(c) stopped"
press XF86AudioPlay
sleep 2
orv_record_now head "mode=stopped " ||
  orv_die "XF86AudioPlay after the stop moved the player: $(orv_record_last head)"
expect_image stop "XF86AudioPlay after the stop"
orv_end "$ORV_IMAGE" || orv_die "could not end the program"
orv_log "PASS"
