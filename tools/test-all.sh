#!/usr/bin/env bash
# Installs what is needed, then builds and runs every check: the host tests, the same tests under
# AddressSanitizer and UBSan, a 30-second run of each fuzz target, both Windows builds, and both
# Windows exes under Wine; then a release (archives, installer, sums) and the installer under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
step() { printf '\n==== %s (%ds)\n' "$*" $((SECONDS - start)); }

step "Installing packages"
tools/ci/deps.sh host windows wine release fuzz

step "Formatting"
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find src tests tools -name '*.cpp' -o -name '*.h')
clang-format --dry-run -Werror $files

for preset in host host-asan; do
  step "Build and test: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

step "Fuzz smoke run: 30 s per target"
tools/fuzz.sh 30

for preset in windows-x64 windows-x86; do
  step "Build: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

step "Wine checks (x64 and x86)"
wine_start=$SECONDS
tools/wine/run-checks.sh build/windows-x64/src/app/OrvantaBrevo.exe build/windows-x86/src/app/OrvantaBrevo.exe
echo "Wine checks took $((SECONDS - wine_start))s"

step "Release: archives, installer, sums (tools/release.sh)"
tools/release.sh

step "Wine checks of the installer"
tools/wine/installer-checks.sh

step "All checks passed"
