#!/usr/bin/env bash
# The program's cost beside the least a tray program that follows a CD drive must cost
# (poller.c): sizes, and under Wine on Xvfb idle CPU, private memory, system calls per poll and the
# time from start to the tray icon, printed as a table with the ratios. Not a test: the numbers
# depend on the machine and its load. Run by hand and by tools/test-all.sh for information.
#
# Usage: tools/bench/bench.sh [EXE]      (default: the x64 build's exe)
# Knobs: BENCH_IDLE_SECONDS (60), BENCH_STRACE_SECONDS (30), BENCH_STARTS (20).
# The table also goes to build/bench/results.md.
#
# Method:
# - Sizes: the files as built (the build strips them), the poller built with the same compiler
#   and -Os -s.
# - Both run side by side in one virtual desktop of one Wine prefix of their own, which has a
#   CD-ROM drive D: without a disc and an MCI cdaudio driver that answers for it (benchcd.c), so
#   the program opens its device and polls as it does on Windows. After 10 s of settling, idle CPU is the time on a CPU of each
#   Wine process (/proc/PID/task/*/schedstat, all its threads) over BENCH_IDLE_SECONDS; RssAnon is
#   read from /proc/PID/status at the end.
# - System calls: strace -c -f on every thread of each process for BENCH_STRACE_SECONDS, divided
#   by the polls in that time (one every 1.5 s).
# - The player must do three things the poller has no counterpart for: make its application
#   window visible before hiding it (a process that never shows a window is not activated, and its
#   popup menus then get no keyboard), keep the drive's MCI device open (it opens it once its icon
#   is added), and run a 3 s timer (the disc-insert rule: it stops once the drive was seen
#   empty, and Wine's D: here always reports a volume). A third program, the poller built with
#   all three (poller.c, PLAYER_RULES), is measured beside them, and the table gives the
#   program's ratio to it as well: what the program costs beyond those rules.
# - Start -> icon: starter.exe, run in a fresh virtual desktop, starts a program and times until
#   the desktop's taskbar is shown (the first icon added); one untimed start of each first, then
#   BENCH_STARTS each, alternating; the median.
set -uo pipefail
ORV_CHECK=bench
# shellcheck source-path=SCRIPTDIR source=../wine/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../wine/lib.sh"

exe=$(realpath "${1:-$ORV_ROOT/build/windows-x64/src/app/OrvantaBrevo.exe}")
idle_s=${BENCH_IDLE_SECONDS:-60}
strace_s=${BENCH_STRACE_SECONDS:-30}
starts=${BENCH_STARTS:-20}
orv_use_exe "$exe"
ORV_PREFIX=$ORV_WINE_DIR/prefix-bench
out_dir=$ORV_ROOT/build/bench
mkdir -p "$out_dir"
rm -rf "${out_dir:?}/run"
mkdir -p "$out_dir/run/program" "$out_dir/run/poller" "$out_dir/run/rules"

case $ORV_ARCH in
  x64) cc=x86_64-w64-mingw32-gcc-win32 ;;
  x86) cc=i686-w64-mingw32-gcc-win32 ;;
esac
"$cc" -Os -s -mwindows -Wall -Wextra -Werror -o "$out_dir/run/poller/BenchPoller.exe" \
  "$ORV_ROOT/tools/bench/poller.c" -lshell32 || orv_die "could not build the poller"
"$cc" -Os -s -mwindows -Wall -Wextra -Werror -DPLAYER_RULES -o "$out_dir/run/rules/BenchPollerRules.exe" \
  "$ORV_ROOT/tools/bench/poller.c" -lshell32 || orv_die "could not build the poller with the player's rules"
"$cc" -O2 -s -Wall -Wextra -Werror -o "$out_dir/run/starter.exe" "$ORV_ROOT/tools/bench/starter.c" ||
  orv_die "could not build the starter"
"$cc" -Os -s -shared -Wl,--kill-at -Wall -Wextra -Werror -o "$out_dir/run/benchcd.dll" \
  "$ORV_ROOT/tools/bench/benchcd.c" -lwinmm || orv_die "could not build the MCI driver"
cp "$exe" "$out_dir/run/program/OrvantaBrevo.exe"
program=$out_dir/run/program/OrvantaBrevo.exe
poller=$out_dir/run/poller/BenchPoller.exe
rules=$out_dir/run/rules/BenchPollerRules.exe

orv_session_begin
ORV_END_IMAGES+=(OrvantaBrevo.exe BenchPoller.exe BenchPollerRules.exe)
# A CD-ROM drive without a disc, so both have a drive to ask.
mkdir -p "$out_dir/cdrom"
ln -sfn "$out_dir/cdrom" "$WINEPREFIX/dosdevices/d:"
# The registry view of the exe's architecture (the wine command may run the 32-bit reg.exe).
view=/reg:$([[ $ORV_ARCH == x64 ]] && echo 64 || echo 32)
orv_wine 60 reg add 'HKLM\Software\Wine\Drives' /v d: /t REG_SZ /d cdrom /f "$view" >/dev/null ||
  orv_die "could not make D: a CD-ROM drive"
# Wine's cdaudio driver does not open on such a drive; the player would then monitor nothing.
system_dir=$WINEPREFIX/drive_c/windows/$([[ $ORV_ARCH == x64 ]] && echo system32 || echo syswow64)
cp "$out_dir/run/benchcd.dll" "$system_dir/benchcd.dll"
orv_wine 60 reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\MCI' /v cdaudio /t REG_SZ \
  /d benchcd.dll /f "$view" >/dev/null || orv_die "could not register the MCI driver"
# The drive takes effect with a new wineserver; this one writes the registry out as it ends.
orv_wineserver -w

# The Linux process of a Windows image running in this prefix.
linux_pid() {
  local dir pid
  for dir in /proc/[0-9]*; do
    pid=${dir#/proc/}
    tr '\0' '\n' <"/proc/$pid/cmdline" 2>/dev/null | head -1 | grep -q "$1\$" || continue
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
    echo "$pid"
    return 0
  done
  return 1
}
# Nanoseconds on a CPU, all threads (schedstat is finer than stat's clock ticks).
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ n += $1 } END { printf "%d", n }'; }
rss_anon_kb() { awk '/^RssAnon:/ {print $2}' "/proc/$1/status"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a ~ /^[0-9.]+$/ && b ~ /^[0-9.]+$/ && b > 0) printf "%.2f", a / b; else print "n/a" }'; }

# --- idle: both side by side
orv_start_in_desktop "$program" "$out_dir/run/program.log"
orv_start_in_desktop "$poller" "$out_dir/run/poller.log"
orv_start_in_desktop "$rules" "$out_dir/run/rules.log"
for name in OrvantaBrevo.exe BenchPoller.exe BenchPollerRules.exe; do
  orv_wait_for 60 "$name to run" linux_pid "$name" || orv_die "$name did not start"
done
sleep 10
program_pid=$(linux_pid OrvantaBrevo.exe)
poller_pid=$(linux_pid BenchPoller.exe)
rules_pid=$(linux_pid BenchPollerRules.exe)
orv_log "idle for ${idle_s}s: program pid $program_pid, poller pid $poller_pid, poller with the rules pid $rules_pid"
p0=$(cpu_ns "$program_pid")
q0=$(cpu_ns "$poller_pid")
r0=$(cpu_ns "$rules_pid")
sleep "$idle_s"
p1=$(cpu_ns "$program_pid")
q1=$(cpu_ns "$poller_pid")
r1=$(cpu_ns "$rules_pid")
percent() { awk -v n="$1" -v s="$idle_s" 'BEGIN { printf "%.4f", 100 * n / 1e9 / s }'; }
program_cpu=$(percent $((p1 - p0)))
poller_cpu=$(percent $((q1 - q0)))
rules_cpu=$(percent $((r1 - r0)))
program_rss=$(rss_anon_kb "$program_pid")
poller_rss=$(rss_anon_kb "$poller_pid")
rules_rss=$(rss_anon_kb "$rules_pid")

# --- system calls per poll
trace() {
  local pid=$1 log=$2 args=() task
  for task in /proc/"$pid"/task/*; do args+=(-p "${task##*/}"); done
  timeout -s INT "$strace_s" strace -c -f "${args[@]}" -o "$log" >/dev/null 2>&1
}
trace "$program_pid" "$out_dir/run/program.strace" &
t1=$!
trace "$poller_pid" "$out_dir/run/poller.strace" &
t2=$!
trace "$rules_pid" "$out_dir/run/rules.strace" &
t3=$!
wait "$t1" "$t2" "$t3"
calls() { awk '/^ *[0-9.]+ +[0-9.]+ +[0-9]+ +[0-9]+ +[0-9]* *total$/ {print $4}' "$1"; }
polls=$(awk -v s="$strace_s" 'BEGIN { print s / 1.5 }')
program_calls=$(calls "$out_dir/run/program.strace")
poller_calls=$(calls "$out_dir/run/poller.strace")
program_per_poll=$(awk -v c="${program_calls:-0}" -v p="$polls" 'BEGIN { printf "%.1f", c / p }')
poller_per_poll=$(awk -v c="${poller_calls:-0}" -v p="$polls" 'BEGIN { printf "%.1f", c / p }')
rules_calls=$(calls "$out_dir/run/rules.strace")
rules_per_poll=$(awk -v c="${rules_calls:-0}" -v p="$polls" 'BEGIN { printf "%.1f", c / p }')
orv_end OrvantaBrevo.exe
orv_end BenchPoller.exe
orv_end BenchPollerRules.exe
for pid in "${ORV_LAUNCHERS[@]}"; do orv_wait_launcher "$pid" 30; done

# --- start -> icon, warm, alternating
start_once() {
  (
    cd "$out_dir/run" || exit 1
    if [[ -n ${ORV_LOCK_FD:-} ]]; then exec {ORV_LOCK_FD}>&-; fi
    exec timeout -k 5 60 wine explorer "/desktop=benchstart,$ORV_DESKTOP_SIZE" \
      "$(orv_winpath "$out_dir/run/starter.exe")" "$(orv_winpath "$2")" "$(orv_winpath "$1")"
  ) </dev/null >>"$out_dir/run/starts.log" 2>&1
}
rm -f "$out_dir/run/program.ms" "$out_dir/run/poller.ms" "$out_dir/run/rules.ms"
start_once "$program" "$out_dir/run/warm.ms"
start_once "$poller" "$out_dir/run/warm.ms"
start_once "$rules" "$out_dir/run/warm.ms"
for ((i = 0; i < starts; i++)); do
  start_once "$program" "$out_dir/run/program.ms"
  start_once "$poller" "$out_dir/run/poller.ms"
  start_once "$rules" "$out_dir/run/rules.ms"
done
median() { tr -d '\r' 2>/dev/null <"$1" | sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print "n/a"; else if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
program_start=$(median "$out_dir/run/program.ms")
poller_start=$(median "$out_dir/run/poller.ms")
rules_start=$(median "$out_dir/run/rules.ms")
program_n=$(wc -l <"$out_dir/run/program.ms" 2>/dev/null || echo 0)
poller_n=$(wc -l <"$out_dir/run/poller.ms" 2>/dev/null || echo 0)

program_size=$(stat -c %s "$program")
poller_size=$(stat -c %s "$poller")
{
  echo "| measure ($ORV_ARCH, $(date -u +%Y-%m-%d), $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg)) | OrvantaBrevo | poller | ratio | poller + the player's rules | ratio to it |"
  echo "|---|---|---|---|---|---|"
  echo "| exe size as built, bytes | $program_size | $poller_size | $(ratio "$program_size" "$poller_size") | | |"
  echo "| idle CPU over ${idle_s} s, % of a core | $program_cpu | $poller_cpu | $(ratio "$program_cpu" "$poller_cpu") | $rules_cpu | $(ratio "$program_cpu" "$rules_cpu") |"
  echo "| private memory (RssAnon), KB | $program_rss | $poller_rss | $(ratio "$program_rss" "$poller_rss") | $rules_rss | $(ratio "$program_rss" "$rules_rss") |"
  echo "| system calls per 1.5 s poll (strace -c, ${strace_s} s) | $program_per_poll | $poller_per_poll | $(ratio "$program_per_poll" "$poller_per_poll") | $rules_per_poll | $(ratio "$program_per_poll" "$rules_per_poll") |"
  echo "| start → tray icon, ms (warm, median of $program_n / $poller_n) | $program_start | $poller_start | $(ratio "$program_start" "$poller_start") | $rules_start | $(ratio "$program_start" "$rules_start") |"
} | tee "$out_dir/results.md"
echo "system calls by name: $out_dir/run/program.strace, $out_dir/run/poller.strace, $out_dir/run/rules.strace"
