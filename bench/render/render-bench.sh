#!/usr/bin/env bash
# The offline render benchmark: one hour of playout, 20 tracks of 180 s
# (44.1 kHz stereo) with the default automatic cross-fades, rendered by
# corvane-render into a WAVE file; once from MP3 at 128 kbit/s and once from
# 16-bit WAV. Reports CPU seconds (user + system) and the multiple of real
# time, with `mpg123 -w` (decode and write only) as the floor when installed.
#
#   bash bench/render/render-bench.sh [BUILD_DIR]    (default: build/release)
#
# Needs sox and lame; the set is generated once into BUILD_DIR/render-bench.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)
render="$build/bin/corvane-render"
make_schedule="$build/bin/make-render-schedule"
set_dir="$build/render-bench"
for tool in sox lame "$render" "$make_schedule"; do
    command -v "$tool" > /dev/null || { echo "missing: $tool" >&2; exit 1; }
done

mkdir -p "$set_dir/mp3" "$set_dir/wav"
for i in $(seq -w 1 20); do
    wav="$set_dir/wav/track$i.wav"
    mp3="$set_dir/mp3/track$i.mp3"
    if [ ! -f "$mp3" ]; then
        # A different chord and pulse per track, so that every transition is audible.
        f=$((110 + 10#$i * 23))
        sox -n -r 44100 -c 2 -b 16 "$wav" synth 180 sine "$f" sine "$((f * 3 / 2))" tremolo 2 40 gain -8
        lame --quiet -b 128 --cbr "$wav" "$mp3"
    fi
done

for kind in mp3 wav; do
    printf '[Corvane_General]\nAutoCrossFade=1\n' > "$set_dir/$kind/corvane.ini"
    rm -f "$set_dir/$kind/archive.log"
    "$make_schedule" "$set_dir/$kind/hour.wsl" "$set_dir/$kind"/track*."$kind"
done

# CPU seconds (user + system) of a command.
cpu_seconds() {
    /usr/bin/time -f '%U %S' -o "$set_dir/time.txt" "$@" > /dev/null 2>&1
    awk '{ printf "%.2f", $1 + $2 }' "$set_dir/time.txt"
}

report() {
    local name=$1 seconds=$2 audio=$3
    awk -v n="$name" -v s="$seconds" -v a="$audio" \
        'BEGIN { printf "%-34s %6.2f CPU s  %7.0f x real time\n", n, s, a / s }'
}

for kind in mp3 wav; do
    out="$set_dir/hour-$kind.wav"
    secs=$(cpu_seconds "$render" "$set_dir/$kind/hour.wsl" "$out")
    frames=$(( ($(stat -c %s "$out") - 44) / 4 ))
    report "corvane-render, $kind sources" "$secs" "$(awk -v f="$frames" 'BEGIN { print f / 44100 }')"
    rm -f "$out"
done
# References on the same machine: sox joining the tracks (no cross-fades) and,
# when installed, mpg123 decoding them (the floor for MP3).
for kind in wav mp3; do
    secs=$(cpu_seconds sox "$set_dir/$kind"/track*."$kind" "$set_dir/sox-$kind.wav")
    report "sox, joining $kind sources" "$secs" 3600
    rm -f "$set_dir/sox-$kind.wav"
done
if command -v mpg123 > /dev/null; then
    secs=$(cpu_seconds bash -c "for f in '$set_dir'/mp3/track*.mp3; do mpg123 -q -w /dev/null \"\$f\"; done")
    report "mpg123 -w (decode and write)" "$secs" 3600
fi
