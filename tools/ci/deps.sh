#!/usr/bin/env bash
# Installs the Debian 12 packages a group of tasks needs.
# Usage: deps.sh [--print] host|windows|wine|release|fuzz|bench ...
# --print lists the groups' packages, one a line, and installs nothing.
# Every program a stage runs comes from a package named here for that stage, not from one that a
# machine happens to have: a fresh Debian 12 (minbase) has only the essential packages.
# Runs apt-get as root, or through sudo when not root. Packages named NAME:i386 are
# 32-bit ones; the i386 architecture is added to dpkg the first time one is missing.
set -euo pipefail

print=0
if [[ ${1:-} == --print ]]; then
  print=1
  shift
fi
packages=()
for group in "$@"; do
  case "$group" in
    # libedit-dev: line editing in the console at a terminal. git: the formatting check's and the
    # release's list of files and time stamp.
    host) packages+=(build-essential cmake libgtest-dev libgmock-dev libedit-dev python3 clang-format git) ;;
    windows) packages+=(mingw-w64) ;;
    # wine64 runs the x64 exe, wine32:i386 the x86 one; both are named, as Debian's wine package
    # takes either for enough. imagemagick takes and reads the screenshots, the font draws the
    # Japanese captions, locales builds the Japanese locale that Windows 9x runs in.
    wine) packages+=(wine wine64 wine32:i386 xvfb xdotool imagemagick fonts-ipafont-gothic locales) ;;
    release) packages+=(nsis zip) ;;
    # The idle-cost benchmark (tools/bench) counts system calls with strace.
    bench) packages+=(strace) ;;
    # clang with libFuzzer and the sanitizer runtimes (tests/fuzz, tools/fuzz.sh).
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    *) echo "deps.sh: unknown group '$group'" >&2; exit 2 ;;
  esac
done

if ((print)); then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
if [[ " ${missing[*]}" == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386
fi
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
