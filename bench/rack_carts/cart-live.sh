#!/bin/bash
# Fires a cart every 20 s while the console plays live through PortAudio with
# the output's queue at 8 buffers, the other core kept busy, and records the
# PulseAudio null sink's monitor; then reports when each cart was heard after
# its key and every dropout of 5 ms or more.
# Usage: bench/rack_carts/cart-live.sh [SECONDS] (default 600), after a release build.
set -euo pipefail
seconds=${1:-600}
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=$root/build/release/bin/bench_rack_carts
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
parec -d corvane_null.monitor --format=s16le --rate=44100 --channels=2 --raw >"$work/sink.raw" &
recorder=$!
# The analysis counts time from the first sound recorded: the recorder must
# be running before the music starts.
for _ in $(seq 1 100); do
  [ -s "$work/sink.raw" ] && break
  sleep 0.05
done
timeout $((seconds + 15)) bash -c 'while :; do :; done' &
"$bin" --live "$seconds" | tee "$work/firings.txt"
sleep 1
kill "$recorder"
wait "$recorder" 2>/dev/null || true
"$bin" --analyse "$work/sink.raw" "$work/firings.txt"
