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
