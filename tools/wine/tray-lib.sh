# shellcheck shell=bash
# The program's icon and its right-click menu, for the checks that start from them; source it
# after orv_program_check_begin (or orv_use_exe and orv_session_begin).

TRAYPROBE=$ORV_WINE_DIR/bin/$ORV_ARCH/trayprobe.exe
orv_helper_build trayprobe
# Console lines of a Windows program end in CR LF.
trayprobe() { orv_wine 60 "$TRAYPROBE" "$@" | tr -d '\r'; }

# The program's menus and boxes are Japanese text shown through the wide functions: Wine needs a
# font with Japanese glyphs linked in to draw them (fonts-ipafont-gothic). Only the screenshots
# depend on it.
orv_wine 60 reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
  /v Tahoma /t REG_MULTI_SZ /d 'ipagp.ttf,IPAPGothic' /f >/dev/null ||
  orv_log "could not link a Japanese font: the screenshots will show boxes for the captions"

# The icon: the taskbar shows with it, the icon at its right end. Sets x and y.
find_icon() {
  local line
  line=$(trayprobe tray "$ORV_DESKTOP") || return 1
  read -r _ left top right bottom <<<"$line"
  [[ $right =~ ^-?[0-9]+$ && $top =~ ^-?[0-9]+$ && $bottom =~ ^-?[0-9]+$ ]] || return 1
  x=$((right - 11))
  y=$(((top + bottom) / 2))
}
# An empty spot is one colour; an icon image has several.
icon_drawn() {
  orv_screenshot "$1" || return 1
  colours=$(convert "$ORV_LAST_SHOT" -crop "16x16+$((x - 8))+$((y - 8))" +repage -format %k info:)
  ((colours > 2))
}
icon_gone() { ! icon_drawn "$1"; }
menu_shown() { trayprobe menus "$ORV_DESKTOP"; }
no_menu() { ! menu_shown; }

# Right-clicks the icon and waits for the menu.
right_menu() {
  orv_wait_for 60 "the taskbar with the icon" find_icon || orv_die "no taskbar: the program added no icon"
  orv_wait_for 20 "the icon drawn at $x,$y" icon_drawn "$1-icon" ||
    orv_die "nothing is drawn at the icon's spot $x,$y (see $ORV_LAST_SHOT)"
  orv_wait_for 30 "window \"$TITLE\" to answer" \
    orv_probe ping "$ORV_DESKTOP" "$ORV_IMAGE" "$TITLE" 5000 || orv_die "the program does not answer"
  xdotool mousemove "$x" "$y" click 3 || orv_die "xdotool could not click"
  orv_wait_for 20 "the right-click menu" menu_shown || orv_die "no menu showed after a right click"
  orv_screenshot "$1-menu" || orv_die "could not take a screenshot"
}

# The property dialog, opened from the right-click menu with the access key of "プロパティ(&R)".
DIALOG_CAPTION=OrvantaBrevoのプロパティ
form_shown() { form_lines=$(trayprobe forms "$ORV_DESKTOP" TPropertyForm); }
form_hidden() { ! trayprobe forms "$ORV_DESKTOP" TPropertyForm >/dev/null; }
# The line of the child window whose text is $1.
child_line() { awk -F'\t' -v text="$1" '$1 == "child" && $10 == text' <<<"$form_lines" | head -n 1; }
# Clicks the middle of the child window whose text is $1.
click_child() {
  local line
  line=$(child_line "$1")
  [[ -n $line ]] || orv_die "the dialog has no control reading \"$1\": $form_lines"
  IFS=$'\t' read -r _ _ _ _ _ l t r b _ <<<"$line"
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1 || orv_die "xdotool could not click"
}
# Opens the dialog from the icon's menu; sets form_lines and the dialog's rectangle.
open_dialog() {
  right_menu "$1"
  xdotool key r || orv_die "xdotool could not press R"
  orv_wait_for 20 "the dialog" form_shown || orv_die "no dialog showed after choosing プロパティ(&R)"
  IFS=$'\t' read -r _ fl ft fr fb cw ch caption <<<"$(head -n 1 <<<"$form_lines")"
  [[ $caption == "$DIALOG_CAPTION" ]] || orv_die "the dialog's caption reads \"$caption\""
  orv_log "dialog at ($fl,$ft)-($fr,$fb), client ${cw}x$ch"
}

# The tray image the icon shows: of the program's tray images, the one whose opaque pixels all
# match the screen around the icon (tools/wine/icon-match.py). Sets shown_image ("stop 1006 750",
# or "none" with each image's count of differing pixels). Needs x and y from find_icon.
TRAY_IMAGES=("$ORV_ROOT"/resources/generated/{stop,play,pause,nocd,zcd}.ico)
image_is() {
  orv_screenshot tray-image || return 1
  shown_image=$(python3 "$ORV_TOOLS/icon-match.py" "$ORV_LAST_SHOT" "$x" "$y" "${TRAY_IMAGES[@]}")
  [[ ${shown_image%% *} == "$1" ]]
}
expect_image() { # NAME WHAT
  orv_wait_for 10 "the ${1^^} image" image_is "$1" || orv_die "$2: the icon shows $shown_image, not ${1^^}"
  orv_log "$2: the ${1^^} image at ${shown_image#* }"
}
