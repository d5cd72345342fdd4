#!/usr/bin/env bash
# Drives the real programs on a real X server (its own Xvfb, with the openbox window manager)
# with real X input, as a user at the bench would, and keeps a screenshot of every step under
# build/acceptance/. A step that does not happen in time ends the run with one line saying which.
#
#   scripts/acceptance.sh
#
# Durmitt --demo: connect through the chooser by a double click on the demo device, the test
# runs; "Повторить"; "Отключиться" and connect again; the chooser closed once with Esc;
# "Выход", after which the program must end by itself with exit code 0.
#
# Velkaro --demo, from a program folder of its own (its settings file lives beside the program,
# so the run starts fresh and never meets a user's settings): a fresh start, stopped by mouse
# and closed with Esc, gives the default settings and a stored stop (on the way, Esc in
# "Настройки" must take away the balloon its "Калибровка" showed); a second fresh start
# connects, waits for the traces, changes V/div (spin), T/div (spin and hotkeys), the trigger
# source (list) and level (spin), stops and runs by mouse, stops by the Space hotkey (the chart
# holds still) and ends with Esc; the file must hold the changes and the stop. A restart must
# show the same control panel and store the same values again. Then the tool windows, the
# save dialog (the CSV's format and source chosen with the arrow keys), the logic analyser's
# net list (its scroll bar's thumb follows the list) and decoders (--demo=4.0) and the windows
# --service offers. What the window manager is told is
# checked on the way: the tool windows restored at a restart stand above the main window, also
# after a click on it; the main window offers neither maximize nor resizing; the spectrum
# window tells its smallest size and reopens the size it was given; the service, logic
# generator and measurement windows come back where they were left over two restarts.
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
command -v openbox >/dev/null 2>&1 || need+=(openbox)
command -v xprop >/dev/null 2>&1 && command -v xwininfo >/dev/null 2>&1 || need+=(x11-utils)
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
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELKARO_TESTS=OFF -DVELKARO_BENCH=OFF -DVELKARO_SANITIZE= >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target durmitt velkaro >/dev/null
durmitt="$root/$build/testtool/durmitt"
velkaro_built="$root/$build/app/program/velkaro"

rm -rf "$out"
mkdir -p "$out"
# Qt keeps its file dialog's history and column widths in the user's configuration: the programs
# here start from none of it and leave none behind.
export XDG_CONFIG_HOME="$out/qt-configuration"
mkdir -p "$XDG_CONFIG_HOME"

# ---- the X server ----

xvfb_pid=
wm_pid=
app_pid=
cleanup() {
  # Only a run that failed leaves the program running; it may hang, so it gets no say.
  [ -n "$app_pid" ] && kill -KILL "$app_pid" 2>/dev/null || true
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
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

# A window manager, as on a user's desktop: it frames, places, stacks and focuses the windows.
HOME="$out" openbox --sm-disable >"$out/openbox.log" 2>&1 &
wm_pid=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  kill -0 "$wm_pid" 2>/dev/null || { cat "$out/openbox.log" >&2; fail "openbox did not start"; }
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || fail "openbox did not take the screen"
say "openbox manages the windows"

# ---- helpers ----

shot_no=0
shot() {
  shot_no=$((shot_no + 1))
  import -window root "$out/$(printf '%02d' "$shot_no")-$1.png" 2>/dev/null
}

# The visible windows xdotool finds for its search options ($@), one id a line. A window destroyed
# while xdotool walks the tree ends its search with an X error and no output, which would read as
# "no such window": such a search is made again.
search_windows() {
  local found tries=0
  while :; do
    if found=$(xdotool search --onlyvisible "$@" 2>"$out/search.err"); then :; fi
    grep -q 'X Error' "$out/search.err" || break
    tries=$((tries + 1))
    [ $tries -lt 50 ] || fail "xdotool search $* keeps failing: $(head -n1 "$out/search.err")"
    sleep 0.05
  done
  [ -z "$found" ] || echo "$found"
}

# The visible window whose whole name is $1, or nothing.
find_window() {
  local ids
  ids=$(search_windows --name "^$1\$")
  [ -z "$ids" ] || echo "${ids%%$'\n'*}"
}

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

# A window's client area on the screen as "x y width height" (xdotool's own position is off by
# the frame of a window manager).
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
    /^  Width:/ { w = $2 } /^  Height:/ { h = $2 } END { print x, y, w, h }'
}

# The window manager moves a window (the user's dragging); it may keep its frame on the screen.
move_window() {  # window, x, y
  xdotool windowmove "$1" "$2" "$3"
  sleep 0.5
}

# What the window manager is told about a window: a property as xprop prints it.
wm_property() { xprop -id "$1" "$2" 2>/dev/null; }

# The windows named ($2...) stand above window $1 in the window manager's stacking order.
stand_above() {  # window, what, names...
  local below=$1 what=$2 order name w at_main at
  shift 2
  order=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/^[^#]*# //; s/,//g')
  at_main=$(tr ' ' '\n' <<<"$order" | grep -nix "$(printf '0x%x' "$below")" | cut -d: -f1)
  [ -n "$at_main" ] || fail "$what: the main window is not in the stacking order"
  for name in "$@"; do
    w=$(find_window "$name")
    [ -n "$w" ] || fail "$what: no window \"$name\" on the screen"
    at=$(tr ' ' '\n' <<<"$order" | grep -nix "$(printf '0x%x' "$w")" | cut -d: -f1)
    [ -n "$at" ] && [ "$at" -gt "$at_main" ] || fail "$what: \"$name\" lies under the main window (stacking $order)"
  done
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

# Waits until the program ends by itself; it must end with exit code 0.
wait_exit() {  # what made it end, its log
  local code deadline=$((SECONDS + step_timeout))
  while [ $SECONDS -lt $deadline ]; do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$app_pid" 2>/dev/null && fail "$1: the program still runs after ${step_timeout} s"
  set +e
  wait "$app_pid"
  code=$?
  set -e
  app_pid=
  [ "$code" -eq 0 ] || { cat "$2" >&2; fail "$1: the program ended with exit code $code"; }
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

choose_demo_device() {  # what for, [the device's row]
  local c cx cy cw ch row=${2:-$demo_device_row}
  c=$(wait_window "$chooser" "$1")
  sleep 0.3
  shot "chooser"
  read -r cx cy cw ch <<<"$(geometry "$c")"
  double_click_at $((cx + 60)) $((cy + 40 + 1 + row * tree_row_px + tree_row_px / 2))
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
wait_exit "\"Выход\"" "$out/durmitt.log"
say "Durmitt: passed"

# ---- Velkaro ----

# Places from template 102 (750 x 404 units): the chart at 5,18 611x350; below it the time/div
# list 1060 at 10,383 62x12 with its spin 1006 (left half down, right half up) at 74,383 22x12,
# "Стоп" 1047 at 177,381 40x16, "Подключиться" 1002 at 265,381 75x16; on the right the
# channel and trigger panel from 622,14 to 745,268: the V/div list 1051 of channel A at 628,58
# 70x12 with its spin 1008 at 701,57 10x14, the trigger-source list 1029 at 628,202 70x44 (rows
# "Отключен", "Канал A", ...), the level text 1027 at 628,251 70x10 with its spin 1026 at
# 701,248 10x14.
velkaro_w=750 velkaro_h=404
list_row_px=13   # one list-box row in the dialog font
tdiv_up_presses=12   # from the finest time base to one that shows the demo's sine move

# A part of the window given in template units, as window pixels "x y width height".
dlu_rect() {  # window, x, y, width, height
  read -r _ _ ww wh <<<"$(geometry "$1")"
  awk -v ww="$ww" -v wh="$wh" -v tw="$velkaro_w" -v th="$velkaro_h" -v x="$2" -v y="$3" -v w="$4" -v h="$5" \
    'BEGIN { printf "%d %d %d %d\n", x * ww / tw, y * wh / th, w * ww / tw, h * wh / th }'
}
vpoint() { dlu_point "$main" $velkaro_w $velkaro_h "$1" "$2"; }

chart_part() { dlu_rect "$main" 5 18 611 350; }
# The panel holds settings only, no trace and no live text: equal settings, equal pixels.
panel_part() { dlu_rect "$main" 622 14 123 254; }
source_list_part() { dlu_rect "$main" 628 202 64 44; }

# A key as the user presses it: to the main window, which has the keyboard.
press() { xdotool windowfocus --sync "$main" key "$1"; }

# Runs the action ($2...) and waits until the part's pixels change.
changes() {  # what, action...
  local what=$1 before
  shift
  before=$(region_sum "$main" $(${part}))
  "$@"
  wait_region_changes "$main" $(${part}) "$before" "$what"
}

# The pixels of a part once they have held still for a moment (the tick is 100 ms).
settled_sum() {  # part, [what waits], [window, the main one when not given]
  local a b window=${3:-$main} deadline=$((SECONDS + step_timeout))
  a=$(region_sum "$window" $($1))
  while [ $SECONDS -lt $deadline ]; do
    sleep 0.4
    b=$(region_sum "$window" $($1))
    [ "$a" = "$b" ] && { echo "$a"; return 0; }
    a=$b
  done
  fail "${2:-$1}: still changing after ${step_timeout} s"
}
still() { settled_sum chart_part "$1" >/dev/null; }

# A value of the settings file: element $3 (item $4 of it when given, from 1) of section $2.
# The sections are archives of their own, stored escaped inside the file's map.
setting() {  # file, section, element, [item]
  awk -v section="$2" -v name="$3" -v item="${4:-0}" '
    index($0, "<first>" section "</first>") { inside = 1; next }
    inside && index($0, "<first>") { exit }
    !inside { next }
    index($0, "&lt;" name "&gt;") {
      line = $0
      sub(".*&lt;" name "&gt;", "", line)
      if (item == 0) { sub("&lt;/.*", "", line); print line; exit }
      in_element = 1; n = 0; next
    }
    in_element && index($0, "&lt;item&gt;") {
      if (++n == item) { line = $0; sub(".*&lt;item&gt;", "", line); sub("&lt;/.*", "", line); print line; exit }
    }
    in_element && index($0, "&lt;/" name "&gt;") { exit }
  ' "$1"
}

# The settings this run changes, as "u_div[A] t_div trigger-bits trigger_level[A]" (the trigger
# bits of osc_cr: 2 on, 4 external, 8 channel B).
settings_of() {  # file
  local osc
  [ -s "$1" ] || fail "no settings file $1"
  osc=$(setting "$1" data_v2 osc_cr)
  [ -n "$osc" ] || fail "no osc_cr in $1"
  echo "$(setting "$1" data_v2 u_div 1) $(setting "$1" data_v2 t_div) $((osc & 14)) $(setting "$1" data_v2 trigger_level 1)"
}

# The program runs from a folder of its own, its settings file beside it; the environment gives
# it a home of its own too, so nothing of the user's is read or written.
start_velkaro() {  # folder, what, [the program's options, --demo when none]
  local options=("${@:3}")
  [ ${#options[@]} -gt 0 ] || options=(--demo)
  mkdir -p "$1/home"
  ln -f "$velkaro_built" "$1/velkaro" 2>/dev/null || cp "$velkaro_built" "$1/velkaro"
  env -u VELKARO_SERIAL_PORTS -u VELKARO_USB_DEVICES -u XDG_CONFIG_HOME HOME="$1/home" \
    ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$out/lsan.supp" \
    "$1/velkaro" "${options[@]}" >>"$1/velkaro.log" 2>&1 &
  app_pid=$!
  main=$(wait_window "Velkaro" "$2")
  sleep 0.3
}

connect_velkaro() {  # what
  local before
  before=$(settled_sum chart_part)
  click_at $(vpoint 302 389)
  # Velkaro offers WinUSB before the two Durmitt offers.
  choose_demo_device "$1" $((demo_device_row + 1))
  wait_region_changes "$main" $(chart_part) "$before" "$1: traces on the chart"
  sleep 0.5
}

exit_velkaro() {  # log
  xdotool mousemove $(vpoint 375 200)
  press Escape
  wait_exit "Esc" "$1"
}

# Baseline: what a fresh start stores.
say "Velkaro --demo: a fresh start"
fresh="$out/velkaro-fresh"
start_velkaro "$fresh" "a fresh start"
shot "velkaro-fresh"
# A balloon goes with the window that showed it: "Калибровка" in "Настройки" answers the
# disconnected instrument with a balloon of its own (a window of the program's), and Esc in
# "Настройки" takes it away with the window, not leaving it over the chart. Places: "Настройки"
# 1059 at 622,295 60x16; in the settings window (template 134, 290 x 228 units) "Калибровка" 1054
# at 203,67 80x14.
before=$(search_windows --pid "$app_pid" | sort)
click_at $(vpoint 652 303)
settings=$(wait_window "Настройки" "the button \"Настройки\" while disconnected")
sleep 0.3
with_settings=$(search_windows --pid "$app_pid" | sort)
click_at $(dlu_point "$settings" 290 228 243 74)
balloon=
deadline=$((SECONDS + step_timeout))
while [ -z "$balloon" ]; do
  [ $SECONDS -lt $deadline ] || fail "\"Калибровка\" while disconnected: no balloon within ${step_timeout} s"
  sleep 0.1
  balloon=$(comm -13 <(echo "$with_settings") <(search_windows --pid "$app_pid" | sort) | head -n1)
done
sleep 0.3
shot "velkaro-fresh-calibration-balloon"
xdotool windowfocus --sync "$settings" key Escape
wait_window_gone "Настройки" "Esc in \"Настройки\" with the balloon up"
# Such a balloon never goes by itself, and no key comes to the main window meanwhile: only the
# closing of its window takes it away.
deadline=$((SECONDS + step_timeout))
until [ "$(search_windows --pid "$app_pid" | sort)" = "$before" ]; do
  if [ $SECONDS -ge $deadline ]; then
    shot "velkaro-fresh-balloon-left"
    fail "Esc closed \"Настройки\" but the balloon \"Необходимо подключиться!\" stays on the screen after ${step_timeout} s"
  fi
  sleep 0.1
done
shot "velkaro-fresh-settings-closed"
# "Стоп" by mouse: the file keeps the stopped state (the next start runs all the same).
click_at $(vpoint 197 389)
sleep 0.3
exit_velkaro "$fresh/velkaro.log"
read -r base_vdiv base_tdiv base_trigger base_level <<<"$(settings_of "$fresh/velkaro_cfg.xml")"
[ $(($(setting "$fresh/velkaro_cfg.xml" data_v2 mode) & 1)) = 1 ] || fail "\"Стоп\" by mouse: the file holds a running state"
say "defaults: V/div A $base_vdiv, T/div $base_tdiv, trigger bits $base_trigger, level A $base_level"

say "Velkaro --demo: changing the settings"
run="$out/velkaro-run"
start_velkaro "$run" "start"
shot "velkaro-started"
connect_velkaro "connect"
shot "velkaro-connected"

# The settings; the file read after the exit tells whether each one took. The fresh time base
# is the finest, too short to see the demo's sine move: the hotkey widens it step by step.
click_at $(vpoint 706 60)      # V/div of channel A, its spin's upper arrow
click_at $(vpoint 92 389)      # T/div, its spin's right arrow: one step up
for _ in $(seq $tdiv_up_presses); do press Up; done
press Down
sleep 0.3
shot "velkaro-vdiv-tdiv"

part=source_list_part changes "trigger source \"Канал A\"" \
  click_at $(vpoint 660 202 | awk -v r=$list_row_px '{ printf "%d %d\n", $1, $2 + 2 + r * 3 / 2 }')
click_at $(vpoint 706 251)     # the trigger level's spin, twice
click_at $(vpoint 706 251)
sleep 0.3
shot "velkaro-trigger-a-level"

# Stop and run by mouse, which also takes the keyboard focus out of the panel (its frame would
# differ from a fresh start's); then stop by the hotkey: the chart holds still, the file keeps it.
click_at $(vpoint 197 389)
sleep 0.3
click_at $(vpoint 197 389)
xdotool mousemove $(vpoint 375 200)
sleep 0.3
press space
still "the chart after the hotkey Space"
panel=$(settled_sum panel_part)
shot "velkaro-before-exit"
exit_velkaro "$run/velkaro.log"
read -r vdiv tdiv trigger level <<<"$(settings_of "$run/velkaro_cfg.xml")"
say "stored: V/div A $vdiv, T/div $tdiv, trigger bits $trigger, level A $level"
[ "$vdiv" != "$base_vdiv" ] || fail "the file keeps V/div A $vdiv after the spin"
# The spin and each Up step up, Down steps back once.
[ "$tdiv" = "$((base_tdiv + tdiv_up_presses))" ] ||
  fail "the file holds T/div $tdiv, expected $((base_tdiv + tdiv_up_presses))"
[ "$trigger" = 2 ] || fail "the file holds trigger bits $trigger, expected channel A (2)"
[ "$level" != "$base_level" ] || fail "the file keeps trigger level $level after the spin"
[ $(($(setting "$run/velkaro_cfg.xml" data_v2 mode) & 1)) = 1 ] || fail "the hotkey Space: the file holds a running state"
stored="$vdiv $tdiv $trigger $level"

say "Velkaro --demo: restart"
start_velkaro "$run" "restart"
connect_velkaro "connect after the restart"
xdotool mousemove $(vpoint 375 200)
deadline=$((SECONDS + step_timeout))
while [ "$(region_sum "$main" $(panel_part))" != "$panel" ]; do
  [ $SECONDS -lt $deadline ] || fail "the control panel differs after the restart (see the screenshots)"
  sleep 0.2
done
shot "velkaro-restarted"
exit_velkaro "$run/velkaro.log"
again=$(settings_of "$run/velkaro_cfg.xml")
[ "$again" = "$stored" ] || fail "after the restart the file holds \"$again\", before it \"$stored\""
# The tool windows by their buttons, then the screen as PNG and the buffer as CSV through
# "Сохранить". Places: "Измерения" 1052 at 622,275, "Маркеры" 1053 at 685,275 and "Сохранить"
# 1063 at 622,315, 60x16 each; in the save dialog (template 145, 214 x 104 units) "Буфер" at
# 14,31, "Растровое изображение" at 100,15, "Таблица CSV" at 100,45, "Сохранить" at 101,83 52x14.
say "Velkaro --demo: tool windows and saving"
tools="$out/velkaro-tools"
save_w=214 save_h=104
start_velkaro "$tools" "start for the tool windows"
connect_velkaro "connect for the tool windows"
click_at $(vpoint 652 283)
wait_window "Измерения" "the button \"Измерения\"" >/dev/null
sleep 1
shot "velkaro-measure-window"
click_at $(vpoint 715 283)
markers=$(wait_window "Маркеры" "the button \"Маркеры\"")
sleep 0.5
shot "velkaro-marker-window"

# The marker window's list fills it: a header, then six rows with a check box at their left;
# "Вертикальные" (row 2) switches both vertical markers on, "Горизонтальные" (row 5) both
# horizontal ones. The markers start in the middle of the chart, under the window: the user's
# dragging is a move above the chart's upper part.
report_head_px=17 report_row_px=14 report_check_px=10
marker_check() { read -r mx my _ _ <<<"$(geometry "$markers")"; echo "$((mx + report_check_px)) $((my + report_head_px + $1 * report_row_px + report_row_px / 2))"; }
checks_part() { echo "$((report_check_px - 7)) $report_head_px 14 $((6 * report_row_px))"; }
move_window "$markers" 352 0
sleep 0.3
for row in 2 5; do
  before=$(region_sum "$markers" $(checks_part))
  click_at $(marker_check $row)
  wait_region_changes "$markers" $(checks_part) "$before" "the check box of marker row $row"
done
sleep 0.5
shot "velkaro-markers-vertical-and-horizontal"
# Off again, so that the markers stay out of the later screenshots.
for row in 2 5; do
  before=$(region_sum "$markers" $(checks_part))
  click_at $(marker_check $row)
  wait_region_changes "$markers" $(checks_part) "$before" "the check box of marker row $row again"
done
click_at $(vpoint 652 323)
wait_window "Математика" "the button \"Математика\"" >/dev/null
sleep 0.5
shot "velkaro-math-window"

# The mathematics window (template 144, 232 x 196 units): the operation combo 1089 at 13,16
# 60x13, "БПФ всего буфера" 1107 at 137,81 82x14, "Создать" 1149 at 13,123 54x14, "АЧХ" 1150 at
# 72,123 40x14, the filter's channel combo 1087 at 13,146 54x13 and "Применить к буферу" 1148 at
# 72,145 85x14, the math trace's V/div spin 1093 at 152,16 10x13. The demo feeds A with a
# 1 kHz sine and B with a 500 Hz square; at 500 us/div the buffer holds enough periods for the
# spectrum and the filter to show them, and at 1 V/div the traces and their difference fit on
# the chart. The capture is stopped first, so any change of the chart is the tool's and not
# the next capture's.
math_w=232 math_h=196
tdiv_slow_presses=12   # from the finest time base to 500 us/div
mpoint() { dlu_point "$math" $math_w $math_h "$1" "$2"; }
# A drop-down list of the math window: opened by a click, moved $3 rows down from the chosen
# row by the keyboard and taken with Return, as a user picks it.
math_choose() {  # x, y (units, inside the closed list), rows down
  click_at $(mpoint "$1" "$2")
  sleep 0.3
  for _ in $(seq "$3"); do xdotool key Down; done
  xdotool key Return
}
# The FIR sheet in list look: the page list 7 px in from the left and top with rows of
# $list_row_px, the page (200 x 110 units) 114 px in, OK and Cancel (75 x 23 px) in the
# bottom-right corner with 7 px margins; the page's units follow from the sheet's size.
fir_page_point() {  # x, y in the page's units
  read -r fx fy fw fh <<<"$(geometry "$fir")"
  awk -v fx="$fx" -v fy="$fy" -v fw="$fw" -v fh="$fh" -v x="$1" -v y="$2" \
    'BEGIN { printf "%d %d\n", fx + 114 + x * (fw - 121) / 200, fy + 7 + y * (fh - 44) / 110 }'
}
fir_list_row() { read -r fx fy _ _ <<<"$(geometry "$fir")"; echo "$((fx + 57)) $((fy + 8 + $1 * list_row_px + list_row_px / 2))"; }
fir_ok() { read -r fx fy fw fh <<<"$(geometry "$fir")"; echo "$((fx + fw - 126)) $((fy + fh - 18))"; }

say "Velkaro --demo: the mathematics window"
math=$(find_window "Математика")
[ -n "$math" ] || fail "the mathematics window is not on the screen"
click_at $(vpoint 640 120)    # channel B "Включен"
for _ in 1 2; do
  click_at $(vpoint 706 60)    # V/div of A, B and the math trace: their spins' upper arrows
  click_at $(vpoint 706 148)
  click_at $(mpoint 157 19)
done
for _ in $(seq $tdiv_slow_presses); do press Up; done
click_at $(vpoint 197 389)    # "Стоп"
still "the chart after \"Стоп\" for the mathematics window"

part=chart_part changes "the math trace A-B on the chart" math_choose 43 22 2
sleep 0.3
still "the chart with the math trace"
shot "velkaro-math-a-minus-b"

click_at $(mpoint 178 88)     # "БПФ всего буфера"
spectrum=$(wait_window "БПФ" "the button \"БПФ всего буфера\"")
# The pointer onto the plot, where the cross-hair reads the spectrum.
read -r sx sy sw sh <<<"$(geometry "$spectrum")"
xdotool mousemove $((sx + sw * 3 / 4)) $((sy + sh / 2))
sleep 0.5
shot "velkaro-math-buffer-spectrum"

# The window manager is told the smallest frame the spectrum window takes (300 x 200 with its
# frame), and a window given a size by its user reopens with that client area, not grown by its
# frame.
spectrum_min_w=300 spectrum_min_h=200
read -r fl fr ft fb <<<"$(wm_property "$spectrum" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')"
read -r min_w min_h <<<"$(wm_property "$spectrum" WM_NORMAL_HINTS | awk '/minimum size:/ { print $(NF - 2), $NF }')"
[ -n "$min_w" ] && [ -n "$fb" ] || fail "the spectrum window tells the window manager no minimum size"
[ $((min_w + fl + fr)) = $spectrum_min_w ] && [ $((min_h + ft + fb)) = $spectrum_min_h ] ||
  fail "the spectrum window's minimum is ${min_w}x${min_h} inside a frame of $fl $fr $ft $fb, not ${spectrum_min_w}x${spectrum_min_h} with it"
xdotool windowsize "$spectrum" 700 400
deadline=$((SECONDS + step_timeout))
until [ "$(geometry "$spectrum" | cut -d' ' -f3-)" = "700 400" ]; do
  [ $SECONDS -lt $deadline ] || fail "the spectrum window never took the size 700 x 400"
  sleep 0.1
done
xdotool windowfocus --sync "$spectrum" key Escape
wait_window_gone "БПФ" "Esc in the spectrum window"
click_at $(mpoint 178 88)     # "БПФ всего буфера" again: a new window at the size kept for it
spectrum=$(wait_window "БПФ" "the button \"БПФ всего буфера\" again")
sleep 1
read -r _ _ sw sh <<<"$(geometry "$spectrum")"
[ "$sw $sh" = "700 400" ] || fail "the spectrum window left at 700 x 400 reopens at $sw x $sh"
shot "velkaro-math-buffer-spectrum-reopened"
xdotool windowfocus --sync "$spectrum" key Escape
wait_window_gone "БПФ" "Esc in the spectrum window"

click_at $(mpoint 40 130)     # "Создать"
fir=$(wait_window "Параметры КИХ фильтра" "the button \"Создать\"")
sleep 0.3
click_at $(fir_list_row 0)    # the low-pass page
click_at $(fir_page_point 130 32)
xdotool key ctrl+a type --delay 20 "2000"
shot "velkaro-math-fir-lowpass"
click_at $(fir_ok)
wait_window_gone "Параметры КИХ фильтра" "OK in the filter sheet"

math_choose 40 152 2          # the filter on "Канал AB"
part=chart_part changes "the filtered buffer on the chart" click_at $(mpoint 114 152)
sleep 0.3
still "the chart with the filtered buffer"
shot "velkaro-math-filtered"

click_at $(mpoint 92 130)     # "АЧХ"
response=$(wait_window "АЧХ фильтра" "the button \"АЧХ\"")
sleep 0.5
shot "velkaro-math-filter-magnitude"
xdotool windowfocus --sync "$response" key Escape
wait_window_gone "АЧХ фильтра" "Esc in the filter's magnitude response"
click_at $(vpoint 197 389)    # the capture runs again for what follows

# The settings window, and from it the calibration: started, and closed once it has ended
# ("Закрыть" takes no click while the instrument calibrates).
click_at $(vpoint 652 303)
settings=$(wait_window "Настройки" "the button \"Настройки\"")
sleep 0.5
shot "velkaro-settings-window"
click_at $(dlu_point "$settings" 290 228 243 74)
calibration=$(wait_window "Калибровка" "the button \"Калибровка\"")
sleep 0.3
shot "velkaro-calibration"
click_at $(dlu_point "$calibration" 240 86 147 70)   # "Старт"
sleep 0.5
shot "velkaro-calibration-started"
# The instrument measures each offset it tries for a second: the run takes some 15 seconds.
deadline=$((SECONDS + 90))
until [ -z "$(find_window "Калибровка")" ]; do
  [ $SECONDS -lt $deadline ] || fail "the calibration never ended"
  click_at $(dlu_point "$calibration" 240 86 207 70)   # "Закрыть"
  sleep 0.5
done

spoint() { dlu_point "$save" $save_w $save_h "$1" "$2"; }
# The save dialog's file dialog: the program's window that "Сохранить" brings up (found by its
# coming, not by a title that follows the language), then the name typed over the proposed one,
# Enter.
mapped() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
program_windows() { search_windows --pid "$app_pid" | sort; }
save_as() {  # path, what
  local dialog before deadline=$((SECONDS + step_timeout))
  before=$(program_windows)
  click_at $(spoint 127 90)
  dialog=
  while [ -z "$dialog" ]; do
    [ $SECONDS -lt $deadline ] || fail "$2: no file dialog within ${step_timeout} s"
    sleep 0.1
    dialog=$(comm -13 <(echo "$before") <(program_windows) | head -n1)
  done
  sleep 0.3
  shot "velkaro-file-dialog"
  # Qt's own dialogs speak the program's language.
  [ "$(xdotool getwindowname "$dialog")" = "Сохранить как" ] || fail "$2: the file dialog is not in Russian"
  # Made the active window through the window manager, which otherwise hands the keyboard back
  # to the window it takes for the active one when the name's completion list closes.
  xdotool windowactivate "$dialog"
  sleep 0.3
  xdotool windowfocus --sync "$dialog" key ctrl+a type --delay 20 "$1"
  sleep 0.5
  # The name's completion list may still hold the keyboard when Return comes, and take it: a
  # Return that left the file dialog open is pressed again, the dialog made active first. Only
  # while the dialog is still mapped, so a second Return never reaches another window.
  local tries=0
  while :; do
    xdotool windowactivate "$dialog" 2>/dev/null || true
    xdotool windowfocus --sync "$dialog" key Return
    local gone_by=$((SECONDS + 3))
    while [ $SECONDS -lt $gone_by ] && mapped "$dialog"; do sleep 0.1; done
    mapped "$dialog" || break
    tries=$((tries + 1))
    [ $tries -lt 5 ] || fail "$2: the file dialog took no Return"
    say "$2: the file dialog is still open, Return again"
  done
  wait_window_gone "Опции сохранения" "$2: the save dialog closing"
  [ -s "$1" ] || fail "$2: no file $1"
}

png="$tools/screen.png"
csv="$tools/buffer.csv"
rm -f "$png" "$csv"
click_at $(vpoint 715 323)
save=$(wait_window "Опции сохранения" "the button \"Сохранить\"")
sleep 0.3
click_at $(spoint 106 20)   # "Растровое изображение"
shot "velkaro-save-screen"
save_as "$png" "the screen as PNG"
[ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is no PNG"

click_at $(vpoint 715 323)
save=$(wait_window "Опции сохранения" "the button \"Сохранить\" again")
sleep 0.3
# This time by the keyboard, as in any group of radio buttons: the arrows move the check within
# the group. From "Растровое изображение" two Downs check "Таблица CSV".
click_at $(spoint 106 20)   # "Растровое изображение"
sleep 0.3
xdotool key Down Down
sleep 0.3
# "Буфер" can be checked once the held capture is read out (Down from "Экран" reaches it); the
# image choice then greys.
image_part() { read -r sx sy _ _ <<<"$(geometry "$save")"; read -r ix iy <<<"$(spoint 100 15)"; echo "$((ix - sx)) $((iy - sy)) 60 12"; }
before=$(region_sum "$save" $(image_part))
deadline=$((SECONDS + step_timeout))
until [ "$(region_sum "$save" $(image_part))" != "$before" ]; do
  [ $SECONDS -lt $deadline ] || fail "Down from \"Экран\" never checked \"Буфер\""
  click_at $(spoint 20 20)   # "Экран"
  xdotool key Down
  sleep 0.5
done
shot "velkaro-save-buffer"
save_as "$csv" "the buffer as CSV"
[ "$(wc -l <"$csv")" -gt 301 ] || fail "$csv holds no more than a screen"
head -n1 "$csv" | grep -q ';' || fail "the arrow keys did not choose \"Таблица CSV\": $csv is no CSV table"
say "saved $(stat -c %s "$png") bytes of PNG, $(wc -l <"$csv") lines of CSV"
sleep 0.5
shot "velkaro-after-saving"
exit_velkaro "$tools/velkaro.log"
# The file keeps the spectrum window's outer size: its client area and the frame around it once.
stored_fft=$(awk 'index($0, "&lt;rect_dlg_fft ") { inside = 1 }
  inside && match($0, /&lt;(left|top|right|bottom)&gt;-?[0-9]+/) { v = substr($0, RSTART, RLENGTH); sub(/.*&gt;/, "", v); n[++k] = v }
  inside && index($0, "&lt;/rect_dlg_fft&gt;") { print n[3] - n[1], n[4] - n[2]; exit }' "$tools/velkaro_cfg.xml")
[ "$stored_fft" = "$((700 + fl + fr)) $((400 + ft + fb))" ] ||
  fail "the spectrum window left at 700 x 400 inside a frame of $fl $fr $ft $fb is stored as \"$stored_fft\""

# A restart brings back the tool windows left open: they stand above the main window, also once
# the user has clicked the main window. The click goes to a free place of the main window below
# its tool buttons. The main window, which has one size only, offers neither maximize nor resizing.
say "Velkaro --demo: the tool windows restored above the main window"
start_velkaro "$tools" "a restart with the tool windows open"
for name in "Измерения" "Маркеры" "Математика"; do wait_window "$name" "the restored window \"$name\"" >/dev/null; done
sleep 1
shot "velkaro-tools-restored"
stand_above "$main" "the restart" "Измерения" "Маркеры" "Математика"
read -r px py <<<"$(vpoint 700 372)"
for name in "Измерения" "Маркеры" "Математика" "Настройки"; do
  w=$(find_window "$name")
  [ -z "$w" ] && continue
  read -r wx wy ww wh <<<"$(geometry "$w")"
  [ "$px" -lt "$wx" ] || [ "$px" -ge $((wx + ww)) ] || [ "$py" -lt "$wy" ] || [ "$py" -ge $((wy + wh)) ] ||
    fail "the place to click on the main window lies under \"$name\""
done
click_at "$px" "$py"
sleep 1
shot "velkaro-tools-after-click-on-main"
[ "$(xprop -root _NET_ACTIVE_WINDOW | sed 's/.*# //')" = "$(printf '0x%x' "$main")" ] ||
  fail "the click on the main window did not make it the active one"
stand_above "$main" "a click on the main window" "Измерения" "Маркеры" "Математика"
# Motif hints: functions (resize 0x2, maximize 0x10) and decorations (resize handle 0x4,
# maximize 0x40); and what openbox allows.
read -r _ functions decorations _ <<<"$(wm_property "$main" _MOTIF_WM_HINTS | sed 's/.*= //; s/,//g')"
[ -n "$decorations" ] || fail "the main window tells the window manager nothing of its frame"
[ $((functions & 0x12)) = 0 ] && [ $((decorations & 0x44)) = 0 ] ||
  fail "the main window offers maximize or resizing: _MOTIF_WM_HINTS functions $functions, decorations $decorations"
! wm_property "$main" _NET_WM_ALLOWED_ACTIONS | grep -qE '_NET_WM_ACTION_(MAXIMIZE|RESIZE)' ||
  fail "openbox allows the main window to be maximized or resized"
exit_velkaro "$tools/velkaro.log"
say "Velkaro: passed"

# The logic analyser on the logic-only instrument (variant 4), whose demo sends "Velkaro\r\n"
# as 9600-baud UART frames on line B0. Places: channel B's "Включен" 1013 at 628,115, the
# time/div spin 1006 at 74,383, "Логич. анализатор" 1035 at 622,335 92x16; in the analyser
# (template 147, 200 x 240 units) "Анализатор асинхронных интерфейсов" 1110 at 7,208 186x16; in
# the decoder (template 190, 270 x 214 units) the tab "Данные" about 71,13, on that page the
# first net's list about 59,61, "Обработка" at 150,193 60x15, "Закрыть" at 214,193 51x15 and
# the pages' area from 10,25 to 260,185.
say "Velkaro --demo=4.0: the logic analyser"
logic="$out/velkaro-logic"
start_velkaro "$logic" "a start on the logic instrument" --demo=4.0
connect_velkaro "connect to the logic instrument"
part=chart_part changes "channel B switched on" click_at $(vpoint 634 120)
# At 100 µs/div a stored sample is 10 µs: a UART bit spans ten of them.
for _ in 1 2 3 4 5 6 7 8 9 10; do
  click_at $(vpoint 92 389)
  sleep 0.2
done
# A free run without a trigger never holds still: a moment for the last step to show.
sleep 1
shot "velkaro-logic-lines"

click_at $(vpoint 668 343)
analyser=$(wait_window "Логический анализатор" "the button \"Логич. анализатор\"")
# The user drags it to where the chart's empty lower half is.
move_window "$analyser" 140 430
sleep 0.3
# The thumb of the net list's scroll bar follows the content: at the top of the bar while the
# first rows show, at the bottom once the list is scrolled to its last ones by the bar's down
# arrow. Down the bar's column lie the up arrow's button, the groove (the thumb and the free parts)
# and the down arrow's button: the thumb is the darkest long stretch of rows of one shade (the
# arrows' glyphs are darker, but only a few rows long). The list 1108 stands at 7,17 186x150
# units, its bar inside its right edge.
bar_part() {
  read -r _ _ aw ah <<<"$(geometry "$analyser")"
  echo "$((193 * aw / 200 - 12)) $((17 * ah / 240)) 9 $((150 * ah / 240))"
}
net_rows_part() {
  read -r _ _ aw ah <<<"$(geometry "$analyser")"
  echo "$((7 * aw / 200)) $((30 * ah / 240)) $((150 * aw / 200)) $((130 * ah / 240))"
}
# The rows of a part (window pixels) above and below its darkest stretch of at least 8 rows of
# one shade, as "above below"; nothing without such a stretch.
thumb_gaps() {  # window, x, y, width, height
  read -r wx wy _ _ <<<"$(geometry "$1")"
  import -window root -crop "${4}x${5}+$((wx + $2))+$((wy + $3))" +repage -colorspace gray -depth 8 gray:- 2>/dev/null |
    od -An -tu1 -v -w"$4" | awk '
      { s = 0; for (i = 1; i <= NF; i++) s += $i; m[NR] = s / NF }
      END {
        best = 0
        for (r = 1; r <= NR; r = e + 1) {
          for (e = r; e < NR && m[e + 1] - m[r] <= 3 && m[r] - m[e + 1] <= 3; e++) ;
          if (e - r >= 7 && (best == 0 || m[r] < m[best])) { best = r; last = e }
        }
        if (best > 0) print best - 1, NR - last
      }'
}
shot "velkaro-logic-net-list"
read -r above below <<<"$(thumb_gaps "$analyser" $(bar_part))"
[ -n "$below" ] || fail "the net list of 16 nets shows no scroll bar thumb"
[ "$above" -lt "$below" ] ||
  fail "the first nets shown, the net list's scroll bar thumb stands low: $above rows of the bar above it, $below below"
first_rows=$(region_sum "$analyser" $(net_rows_part))
read -r ax ay aw ah <<<"$(geometry "$analyser")"
# The down arrow, more often than there are rows to scroll.
for _ in 1 2 3 4 5 6 7 8; do click_at $((ax + 193 * aw / 200 - 8)) $((ay + 167 * ah / 240 - 8)); done
sleep 0.5
shot "velkaro-logic-net-list-scrolled"
[ "$(region_sum "$analyser" $(net_rows_part))" != "$first_rows" ] || fail "the net list's down arrow did not scroll the list"
read -r above below <<<"$(thumb_gaps "$analyser" $(bar_part))"
[ -n "$below" ] && [ "$above" -gt "$below" ] ||
  fail "the net list scrolled to its last nets, its scroll bar thumb stands high: $above rows of the bar above it, $below below"
click_at $(dlu_point "$analyser" 200 240 100 216)
decoder=$(wait_window "Анализатор асинхронных интерфейсов" "the button \"Анализатор асинхронных интерфейсов\"")
move_window "$decoder" 560 440
sleep 0.3
dpoint() { dlu_point "$decoder" 270 214 "$1" "$2"; }
pages_part() {
  read -r _ _ dw dh <<<"$(geometry "$decoder")"
  echo "$((10 * dw / 270)) $((25 * dh / 214)) $((250 * dw / 270)) $((160 * dh / 214))"
}
before=$(region_sum "$decoder" $(pages_part))
click_at $(dpoint 71 13)   # "Данные"
wait_region_changes "$decoder" $(pages_part) "$before" "the page \"Данные\""
# The first net: the last entry of its list is B0.
before=$(region_sum "$decoder" $(pages_part))
click_at $(dpoint 59 61)
sleep 0.3
xdotool key End Return
wait_region_changes "$decoder" $(pages_part) "$before" "net B0 chosen"
shot "velkaro-logic-decoder-net"
before=$(region_sum "$decoder" $(pages_part))
chart_before=$(region_sum "$main" $(chart_part))
click_at $(dpoint 180 200)   # "Обработка"
# The decoder stops the free run, waits for the read-out and shows its text on "Результаты";
# the frames are drawn over the chart.
wait_region_changes "$decoder" $(pages_part) "$before" "the decoded text"
wait_region_changes "$main" $(chart_part) "$chart_before" "the frames over the chart"
sleep 0.5
shot "velkaro-logic-decoded"

# The time-out in bit times on "Условия" (its tab about 27,13; its edit 1126 at 170,18 of the
# page, about 190,48 of the decoder): the demo repeats its text after 20 idle bits, so without a
# time-out every frame falls in one "Посылка" and with 10 each repetition opens one of its own.
# The capture has stood still since the processing: the same samples give the same text again
# unless the typed time-out took.
tabs_part() {
  read -r _ _ dw dh <<<"$(geometry "$decoder")"
  echo "$((5 * dw / 270)) $((5 * dh / 214)) $((260 * dw / 270)) $((15 * dh / 214))"
}
decoded=$(settled_sum pages_part "the decoded text" "$decoder")
results_tabs=$(region_sum "$decoder" $(tabs_part))
before=$(region_sum "$decoder" $(pages_part))
click_at $(dpoint 27 13)   # "Условия"
wait_region_changes "$decoder" $(pages_part) "$before" "the page \"Условия\""
click_at $(dpoint 190 48)
xdotool key ctrl+a type --delay 20 "10"
sleep 0.3
shot "velkaro-logic-decoder-timeout"
click_at $(dpoint 180 200)   # "Обработка"
# The decoder turns to "Результаты" once the text is there.
deadline=$((SECONDS + step_timeout))
until [ "$(region_sum "$decoder" $(tabs_part))" = "$results_tabs" ]; do
  [ $SECONDS -lt $deadline ] || fail "the decoder never showed \"Результаты\" after the time-out"
  sleep 0.1
done
[ "$(settled_sum pages_part "the text after the time-out" "$decoder")" != "$decoded" ] ||
  fail "the time-out of 10 typed on \"Условия\": the decoded text stays the same"
shot "velkaro-logic-decoded-timeout"
click_at $(dpoint 240 200)   # "Закрыть"
wait_window_gone "Анализатор асинхронных интерфейсов" "\"Закрыть\" of the decoder"

# The synchronous decoder (template 180, 300 x 196 units) from "Анализатор синхронных
# интерфейсов" 1109 at 7,188 186x16 of the analyser: its tab "Условия" about 89,13; on that page
# (some 8,24 units into the window) the group "Начало" at 13,27 270x72 with the radios "Смещение,
# сэмплов" 1114 at 20,39 and "Вертикальный маркер 0" 1116 at 20,57, and the offset's edit 1120 at
# 114,37, which takes input only while the offset is the start. "Закрыть" at 235,176 60x15.
click_at $(dlu_point "$analyser" 200 240 100 196)
sync=$(wait_window "Анализатор синхронных интерфейсов" "the button \"Анализатор синхронных интерфейсов\"")
move_window "$sync" 560 440
sleep 0.3
ypoint() { dlu_point "$sync" 300 196 "$1" "$2"; }
start_part() {
  read -r _ _ sw sh <<<"$(geometry "$sync")"
  echo "$((13 * sw / 300)) $((27 * sh / 196)) $((270 * sw / 300)) $((72 * sh / 196))"
}
before=$(region_sum "$sync" $(start_part))
click_at $(ypoint 89 13)   # "Условия"
wait_region_changes "$sync" $(start_part) "$before" "the page \"Условия\" of the synchronous decoder"
# The offset's radio first, already chosen: it holds the focus and the pointer as it will at the end.
click_at $(ypoint 40 44)
offset=$(settled_sum start_part "the start by the offset" "$sync")
shot "velkaro-logic-sync-offset"
click_at $(ypoint 40 62)   # "Вертикальный маркер 0"
wait_region_changes "$sync" $(start_part) "$offset" "the start at marker 0"
sleep 0.3
shot "velkaro-logic-sync-marker0"
click_at $(ypoint 40 44)   # "Смещение, сэмплов"
sleep 0.3
shot "velkaro-logic-sync-offset-again"
[ "$(settled_sum start_part "the start by the offset again" "$sync")" = "$offset" ] ||
  fail "\"Смещение, сэмплов\" after \"Вертикальный маркер 0\": the group \"Начало\" differs from before (a second radio checked or the offset's edit greyed)"
click_at $(ypoint 265 183)   # "Закрыть"
wait_window_gone "Анализатор синхронных интерфейсов" "\"Закрыть\" of the synchronous decoder"
exit_velkaro "$logic/velkaro.log"
grep -q "lanalyzer_dlg" "$logic/velkaro_cfg.xml" || fail "the settings file holds no record of the logic analyser"
say "Velkaro --demo=4.0: passed"

# With --service "Сервис" 1061 at 685,295 60x16 and "ЛГ" 1036 at 717,335 28x16 are there from
# the start.
say "Velkaro --demo --service: the service and logic generator windows"
service="$out/velkaro-service"
start_velkaro "$service" "a start with --service" --demo --service
shot "velkaro-service-started"
click_at $(vpoint 715 303)
wait_window "Сервис" "the button \"Сервис\"" >/dev/null
sleep 0.5
shot "velkaro-service-window"
click_at $(vpoint 731 343)
wait_window "Логический генератор" "the button \"ЛГ\"" >/dev/null
sleep 0.5
shot "velkaro-logic-generator-window"
# "Измерения" 1046 at 622,275 60x16 too: a tool window of another kind (the generator has a
# thick frame, the service window and the tool window none).
click_at $(vpoint 652 283)
wait_window "Измерения" "the button \"Измерения\"" >/dev/null
sleep 0.5
shot "velkaro-service-tools-open"

# Left where they came up, the windows come back at every restart where they were and as big:
# a window put back by its outer corner must not creep by its frame (up by its caption and left
# by its border at each start).
restorable=("Сервис" "Логический генератор" "Измерения")
declare -A left_at
for name in "${restorable[@]}"; do
  left_at[$name]=$(geometry "$(find_window "$name")")
  say "\"$name\" left at ${left_at[$name]} (client x y width height)"
done
exit_velkaro "$service/velkaro.log"
for restart in 1 2; do
  start_velkaro "$service" "restart $restart with --service" --demo --service
  for name in "${restorable[@]}"; do
    w=$(wait_window "$name" "restart $restart: the restored window \"$name\"")
    deadline=$((SECONDS + step_timeout))
    until [ "$(geometry "$w")" = "${left_at[$name]}" ]; do
      [ $SECONDS -lt $deadline ] ||
        fail "restart $restart: \"$name\" comes back at $(geometry "$w"), it was left at ${left_at[$name]}"
      sleep 0.1
    done
  done
  shot "velkaro-service-restart-$restart"
  exit_velkaro "$service/velkaro.log"
done
say "Velkaro --service: passed"

say "screenshots in ${out#"$root"/}"
echo "acceptance: 4 passed, 0 failed"
