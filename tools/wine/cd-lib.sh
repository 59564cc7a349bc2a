# shellcheck shell=bash
# The Wine checks' CD drive: D: as a CD-ROM drive over build/wine/ARCH/cd-drive holding one of the
# sample disc images (tools/discs), inserted, changed and removed while programs run through
# cddrive.exe, which the Windows preset of the exe's architecture builds. Source after lib.sh.

# Sets ORV_CDDRIVE and ORV_DISCS (the sample images, made on first use) for the exe under test.
orv_cd_begin() {
  ORV_CDDRIVE=$ORV_ROOT/build/windows-$ORV_ARCH/tools/wine/cd/cddrive.exe
  [[ -f $ORV_CDDRIVE ]] ||
    orv_die "no $ORV_CDDRIVE (build it: cmake --preset windows-$ORV_ARCH && cmake --build --preset windows-$ORV_ARCH)"
  ORV_DISCS=$ORV_WINE_DIR/discs
  [[ -f $ORV_DISCS/short.bin ]] || timeout 60 python3 "$ORV_ROOT/tools/discs/make-images.py" "$ORV_DISCS" >/dev/null ||
    orv_die "could not make the sample disc images in $ORV_DISCS"
  ORV_CD_FOLDER=$ORV_OUT/cd-drive
}

# orv_cd_insert SHEET: puts the sample image SHEET (three-tracks.cue …) into D:.
orv_cd_insert() {
  local out
  out=$(orv_wine 60 "$ORV_CDDRIVE" insert D: "$ORV_CD_FOLDER" "$ORV_DISCS/$1" | tr -d '\r') ||
    orv_die "cddrive could not insert $1: $out"
  orv_log "inserted: $out"
}

orv_cd_remove() {
  local out
  out=$(orv_wine 60 "$ORV_CDDRIVE" remove D: | tr -d '\r') || orv_die "cddrive could not remove the disc: $out"
  orv_log "removed: $out"
}

# Prints what a program sees of D: (cddrive show).
orv_cd_show() { orv_wine 60 "$ORV_CDDRIVE" show D: | tr -d '\r'; }

# The CD-audio driver (orvanta-cdaudio.dll) of the exe's architecture, registered as the prefix's
# cdaudio device for this check only: in system32 and the 64-bit registry for the x64 exe, in
# syswow64 and the 32-bit registry for the x86 one (a plain `wine reg` writes the 32-bit view).
# Its record starts empty.
orv_cd_driver_begin() {
  local dll=$ORV_ROOT/build/windows-$ORV_ARCH/tools/wine/cd/orvanta-cdaudio.dll folder view
  [[ -f $dll ]] || orv_die "no $dll (build the windows-$ORV_ARCH preset)"
  case $ORV_ARCH in
    x64) folder=system32 view=64 ;;
    x86) folder=syswow64 view=32 ;;
  esac
  cp "$dll" "$WINEPREFIX/drive_c/windows/$folder/" || orv_die "could not copy the driver into the prefix"
  ORV_MCI_KEY='HKLM\Software\Microsoft\Windows NT\CurrentVersion\MCI'
  ORV_MCI_VIEW=/reg:$view
  orv_wine 60 reg add "$ORV_MCI_KEY" /v cdaudio /t REG_SZ /d orvanta-cdaudio.dll /f "$ORV_MCI_VIEW" >/dev/null ||
    orv_die "could not register the driver"
  ORV_CLEANUPS+=("orv_wine 60 reg delete '$ORV_MCI_KEY' /v cdaudio /f $ORV_MCI_VIEW")
  ORV_RECORD=$WINEPREFIX/drive_c/windows/orvanta-cdaudio-record.txt
  : >"$ORV_RECORD"
  ORV_LOGS+=("$ORV_RECORD")
}

# The last record line of EVENT (head, command, door, disc, notify), without its time.
orv_record_last() { grep -P "^\d+\t$1\t" "$ORV_RECORD" | tail -1 | cut -f3-; }
# Succeeds when the last line of EVENT matches the extended regular expression.
orv_record_now() { [[ $(orv_record_last "$1") =~ $2 ]]; }

# The driver's head is as the extended regular expression PATTERN says.
head_is() { orv_record_now head "$1"; }
expect_head() { # PATTERN BOUND_S WHAT
  orv_wait_for "$2" "$3" head_is "$1" || orv_die "$3: the driver's head reads \"$(orv_record_last head)\""
  orv_log "$3: $(orv_record_last head) (after ${ORV_WAITED_MS} ms)"
}

# orv_cd_check_begin EXE SHEET: the opening of a check of the program with a disc: the check's
# session and folder (orv_program_check_begin), the CD-audio driver, and the sample image SHEET in
# D:, taken out again however the check ends.
orv_cd_check_begin() {
  orv_program_check_begin "$1"
  orv_cd_begin
  orv_cd_driver_begin
  orv_cd_insert "$2"
  ORV_CLEANUPS+=("orv_cd_remove")
}
