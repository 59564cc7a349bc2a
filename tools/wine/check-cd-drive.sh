#!/usr/bin/env bash
# The virtual CD drive the player checks stand on, while the program runs in the desktop:
#   (a) the three-track audio image in D: shows as a CD-ROM with label "Audio CD" and the serial
#       the emulation computes from its table of contents (000C-2C3B);
#   (b) the data-only image put in instead shows its own label (CDROM) and serial at once;
#   (c) removed, the volume query fails;
#   (d) a malformed sheet is refused with its line and the drive keeps what it had;
#   (e) the program answers throughout.
# Usage: tools/wine/check-cd-drive.sh EXE
set -uo pipefail
ORV_CHECK=cd-drive
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
# shellcheck source-path=SCRIPTDIR source=cd-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/cd-lib.sh"

orv_program_check_begin "${1:?usage: $0 path/to/OrvantaBrevo.exe}"
orv_cd_begin

expect_drive() {
  local seen
  seen=$(orv_cd_show)
  orv_log "D: now: $seen"
  [[ $seen == "$1" ]] || orv_die "expected \"$1\", saw \"$seen\""
}

orv_start_in_desktop "$exe" "$run_dir/program.log"
orv_wait_for 60 "window \"$TITLE\" to answer" orv_probe ping "$ORV_DESKTOP" "$ORV_IMAGE" "$TITLE" 5000 ||
  orv_die "the program never answered at its window \"$TITLE\""

# (a)
orv_cd_insert three-tracks.cue
expect_drive 'D: type 5 label "Audio CD" serial 000C-2C3B fs CDFS'
# (b)
orv_cd_insert data-only.cue
expect_drive 'D: type 5 label "CDROM" serial 0000-59E4 fs CDFS'
# (c)
orv_cd_remove
expect_drive 'D: type 1 no volume (error 3)'
# (d)
orv_cd_insert short.cue
printf 'FILE "short.bin" BINARY\r\n  TRACK 01 AUDIO\r\n  TRACK 02 AUDIO\r\n' >"$ORV_DISCS/broken.cue"
refusal=$(orv_wine 60 "$ORV_CDDRIVE" insert D: "$ORV_CD_FOLDER" "$ORV_DISCS/broken.cue" | tr -d '\r')
rc=$?
orv_log "broken sheet: status $rc: $refusal"
((rc == 1)) || orv_die "a malformed sheet must be refused with status 1, not $rc"
[[ $refusal == *"broken.cue line 3: track 1 (line 2) has no INDEX 01" ]] ||
  orv_die "the refusal does not name the line and the reason: $refusal"
expect_drive 'D: type 5 label "Audio CD" serial 0000-1200 fs CDFS'
# (e)
orv_probe ping "$ORV_DESKTOP" "$ORV_IMAGE" "$TITLE" 5000 >/dev/null ||
  orv_die "the program stopped answering while the discs changed"
orv_cd_remove
orv_end "$ORV_IMAGE" || orv_die "could not end the program"
orv_log "PASS"
