#!/bin/sh
# Runs a command against a headless Wayland compositor of its own, as
# xvfb-run does with an X server:
#
#   wayland-run.sh WESTON COMMAND [ARGUMENT...]
#
# The compositor (weston's headless backend) serves a socket in a private
# runtime folder made for the run; the command sees that folder and
# WAYLAND_DISPLAY, and neither DISPLAY nor QT_QPA_PLATFORM. The compositor is
# ended and the folder removed when the command ends; the command's status is
# the script's. Needs no display and works as root.
set -u
[ $# -ge 2 ] || { echo "usage: $0 WESTON COMMAND [ARGUMENT...]" >&2; exit 2; }
weston=$1
shift
runtime=$(mktemp -d "${TMPDIR:-/tmp}/kolventra-wayland.XXXXXX") || exit 1
chmod 700 "$runtime"
socket=wayland-run
XDG_RUNTIME_DIR=$runtime "$weston" --backend=headless-backend.so --socket=$socket --idle-time=0 \
  >"$runtime/weston.log" 2>&1 &
compositor=$!
stop() {
  kill "$compositor" 2>/dev/null
  wait "$compositor" 2>/dev/null
  rm -rf "$runtime"
}
trap 'stop; exit 143' TERM INT HUP

# The socket appears once the compositor listens: at most 10 s.
tries=0
while [ ! -S "$runtime/$socket" ]; do
  if ! kill -0 "$compositor" 2>/dev/null || [ $tries -ge 100 ]; then
    echo "wayland-run: the compositor did not start" >&2
    cat "$runtime/weston.log" >&2
    stop
    exit 1
  fi
  sleep 0.1
  tries=$((tries + 1))
done

env -u DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=$socket "$@"
status=$?
stop
exit $status
