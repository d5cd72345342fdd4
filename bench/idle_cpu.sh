#!/usr/bin/env bash
# What Velkaro costs at rest and live: it starts `velkaro --demo` on an X server of its own (Xvfb),
# and reads the process's own CPU time and every thread's context switches from /proc over a span
# in each of three states: not connected, connected and live (a fresh start's settings but a
# time base at which the sine moves), and connected with the acquisition stopped. It connects
# through the chooser by a double click, picks the time base and stops with "Стоп" as a user
# does (xdotool).
#
#   bench/idle_cpu.sh [build folder, build/bench by default] [seconds per state, 20 by default]
#
# CPU is given in CPU-seconds per minute of wall time; wake-ups per second per thread are its
# voluntary and involuntary context switches (a thread that sleeps and wakes counts one each
# time). Threads that woke less than once a second are left out. Build Release first:
#   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELKARO_BENCH=ON
#   cmake --build build/bench --target velkaro
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/bench}
span=${2:-20}
program="$PWD/$build/app/program/velkaro"
[ -x "$program" ] || { echo "idle_cpu: no $program (build the velkaro target first)" >&2; exit 1; }
for tool in Xvfb xdotool xwininfo; do
  command -v "$tool" >/dev/null || { echo "idle_cpu: $tool is missing (apt-get install xvfb xdotool x11-utils)" >&2; exit 1; }
done

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; echo "idle_cpu: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

# The program runs from a folder of its own (its settings file lands there) with a home of its own.
mkdir -p "$work/program/home"
cp "$program" "$work/program/velkaro"
env -u VELKARO_SERIAL_PORTS -u VELKARO_USB_DEVICES -u XDG_CONFIG_HOME HOME="$work/program/home" \
  "$work/program/velkaro" --demo >"$work/velkaro.log" 2>&1 &
app_pid=$!

find_window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true; }
wait_window() {
  local w
  for _ in $(seq 150); do
    w=$(find_window "$1")
    [ -n "$w" ] && { echo "$w"; return 0; }
    kill -0 "$app_pid" 2>/dev/null || { echo "idle_cpu: the program ended" >&2; exit 1; }
    sleep 0.1
  done
  echo "idle_cpu: no window \"$1\"" >&2
  exit 1
}
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
    /^  Width:/ { w = $2 } /^  Height:/ { h = $2 } END { print x, y, w, h }'
}
# A point of the main window given in its template's dialog units (750 x 404).
vpoint() {
  read -r wx wy ww wh <<<"$(geometry "$main")"
  awk -v wx="$wx" -v wy="$wy" -v ww="$ww" -v wh="$wh" -v x="$1" -v y="$2" \
    'BEGIN { printf "%d %d\n", wx + x * ww / 750, wy + y * wh / 404 }'
}

# "utime+stime" of the process, in clock ticks (the fields after the name, which may hold spaces).
process_ticks() { sed 's/.*) //' "/proc/$app_pid/stat" | awk '{ print $12 + $13 }'; }
# One line a thread: "tid name switches".
thread_switches() {
  local t
  for t in /proc/"$app_pid"/task/*; do
    awk -v tid="${t##*/}" '/^Name:/ { name = $2 } /ctxt_switches:/ { n += $2 }
      END { print tid, name, n }' "$t/status" 2>/dev/null || true
  done
}

hz=$(getconf CLK_TCK)
measure() {  # label
  local t0 t1 before after start end
  before=$(thread_switches)
  t0=$(process_ticks)
  start=$(date +%s.%N)
  sleep "$span"
  t1=$(process_ticks)
  end=$(date +%s.%N)
  after=$(thread_switches)
  awk -v a="$t0" -v b="$t1" -v hz="$hz" -v s="$start" -v e="$end" -v label="$1" \
    'BEGIN { printf "%-22s %6.2f CPU-s/min\n", label, (b - a) / hz * 60 / (e - s) }'
  awk -v s="$start" -v e="$end" -v main="$app_pid" '
    NR == FNR { seen[$1] = $3; next }
    ($1 in seen) { rate = ($3 - seen[$1]) / (e - s)
      if (rate >= 1) printf "    thread %-8s %-16s %7.0f wake-ups/s\n", $1 ($1 == main ? "*" : ""), $2, rate }
  ' <(echo "$before") <(echo "$after")
}

main=$(wait_window "Velkaro")
sleep 3
echo "velkaro --demo, $span s a state (thread * is the main thread)"
measure "not connected"

# "Подключиться", then the demo device in the chooser: WinUSB, BulkUSB, FTDI, Demo and its device.
xdotool mousemove $(vpoint 302 389) click 1
chooser=$(wait_window "Доступные интерфейсы")
sleep 0.5
read -r cx cy _ _ <<<"$(geometry "$chooser")"
xdotool mousemove $((cx + 60)) $((cy + 40 + 1 + 4 * 13 + 6)) click --repeat 2 --delay 60 1
for _ in $(seq 50); do
  [ -z "$(find_window "Доступные интерфейсы")" ] && break
  sleep 0.1
done
# A time base at which the demo's sine moves across the screen, as a user would pick it: the
# right half of the time/div spin, twelve times up from the finest.
for _ in $(seq 12); do
  xdotool mousemove $(vpoint 90 389) click 1
  sleep 0.1
done
sleep 3
measure "connected, live"

xdotool mousemove $(vpoint 197 389) click 1   # "Стоп"
sleep 3
measure "connected, stopped"
