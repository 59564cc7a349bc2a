#!/usr/bin/env bash
# Makes a release under build/release/: both Windows builds, a zip of each (exe, README.txt,
# LICENSE.txt), the per-user installer OrvantaBrevo-VERSION-setup.exe and SHA256SUMS, then checks
# what it made (tools/release/check-release.py). The version is resources/src/version.txt's.
# Usage: tools/release.sh
set -euo pipefail
cd "$(dirname "$0")/.."

tools/ci/deps.sh host windows release

version=$(python3 tools/resgen/resgen.py --print-version)
# The installer's own version block wants four numbers.
IFS=. read -r -a parts <<<"$version"
while ((${#parts[@]} < 4)); do parts+=(0); done
version4=$(IFS=.; echo "${parts[*]}")

for preset in windows-x64 windows-x86; do
  echo "==== Build: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

out=build/release
stage=$out/stage
rm -rf "$out"
mkdir -p "$stage"

# Notepad reads UTF-8 with a byte-order mark on every Windows that has it, and CR LF everywhere.
to_windows_text() { printf '\xef\xbb\xbf'; sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$1"; }
to_windows_text tools/release/README.txt >"$stage/README.txt"
to_windows_text LICENSE >"$stage/LICENSE.txt"
cp resources/generated/mainicon.ico "$stage/OrvantaBrevo.ico"

# The zips' time stamps are the last commit's, so the same tree gives the same zips (the installer
# carries the time it was made).
stamp=$(git log -1 --format=%ct 2>/dev/null || date +%s)
for arch in x64 x86; do
  cp "build/windows-$arch/src/app/OrvantaBrevo.exe" "$stage/OrvantaBrevo-$arch.exe"
  dir=$stage/zip-$arch
  mkdir -p "$dir"
  cp "$stage/OrvantaBrevo-$arch.exe" "$dir/OrvantaBrevo.exe"
  cp "$stage/README.txt" "$stage/LICENSE.txt" "$dir/"
  touch -d "@$stamp" "$dir"/*
  zip="$PWD/$out/OrvantaBrevo-$version-$arch.zip"
  (cd "$dir" && TZ=UTC zip -q -X -D "$zip" OrvantaBrevo.exe README.txt LICENSE.txt)
done

echo "==== Installer"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DVERSION4="$version4" \
  -DSTAGE="$PWD/$stage" -DOUTFILE="$PWD/$out/OrvantaBrevo-$version-setup.exe" \
  tools/release/OrvantaBrevo.nsi

(cd "$out" && sha256sum "OrvantaBrevo-$version-x64.zip" "OrvantaBrevo-$version-x86.zip" \
  "OrvantaBrevo-$version-setup.exe" >SHA256SUMS)

python3 tools/release/check-release.py "$out" "$version"
ls -l "$out"
