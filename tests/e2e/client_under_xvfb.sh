#!/usr/bin/env bash
# The real client on a private X server: its login window is mapped, and
# SIGTERM ends it through the quit path, which says "app is closed" and
# nothing else. Exits 77 (skipped) where there is no Xvfb.
#   client_under_xvfb.sh PATH-TO-CLIENT
set -u
client=$1
command -v Xvfb >/dev/null && command -v xwininfo >/dev/null || {
  echo "skipped: needs Xvfb and xwininfo (xvfb, x11-utils)"
  exit 77
}

scratch=$(mktemp -d)
xvfb_pid=
client_pid=
cleanup() {
  [ -n "$client_pid" ] && kill -KILL "$client_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

# The server picks its own free display and writes its number to fd 3.
exec 3>"$scratch/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 1 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
[ -s "$scratch/display" ] || { echo "Xvfb did not start:"; cat "$scratch/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n 1 "$scratch/display")"

# The runtime folder in memory, as a login session has it: as root, a tmpfs in
# a mount namespace of the client's own (the same process, so signals reach it).
mkdir -m 700 "$scratch/run"
in_memory=()
if [ "$(id -u)" -eq 0 ] && unshare --mount --propagation private true 2>/dev/null; then
  in_memory=(unshare --mount --propagation private
    sh -c 'mount -t tmpfs -o mode=0700 twl-run "$0" && exec "$@"' "$scratch/run")
fi
env -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM=xcb HOME="$scratch" \
  XDG_RUNTIME_DIR="$scratch/run" XDG_CONFIG_HOME="$scratch/config" \
  "${in_memory[@]}" "$client" >"$scratch/stdout" 2>"$scratch/stderr" &
client_pid=$!

# A window that exists is not enough: it must be on screen.
mapped() {
  local id
  for id in $(xwininfo -root -tree 2>/dev/null | awk '/"Tidewaterlink"/ {print $1}'); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && return 0
  done
  return 1
}

shown=
for _ in $(seq 1 200); do
  if mapped; then shown=yes; break; fi
  kill -0 "$client_pid" 2>/dev/null || break
  sleep 0.1
done
[ -n "$shown" ] || { echo "no login window was mapped; the client said:"; cat "$scratch/stderr"; exit 1; }
xwininfo -root -tree | grep '"Tidewaterlink"'

kill -TERM "$client_pid"
wait "$client_pid"
status=$?
client_pid=
[ "$status" -eq 0 ] || { echo "the client ended with status $status"; cat "$scratch/stderr"; exit 1; }
[ "$(cat "$scratch/stdout")" = "app is closed" ] || {
  echo "stdout was not exactly \"app is closed\":"; cat "$scratch/stdout"; exit 1
}
echo "login window shown; SIGTERM -> app is closed"
