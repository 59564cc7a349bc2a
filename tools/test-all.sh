#!/usr/bin/env bash
# Installs what is needed, then builds and runs every check: the host tests, the same tests under
# AddressSanitizer and UBSan, the optimised host build, a 30-second run of each fuzz target, both
# Windows builds with their imports and size budgets checked, and both Windows exes under Wine;
# then a release (archives, installer, sums) and the installer under Wine; last, the idle-cost
# benchmark for information (it cannot fail the run).
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
step() { printf '\n==== %s (%ds)\n' "$*" $((SECONDS - start)); }

step "Installing packages"
tools/ci/deps.sh host windows wine release fuzz bench

step "Formatting"
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find src tests tools -name '*.cpp' -o -name '*.h')
clang-format --dry-run -Werror $files

for preset in host host-asan; do
  step "Build and test: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

step "Build: host-release (optimised, warnings as errors)"
cmake --preset host-release >/dev/null
cmake --build --preset host-release

step "Fuzz smoke run: 30 s per target"
tools/fuzz.sh 30

for preset in windows-x64 windows-x86; do
  step "Build: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

step "Imports of both exes against the oldest Windows they are for; size budgets; resources rebuilt on change"
for arch in x64 x86; do
  objdump=$([[ $arch == x64 ]] && echo x86_64-w64-mingw32-objdump || echo i686-w64-mingw32-objdump)
  budget=$([[ $arch == x64 ]] && echo 320 || echo 384)
  app=build/windows-$arch/src/app
  python3 tools/imports/check-imports.py "$app/OrvantaBrevo.exe" "$arch" --objdump "$objdump"
  python3 tools/size/check-size.py "$app/OrvantaBrevo.exe" "$app/OrvantaBrevo.map" "$budget"
  python3 tools/resgen/check-rebuild.py "build/windows-$arch"
done

step "Wine checks (x64 and x86)"
wine_start=$SECONDS
tools/wine/run-checks.sh build/windows-x64/src/app/OrvantaBrevo.exe build/windows-x86/src/app/OrvantaBrevo.exe
echo "Wine checks took $((SECONDS - wine_start))s"

step "Release: archives, installer, sums (tools/release.sh)"
tools/release.sh

step "Wine checks of the installer"
tools/wine/installer-checks.sh

step "Benchmark for information: tools/bench/bench.sh"
tools/bench/bench.sh || echo "(the benchmark did not complete; it does not fail the checks)"

step "All checks passed"
