#!/usr/bin/env python3
"""Does the test suite catch real faults? Seeds each fault below into the program's source, one
at a time: apply, build the host preset, run ctest, revert. Prints caught / MISSED per fault.

    python3 tools/faults/seed.py [--only ID,ID] [--list] [--out FILE]

Run by hand (a few minutes: one incremental build and one ctest run per fault), before and after
a change to the tests; a fault that was caught before must be caught after. The checkout must
have no uncommitted changes under src/ or tools/. WT=DIR runs it on another checkout. A fault
whose text no longer matches the source is reported NOT-APPLICABLE: update its lines."""
import argparse
import os
import subprocess
import sys
import time
from pathlib import Path

WT = os.environ.get('WT', str(Path(__file__).resolve().parents[2]))
# id, the test folders meant to catch it, file, text, the text that replaces it
FAULTS = [
 # --- faults that once went through the tests
 ('cdinserted-pause', 'player form', 'src/form/DiscMonitor.cpp',
  'MediaPlayer->Open();\n  Pause->SetEnabled(false);\n', 'MediaPlayer->Open();\n'),
 ('previous-stopped-plays', 'player', 'src/form/PlayerCommands.cpp',
  '  } else {\n    MediaPlayer->Previous();\n  }', '  } else {\n    MediaPlayer->Previous();\n    MediaPlayer->Play();\n  }'),
 ('close-forgets-device', 'mci', 'src/mci/MPlayer.cpp',
  '  error_ = SendGeneric(MCI_CLOSE);\n  if (error_ != 0) return;\n', '  error_ = SendGeneric(MCI_CLOSE);\n'),
 ('popup-no-messages', 'tray player', 'src/tray/CallbackWindow.cpp',
  '    if (vcl::Application) vcl::Application->ProcessMessages();\n', ''),
 ('restore-no-passes', 'player form', 'src/form/PlayerSide.cpp',
  '  for (int i = 0; i < 3; ++i) vcl::Application->ProcessMessages();\n', ''),
 ('ini-location-any-dot', 'form sim', 'src/form/SettingsSide.cpp',
  'if (dot != std::string::npos && (separator == std::string::npos || dot > separator)) {', 'if (dot != std::string::npos && (separator == std::string::npos || dot != separator)) {'),
 ('formcreate-unguarded', 'form toolkit', 'src/toolkit/Forms.cpp',
  'if (OnCreate) Guarded([&] { OnCreate(this); });', 'if (OnCreate) OnCreate(this);'),
 ('integer-sign-before-prefix', 'toolkit profile', 'src/toolkit/SysUtils.cpp',
  "  if (!digits.empty() && digits.front() == '$') {",
  "  if (digits.size() > 1 && (digits[0] == '-' || digits[0] == '+') && (digits[1] == '$' || digits[1] == '0')) {\n    negative = digits.front() == '-';\n    digits.remove_prefix(1);\n  }\n  if (!digits.empty() && digits.front() == '$') {"),
 ('volume-name-kept', 'form player', 'src/form/PlayerSide.cpp',
  "    VolumeSerial = 0;\n    VolumeName[0] = '\\0';\n", "    VolumeSerial = 0;\n"),
 ('click-done-needs-handler', 'tray', 'src/tray/CallbackWindow.cpp',
  '  if (currentIcon_) currentIcon_->clickPending_ = false;', '  if (currentIcon_ && currentIcon_->OnClick) currentIcon_->clickPending_ = false;'),
 ('disabled-takes-dblclick', 'tray', 'src/tray/CallbackWindow.cpp',
  '  if (!icon->Enabled()) return;', '  if (!icon->Enabled() && mouseMessage != WM_LBUTTONDBLCLK) return;'),
 ('confirm-anything-but-cancel', 'player', 'src/form/RightClickMenu.cpp',
  '  return answer == IDOK;', '  return answer != IDCANCEL;'),
 ('confirm-box-not-modal', 'player', 'src/form/RightClickMenu.cpp',
  'MB_SETFOREGROUND | MB_TASKMODAL,', 'MB_SETFOREGROUND,'),
 ('exit-closes-without-stop', 'player', 'src/form/RightClickMenu.cpp',
  '  try {\n    MediaPlayer->Stop();', '  try {\n    MediaPlayer->Close();'),
 ('kernel16-by-getprocaddress', 'exitwin player', 'src/exitwin/ExitWin32.cpp',
  '  if (FARPROC found = ExportByOrdinal(kernel, ordinal)) return found;\n', ''),
 # --- Windows facts and the end-of-play mend
 ('end-of-play-not-seen', 'player', 'src/form/DiscMonitor.cpp',
  '  if (track > lastAudio) return true;\n  if (track != lastAudio) return false;', '  if (track != lastAudio) return false;'),
 ('end-of-play-late-twice', 'player', 'src/form/PlayerCommands.cpp',
  '  if (!Pause->Enabled() || MediaPlayer->Mode() == mpPlaying) return;\n  DiscEnded();', '  DiscEnded();'),
 ('status-start-with-track', 'cdaudio mcicd emu', 'src/platform/cdaudio/device.cpp',
  'if (query.start && (*query.item != kStatusPosition || query.track)) {', 'if (query.start && *query.item != kStatusPosition) {'),
 ('seek-start-data-track', 'cdaudio', 'src/platform/cdaudio/device.cpp',
  'frame = toc.TrackStart(toc.FirstAudioTrack());', 'frame = toc.TrackStart(1);'),
 ('volume-no-dir-check', 'emu form', 'src/platform/emu/kernel32.cpp',
  'if (std::strlen(rootPathName) == 2 && machine.DriveDirectory(*letter) != "\\\\") {', 'if (false) {'),
 ('open-element-error', 'emu mci', 'src/platform/emu/winmm.cpp',
  'if (it == impl_.drives.end() || !it->second.cd) return MCIERR_INVALID_FILE;', 'if (it == impl_.drives.end() || !it->second.cd) return MCIERR_INVALID_DEVICE_NAME;'),
 # --- one per component
 ('cdaudio-msf-seconds', 'cdaudio', 'src/platform/cdaudio/time_format.cpp',
  'if (seconds >= 60 || frames >= kFramesPerSecond)', 'if (seconds > 60 || frames >= kFramesPerSecond)'),
 ('mci-next-wraps', 'mci', 'src/mci/MPlayer.cpp',
  'track == tracks ? TrackPosition(tracks) :', 'track == tracks ? TrackPosition(1) :'),
 ('toolkit-menu-unchecked', 'toolkit player', 'src/toolkit/Menus.cpp',
  '      if (item->Checked()) flags |= MF_CHECKED;\n', ''),
 ('tray-restart-stops-at-error', 'tray', 'src/tray/CallbackWindow.cpp',
  '      if (!firstError) firstError = std::current_exception();', '      throw;'),
 ('exitwin-reboot-shuts-down', 'exitwin', 'src/exitwin/ExitWin32.cpp',
  'PrivilegedExit(EWX_REBOOT, kRebootTexts);', 'PrivilegedExit(EWX_SHUTDOWN, kRebootTexts);'),
 ('profile-comment', 'profile', 'src/platform/profile/ini_text.cpp',
  "if (content[first] == ';') {", "if (content[first] == '#') {"),
 ('text-always-wide', 'player emu', 'src/toolkit/WinText.cpp',
  'return (GetVersion() & 0x80000000u) == 0;', 'return true;'),
 ('title-default-shown', 'player', 'src/form/DiscTitle.cpp',
  'TrayIcon->SetTipHelp(title == kDefaultTitle ? kUnnamedTip : title);', 'TrayIcon->SetTipHelp(title);'),
 ('sim-no-dismiss', 'sim', 'tools/sim/Console.cpp',
  '      {"dismiss", &Console::Dismiss},\n', ''),
 ('autoplay-first-disc', 'player', 'src/form/DiscMonitor.cpp',
  '  if (InsertCount <= 1) {', '  if (InsertCount < 1) {'),
 # --- the dialog's keyboard, focus and frame
 ('save-stays-enabled', 'player', 'src/form/DialogCommands.cpp',
  '  ApplyMenuSettings();\n  Save_Button->SetEnabled(false);', '  ApplyMenuSettings();'),
 ('focus-left-on-disabled', 'player', 'src/toolkit/Controls.cpp',
  'form->MoveFocusFrom(window_);', '(void)form;'),
 ('form-forgets-focus', 'player', 'src/toolkit/Forms.cpp',
  '  if (active) {\n    RestoreFocus();\n    return;\n  }', '  if (active) return;'),
 ('frame-system-dpi', 'player', 'src/toolkit/FormWindows.cpp',
  '"AdjustWindowRectExForDpi"', '"AdjustWindowRectExForDpiX"'),
]

def run(cmd):
    return subprocess.run(cmd, cwd=WT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)


def failed_tests(ctest_output):
    return [line.strip() for line in ctest_output.splitlines() if "***" in line]


def seed(path, old, new):
    """(outcome, detail) of one fault; the file is restored whatever happens."""
    full = Path(WT) / path
    text = full.read_text(encoding="utf-8")
    if text.count(old) != 1:
        return "NOT-APPLICABLE", f"its text is found {text.count(old)} times in {path}"
    try:
        full.write_text(text.replace(old, new), encoding="utf-8")
        build = run(["cmake", "--build", "--preset", "host", "-j2"])
        if build.returncode != 0:
            return "BUILD-FAILS", build.stdout[-300:]
        tests = run(["ctest", "--test-dir", "build/host", "-j2", "--timeout", "120"])
        return ("caught" if tests.returncode != 0 else "MISSED"), "; ".join(failed_tests(tests.stdout))[:300]
    finally:
        full.write_text(text, encoding="utf-8")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--only", help="comma-separated fault ids")
    parser.add_argument("--list", action="store_true", help="list the faults and the folders meant to catch them")
    parser.add_argument("--out", type=Path, help="also write the results to this file")
    args = parser.parse_args()
    if args.list:
        for fault_id, meant, path, _, _ in FAULTS:
            print(f"{fault_id:30} {meant:20} {path}")
        return 0
    only = set(args.only.split(",")) if args.only else None
    if run(["git", "diff", "--quiet", "--", "src", "tools"]).returncode != 0:
        sys.exit("uncommitted changes under src/ or tools/: commit or stash them first")
    baseline = run(["bash", "-c", "cmake --preset host >/dev/null && cmake --build --preset host -j2 >/dev/null"
                    " && ctest --test-dir build/host -j2 >/dev/null"])
    if baseline.returncode != 0:
        sys.exit("the build or the tests fail without a fault: " + baseline.stdout[-2000:])
    results = []
    for fault_id, _, path, old, new in FAULTS:
        if only and fault_id not in only:
            continue
        start = time.time()
        outcome, detail = seed(path, old, new)
        results.append((fault_id, outcome, f"{time.time() - start:.0f}s {detail}"))
        print("\t".join(results[-1]), flush=True)
    run(["cmake", "--build", "--preset", "host", "-j2"])
    summary = f"{sum(1 for r in results if r[1] == 'caught')} of {len(results)} caught"
    print(summary)
    if args.out:
        args.out.write_text("".join("\t".join(r) + "\n" for r in results) + summary + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
