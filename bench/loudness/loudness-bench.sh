#!/usr/bin/env bash
# The loudness benchmark. Accuracy: a generated set (tones, pink and white
# noise, a music-like mix of chords with tremolo and a drum-like pulse, at
# levels from -8 to -40 dBFS, mono and stereo, 44.1 and 48 kHz, WAV and MP3)
# measured by the console and by ffmpeg's ebur128 filter: the largest
# differences of integrated loudness and true peak. Speed: N three-minute
# MP3 files (default 40) measured as the console does against the floor.
#
#   bash bench/loudness/loudness-bench.sh [BUILD_DIR] [N]   (default: build/release, 40)
#
# Needs sox, lame and ffmpeg; the sets are generated once into BUILD_DIR/loudness-bench.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)
count=${2:-40}
measure="$build/bin/bench_loudness_measure"
speed="$build/bin/bench_loudness_speed"
set_dir="$build/loudness-bench"
for tool in sox lame ffmpeg "$measure" "$speed"; do
    command -v "$tool" > /dev/null || { echo "missing: $tool" >&2; exit 1; }
done

mkdir -p "$set_dir/accuracy" "$set_dir/speed"
declare -A kinds=(
    [tone1k]="synth 20 sine 1000"
    [tone100]="synth 20 sine 100"
    [tone5k]="synth 20 sine 5000"
    [pink]="synth 20 pinknoise"
    [white]="synth 20 whitenoise"
    [music]="synth 20 sine 220 sine 277 sine 330 sine 55 tremolo 3 60"
    [pulse]="synth 20 square 60 tremolo 2 90"
)
n=0
for kind in "${!kinds[@]}"; do
    for level in -8 -14 -20 -26 -32 -40; do
        for rate in 44100 48000; do
            for ch in 1 2; do
                n=$((n + 1))
                # Every third file only, so that the set stays a few hundred files.
                [ $((n % 3)) -eq 0 ] || continue
                wav="$set_dir/accuracy/$kind${level}_${rate}_$ch.wav"
                [ -f "$wav" ] || sox -n -r "$rate" -c "$ch" -b 16 "$wav" ${kinds[$kind]} norm "$level"
                mp3="${wav%.wav}.mp3"
                [ -f "$mp3" ] || lame --quiet -b 192 "$wav" "$mp3"
            done
        done
    done
done

# ffmpeg's figures: the summary's integrated loudness and true peak.
ffmpeg_meter() {
    ffmpeg -nostdin -hide_banner -nostats -i "$1" -af ebur128=peak=true -f null - 2>&1 |
        awk '/Summary/ { s = 1 } s && /I:/ { i = $2 } s && /Peak:/ { p = $2 } END { print i, p }'
}

worst_i=0
worst_tp=0
files=0
while IFS=$'\t' read -r file i tp; do
    [ "$i" = "-" ] && { echo "not analysed: $file: $tp" >&2; continue; }
    read -r fi ftp < <(ffmpeg_meter "$file")
    files=$((files + 1))
    awk -v f="$file" -v a="$i" -v b="$fi" -v c="$tp" -v d="$ftp" \
        'BEGIN { x = a - b; y = c - d; if (x < 0) x = -x; if (y < 0) y = -y; if (x > 0.2 || y > 0.3) print "beyond the bounds: " f ": " a " / " b " LUFS, " c " / " d " dBTP" }' >&2
    worst_i=$(awk -v a="$i" -v b="$fi" -v w="$worst_i" 'BEGIN { d = a - b; if (d < 0) d = -d; print (d > w ? d : w) }')
    worst_tp=$(awk -v a="$tp" -v b="$ftp" -v w="$worst_tp" 'BEGIN { d = a - b; if (d < 0) d = -d; print (d > w ? d : w) }')
done < <("$measure" "$set_dir"/accuracy/*.wav "$set_dir"/accuracy/*.mp3)
echo "accuracy against ffmpeg ebur128: $files files, largest difference $worst_i LU integrated, $worst_tp dB true peak"

for i in $(seq -w 1 "$count"); do
    mp3="$set_dir/speed/track$i.mp3"
    if [ ! -f "$mp3" ]; then
        f=$((110 + 10#$i * 7))
        sox -n -r 44100 -c 2 -b 16 "$set_dir/speed/track.wav" synth 180 sine "$f" sine "$((f * 5 / 4))" \
            pinknoise tremolo 2 40 norm "-$((8 + 10#$i % 20))"
        lame --quiet -b 128 "$set_dir/speed/track.wav" "$mp3"
    fi
done
rm -f "$set_dir/speed/track.wav"
"$speed" "$set_dir"/speed/track*.mp3
