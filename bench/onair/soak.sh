#!/usr/bin/env bash
# The on-air soak: the Release console plays a looping schedule of short
# tones (2.5 to 6.5 s each, every item its own pitch, WAV and MP3 alternating,
# no cross-fades) on a private PulseAudio server with a null sink, under Xvfb,
# while another process keeps one core busy. Every minute it samples the
# console's resident memory, threads, descriptors and CPU time; soak-listener
# records the sink and measures every silence between sounds (the joins) and
# any over 100 ms (a dropout). Everything it starts ends with it.
#
#   bash bench/onair/soak.sh [MINUTES] [BUILD_DIR] [OUT_DIR]
#       MINUTES    how long to play (default 120)
#       BUILD_DIR  a release build (default build/release)
#       OUT_DIR    where the set, the samples and the reports go
#                  (default BUILD_DIR/onair-soak)
#   SOAK_KINDS="wav" plays WAV items only (the join measurement);
#   SOAK_CONSOLE=path plays another build's console (a before-and-after comparison);
#   SOAK_BUSY=0 leaves the cores alone; SOAK_DISPLAY picks the Xvfb display (:77),
#   SOAK_DISPLAY=offscreen runs the console on Qt's offscreen platform instead.
#
# Results: OUT_DIR/memory.csv (minute, rss_kb, threads, fds, cpu_s),
# OUT_DIR/silences.txt (a line per minute and the total), OUT_DIR/summary.txt.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
minutes=${1:-120}
build=$(cd "${2:-$root/build/release}" && pwd)
out=${3:-$build/onair-soak}
kinds=${SOAK_KINDS:-"wav mp3"}
busy=${SOAK_BUSY:-1}
display=${SOAK_DISPLAY:-:77}
console=${SOAK_CONSOLE:-$build/bin/Corvane}
for tool in sox lame pulseaudio parec "$console" "$build/bin/make-render-schedule" \
    "$build/bin/soak-listener"; do
    command -v "$tool" > /dev/null || { echo "missing: $tool" >&2; exit 1; }
done

rm -rf "$out/console" "$out/server"
mkdir -p "$out/set" "$out/console" "$out/server/run" "$out/server/state"
pids=()
cleanup() {
    # The console first (it closes as on SIGTERM), then what fed and heard it.
    if [ -n "${console_pid:-}" ] && kill -0 "$console_pid" 2> /dev/null; then
        kill -TERM "$console_pid" 2> /dev/null || true
        for _ in $(seq 1 100); do kill -0 "$console_pid" 2> /dev/null || break; sleep 0.1; done
        kill -KILL "$console_pid" 2> /dev/null || true
    fi
    # The recorder's end lets the listener write its total.
    [ -n "${recorder_pid:-}" ] && kill -TERM "$recorder_pid" 2> /dev/null || true
    [ -n "${listener_pid:-}" ] && wait "$listener_pid" 2> /dev/null || true
    recorder_pid= listener_pid=
    for pid in "${pids[@]}"; do kill -TERM "$pid" 2> /dev/null || true; done
    pids=()
    wait 2> /dev/null || true
}
trap cleanup EXIT
# A signal ends the script through its exit, so that the cleanup runs.
trap 'exit 143' TERM INT

# The set: 24 items, each its own pitch, so every join is a change of tone.
files=()
i=0
for n in $(seq -w 1 24); do
    set -- $kinds
    shift $((i % $#)) || true
    kind=$1
    seconds=$(awk -v n="$n" 'BEGIN { printf "%.1f", 2.5 + ((n * 7) % 9) * 0.5 }')
    f=$((500 + 10#$n * 61))
    wav="$out/set/item$n.wav"
    [ -f "$wav" ] || sox -n -r 44100 -c 2 -b 16 "$wav" synth "$seconds" sine "$f" gain -8
    if [ "$kind" = mp3 ]; then
        [ -f "$out/set/item$n.mp3" ] || lame --quiet -b 192 --cbr "$wav" "$out/set/item$n.mp3"
        files+=("$out/set/item$n.mp3")
    else
        files+=("$wav")
    fi
    i=$((i + 1))
done

# A console of its own: a copy of the program in a folder it may write keeps its
# settings and tables beside it; it loads the schedule and starts it at once.
cp "$console" "$out/console/Corvane"
"$build/bin/make-render-schedule" "$out/console/soak.wsl" "${files[@]}"
cat > "$out/console/corvane.ini" << INI
[Corvane_General]
WelcomeDone=1
StatisticsTracking=1
AutoCrossFade=0
[Corvane_Schedule]
AutoLoadLastSchedule=1
LastScheduleLocation=$out/console/soak.wsl
AutoStartSchedule=1
LoopScheduleContinuously=1
AttemptResumeOnAudioError=1
INI

# The private server: its own socket, runtime and state folders, a null sink.
socket="$out/server/native"
PULSE_RUNTIME_PATH="$out/server/run" PULSE_STATE_PATH="$out/server/state" HOME="$out/server" \
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disallow-exit \
    --load="module-null-sink rate=44100 sink_name=soak_null" \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$socket" > /dev/null 2>&1 &
pids+=($!)
printf 'autospawn = no\n' > "$out/server/client.conf"
export PULSE_SERVER="unix:$socket" PULSE_CLIENTCONFIG="$out/server/client.conf"
for _ in $(seq 1 100); do pactl info > /dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-sink soak_null

platform=xcb
if [ "$display" = offscreen ]; then
    platform=offscreen
else
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
    pids+=($!)
    sleep 1
fi

: > "$out/silences.txt"
rm -f "$out/air.fifo"
mkfifo "$out/air.fifo"
"$build/bin/soak-listener" 44100 "$out/silences.txt" < "$out/air.fifo" > /dev/null &
listener_pid=$!
parec -d soak_null.monitor --format=s16le --channels=1 --rate=44100 --latency-msec=50 > "$out/air.fifo" &
recorder_pid=$!

if [ "$busy" = 1 ]; then
    bash -c 'while :; do :; done' &
    pids+=($!)
fi

DISPLAY="$display" QT_QPA_PLATFORM=$platform "$out/console/Corvane" > "$out/console.log" 2>&1 &
console_pid=$!

echo "minute,rss_kb,threads,fds,cpu_s" > "$out/memory.csv"
tick=$(getconf CLK_TCK)
sample() {
    local rss threads fds cpu
    rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$console_pid/status")
    threads=$(awk '/^Threads/ { print $2 }' "/proc/$console_pid/status")
    fds=$(ls "/proc/$console_pid/fd" | wc -l)
    cpu=$(awk -v t="$tick" '{ printf "%.1f", ($14 + $15) / t }' "/proc/$console_pid/stat")
    echo "$1,$rss,$threads,$fds,$cpu" >> "$out/memory.csv"
}
sleep 5
for minute in $(seq 0 "$minutes"); do
    kill -0 "$console_pid" 2> /dev/null || { echo "the console ended at minute $minute" >&2; exit 1; }
    sample "$minute"
    [ "$minute" -lt "$minutes" ] && sleep 60
done

started=$(date +%s.%N)
kill -TERM "$console_pid"
wait "$console_pid" || true
closed=$(date +%s.%N)
console_pid=
{
    echo "played $minutes minutes, items: $kinds"
    echo "closed on SIGTERM in $(awk -v a="$started" -v b="$closed" 'BEGIN { printf "%.2f", b - a }') s"
    awk -F, 'NR == 2 { first = $2 } NR == 7 { five = $2 } NR > 1 { last = $2; if ($2 > max) max = $2 }
        END { printf "RSS: %.1f MB at the start, %.1f MB after 5 min, %.1f MB at the end, %.1f MB at most\n",
              first / 1024, five / 1024, last / 1024, max / 1024 }' "$out/memory.csv"
    grep -c "Start Playout Event" "$out/console/archive.log" | sed 's/^/items started: /'
    grep -c "Restart Playout Event" "$out/console/archive.log" | sed 's/^/items restarted: /' || true
} > "$out/summary.txt"
cleanup
tail -1 "$out/silences.txt" >> "$out/summary.txt"
cat "$out/summary.txt"
