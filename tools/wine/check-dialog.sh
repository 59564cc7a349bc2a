#!/usr/bin/env bash
# The property dialog of the exe (x64 or x86) under Wine, opened from the right-click menu with the
# access key of "プロパティ(&R)":
#   (a) it shows, captioned "OrvantaBrevoのプロパティ", with a client area of 415 x 197 at 96 DPI;
#       the three pages are screenshots dialog-page1.png .. dialog-page3.png (Right moves from page
#       to page: the tab control has the focus first);
#       Ctrl+Tab turns to the second page (the tab control's selection; dialog-ctrl-tab.png) and
#       Ctrl+Shift+Tab back;
#   (b) a click on "CDの挿入を関知したら…" checks it and enables the box below it; by the keyboard
#       alone, Tab four times reaches "設定の更新" and Space stores the settings (the file beside
#       the exe then holds AutoPlay_CheckBox=1) and disables it, the focus moving on to
#       "キャンセル"; Tab then reaches "OK" and Space on it hides the dialog;
#   (c) at 144 DPI (Wine's LogPixels in the prefix, put back afterwards) the dialog is laid out half
#       as large again: its client area 623 x 296, give or take two pixels (dialog-144dpi.png).
# Usage: tools/wine/check-dialog.sh EXE
set -uo pipefail
ORV_CHECK=dialog
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

src=${1:?usage: $0 path/to/OrvantaBrevo.exe}
AUTOPLAY=CDの挿入を関知したら自動的に再生する
ALLPLAY=音楽CD以外でもCD-DAを使用していれば自動的に再生する
SAVE=設定の更新
CANCEL=キャンセル

orv_program_check_begin "$src"

# shellcheck source-path=SCRIPTDIR source=tray-lib.sh
source "$ORV_TOOLS/tray-lib.sh"

DPI_KEY='HKCU\Control Panel\Desktop'
restore_dpi() { orv_wine 60 reg delete "$DPI_KEY" /v LogPixels /f >/dev/null 2>&1; }
# The prefix is shared with the other checks: the DPI goes back however this one ends.
trap 'status=$?; restore_dpi; (exit $status); orv_on_exit' EXIT

page_shot() {
  sleep 0.5
  orv_screenshot full || orv_die "could not take a screenshot"
  convert "$ORV_LAST_SHOT" -crop "$((fr - fl))x$((fb - ft))+$fl+$ft" +repage "$ORV_OUT/$1.png" ||
    orv_die "could not cut the dialog out of the screenshot"
  orv_log "screenshot $ORV_OUT/$1.png"
}

# --- (a)
orv_start_in_desktop "$exe" "$run_dir/program.log"
launcher=$ORV_LAST_LAUNCHER
open_dialog dialog
((cw == 415 && ch == 197)) || orv_die "the client area is ${cw}x$ch, not 415x197"
page_shot dialog-page1
xdotool key Right && page_shot dialog-page2
xdotool key Right && page_shot dialog-page3
xdotool key Left Left
# The property-sheet keys, from the tab control here. Wine reports none of the dialog's windows
# visible to another process, so the page is the tab control's selection, and a screenshot.
page_is() { form_shown && [[ $(awk -F'\t' '$1 == "child" && $2 == "SysTabControl32" { print $5 }' <<<"$form_lines") == "$1" ]]; }
orv_wait_for 10 "the first page back" page_is 0 || orv_die "Left did not go back to the first page: $form_lines"
xdotool key ctrl+Tab || orv_die "xdotool could not press Ctrl+Tab"
orv_wait_for 10 "the second page after Ctrl+Tab" page_is 1 || orv_die "Ctrl+Tab did not show the second page"
page_shot dialog-ctrl-tab
orv_log "Ctrl+Tab shows the second page"
xdotool key ctrl+shift+Tab || orv_die "xdotool could not press Ctrl+Shift+Tab"
orv_wait_for 10 "the first page after Ctrl+Shift+Tab" page_is 0 ||
  orv_die "Ctrl+Shift+Tab did not go back to the first page"

# --- (b)
[[ $(child_line "$ALLPLAY" | cut -f4) == 0 ]] || orv_die "the box below auto-play is enabled from the start"
click_child "$AUTOPLAY"
checked_and_enabled() {
  form_shown && [[ $(child_line "$AUTOPLAY" | cut -f5) == 1 && $(child_line "$ALLPLAY" | cut -f4) == 1 ]]
}
orv_wait_for 10 "auto-play checked and the box below enabled" checked_and_enabled ||
  orv_die "after the click: $(child_line "$AUTOPLAY") / $(child_line "$ALLPLAY")"
focus_is() { form_shown && [[ $(awk -F'\t' '$1 == "focus" { print $3 }' <<<"$form_lines") == "$1" ]]; }
# From the box: the one below it, the one below that, the tabs, then Save.
xdotool key Tab Tab Tab Tab || orv_die "xdotool could not press Tab"
orv_wait_for 10 "the focus on $SAVE" focus_is "$SAVE" || orv_die "Tab did not reach $SAVE: $form_lines"
settings=$run_dir/OrvantaBrevo.ini
stored() {
  form_shown && [[ $(child_line "$SAVE" | cut -f4) == 0 ]] &&
    grep -q $'^AutoPlay_CheckBox=1\r$' "$settings" 2>/dev/null
}
xdotool key space || orv_die "xdotool could not press Space"
orv_wait_for 10 "Space on $SAVE to store the settings" stored ||
  orv_die "Space on $SAVE did not store AutoPlay_CheckBox=1 in $settings: $(cat "$settings" 2>/dev/null)"
orv_wait_for 10 "the focus moved on to $CANCEL" focus_is "$CANCEL" ||
  orv_die "the focus did not move on from the disabled $SAVE: $form_lines"
xdotool key Tab || orv_die "xdotool could not press Tab"
orv_wait_for 10 "Tab to move on to OK" focus_is OK || orv_die "Tab after the store did not reach OK"
orv_log "Space on $SAVE stored AutoPlay_CheckBox=1; the focus went on to $CANCEL, Tab to OK"
xdotool key space || orv_die "xdotool could not press Space"
orv_wait_for 10 "the dialog to close" form_hidden || orv_die "Space on OK did not close the dialog"
orv_end "$ORV_IMAGE" || orv_die "could not end the program"
orv_wait_launcher "$launcher" 30 || orv_die "the virtual desktop did not close"

# --- (c)
orv_wine 60 reg add "$DPI_KEY" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null ||
  orv_die "could not set LogPixels"
orv_wineserver -k
orv_wineserver -w
orv_start_in_desktop "$exe" "$run_dir/program-144.log"
open_dialog dialog-144dpi
page_shot dialog-144dpi
((cw >= 621 && cw <= 625 && ch >= 294 && ch <= 298)) ||
  orv_die "at 144 DPI the client area is ${cw}x$ch, not about 623x296"
orv_end "$ORV_IMAGE" || orv_die "could not end the program"
orv_log "PASS"
