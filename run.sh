#!/usr/bin/env bash
# Installs what is missing, builds, starts a simulated board and opens Torvel in demo/ (its
# journal and settings land there). demo/TORVEL.INI points the port at the board's link and
# demo/sample.ttf is a configuration file of the board's FPGA (EPF10K10, 59691 bytes): press
# "Подключить устройство", open the sample, "Загрузить ПЛИС"; "Параметры" > "Монитор обмена"
# shows the records go by. The board emulates a 115200 bit/s line, so the load takes seconds,
# as on a bench. Without a display Torvel runs on a private Xvfb server; a screenshot of the
# window is saved to demo/torvel.png, one of the exchange monitor during an upload to
# demo/monitor.png and one of the window at that moment (the speed and the time left in the
# status bar) to demo/upload.png, and Torvel keeps running until Ctrl-C, which ends its
# session the way the close box does ("Конец сеанса" logged, journal saved). The board is
# stopped when the script ends.
set -euo pipefail
cd "$(dirname "$0")"
top=$(pwd)

scripts/install-deps
scripts/build build
torvel="$top/build/app/torvel"
board="$top/build/board/torvel-board"
demo="$top/demo"
mkdir -p "$demo"
cd "$demo"

deadline_seconds=30
board_pid=""
xvfb_pid=""
torvel_pid=""
display_file=$(mktemp)

stop_pid() {
  if [ -n "$1" ] && kill -0 "$1" 2>/dev/null; then
    kill -TERM "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
  fi
}

stop_all() {
  trap - INT TERM EXIT
  stop_pid "$torvel_pid"
  stop_pid "$board_pid"
  stop_pid "$xvfb_pid"
  rm -f "$display_file"
}
trap 'stop_all; exit 130' INT TERM
trap stop_all EXIT

# A link that a running board holds is taken; one left behind by a board that died is not.
link_taken() {
  [ -L "$1" ] && [ -e "$1" ]
}

# Boards publish their links in a folder of the user's own; Torvel and torvel-board ignore
# one that is a link, belongs to someone else or that others may write to.
boards_dir=${XDG_RUNTIME_DIR:+$XDG_RUNTIME_DIR/torvel-boards}
boards_dir=${boards_dir:-/tmp/torvel-boards-$(id -u)}
[ -e "$boards_dir" ] || [ -L "$boards_dir" ] || mkdir -m 700 "$boards_dir"
if [ -L "$boards_dir" ] || [ ! -d "$boards_dir" ] || [ ! -O "$boards_dir" ] ||
   [ -n "$(find "$boards_dir" -maxdepth 0 -perm /022)" ]; then
  echo "run.sh: $boards_dir is not a folder of this user's own (mode 0700); not using it" >&2
  exit 1
fi

board_link=$boards_dir/board0
link_taken "$board_link" && board_link=$boards_dir/demo
link_taken "$board_link" && board_link=$boards_dir/demo-$$
setsid "$board" --link "$board_link" --baud 115200 &
board_pid=$!
for _ in $(seq $((deadline_seconds * 10))); do
  link_taken "$board_link" && break
  kill -0 "$board_pid" 2>/dev/null || { echo "run.sh: torvel-board did not start" >&2; exit 1; }
  sleep 0.1
done
link_taken "$board_link" || { echo "run.sh: torvel-board gave no link in ${deadline_seconds}s" >&2; exit 1; }
echo "run.sh: torvel-board (pid $board_pid) on $board_link"

# Port= of section [ComPort1] names the board's link; every other line of the file is kept.
point_settings_at() {
  local settings=TORVEL.INI tmp
  tmp=$(mktemp "$demo/.TORVEL.INI.XXXXXX")
  [ -f "$settings" ] || : >"$settings"
  # New lines end like the file's own lines (CR LF or LF).
  LC_ALL=C awk -v link="$1" '
    function put() { if (inside && !done) { printf "Port=%s%s\n", link, cr; done = 1 } }
    NR == 1 { cr = /\r$/ ? "\r" : "" }
    /^\[/ { put(); inside = (tolower($0) ~ /^\[comport1\][ \t\r]*$/); print; next }
    inside && tolower($0) ~ /^[ \t]*port[ \t]*=/ { put(); next }
    { print }
    END { put(); if (!done) printf "[ComPort1]%s\nPort=%s%s\n", cr, link, cr }
  ' "$settings" >"$tmp"
  chmod --reference="$settings" "$tmp"
  mv -f "$tmp" "$settings"
}
point_settings_at "$board_link"
"$top/build/fpga/torvel-sample" --size 59691 --out "$demo/sample.ttf"
echo "run.sh: demo/TORVEL.INI points at $board_link; configuration file demo/sample.ttf"

if [ -n "${DISPLAY:-}" ]; then
  "$torvel" || true
  exit 0
fi

# Xvfb picks a free display and writes its number; own sessions keep Ctrl-C away from both
# programs, so Torvel's end sequence runs before its display goes.
setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq $((deadline_seconds * 10))); do
  [ -s "$display_file" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "run.sh: Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
[ -s "$display_file" ] || { echo "run.sh: Xvfb gave no display in ${deadline_seconds}s" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$display_file")"
echo "run.sh: Xvfb on $DISPLAY"

setsid "$torvel" &
torvel_pid=$!

window=""
for _ in $(seq $((deadline_seconds * 10))); do
  kill -0 "$torvel_pid" 2>/dev/null || { echo "run.sh: Torvel ended early" >&2; exit 1; }
  if info=$(xwininfo -name Torvel 2>/dev/null) && grep -q 'IsViewable' <<<"$info"; then
    window=$(awk '/Window id:/ {print $4; exit}' <<<"$info")
    break
  fi
  sleep 0.1
done
[ -n "$window" ] || { echo "run.sh: the Torvel window was not shown in ${deadline_seconds}s" >&2; exit 1; }

# Give the first paint a moment after the window is mapped.
sleep 1
xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmtopng >"$demo/torvel.png"
echo "run.sh: screenshot saved to $demo/torvel.png"

# The monitor during an upload: the upload benchmark drives a window of its own against a board
# of its own and pictures the monitor and the window at 40 % of the load, so the running
# session is untouched.
upload_bench="$top/build/bench/upload/upload_bench"
if [ ! -x "$upload_bench" ]; then
  echo "run.sh: no monitor screenshot: $upload_bench was not built" >&2
elif QT_QPA_PLATFORM=offscreen timeout 120 "$upload_bench" --shot "$demo/monitor.png" \
       "$demo/upload.png" >/dev/null 2>&1; then
  echo "run.sh: screenshot of the exchange monitor saved to $demo/monitor.png"
  echo "run.sh: screenshot of the window during the upload saved to $demo/upload.png"
else
  echo "run.sh: the screenshots during an upload could not be made" >&2
fi
echo "run.sh: Torvel is running on $DISPLAY in $demo; Ctrl-C ends it"
wait "$torvel_pid" || true
