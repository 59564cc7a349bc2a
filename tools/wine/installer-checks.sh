#!/usr/bin/env bash
# The installer under Wine, silent, in the checks' 64-bit prefix (so the x64 exe is the one
# it must pick):
#   (a) setup /S /RUN: OrvantaBrevo.exe (x64), README.txt, LICENSE.txt and Uninstall.exe in
#       %LOCALAPPDATA%\Programs\OrvantaBrevo, a Start-menu and a Startup shortcut, the Apps-list
#       entry (HKCU Uninstall key: version, location, uninstall command), and the program it
#       started runs and answers at its window;
#   (b) the exe started from the install folder runs, and OK in its property dialog writes its
#       settings file there (nowhere else); Uninstall.exe /S while it runs ends it
#       through its own exit path (exit code 0, not terminated) and leaves only the settings
#       file; the shortcuts and the Apps-list entry are gone;
#   (c) setup /S /NOSTARTUP over the kept settings: no Startup shortcut, the settings untouched,
#       nothing started; Uninstall.exe /S /REMOVESETTINGS leaves nothing, the folder included.
# Not named check-*.sh: run-checks.sh runs those against a program exe, this one takes the
# installer. Usage: tools/wine/installer-checks.sh [SETUP.EXE]
#   SETUP.EXE defaults to build/release/OrvantaBrevo-VERSION-setup.exe (tools/release.sh).
set -uo pipefail
ORV_CHECK=installer
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

version=$(python3 "$ORV_ROOT/tools/resgen/resgen.py" --print-version) || orv_die "no version in resources/src/version.txt"
setup=${1:-$ORV_ROOT/build/release/OrvantaBrevo-$version-setup.exe}
[[ -f $setup ]] || orv_die "no installer at $setup (make one: tools/release.sh)"
setup=$(realpath "$setup")
# The installer is a 32-bit exe, so that it starts on 32-bit Windows too.
orv_require x86 x64
# The prefix is 64-bit, so the installer puts in the x64 exe: the probe that watches it is the
# x64 one (tools/release.sh built that exe).
orv_use_exe "$ORV_ROOT/build/windows-x64/src/app/OrvantaBrevo.exe"
ORV_IMAGE=OrvantaBrevo.exe
TITLE=OrvantaBrevo
KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvantaBrevo'

orv_session_begin
# shellcheck source-path=SCRIPTDIR source=tray-lib.sh
source "$ORV_TOOLS/tray-lib.sh"
# Shortcuts made in the prefix must not turn into menu entries in this machine's real home.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
run_dir=$ORV_WINE_DIR/$ORV_CHECK
rm -rf "$run_dir"
mkdir -p "$run_dir"
ORV_END_IMAGES+=("$ORV_IMAGE")

profile=$WINEPREFIX/drive_c/users/$(id -un)
[[ -d $profile ]] || orv_die "the prefix has no profile folder $profile"
dir=$profile/AppData/Local/Programs/OrvantaBrevo
win_dir="C:\\users\\$(id -un)\\AppData\\Local\\Programs\\OrvantaBrevo"
programs=$profile/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs
menu_link=$programs/OrvantaBrevo.lnk
# Wine spells the folder "StartUp".
startup_dir=$(find "$programs" -maxdepth 1 -iname startup -type d) && [[ -n $startup_dir ]] ||
  orv_die "the prefix has no Startup folder in $programs"
startup_link=$startup_dir/OrvantaBrevo.lnk
orv_log "installer $setup; install folder $dir"

# A step's Windows programs run in the virtual desktop, as on a user's screen: the uninstaller
# finds the running copy's windows only on its own desktop.
step=0
run_in_desktop() {
  step=$((step + 1))
  orv_start_in_desktop "$1" "$run_dir/$step-$(basename "$1" .exe).log" "${@:2}"
}

# The Apps list starts the uninstaller from elsewhere, not from the folder it is to remove (the
# current folder of a running process cannot be removed): here through start.exe in system32.
uninstall() {
  run_in_desktop "$WINEPREFIX/drive_c/windows/system32/start.exe" "$win_dir\\Uninstall.exe" "$@"
}

apps_entry() { orv_wine 30 reg query "$KEY" 2>/dev/null | tr -d '\r'; }
no_apps_entry() { ! orv_wine 30 reg query "$KEY" >/dev/null 2>&1; }
entry_value() { awk -v name="$1" '$1 == name { sub(/^[ \t]*[^ \t]+[ \t]+[^ \t]+[ \t]+/, ""); print }' <<<"$entry"; }

# The machine field of a PE header: 34404 for x64, 332 for x86.
exe_machine() {
  local pe
  pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  od -An -tu2 -j$((pe + 4)) -N2 "$1" | tr -d ' '
}

installed_files() { (cd "$dir" 2>/dev/null && find . -type f | sed 's|^\./||' | sort | tr '\n' ' '); }
expect_files() {
  local got
  got=$(installed_files)
  [[ $got == "$1" ]] || orv_die "$2: the install folder holds '${got:-nothing}', expected '$1'"
}
expect_link() {
  [[ -f $1 ]] || orv_die "$3: no $2 shortcut ($1)"
}
expect_no_link() {
  [[ ! -e $1 ]] || orv_die "$3: the $2 shortcut is there ($1)"
}
answers() { orv_probe ping "$ORV_DESKTOP" "$ORV_IMAGE" "$TITLE" 5000; }

# Whatever an earlier run left behind: this check starts from a user who never installed it.
orv_running "$ORV_IMAGE" && orv_die "an $ORV_IMAGE is already running in $WINEPREFIX"
rm -rf "$dir" "$menu_link" "$startup_link"
no_apps_entry || orv_wine 30 reg delete "$KEY" /f >/dev/null 2>&1

# --- (a) install, start now
run_in_desktop "$setup" /S /RUN
launcher=$ORV_LAST_LAUNCHER
orv_wait_for 60 "the installed program to answer" answers || orv_die "(a) the program did not start after setup /S /RUN"
orv_log "(a) the program started by the installer answers (${ORV_WAITED_MS} ms)"
orv_wait_for 30 "the installer to end" orv_not_running "$(basename "$setup")" ||
  orv_die "(a) the installer is still running"
expect_files "LICENSE.txt OrvantaBrevo.exe README.txt Uninstall.exe " "(a)"
[[ $(exe_machine "$dir/OrvantaBrevo.exe") == 34404 ]] ||
  orv_die "(a) the installer did not pick the x64 exe on 64-bit Windows"
cmp -s "$dir/OrvantaBrevo.exe" "$ORV_ROOT/build/release/stage/OrvantaBrevo-x64.exe" ||
  orv_log "(a) note: the installed exe differs from build/release/stage (an installer from elsewhere?)"
expect_link "$menu_link" "Start-menu" "(a)"
expect_link "$startup_link" "Startup" "(a)"
entry=$(apps_entry) || orv_die "(a) no Apps-list entry $KEY"
[[ $(entry_value DisplayVersion) == "$version" ]] || orv_die "(a) the Apps-list entry says version '$(entry_value DisplayVersion)'"
[[ $(entry_value InstallLocation) == "$win_dir" ]] || orv_die "(a) the Apps-list entry says location '$(entry_value InstallLocation)'"
[[ $(entry_value UninstallString) == "\"$win_dir\\Uninstall.exe\"" ]] ||
  orv_die "(a) the Apps-list entry's uninstall command is '$(entry_value UninstallString)'"
pids=$(orv_probe list "$ORV_IMAGE")
(($(wc -l <<<"$pids") == 1)) || orv_die "(a) expected one $ORV_IMAGE, found: $pids"
orv_log "(a) files, shortcuts and the Apps-list entry are in place"
orv_end "$ORV_IMAGE" || orv_die "(a) could not end the program"
orv_wait_launcher "$launcher" 30 || orv_die "(a) the virtual desktop did not close"

# --- (b) the installed exe runs from its folder; the uninstaller ends it and keeps its settings
report=$run_dir/exit-code.txt
run_in_desktop "$ORV_PROBE" run --report "$(orv_winpath "$report")" --linger 2000 120000 "$win_dir\\OrvantaBrevo.exe"
launcher=$ORV_LAST_LAUNCHER
orv_wait_for 60 "the program to answer" answers || orv_die "(b) the installed exe did not start"
# The start-up writes the settings only when a CD device opens, which in a prefix without a CD
# drive it does not; OK in the property dialog always writes them, beside the exe and nowhere else.
stray_settings() { find "$WINEPREFIX/drive_c" -iname OrvantaBrevo.ini -not -path "$dir/*" 2>/dev/null; }
[[ -z $(stray_settings) ]] || orv_die "(b) a settings file outside the install folder: $(stray_settings)"
open_dialog installed-dialog
click_child OK
orv_wait_for 10 "the dialog to close" form_hidden || orv_die "(b) OK did not close the dialog"
orv_wait_for 10 "the settings file in the install folder" test -s "$dir/OrvantaBrevo.ini" ||
  orv_die "(b) OK wrote no settings file in the install folder"
grep -q $'^\\[RB_TabSheet\\]\r$' "$dir/OrvantaBrevo.ini" ||
  orv_die "(b) the settings file holds no [RB_TabSheet] section: $(cat "$dir/OrvantaBrevo.ini")"
[[ -z $(stray_settings) ]] || orv_die "(b) the program wrote settings outside the install folder: $(stray_settings)"
orv_log "(b) the exe runs from the install folder and OK in its dialog wrote the settings file there"
cp "$dir/OrvantaBrevo.ini" "$run_dir/settings.ini"
uninstall /S
orv_wait_for 40 "the program to end" test -s "$report" || orv_die "(b) the uninstaller did not end the running program"
outcome=$(tr -d '\r' <"$report")
[[ $outcome == "exited with code 0 "* ]] || orv_die "(b) the program must end through its own exit path (code 0): $outcome"
orv_log "(b) the uninstaller ended the program: $outcome"
orv_wait_launcher "$launcher" 60 || orv_die "(b) the uninstaller did not end (its desktop stays open)"
expect_files "OrvantaBrevo.ini " "(b)"
cmp -s "$dir/OrvantaBrevo.ini" "$run_dir/settings.ini" || orv_die "(b) the settings file changed"
expect_no_link "$menu_link" "Start-menu" "(b)"
expect_no_link "$startup_link" "Startup" "(b)"
no_apps_entry || orv_die "(b) the Apps-list entry is still there"
orv_log "(b) only the settings file is left; the shortcuts and the Apps-list entry are gone"

# --- (c) without the Startup item, then everything away
run_in_desktop "$setup" /S /NOSTARTUP
orv_wait_launcher "$ORV_LAST_LAUNCHER" 60 || orv_die "(c) setup /S /NOSTARTUP did not end"
expect_files "LICENSE.txt OrvantaBrevo.exe OrvantaBrevo.ini README.txt Uninstall.exe " "(c)"
cmp -s "$dir/OrvantaBrevo.ini" "$run_dir/settings.ini" || orv_die "(c) the install changed the kept settings file"
expect_link "$menu_link" "Start-menu" "(c)"
expect_no_link "$startup_link" "Startup" "(c)"
orv_not_running "$ORV_IMAGE" || orv_die "(c) a silent install without /RUN started the program"
apps_entry >/dev/null || orv_die "(c) no Apps-list entry"
orv_log "(c) installed without the Startup shortcut; the settings were kept"
uninstall /S /REMOVESETTINGS
orv_wait_launcher "$ORV_LAST_LAUNCHER" 60 || orv_die "(c) Uninstall.exe /S /REMOVESETTINGS did not end"
[[ ! -e $dir ]] || orv_die "(c) the install folder is still there, holding '$(installed_files)'"
expect_no_link "$menu_link" "Start-menu" "(c)"
no_apps_entry || orv_die "(c) the Apps-list entry is still there"
orv_log "(c) nothing is left"

orv_log "PASS"
