#!/usr/bin/env bash
# Runs a command in a real X session: its own Xvfb on a free display, with the
# X server's default keymap (no setxkbmap), the Qt windows on xcb. Used for the
# keys that only a real X server shows (Ctrl+Alt+F-keys switch terminals).
#   run-on-xvfb.sh COMMAND [ARGS...]
set -euo pipefail
command -v Xvfb >/dev/null || { echo "run-on-xvfb: Xvfb is not installed" >&2; exit 1; }
command -v xdotool >/dev/null || { echo "run-on-xvfb: xdotool is not installed" >&2; exit 1; }

# A display nobody uses: no socket and no lock file. Xvfb refuses a display
# taken meanwhile, and the next number is tried.
for display in $(seq 140 199); do
    [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] && continue
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$display" ] && break
        kill -0 "$xvfb" 2>/dev/null || break
        sleep 0.05
    done
    if [ -e "/tmp/.X11-unix/X$display" ] && kill -0 "$xvfb" 2>/dev/null; then
        trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null || true' EXIT
        status=0
        DISPLAY=":$display" QT_QPA_PLATFORM=xcb "$@" || status=$?
        exit "$status"
    fi
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
done
echo "run-on-xvfb: no free display" >&2
exit 1
