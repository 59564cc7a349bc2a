#!/usr/bin/env bash
# The player on the real exe, through the real winmm, with orvanta-cdaudio.dll as the prefix's
# cdaudio driver and the short sample disc (three tracks of 4 s, identifier 1200) in D:. The
# program is seen only as a user or the system sees it: the tray tip and image, which items of
# the left-click menu are enabled, the driver's record of commands, head and door, and files. The
# items (Play Stop Pause Next Previous All_Repeat Eject) follow the player's state table: STOP
# 1101111, PLAY 0111111, PAUSE 1101111, NOCD 0000001.
#   (a) started with the disc in and its title in cdplayer.ini: the settings file is written, the
#       driver was opened on D:, the tip shows the title and the icon the STOP image;
#   (b) left click, Play: the driver plays track 1, PLAY image; Next: track 2; Pause: paused,
#       PAUSE image; Play: playing on from where it paused; Stop: stopped, STOP image;
#   (c) Play to the end of the disc: the driver, an NT one, reports nothing at the end; the
#       program's own disc check stops the disc, STOP image; with All_Repeat checked it plays
#       track 1 again, PLAY image;
#   (d) the disc removed while playing: the tip reads "No CD" within 2 s, NOCD image; another
#       disc, one without a title, put in: STOP image and the tip "Orvantino"; the first one
#       back: its title again;
#   (e) Eject: the driver records the door opened;
#   (f) with AutoPlay_CheckBox=1, a disc put in while the program runs plays by itself.
# Usage: tools/wine/check-player.sh EXE
set -uo pipefail
ORV_CHECK=player
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
# shellcheck source-path=SCRIPTDIR source=cd-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/cd-lib.sh"

orv_program_check_begin "${1:?usage: $0 path/to/OrvantaBrevo.exe}"
# shellcheck source-path=SCRIPTDIR source=tray-lib.sh
source "$ORV_TOOLS/tray-lib.sh"
orv_cd_begin
orv_cd_driver_begin
TITLE_TEXT="Short Sessions"
printf '[1200]\r\nEntryType=1\r\ntitle=%s\r\nnumtracks=3\r\n' "$TITLE_TEXT" \
  >"$WINEPREFIX/drive_c/windows/cdplayer.ini"
ORV_CLEANUPS+=("rm -f '$WINEPREFIX/drive_c/windows/cdplayer.ini'")
orv_cd_insert short.cue
ORV_CLEANUPS+=("orv_cd_remove")

frames() { # MM:SS:FF -> frames
  local m s f
  IFS=: read -r m s f <<<"$1"
  echo $((10#$m * 4500 + 10#$s * 75 + 10#$f))
}
tip_is() {
  xdotool mousemove $((x - 40)) $((y - 100)) mousemove "$x" "$y" || return 1
  local deadline=$((SECONDS + 3))
  while ((SECONDS < deadline)); do
    tips=$(trayprobe tips "$ORV_DESKTOP") && [[ $tips == *"$(printf 'tip\t%s' "$1")"* ]] && return 0
    sleep 0.2
  done
  return 1
}
# Left click, then the item's access key once the menu shows. Two clicks within the double-click
# time (500 ms) would be a double click, which is not the menu's: the next click waits it out.
last_click_ms=-1000
left_menu() {
  local since=$(($(orv_ms) - last_click_ms))
  ((since >= 600)) || sleep "0.$(printf '%03d' $((600 - since)))"
  xdotool mousemove "$x" "$y" click 1 || orv_die "xdotool could not click"
  last_click_ms=$(orv_ms)
  orv_wait_for 20 "the left-click menu" menu_shown || orv_die "no menu showed after a left click"
}
close_menu_with() {
  xdotool key "$1" || orv_die "xdotool could not press $1"
  orv_wait_for 10 "the menu to close" no_menu || orv_die "the menu stayed open after $1"
}
choose() {
  left_menu
  close_menu_with "$1"
}
# The left-click menu's items, Play Stop Pause Next Previous All_Repeat Eject, as 1 (enabled) or 0
# (grayed), read from a screenshot of the menu (tools/wine/menu-items.py); the menu pops up
# above and left of the cursor, which stays on the icon, so no item is highlighted.
expect_items() { # EXPECTED WHAT
  local rect items
  left_menu
  rect=$(menu_shown | awk -F'\t' '$1 == "menu" { print $3, $4, $5, $6; exit }')
  orv_screenshot player-menu || orv_die "could not take a screenshot"
  # shellcheck disable=SC2086 # the rectangle's four numbers
  items=$(python3 "$ORV_TOOLS/menu-items.py" "$ORV_LAST_SHOT" $rect) || orv_die "could not read the menu"
  # The menu of a disc that plays, for the README: cut out at the end, as the disc's four-second
  # tracks leave no time for it here.
  if [[ $2 == Play ]]; then
    cp "$ORV_LAST_SHOT" "$ORV_OUT/player-menu-playing.png"
    playing_menu_rect=$rect
  fi
  close_menu_with Escape
  [[ $items == "$1" ]] || orv_die "$2: the menu's items read $items (Play Stop Pause Next Previous All_Repeat Eject), not $1"
  orv_log "$2: items $items"
}

# --- (a)
orv_start_in_desktop "$exe" "$run_dir/program.log"
orv_wait_for 60 "the taskbar with the icon" find_icon || orv_die "no taskbar: the program added no icon"
orv_wait_for 30 "the settings file" test -f "$run_dir/OrvantaBrevo.ini" ||
  orv_die "no settings file: the CD device did not open"
grep -qP '\tcommand\topen-driver .*result=0$' "$ORV_RECORD" || orv_die "the driver was not opened"
orv_record_now disc "^D: .*short.cue tracks=3$" || orv_die "the driver has not the short disc"
orv_wait_for 20 "the tip \"$TITLE_TEXT\"" tip_is "$TITLE_TEXT" || orv_die "the tip does not show the title: $tips"
expect_image stop "(a)"
expect_items 1101111 "(a)"
orv_log "(a) settings written, driver open on D:, tip \"$TITLE_TEXT\", STOP image"
orv_screenshot player-stopped || true

# --- (b)
# The tracks last four seconds: Play, Next and Pause come one after the other, and what the menu
# and the icon show is looked at once the disc is paused and again once it plays on.
choose p
expect_head "mode=playing track=1 " 10 "Play"
choose n
expect_head "mode=playing track=2 " 10 "Next"
choose u
expect_head "mode=paused track=2 " 10 "Pause"
expect_image pause "Pause"
expect_items 1101111 "Pause"
paused_at=$(orv_record_last head | sed -n 's/.* at=//p')
resume_mark=$(wc -l <"$ORV_RECORD")
choose p
expect_head "mode=playing track=2 " 10 "Play after Pause"
# Where the play went on: the head the driver wrote with the play command, not the one it shows
# when next asked, which on a busy machine is later.
resumed_at=$(tail -n +$((resume_mark + 1)) "$ORV_RECORD" |
  awk -F'\t' '$2 == "head" { head = $3 } $2 == "command" && $3 ~ /^play / { print head; exit }' |
  sed -n 's/.* at=//p')
[[ -n $resumed_at ]] || orv_die "the driver has no play command after the pause"
expect_image play "Play"
expect_items 0111111 "Play"
gap=$(($(frames "$resumed_at") - $(frames "$paused_at")))
((gap >= 0 && gap <= 15)) || orv_die "the play went on from $resumed_at, not from the pause at $paused_at"
orv_log "paused at $paused_at, playing on from $resumed_at"
choose s
expect_head "mode=stopped " 10 "Stop"
expect_image stop "Stop"

# --- (c) The short disc lasts 12 s. Its end: the driver stops with the head on the last track
# and, as NT's drivers do, posts nothing; the program's disc check (every 1.5 s) sees the end and
# stops (it closes the device and opens it again, which reloads the driver and puts the head on
# track 1).
mark() { mark=$(wc -l <"$ORV_RECORD"); }
# The play at its end in the record since the mark.
ended() { tail -n +$((mark + 1)) "$ORV_RECORD" | grep -qP '\thead\tD: mode=stopped track=3 '; }
# A play reported complete since the mark: an NT driver never reports one at its end.
reported() { tail -n +$((mark + 1)) "$ORV_RECORD" | grep -qP '\tnotify\t.*outcome=1$'; }
# ... and after the end, the disc playing again from track 1.
replayed() {
  tail -n +$((mark + 1)) "$ORV_RECORD" | awk -F'\t' '$2 == "head" && $3 ~ /mode=stopped track=3 / { ended = 1 }
    ended && $2 == "head" && $3 ~ /mode=playing track=1 / { again = 1 } END { exit !again }'
}
mark
choose p
expect_head "mode=playing " 10 "Play to the end"
orv_wait_for 20 "the end of the disc" ended || orv_die "the play did not reach the end: $(orv_record_last head)"
expect_head "mode=stopped track=1 " 5 "Stopped at the end"
! reported || orv_die "the driver reported a completed play: it is to answer as NT's drivers do"
expect_image stop "Stopped at the end"
expect_items 1101111 "Stopped at the end"
# With All_Repeat checked, the end starts the disc again from track 1.
choose a
mark
choose p
expect_head "mode=playing " 10 "Play with repeat"
orv_wait_for 20 "the disc playing again after its end" replayed ||
  orv_die "the disc did not play again from track 1 after its end: $(orv_record_last head)"
expect_image play "Playing again"
orv_log "playing again from track 1 after the end: $(orv_record_last head)"
choose a

# --- (d)
choose p
expect_head "mode=playing " 10 "Play before the removal"
# A watcher in the desktop reads the tip every 50 ms while the mouse rests on the icon; the
# removal and the tip's change are both stamped with GetTickCount64.
orv_wait_for 20 "the tip \"$TITLE_TEXT\"" tip_is "$TITLE_TEXT" || orv_die "the tip does not show the title: $tips"
orv_wine 30 "$TRAYPROBE" waittip "$ORV_DESKTOP" "No CD" 10000 >"$run_dir/no-cd.txt" &
watcher=$!
removal=$(orv_wine 60 "$ORV_CDDRIVE" remove D: | tr -d '\r') || orv_die "cddrive could not remove the disc: $removal"
orv_log "removed: $removal"
wait "$watcher" || orv_die "the tip never read \"No CD\" after the removal"
seen=$(tr -d '\r' <"$run_dir/no-cd.txt")
no_cd_ms=$(($(cut -f3 <<<"$seen") - ${removal##* at }))
((no_cd_ms <= 2000)) || orv_die "the tip read \"No CD\" only $no_cd_ms ms after the removal"
orv_log "(d) \"No CD\" $no_cd_ms ms after the removal"
expect_image nocd "(d) removed"
expect_items 0000001 "(d) removed"
orv_cd_insert three-tracks.cue
orv_wait_for 10 "the other disc in the driver" orv_record_now disc "three-tracks.cue tracks=" ||
  orv_die "the driver has not the other disc: $(orv_record_last disc)"
expect_image stop "(d) another disc"
expect_items 1101111 "(d) another disc"
orv_wait_for 20 "the tip \"Orvantino\"" tip_is "Orvantino" ||
  orv_die "the tip of a disc without a title is not \"Orvantino\": $tips"
orv_log "(d) another disc, without a title: the tip \"Orvantino\""
orv_cd_insert short.cue
orv_wait_for 20 "the tip \"$TITLE_TEXT\" again" tip_is "$TITLE_TEXT" ||
  orv_die "the tip does not show the title after the disc came back: $tips"

# --- (e)
choose e
orv_wait_for 10 "the door opened" orv_record_now door "^D: open$" ||
  orv_die "the driver recorded no door opening: $(orv_record_last door)"
orv_log "(e) the driver's door opened"
orv_probe ping "$ORV_DESKTOP" "$ORV_IMAGE" "$TITLE" 5000 >/dev/null || orv_die "the program stopped answering"
orv_end "$ORV_IMAGE" || orv_die "could not end the program"
orv_wait_launcher "$ORV_LAST_LAUNCHER" 30 || orv_die "the virtual desktop did not close"

# --- (f) With AutoPlay_CheckBox=1, a disc put in while the program runs plays by itself. The
# program starts with the disc in, so that it knows D: (here a drive without a disc is no drive).
sed -i 's/^AutoPlay_CheckBox=.*/AutoPlay_CheckBox=1/; s/^CDDrive=.*/CDDrive=0/' "$run_dir/OrvantaBrevo.ini"
grep -q '^AutoPlay_CheckBox=1' "$run_dir/OrvantaBrevo.ini" || orv_die "the settings file has no AutoPlay_CheckBox"
orv_start_in_desktop "$exe" "$run_dir/autoplay.log"
orv_wait_for 60 "the taskbar with the icon" find_icon || orv_die "no taskbar: the program added no icon"
orv_wait_for 20 "the tip \"$TITLE_TEXT\"" tip_is "$TITLE_TEXT" || orv_die "the tip does not show the title: $tips"
orv_cd_remove
orv_wait_for 10 "the tip \"No CD\"" tip_is "No CD" || orv_die "the tip does not read \"No CD\": $tips"
orv_cd_insert short.cue
expect_head "mode=playing track=1 " 15 "Auto-play after the insertion"
orv_end "$ORV_IMAGE" || orv_die "could not end the program"

ORV_LAST_SHOT=$ORV_OUT/player-menu-playing.png
read -r l t r b <<<"$playing_menu_rect"
# The menu pops up above and left of the icon: the cut takes the icon in.
orv_cut menu-player-playing "$l" "$t" $((x + 8 > r ? x + 8 : r)) $((y + 8 > b ? y + 8 : b)) 6 ||
  orv_die "could not cut the playing disc's menu out of $ORV_LAST_SHOT"
orv_log "PASS"
