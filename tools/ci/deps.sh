#!/usr/bin/env bash
# Installs the Debian 12 packages a group of tasks needs. Usage: deps.sh host|windows|wine|release|fuzz|bench ...
# Runs apt-get as root, or through sudo when not root. Packages named NAME:i386 are
# 32-bit ones; the i386 architecture is added to dpkg the first time one is missing.
set -euo pipefail

packages=()
for group in "$@"; do
  case "$group" in
    # libedit-dev: line editing in the console at a terminal.
    host) packages+=(build-essential cmake libgtest-dev libgmock-dev libedit-dev python3 clang-format) ;;
    windows) packages+=(mingw-w64) ;;
    # wine32:i386 runs the x86 exe (the 64-bit Wine alone runs only the x64 one).
    wine) packages+=(wine wine64 wine32:i386 xvfb xdotool imagemagick fonts-ipafont-gothic locales procps) ;;
    release) packages+=(nsis zip) ;;
    # The idle-cost benchmark (tools/bench) counts system calls with strace.
    bench) packages+=(strace) ;;
    # clang with libFuzzer and the sanitizer runtimes (tests/fuzz, tools/fuzz.sh).
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    *) echo "deps.sh: unknown group '$group'" >&2; exit 2 ;;
  esac
done

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
