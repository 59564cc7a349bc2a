# shellcheck shell=bash
# shellcheck disable=SC2034 # ORV_WAITED_MS, ORV_LAST_LAUNCHER are read by the check scripts
# Shared parts of the Wine checks; source it, do not run it.
#
# A run owns one Xvfb, one Wine prefix and one wineserver. run-checks.sh opens
# the session and the check scripts it calls join it; a check started on its
# own opens its own. Every wait has a bound, and clean-up on any exit ends only
# what this run started: its programs, its prefix's wineserver, its Xvfb (by PID).
#
# The exe under test is x64 or x86 (orv_use_exe); both run in the one 64-bit
# prefix. Helpers (probe.exe, trayprobe.exe) are built for the exe's
# architecture into build/wine/bin/ARCH, and a check's logs and screenshots go
# to build/wine/ARCH, so the x86 exe is looked at by 32-bit programs as it
# would be on 32-bit Windows.
#
# Knobs (environment):
#   ORVANTA_WINE_LOCALE    e.g. ja_JP.UTF-8: built with localedef into
#                          build/wine/locale; each locale gets its own prefix
#   ORVANTA_WINEDEBUG      WINEDEBUG for every wine call (default -all)
#   ORVANTA_WINE_LOCK_WAIT seconds to wait for another run in this tree (default 900)
#   ORVANTA_WINE_LOADERS   where Wine's loaders wine64 and wine are (default /usr/lib/wine)
#   ORVANTA_JAPANESE_FONT  the font file the Japanese captions need

ORV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
ORV_TOOLS=$ORV_ROOT/tools/wine
ORV_WINE_DIR=$ORV_ROOT/build/wine
ORV_DESKTOP=orvanta
ORV_DESKTOP_SIZE=1024x768
ORV_SCREEN=1280x800x24
ORV_ARCH=               # x64 or x86: the exe under test's, set by orv_use_exe
ORV_OUT=$ORV_WINE_DIR   # this architecture's logs and screenshots
ORV_PROBE=
ORV_LOCALE=${ORVANTA_WINE_LOCALE:-}
if [[ -n $ORV_LOCALE ]]; then
  ORV_PREFIX=$ORV_WINE_DIR/prefix-$ORV_LOCALE
else
  ORV_PREFIX=$ORV_WINE_DIR/prefix
fi

ORV_T0=$(date +%s%N)
ORV_OWNER=0            # 1 when this shell opened the session and must close it
ORV_XVFB_PID=
ORV_LAUNCHERS=()       # background `wine explorer` launchers started by this shell
ORV_END_IMAGES=()      # Windows images to end when this shell exits
ORV_LAST_SHOT=
ORV_CHECK=${ORV_CHECK:-wine}
ORV_WAITED_MS=0
ORV_LOGS=()            # logs whose tail a failure report shows
ORV_CLEANUPS=()        # commands run on exit, before the programs are ended

orv_ms() { echo $((($(date +%s%N) - ORV_T0) / 1000000)); }

orv_log() {
  local ms
  ms=$(orv_ms)
  printf '[%d.%03ds] %s\n' $((ms / 1000)) $((ms % 1000)) "$*"
}

# Prints what was seen, then exits non-zero; the EXIT trap cleans up.
orv_die() {
  echo "FAIL ($ORV_CHECK): $*" >&2
  [[ -n ${ORV_SESSION:-} ]] && orv_report_seen >&2
  exit 1
}

orv_report_seen() {
  echo "--- what was seen"
  if [[ -n ${WINEPREFIX:-} && -x $ORV_PROBE && -n ${ORV_IMAGE:-} ]]; then
    echo "Windows processes named $ORV_IMAGE:"
    orv_probe list "$ORV_IMAGE" | sed 's/^/  /'
    echo "their top-level windows (pid, visibility, width, height, class, title):"
    orv_probe windows "$ORV_DESKTOP" "$ORV_IMAGE" | sed 's/^/  /'
  fi
  if [[ -n ${DISPLAY:-} ]] && orv_screenshot "$ORV_CHECK-failure"; then
    echo "screenshot: $ORV_LAST_SHOT"
  elif [[ -n $ORV_LAST_SHOT ]]; then
    echo "last screenshot: $ORV_LAST_SHOT"
  fi
  local log
  for log in "${ORV_LOGS[@]}"; do
    [[ -s $log ]] || continue
    echo "tail of $log:"
    tail -n 20 "$log" | sed 's/^/  /'
  done
  echo "prefix: ${WINEPREFIX:-none}; display: ${DISPLAY:-none}"
  echo "For Wine's own error messages run again with ORVANTA_WINEDEBUG=err+all; the"
  echo "programs' Wine output then goes to $ORV_OUT/$ORV_CHECK/*.log and to this log."
  echo "---"
}

# orv_wait_for BOUND_S DESCRIPTION COMMAND...: polls COMMAND until it succeeds.
# Sets ORV_WAITED_MS; returns 1 when the bound passes first.
orv_wait_for() {
  local bound=$1 what=$2
  shift 2
  local start now
  start=$(date +%s%N)
  while :; do
    if "$@" >/dev/null 2>&1; then
      ORV_WAITED_MS=$((($(date +%s%N) - start) / 1000000))
      return 0
    fi
    now=$(date +%s%N)
    if (((now - start) / 1000000000 >= bound)); then
      ORV_WAITED_MS=$(((now - start) / 1000000))
      echo "gave up after ${bound}s waiting for: $what" >&2
      return 1
    fi
    sleep 0.1
  done
}

# Runs a command without the run's lock descriptor: a wineserver or Xvfb that
# inherited it would keep the next run waiting.
orv_nolock() {
  if [[ -n ${ORV_LOCK_FD:-} ]]; then
    "$@" {ORV_LOCK_FD}>&-
  else
    "$@"
  fi
}

# Every wine call is bounded: a wedged wineserver must fail the check, not hang
# CI. (timeout ends the whole process group, so programs meant to keep running
# are started without it: see orv_start_in_desktop.) Run from a terminal,
# timeout's group is a background one, which the terminal stops when it reads
# from it; stdin is /dev/null so that nothing ever can.
orv_wine() {
  local bound=$1
  shift
  orv_nolock timeout -k 5 "$bound" wine "$@" </dev/null
}

orv_wineserver() { orv_nolock timeout 30 wineserver "$@" 2>/dev/null; }

orv_probe() { orv_wine 90 "$ORV_PROBE" "$@"; }

# Z: maps to / in every prefix wineboot makes (checked when the prefix is made).
orv_winpath() {
  local p
  p=$(realpath -m "$1")
  echo "Z:${p//\//\\}"
}

orv_screenshot() {
  local shot=$ORV_OUT/$1.png
  timeout 30 import -display "$DISPLAY" -window root "$shot" 2>/dev/null || return 1
  ORV_LAST_SHOT=$shot
}

# orv_cut NAME LEFT TOP RIGHT BOTTOM [MARGIN]: the rectangle (and MARGIN pixels round it, kept on
# the screen) of the last screenshot as ORV_OUT/NAME.png; the README's pictures are such cuts.
orv_cut() {
  local name=$1 m=${6:-0} size w h
  size=$(identify -format '%w %h' "$ORV_LAST_SHOT") || return 1
  read -r w h <<<"$size"
  local l=$(($2 - m)) t=$(($3 - m)) r=$(($4 + m)) b=$(($5 + m))
  ((l < 0)) && l=0
  ((t < 0)) && t=0
  ((r > w)) && r=$w
  ((b > h)) && b=$h
  convert "$ORV_LAST_SHOT" -crop "$((r - l))x$((b - t))+$l+$t" +repage "$ORV_OUT/$name.png"
}

orv_xvfb_start() {
  local n ready pid
  mkdir -p "$ORV_WINE_DIR"
  for ((n = 90; n < 190; n++)); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    ready=$ORV_PREFIX.xvfb-ready
    rm -f "$ready"
    # -displayfd reports the number only once the server accepts clients.
    # exec, so that $! is the server itself and the clean-up ends it by that PID.
    (
      if [[ -n ${ORV_LOCK_FD:-} ]]; then exec {ORV_LOCK_FD}>&-; fi
      exec Xvfb ":$n" -screen 0 "$ORV_SCREEN" -nolisten tcp -displayfd 3 3>"$ready"
    ) >"$ORV_WINE_DIR/xvfb.log" 2>&1 &
    pid=$!
    local i
    for ((i = 0; i < 150; i++)); do
      [[ -s $ready ]] && break
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    if [[ -s $ready ]] && kill -0 "$pid" 2>/dev/null; then
      ORV_XVFB_PID=$pid
      export DISPLAY=:$n
      rm -f "$ready"
      return 0
    fi
    # Taken by someone else in the meantime, or too slow: this one is ours to end.
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  orv_die "no free X display in :90..:189 (see $ORV_WINE_DIR/xvfb.log)"
}

orv_locale_setup() {
  [[ -n $ORV_LOCALE ]] || return 0
  local dir=$ORV_WINE_DIR/locale
  if [[ ! -d $dir/$ORV_LOCALE ]]; then
    mkdir -p "$dir"
    # localedef warns (status 1) on harmless things; the folder is what counts.
    timeout 120 localedef -i "${ORV_LOCALE%%.*}" -f "${ORV_LOCALE#*.}" "$dir/$ORV_LOCALE" \
      >"$dir/localedef.log" 2>&1
    [[ -d $dir/$ORV_LOCALE ]] || orv_die "localedef could not build $ORV_LOCALE (see $dir/localedef.log)"
  fi
  export LOCPATH=$dir
  # Bash itself cannot load a locale from LOCPATH and says so; Wine can.
  { export LC_ALL=$ORV_LOCALE; } 2>/dev/null
}

# Where Debian's Wine keeps its two loaders (package wine64: wine64; package
# wine32:i386: wine). The wine command takes the 32-bit one when it is there,
# and that one hands 64-bit programs to wine64 in a 64-bit prefix.
ORV_WINE_LOADERS=${ORVANTA_WINE_LOADERS:-/usr/lib/wine}
ORV_JAPANESE_FONT=${ORVANTA_JAPANESE_FONT:-/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf}

# The architectures this Wine runs: x64 needs the 64-bit loader, x86 the 32-bit one.
orv_wine_archs() {
  local archs=()
  [[ -x $ORV_WINE_LOADERS/wine64 ]] && archs+=(x64)
  [[ -x $ORV_WINE_LOADERS/wine ]] && archs+=(x86)
  echo "${archs[*]}"
}

# orv_require ARCH...: before anything starts, everything a Wine run of exes of
# these architectures needs; one line naming what is missing and the fix.
orv_require() {
  local missing=() arch have
  have=" $(orv_wine_archs) "
  command -v wine >/dev/null && command -v wineserver >/dev/null || missing+=("the wine command (wine)")
  # Per architecture its loader and the compiler of the checks' helpers.
  for arch in "$@"; do
    case $arch in
      x64)
        [[ $have == *" x64 "* ]] || missing+=("the 64-bit Wine loader $ORV_WINE_LOADERS/wine64 (wine64)")
        command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=("x86_64-w64-mingw32-g++-posix (mingw-w64)")
        ;;
      x86)
        [[ $have == *" x86 "* ]] || missing+=("the 32-bit Wine loader $ORV_WINE_LOADERS/wine (wine32:i386)")
        command -v i686-w64-mingw32-g++-posix >/dev/null || missing+=("i686-w64-mingw32-g++-posix (mingw-w64)")
        ;;
    esac
  done
  command -v Xvfb >/dev/null || missing+=("Xvfb (xvfb)")
  command -v xdotool >/dev/null || missing+=("xdotool (xdotool)")
  command -v import >/dev/null && command -v convert >/dev/null && command -v identify >/dev/null ||
    missing+=("ImageMagick's import, convert and identify (imagemagick)")
  # The Japanese captions are drawn with this font; without it they are boxes.
  [[ -f $ORV_JAPANESE_FONT ]] || missing+=("the Japanese font $ORV_JAPANESE_FONT (fonts-ipafont-gothic)")
  if [[ -n $ORV_LOCALE ]]; then
    command -v localedef >/dev/null && [[ -d /usr/share/i18n/locales ]] ||
      missing+=("localedef and its locale sources (locales)")
  fi
  ((${#missing[@]} == 0)) ||
    orv_die "missing $(IFS=';'; echo "${missing[*]}" | sed 's/;/, /g'); install with: tools/ci/deps.sh wine windows"
}

# orv_prefix_kind: 32-bit-only or 64-bit, as wineboot wrote it into the prefix's registry.
orv_prefix_kind() {
  case $(grep -m1 -o '^#arch=win[0-9]*' "$ORV_PREFIX/system.reg" 2>/dev/null) in
    '#arch=win32') echo 32-bit-only ;;
    '#arch=win64') echo 64-bit ;;
    *) echo unreadable ;;
  esac
}

# A 32-bit-only prefix cannot start a 64-bit program ("Bad EXE format"), so
# where this Wine runs x64 exes the prefix must be a 64-bit one.
orv_prefix_kind_ok() {
  case " $(orv_wine_archs) " in
    *" x64 "*) [[ $(orv_prefix_kind) == 64-bit ]] ;;
    *) [[ $(orv_prefix_kind) == 32-bit-only ]] ;;
  esac
}

# A prefix is reused only if made by the same Wine with the same loaders: one
# made by wine64 alone cannot start anything once wine32 is installed (kernel32
# fails to load with c0000135), so the loaders are part of the stamp.
orv_prefix_setup() {
  local stamp=$ORV_PREFIX/.orvanta-ready want
  want="$(wine --version 2>/dev/null) ${ORV_LOCALE:-default} runs: $(orv_wine_archs)"
  export WINEPREFIX=$ORV_PREFIX
  # A run that died earlier may have left its wineserver behind, holding the
  # program's mutex; the prefix belongs to these checks alone.
  orv_wineserver -k
  orv_wineserver -w
  if [[ -f $stamp && $(cat "$stamp") == "$want" ]] && orv_prefix_kind_ok; then
    orv_log "reusing Wine prefix $ORV_PREFIX"
    return 0
  fi
  if [[ -f $stamp ]] && ! orv_prefix_kind_ok; then
    orv_log "the prefix is a $(orv_prefix_kind) one, this Wine runs $(orv_wine_archs); making it again"
  elif [[ -f $stamp ]]; then
    orv_log "the prefix was made by another Wine ($(cat "$stamp")); making it again"
  fi
  orv_log "making Wine prefix $ORV_PREFIX (wineboot -i) for $want"
  rm -rf "$ORV_PREFIX"
  mkdir -p "$ORV_WINE_DIR"
  orv_wine 300 wineboot -i >"$ORV_WINE_DIR/wineboot.log" 2>&1 ||
    orv_die "wineboot -i failed with status $? (see $ORV_WINE_DIR/wineboot.log)"
  # Lets the wineserver write the registry out before the prefix counts as made.
  orv_wineserver -w
  [[ $(readlink "$ORV_PREFIX/dosdevices/z:") == / ]] ||
    orv_die "the new prefix has no Z: drive for / (see $ORV_WINE_DIR/wineboot.log)"
  orv_prefix_kind_ok ||
    orv_die "wineboot made a $(orv_prefix_kind) prefix where x64 exes need a 64-bit one: install wine64 (tools/ci/deps.sh wine)"
  echo "$want" >"$stamp"
  orv_log "prefix made"
}

# orv_pe_uint FILE OFFSET SIZE: a little-endian unsigned number in FILE.
orv_pe_uint() { od -An -t "u$3" -j "$2" -N "$3" "$1" 2>/dev/null | tr -d ' '; }

# orv_exe_arch EXE: prints x64 or x86 for a Windows GUI exe, fails for anything else.
orv_exe_arch() {
  local exe=$1 pe machine subsystem
  pe=$(orv_pe_uint "$exe" 60 4)
  [[ $pe =~ ^[0-9]+$ && $(od -An -tx1 -j "$pe" -N 4 "$exe" 2>/dev/null | tr -d ' ') == 50450000 ]] || return 1
  machine=$(orv_pe_uint "$exe" $((pe + 4)) 2)
  # The subsystem sits at the same place in the 32- and 64-bit optional headers.
  subsystem=$(orv_pe_uint "$exe" $((pe + 24 + 68)) 2)
  [[ $subsystem == 2 ]] || return 1 # IMAGE_SUBSYSTEM_WINDOWS_GUI
  case $machine in
    34404) echo x64 ;; # IMAGE_FILE_MACHINE_AMD64
    332) echo x86 ;;   # IMAGE_FILE_MACHINE_I386
    *) return 1 ;;
  esac
}

# orv_use_exe EXE: the exe under test decides the architecture of the helpers
# and where its logs and screenshots go. Call it before orv_session_begin.
orv_use_exe() {
  [[ -f $1 ]] || orv_die "no exe at $1"
  ORV_ARCH=$(orv_exe_arch "$1") || orv_die "$1 is not an x64 or x86 Windows GUI exe"
  orv_require "$ORV_ARCH"
  ORV_OUT=$ORV_WINE_DIR/$ORV_ARCH
  ORV_PROBE=$ORV_WINE_DIR/bin/$ORV_ARCH/probe.exe
  mkdir -p "$ORV_OUT"
}

# orv_helper_build NAME [SOURCE...]: tools/wine/NAME.cpp, with the program's own
# SOURCEs (paths from the project's root; their headers found from src/), as
# build/wine/bin/ARCH/NAME.exe for the exe's architecture, built when missing or
# older than any of its sources.
orv_helper_build() {
  local out=$ORV_WINE_DIR/bin/$ORV_ARCH/$1.exe cxx srcs=("$ORV_TOOLS/$1.cpp") s fresh=1
  shift
  for s in "$@"; do srcs+=("$ORV_ROOT/$s"); done
  case $ORV_ARCH in
    x64) cxx=x86_64-w64-mingw32-g++-posix ;;
    x86) cxx=i686-w64-mingw32-g++-posix ;;
    *) orv_die "orv_helper_build ${srcs[0]}: no exe chosen (orv_use_exe)" ;;
  esac
  for s in "${srcs[@]}"; do [[ -x $out && $out -nt $s ]] || fresh=0; done
  ((fresh)) && return 0
  mkdir -p "$(dirname "$out")"
  timeout 300 "$cxx" -std=c++20 -O2 -Wall -Wextra -Werror -static -I "$ORV_ROOT/src" \
    -o "$out.tmp" "${srcs[@]}" || orv_die "could not build ${srcs[*]} for $ORV_ARCH"
  mv "$out.tmp" "$out"
}

# Opens the session, or joins the one an enclosing script opened.
orv_session_begin() {
  trap orv_on_exit EXIT
  trap 'exit 129' HUP
  trap 'exit 130' INT
  trap 'exit 143' TERM
  export WINEDEBUG=${ORVANTA_WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
  if [[ -n ${ORV_SESSION:-} ]]; then
    kill -0 "$ORV_SESSION" 2>/dev/null || orv_die "the enclosing Wine session ($ORV_SESSION) is gone"
    [[ -z $ORV_ARCH ]] || orv_helper_build probe
    return 0
  fi
  mkdir -p "$ORV_WINE_DIR"
  # Several developers share this tree; two runs in one prefix would meet each
  # other's mutex, so the second waits its turn. Another prefix (another locale)
  # is another lock: a check may open a session of its own in it inside a run.
  exec {ORV_LOCK_FD}>"$ORV_PREFIX.lock"
  export ORV_LOCK_FD
  if ! flock -n "$ORV_LOCK_FD"; then
    orv_log "another Wine check run in this tree is busy; waiting for it"
    flock -w "${ORVANTA_WINE_LOCK_WAIT:-900}" "$ORV_LOCK_FD" ||
      orv_die "another Wine check run kept $ORV_PREFIX.lock too long"
  fi
  ORV_OWNER=1
  [[ -n $ORV_LOCALE ]] || export LC_ALL=C.UTF-8
  orv_locale_setup
  orv_xvfb_start
  orv_log "Xvfb on $DISPLAY (pid $ORV_XVFB_PID)"
  orv_prefix_setup
  [[ -z $ORV_ARCH ]] || orv_helper_build probe
  export ORV_SESSION=$ORV_XVFB_PID
}

# orv_start_in_desktop EXE LOG [ARG...]: starts EXE in the virtual desktop, in the background.
orv_start_in_desktop() {
  local exe=$1 log=$2
  shift 2
  (
    cd "$(dirname "$exe")" || exit 1
    if [[ -n ${ORV_LOCK_FD:-} ]]; then exec {ORV_LOCK_FD}>&-; fi
    exec wine explorer "/desktop=$ORV_DESKTOP,$ORV_DESKTOP_SIZE" "$(orv_winpath "$exe")" "$@"
  ) </dev/null >"$log" 2>&1 &
  ORV_LAUNCHERS+=($!)
  ORV_LAST_LAUNCHER=$!
  ORV_LOGS+=("$log")
}

orv_running() { orv_probe list "$1" >/dev/null; }
orv_not_running() { ! orv_running "$1"; }

# orv_end IMAGE: terminates every process of IMAGE and checks none is left.
orv_end() {
  local out
  out=$(orv_probe kill 10000 "$1")
  local rc=$?
  [[ -n $out ]] && printf '%s\n' "$out" | sed 's/^/  /'
  ((rc == 0 || rc == 1)) || return 1
  orv_wait_for 10 "$1 to be gone" orv_not_running "$1"
}

# Launchers return when their virtual desktop closes, which happens once the
# last program in it has ended.
orv_wait_launcher() {
  local pid=$1 bound=$2
  orv_wait_for "$bound" "launcher $pid to return" orv_pid_gone "$pid"
}
orv_pid_gone() { ! kill -0 "$1" 2>/dev/null; }

orv_on_exit() {
  local status=$?
  trap - EXIT HUP INT TERM
  local image pid cleanup
  for cleanup in "${ORV_CLEANUPS[@]}"; do
    eval "$cleanup" >/dev/null 2>&1
  done
  for image in "${ORV_END_IMAGES[@]}"; do
    [[ -n ${WINEPREFIX:-} && -x $ORV_PROBE ]] && orv_probe kill 10000 "$image" >/dev/null 2>&1
  done
  if ((ORV_OWNER)); then
    orv_wineserver -k
    orv_wineserver -w
  fi
  for pid in "${ORV_LAUNCHERS[@]}"; do
    orv_wait_for 10 "launcher $pid" orv_pid_gone "$pid" 2>/dev/null || kill "$pid" 2>/dev/null
  done
  if ((ORV_OWNER)) && [[ -n $ORV_XVFB_PID ]]; then
    kill "$ORV_XVFB_PID" 2>/dev/null
    orv_wait_for 10 "Xvfb to stop" orv_pid_gone "$ORV_XVFB_PID" 2>/dev/null || kill -9 "$ORV_XVFB_PID" 2>/dev/null
  fi
  exit "$status"
}

# orv_program_check_begin EXE: the opening of a check of the program: the exe's architecture, the
# session, a fresh folder with a copy of the exe under its real name (the probe finds the program
# by its image name), and no copy of the program already running. Sets ORV_IMAGE, TITLE, run_dir
# and exe.
orv_program_check_begin() {
  local src=$1
  orv_use_exe "$src"
  ORV_IMAGE=OrvantaBrevo.exe
  TITLE=OrvantaBrevo
  orv_session_begin
  run_dir=$ORV_OUT/$ORV_CHECK
  rm -rf "$run_dir"
  mkdir -p "$run_dir"
  cp "$src" "$run_dir/$ORV_IMAGE"
  exe=$run_dir/$ORV_IMAGE
  orv_log "testing the $ORV_ARCH exe $src (copied to $exe)"
  orv_running "$ORV_IMAGE" &&
    orv_die "an $ORV_IMAGE is already running in $WINEPREFIX before the check began"
  ORV_END_IMAGES+=("$ORV_IMAGE")
}
