#!/usr/bin/env bash
# The device tests play through a real sound server. When PulseAudio is
# installed and no server answers, start one for this user with a null sink as
# its default output, so that what is played can be recorded from the sink's
# monitor. A server that already runs is left as it is.
set -euo pipefail
command -v pulseaudio >/dev/null || exit 0
if pactl info >/dev/null 2>&1; then exit 0; fi
pulseaudio --daemonize=yes --exit-idle-time=-1 --disallow-exit \
  -n --load="module-null-sink sink_name=corvane_null rate=44100" \
  --load="module-native-protocol-unix" >/dev/null 2>&1 || true
for _ in $(seq 1 50); do
  if pactl info >/dev/null 2>&1; then
    pactl set-default-sink corvane_null >/dev/null 2>&1 || true
    exit 0
  fi
  sleep 0.1
done
echo "warning: could not start PulseAudio" >&2
