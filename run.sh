#!/usr/bin/env bash
# Installs what is missing, builds, and opens Torvel in demo/ (its journal and settings land
# there). Without a display Torvel runs on a private Xvfb server; a screenshot of the window is
# saved to demo/torvel.png and Torvel keeps running until Ctrl-C, which ends its session the
# way the close box does ("Конец сеанса" logged, journal saved).
set -euo pipefail
cd "$(dirname "$0")"
top=$(pwd)

scripts/install-deps
scripts/build build
torvel="$top/build/app/torvel"
demo="$top/demo"
mkdir -p "$demo"
cd "$demo"

if [ -n "${DISPLAY:-}" ]; then
  exec "$torvel"
fi

deadline_seconds=30
xvfb_pid=""
torvel_pid=""
display_file=$(mktemp)

stop_all() {
  trap - INT TERM EXIT
  if [ -n "$torvel_pid" ] && kill -0 "$torvel_pid" 2>/dev/null; then
    kill -TERM "$torvel_pid" 2>/dev/null || true
    wait "$torvel_pid" 2>/dev/null || true
  fi
  if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
    kill -TERM "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -f "$display_file"
}
trap 'stop_all; exit 130' INT TERM
trap stop_all EXIT

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
echo "run.sh: Torvel is running on $DISPLAY in $demo; Ctrl-C ends it"
wait "$torvel_pid" || true
