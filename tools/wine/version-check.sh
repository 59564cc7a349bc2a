#!/usr/bin/env bash
# The exe under Wine set to one Windows version: the x86 exe under win98, nt40, win2k and winxp,
# the x64 exe under winxp64 and win10 (tools/wine/run-checks.sh runs each as one line), with the
# short sample disc in D: through the checks' CD-audio driver (cd-lib.sh). The version
# is the prefix's HKCU\Software\Wine\AppDefaults\OrvantaBrevo.exe, value Version: the program's
# alone, so the checks' own helpers run as usual; it is removed again however the check ends.
#   (a) the program starts and shows its icon;
#   (b) both menus show, their captions drawn exactly as in the reference run (the same exe in the
#       same prefix as winxp, or winxp64 for the x64 exe: the wide calls); the restart item "Windows9xの再起動" is enabled on
#       win98 and greyed under every NT version (read from the menu's screenshot, menu-items.py);
#   (c) the property dialog's first page matches the reference's pixel for pixel;
#   (d) win98 only: the program's own QT_Thunk call (built into thunkprobe.exe) keeps its
#       registers and stack and passes its arguments through Wine's real QT_Thunk, also one that
#       fills the thunk's area; then "Windows9xの再起動" chosen reaches USER's 16-bit ExitWindows
#       and no error box follows: Wine's 16-bit ExitWindows logs the prefix's session off, so the
#       program ends (the prefix is the check's own);
#   (e) otherwise Exit ends the program with exit code 0.
# win98 runs in a Japanese locale, as a Japanese Windows 9x (ANSI code page 932): its own prefix
# and session. Screenshots: build/wine/ARCH/VERSION/*.png (reference-*.png beside them).
# Usage: tools/wine/version-check.sh EXE VERSION
set -uo pipefail

src=${1:?usage: $0 path/to/OrvantaBrevo.exe VERSION}
version=${2:?usage: $0 path/to/OrvantaBrevo.exe VERSION}
case $version in
  win98)
    # A session of its own in the Japanese prefix, also when run-checks.sh has one open.
    export ORVANTA_WINE_LOCALE=ja_JP.UTF-8
    unset ORV_SESSION
    ;;
  nt40 | win2k | winxp | winxp64 | win10) ;;
  *) echo "$0: VERSION is win98, nt40, win2k, winxp, winxp64 or win10, not $version" >&2 && exit 64 ;;
esac
ORV_CHECK=$version
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# shellcheck source-path=SCRIPTDIR source=cd-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/cd-lib.sh"

# A device that opens: only then does the start-up come to the platform and grey the restart.
orv_cd_check_begin "$src" short.cue
# shellcheck source-path=SCRIPTDIR source=tray-lib.sh
source "$ORV_TOOLS/tray-lib.sh"

APP_KEY='HKCU\Software\Wine\AppDefaults\OrvantaBrevo.exe'
PROBE_KEY='HKCU\Software\Wine\AppDefaults\thunkprobe.exe'
remove_version() {
  orv_wine 60 reg delete "$APP_KEY" /f >/dev/null 2>&1
  [[ $version != win98 ]] || orv_wine 60 reg delete "$PROBE_KEY" /f >/dev/null 2>&1
}
trap 'status=$?; remove_version; (exit $status); orv_on_exit' EXIT
set_version() {
  orv_wine 60 reg add "$APP_KEY" /v Version /t REG_SZ /d "$1" /f >/dev/null ||
    orv_die "could not set the Windows version $1"
}

# The menu BUTTON opens, cut out of the screen as $run_dir/TAG.png; sets menu_items (menu-items.py).
menu_shot() {
  local button=$1 tag=$2 l t r b
  sleep 0.6 # two clicks within the double-click time would be a double click
  xdotool mousemove "$x" "$y" click "$button" || orv_die "xdotool could not click"
  orv_wait_for 20 "the menu of button $button" menu_shown || orv_die "no menu after button $button"
  # The menu pops up above and left of the cursor, which stays on the icon: nothing highlighted.
  read -r _ _ l t r b <<<"$(head -n 1 <<<"$(menu_shown)")"
  orv_screenshot "$tag-screen" || orv_die "could not take a screenshot"
  convert "$ORV_LAST_SHOT" -crop "$((r - l))x$((b - t))+$l+$t" +repage "$run_dir/$tag.png" ||
    orv_die "could not cut the menu out of $ORV_LAST_SHOT"
  menu_items=$(python3 "$ORV_TOOLS/menu-items.py" "$ORV_LAST_SHOT" "$l" "$t" "$r" "$b")
  xdotool key Escape
  orv_wait_for 20 "the menu to close" no_menu || orv_die "the menu did not close on Escape"
}

# The dialog's first page as $run_dir/TAG.png; the dialog is closed again with its Cancel button.
page_shot() {
  open_dialog "$1"
  sleep 0.5
  orv_screenshot "$1-screen" || orv_die "could not take a screenshot"
  convert "$ORV_LAST_SHOT" -crop "$((fr - fl))x$((fb - ft))+$fl+$ft" +repage "$run_dir/$1.png" ||
    orv_die "could not cut the dialog out of $ORV_LAST_SHOT"
  click_child キャンセル
  orv_wait_for 10 "the dialog to close" form_hidden || orv_die "Cancel did not close the dialog"
}

# Pixels that differ between two images of one size ("size" when the sizes differ).
differing() {
  [[ $(identify -format %wx%h "$1") == "$(identify -format %wx%h "$2")" ]] || {
    echo size
    return
  }
  compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1
}
# The same, of the text alone: grey and black ink count alike (a greyed item is still its caption).
differing_ink() {
  local a=$run_dir/ink-a.png b=$run_dir/ink-b.png
  convert "$1" -colorspace gray -threshold 90% "$a" && convert "$2" -colorspace gray -threshold 90% "$b" &&
    differing "$a" "$b"
}

# One run under VERSION: icon, menus, dialog; leaves the program running. TAG names its pictures.
run_under() {
  local v=$1 tag=$2
  set_version "$v"
  report=$run_dir/$tag-exit.txt
  rm -f "$report"
  orv_start_in_desktop "$ORV_PROBE" "$run_dir/$tag-run.log" run --report "$(orv_winpath "$report")" \
    --linger 2000 120000 "$(orv_winpath "$exe")"
  launcher=$ORV_LAST_LAUNCHER
  orv_wait_for 60 "the taskbar with the icon" find_icon || orv_die "$v: no taskbar: no icon was added"
  orv_wait_for 20 "the icon drawn at $x,$y" icon_drawn "$tag-icon" ||
    orv_die "$v: nothing is drawn at the icon's spot $x,$y (see $ORV_LAST_SHOT)"
  orv_wait_for 30 "window \"$TITLE\" to answer" \
    orv_probe ping "$ORV_DESKTOP" "$ORV_IMAGE" "$TITLE" 5000 || orv_die "$v: the program does not answer"
  menu_shot 1 "$tag-left"
  left_items=$menu_items
  menu_shot 3 "$tag-right"
  right_items=$menu_items
  orv_log "$v: player menu $left_items, second menu $right_items"
  page_shot "$tag-page1"
}

# Clicks item $2 (counted from 1; -1: the last) of the menu right_menu opened. (After the dialog
# was shown and hidden Wine hands the menu no keys: the mouse chooses.) Items are 17 pixels high at
# 96 DPI, inside a 3-pixel border.
click_item() {
  local l t r b at
  read -r _ _ l t r b <<<"$(head -n 1 <<<"$(menu_shown)")"
  if (($2 < 0)); then at=$((b - 3 - 8)); else at=$((t + 3 + 17 * ($2 - 1) + 8)); fi
  xdotool mousemove $(((l + r) / 2)) "$at" click 1 || orv_die "xdotool could not click"
}

# Exit from the second menu: the program ends with code 0.
exit_program() {
  right_menu "$1-exit"
  click_item "$1" -1
  orv_wait_for 30 "the program to end" test -s "$report" || orv_die "$version: the program did not end after X"
  outcome=$(tr -d '\r' <"$report")
  [[ $outcome == "exited with code 0 "* ]] || orv_die "$version: the program must end with code 0: $outcome"
  orv_wait_launcher "$launcher" 30 || orv_die "the virtual desktop did not close"
}

# --- the reference: this prefix's Windows XP (winxp64 for the x64 exe), made once per exe and
# prefix; a run under that version is its own reference
ref_version=winxp
[[ $ORV_ARCH == x64 ]] && ref_version=winxp64
ref=$ORV_OUT/reference-${ORV_LOCALE:-default}
keep_reference() {
  for part in left right page1; do cp "$run_dir/$1-$part.png" "$ref-$part.png"; done
  orv_log "reference made: $ref-*.png"
}
if [[ $version != "$ref_version" ]] &&
  [[ ! -f $ref-page1.png || $ref-page1.png -ot $src || $ref-page1.png -ot $0 ]]; then
  run_under "$ref_version" reference
  [[ $right_items == 110111 ]] || orv_die "reference: the second menu's items read $right_items, not 110111"
  exit_program reference
  keep_reference reference
fi

# --- (a) to (c)
run_under "$version" "$version"
[[ $version == "$ref_version" ]] && keep_reference "$version"
[[ $left_items == 1101111 ]] || orv_die "the player menu's items read $left_items, not 1101111 (stopped)"
want_right=110111
[[ $version == win98 ]] && want_right=111111
[[ $right_items == "$want_right" ]] ||
  orv_die "the second menu's items read $right_items, not $want_right (the restart item: 3rd)"
n=$(differing "$run_dir/$version-left.png" "$ref-left.png")
[[ $n == 0 ]] || orv_die "the player menu differs from the reference in $n pixels ($run_dir/$version-left.png)"
n=$(differing_ink "$run_dir/$version-right.png" "$ref-right.png")
[[ $n == 0 ]] || orv_die "the second menu's text differs from the reference in $n pixels ($run_dir/$version-right.png)"
n=$(differing "$run_dir/$version-page1.png" "$ref-page1.png")
[[ $n == 0 ]] || orv_die "the dialog's first page differs from the reference in $n pixels ($run_dir/$version-page1.png)"
orv_log "$version: menus and dialog as in the reference"

if [[ $version != win98 ]]; then
  exit_program "$version"
  orv_log "PASS"
  exit 0
fi

# --- (d) the Windows 9x restart through the 16-bit route. First the program's own thunk call
# (src/exitwin/QtThunk.cpp) built into thunkprobe.exe, run under win98 against the real QT_Thunk:
# the registers it keeps and its stack come back and the arguments reach the 16-bit functions,
# also when the thunk fills the 0x40 bytes below the caller's frame as Windows 9x's may.
orv_helper_build thunkprobe src/exitwin/QtThunk.cpp
orv_wine 60 reg add "$PROBE_KEY" /v Version /t REG_SZ /d win98 /f >/dev/null ||
  orv_die "could not set the probe's Windows version"
probe_out=$(orv_wine 60 "$ORV_WINE_DIR/bin/x86/thunkprobe.exe" 2>>"$run_dir/thunkprobe.err")
probe_rc=$?
probe_out=${probe_out//$'\r'/}
orv_log "thunkprobe (exit $probe_rc):"$'\n'"$probe_out"
((probe_rc == 0)) || orv_die "the program's thunk call failed against Wine's QT_Thunk (exit $probe_rc)"
# Wine's QT_Thunk does not hand the 16-bit DX:AX back (the program asks Wine's callback instead):
# logged, so that a Wine that mends it shows here.
read -r _ thunk_answer callback_answer <<<"$(grep '^answer' <<<"$probe_out")"
orv_log "KERNEL.GetVersion answered $callback_answer; through QT_Thunk EAX read $thunk_answer"

right_menu restart
click_item restart 3
box_shown() { boxes=$(trayprobe boxes "$ORV_DESKTOP"); }
boxes=
box_or_end() { box_shown || orv_not_running "$ORV_IMAGE"; }
orv_wait_for 30 "the program to end with the session" box_or_end ||
  orv_die "the program still runs after the restart was chosen"
[[ -z $boxes ]] || orv_die "a box followed the restart: $(tr '\t' ' ' <<<"$boxes")"
# Ended by the session's end as any program is, not by a fault.
orv_wait_for 30 "the program's exit report" test -s "$report" || orv_die "no exit report after the restart"
outcome=$(tr -d '\r' <"$report")
[[ $outcome == "exited with code 0 "* ]] || orv_die "the program must end with code 0 with the session: $outcome"
orv_log "the restart ended the session without an error box: the program $outcome"
orv_log "PASS"
