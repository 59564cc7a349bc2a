#!/usr/bin/env bash
# Takes the README's pictures again from a Wine run of the x64 exe: the checks that photograph the
# two tray menus and the dialog's three pages run (tools/wine/run-checks.sh), and their cuts are
# copied, stripped of metadata, to docs/images/. Build the exe first (cmake --preset windows-x64 &&
# cmake --build --preset windows-x64).
# Usage: tools/wine/readme-images.sh [EXE]
set -euo pipefail
cd "$(dirname "$0")/../.."
exe=${1:-build/windows-x64/src/app/OrvantaBrevo.exe}
[[ -f $exe ]] || { echo "no exe at $exe (build it: cmake --preset windows-x64 && cmake --build --preset windows-x64)" >&2; exit 1; }
# A picture over this size is not a cut of a menu or of the dialog.
limit_kb=64

ORVANTA_WINE_CHECKS="tray player dialog" tools/wine/run-checks.sh "$exe"
# shellcheck source-path=SCRIPTDIR source=lib.sh
source tools/wine/lib.sh
shots=build/wine/$(orv_exe_arch "$exe")
declare -A pictures=(
  [player-menu]=menu-player-playing
  [exit-menu]=menu-right
  [dialog-player]=dialog-page1
  [dialog-menu]=dialog-page2
  [dialog-version]=dialog-page3
)
mkdir -p docs/images
for picture in "${!pictures[@]}"; do
  src=$shots/${pictures[$picture]}.png
  [[ -f $src ]] || { echo "the checks left no $src" >&2; exit 1; }
  convert "$src" -strip -define png:compression-level=9 "docs/images/$picture.png"
  kb=$((($(stat -c %s "docs/images/$picture.png") + 1023) / 1024))
  ((kb <= limit_kb)) || { echo "docs/images/$picture.png is $kb KB, over $limit_kb KB" >&2; exit 1; }
  echo "docs/images/$picture.png  $(identify -format '%wx%h' "docs/images/$picture.png")  $kb KB"
done
