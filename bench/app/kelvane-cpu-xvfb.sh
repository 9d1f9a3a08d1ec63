#!/usr/bin/env bash
# Processor share of Kelvane running the demo under a real X server for a while: starts it on
# the given display (an Xvfb with a window manager, for example), answers the Searching Device
# dialog with Ignore, and reads utime + stime from /proc before and after.
#   bench/app/kelvane-cpu-xvfb.sh BUILD_DIR DISPLAY [SECONDS]
# Needs xdotool. Example: Xvfb :94 -screen 0 1280x1024x24 & DISPLAY=:94 openbox &
set -euo pipefail
build=${1:?build folder}
export DISPLAY=${2:?display, e.g. :94}
seconds=${3:-30}
"$build/app/kelvane" --nosplash >/dev/null 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
win=""
for _ in $(seq 1 100); do
  win=$(xdotool search --name "Search Device" 2>/dev/null | head -1 || true)
  [ -n "$win" ] && break
  sleep 0.2
done
[ -n "$win" ] || { echo "no Searching Device dialog" >&2; exit 1; }
sleep 0.5
# Ignore is the left one of the two buttons at the bottom of the dialog.
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove $((X + 182)) $((Y + 139))
sleep 0.3
xdotool click 1
sleep 3
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
a=$(ticks); t0=$(date +%s.%N)
sleep "$seconds"
b=$(ticks); t1=$(date +%s.%N)
awk -v a="$a" -v b="$b" -v hz="$hz" -v t0="$t0" -v t1="$t1" \
  'BEGIN { printf "Kelvane demo run: %.2f %% of one core over %.1f s\n", 100 * (b - a) / hz / (t1 - t0), t1 - t0 }'
