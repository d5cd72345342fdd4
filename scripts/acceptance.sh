#!/usr/bin/env bash
# Drives the real programs on a real X server (its own Xvfb, no window manager) with real X
# input, as a user at the bench would, and keeps a screenshot of every step under
# build/acceptance/. A step that does not happen in time ends the run with one line saying which.
#
#   scripts/acceptance.sh
#
# Durmitt --demo: connect through the chooser by a double click on the demo device, the test
# runs; "Повторить"; "Отключиться" and connect again; the chooser closed once with Esc;
# "Выход", after which the program must end by itself with exit code 0.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

out="$root/build/acceptance"
step_timeout=15   # seconds a window gets to appear or go; generous for a sanitizer build

say() { echo "acceptance: $*"; }
fail() {
  echo "acceptance: FAILED: $*" >&2
  shot "failed" || true
  exit 1
}

# ---- what it needs ----

need=()
command -v Xvfb >/dev/null 2>&1 || need+=(xvfb)
command -v xdotool >/dev/null 2>&1 || need+=(xdotool)
command -v import >/dev/null 2>&1 && command -v compare >/dev/null 2>&1 || need+=(imagemagick)
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
  say "installing ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# The test build when there is one (CI has just made it), else a plain build of its own.
if [ -f build/asan/build.ninja ]; then
  build=build/asan
else
  scripts/install-deps.sh
  build=build/acceptance-build
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELKARO_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target durmitt >/dev/null
durmitt="$root/$build/testtool/durmitt"

rm -rf "$out"
mkdir -p "$out"

# ---- the X server ----

xvfb_pid=
app_pid=
cleanup() {
  # Only a run that failed leaves the program running; it may hang, so it gets no say.
  [ -n "$app_pid" ] && kill -KILL "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number to the descriptor.
exec 3>"$out/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do
  [ -s "$out/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { cat "$out/xvfb.log" >&2; fail "Xvfb did not start"; }
  sleep 0.1
done
[ -s "$out/display" ] || fail "Xvfb did not report its display"
export DISPLAY=":$(head -n1 "$out/display")"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
say "X server on $DISPLAY"

# ---- helpers ----

shot_no=0
shot() {
  shot_no=$((shot_no + 1))
  import -window root "$out/$(printf '%02d' "$shot_no")-$1.png" 2>/dev/null
}

# The visible window whose whole name is $1, or nothing.
find_window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true; }

wait_window() {  # name, what it waits for
  local w deadline=$((SECONDS + step_timeout))
  while [ $SECONDS -lt $deadline ]; do
    w=$(find_window "$1")
    if [ -n "$w" ]; then echo "$w"; return 0; fi
    kill -0 "$app_pid" 2>/dev/null || fail "the program ended while waiting for $2"
    sleep 0.1
  done
  fail "$2: no window \"$1\" within ${step_timeout} s"
}

wait_window_gone() {  # name, what it waits for
  local deadline=$((SECONDS + step_timeout))
  while [ $SECONDS -lt $deadline ]; do
    [ -z "$(find_window "$1")" ] && return 0
    sleep 0.1
  done
  fail "$2: window \"$1\" still open after ${step_timeout} s"
}

# Window geometry as "x y width height".
geometry() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  echo "$X $Y $WIDTH $HEIGHT"
}

# The screen point of a place given in the dialog units of the window's template (the template's
# size in units is $2 x $3), so the script follows the layout without knowing the font.
dlu_point() {  # window, template width, template height, x, y
  read -r wx wy ww wh <<<"$(geometry "$1")"
  awk -v wx="$wx" -v wy="$wy" -v ww="$ww" -v wh="$wh" -v tw="$2" -v th="$3" -v x="$4" -v y="$5" \
    'BEGIN { printf "%d %d\n", wx + x * ww / tw, wy + y * wh / th }'
}

click_at() { xdotool mousemove "$1" "$2" click 1; }
double_click_at() { xdotool mousemove "$1" "$2" click --repeat 2 --delay 60 1; }

# A checksum of the pixels of a window's part (x y width height, window pixels).
region_sum() {  # window, x, y, width, height
  read -r wx wy _ _ <<<"$(geometry "$1")"
  import -window root -crop "${4}x${5}+$((wx + $2))+$((wy + $3))" +repage rgb:- 2>/dev/null | md5sum
}

wait_region_changes() {  # window, x, y, width, height, previous sum, what it waits for
  local deadline=$((SECONDS + step_timeout))
  while [ $SECONDS -lt $deadline ]; do
    [ "$(region_sum "$1" "$2" "$3" "$4" "$5")" != "$6" ] && return 0
    sleep 0.1
  done
  fail "$7: nothing changed within ${step_timeout} s"
}

# ---- Durmitt ----

# Places from the templates: the main dialog is 320 x 220 units with "Подключиться" at 7,7 70x14,
# "Повторить" at 82,7 60x14, "Выход" at 263,7 50x14 and the log list below them; the chooser is
# 250 x 150 units with its tree 10 pixels in from the left and 40 from the top, each transport's
# devices under it, and "Demo" registered last.
durmitt_w=320 durmitt_h=220
chooser_w=250 chooser_h=150
chooser="Доступные интерфейсы"
tree_row_px=13   # one tree row in the dialog font
demo_device_row=3   # BulkUSB, FTDI, Demo, its device: no hardware and no extra ports here

connect_button() { dlu_point "$main" $durmitt_w $durmitt_h 42 14; }
repeat_button() { dlu_point "$main" $durmitt_w $durmitt_h 112 14; }
exit_button() { dlu_point "$main" $durmitt_w $durmitt_h 288 14; }

choose_demo_device() {  # what for
  local c cx cy cw ch
  c=$(wait_window "$chooser" "$1")
  sleep 0.3
  shot "chooser"
  read -r cx cy cw ch <<<"$(geometry "$c")"
  double_click_at $((cx + 60)) $((cy + 40 + 1 + demo_device_row * tree_row_px + tree_row_px / 2))
  wait_window_gone "$chooser" "$1: the double click on the demo device"
}

list_part() { echo "20 45 400 240"; }   # a part of the log list, in window pixels

# A sanitizer build reports leaks at exit (and so fails the run); the system's session-bus and
# font libraries keep caches for the life of the process that are not the program's to free.
printf 'leak:libdbus-1.so\nleak:libfontconfig.so\n' >"$out/lsan.supp"

say "Durmitt --demo"
env -u VELKARO_SERIAL_PORTS -u VELKARO_USB_DEVICES \
  ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$out/lsan.supp" \
  "$durmitt" --demo >"$out/durmitt.log" 2>&1 &
app_pid=$!
main=$(wait_window "Durmitt" "start")
sleep 0.3
shot "started"

before=$(region_sum "$main" $(list_part))
click_at $(connect_button)
choose_demo_device "connect"
wait_region_changes "$main" $(list_part) "$before" "the log after connecting"
sleep 0.5
shot "connected-test-run"

before=$(region_sum "$main" $(list_part))
click_at $(repeat_button)
wait_region_changes "$main" $(list_part) "$before" "the log after \"Повторить\""
sleep 0.5
shot "repeated"

# Disconnect; the next press must open the chooser, which it does only if this one was taken.
click_at $(connect_button)
sleep 0.5
shot "disconnected"
click_at $(connect_button)
wait_window "$chooser" "connect again" >/dev/null
sleep 0.3
shot "chooser-for-esc"
xdotool key Escape
wait_window_gone "$chooser" "Esc in the chooser"
shot "chooser-closed-by-esc"

before=$(region_sum "$main" $(list_part))
click_at $(connect_button)
choose_demo_device "connect once more"
wait_region_changes "$main" $(list_part) "$before" "the log after connecting once more"
sleep 0.5
shot "reconnected"

click_at $(exit_button)
deadline=$((SECONDS + step_timeout))
while [ $SECONDS -lt $deadline ]; do
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$app_pid" 2>/dev/null; then
  fail "\"Выход\": Durmitt still running after ${step_timeout} s"
fi
set +e
wait "$app_pid"
code=$?
set -e
app_pid=
[ "$code" -eq 0 ] || { cat "$out/durmitt.log" >&2; fail "\"Выход\": Durmitt ended with exit code $code"; }
say "Durmitt: passed"
say "screenshots in ${out#"$root"/}"
echo "acceptance: 1 passed, 0 failed"
