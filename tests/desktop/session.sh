#!/usr/bin/env bash
# A private desktop for the real-display tests: Xvfb (1920 x 1080), openbox as window
# manager and trayer as tray host, on a display nobody else uses.
#   session.sh start <state-dir>   prints DISPLAY=:N on success
#   session.sh stop <state-dir>
set -euo pipefail
cmd=${1:?start|stop}
state=${2:?state directory}
mkdir -p "$state"

start_trayer() {
  # A tray at the bottom-right, reserving its strip of the screen like a panel does.
  trayer --edge bottom --align right --widthtype request --height 28 --SetDockType true \
    --SetPartialStrut true --transparent false --tint 0x202020 >"$state/trayer.log" 2>&1 &
  echo $! >"$state/trayer.pid"
}

case "$cmd" in
start)
  for n in $(seq 90 130); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { display=":$n"; break; }
  done
  Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp -ac >"$state/xvfb.log" 2>&1 &
  echo $! >"$state/xvfb.pid"
  export DISPLAY=$display
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  openbox --sm-disable >"$state/openbox.log" 2>&1 &
  echo $! >"$state/openbox.pid"
  for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
  start_trayer
  for _ in $(seq 100); do xprop -root 2>/dev/null | grep -q "_NET_SYSTEM_TRAY_S0\|_NET_WORKAREA" && break; sleep 0.1; done
  echo "$display" >"$state/display"
  echo "DISPLAY=$display"
  ;;
restart-trayer)
  export DISPLAY=$(cat "$state/display")
  kill "$(cat "$state/trayer.pid")" 2>/dev/null || true
  sleep 0.3
  start_trayer
  ;;
stop)
  for p in trayer openbox xvfb; do
    [ -f "$state/$p.pid" ] && kill "$(cat "$state/$p.pid")" 2>/dev/null || true
  done
  # The display is free again only once the X server has gone.
  if [ -f "$state/xvfb.pid" ]; then
    for _ in $(seq 100); do kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null || break; sleep 0.1; done
  fi
  ;;
esac
