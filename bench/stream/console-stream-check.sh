#!/usr/bin/env bash
# The Release console on air with now & next and the stream, end to end: a
# schedule of tones started by AutoStartSchedule under Xvfb on a private
# PulseAudio null sink, streaming MP3 to a private icecast2 on loopback.
# ffmpeg listens to the mount; the server's status and the now-playing file
# are read; the server is killed and started again once, and the time until
# the mount is back is measured.
#   bench/stream/console-stream-check.sh [BUILD] [OUT]
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)
out=${2:-$build/stream-check}
display=${CHECK_DISPLAY:-:82}
for tool in sox ffmpeg icecast2 pulseaudio pactl Xvfb curl "$build/bin/Corvane" "$build/bin/make-render-schedule"; do
    command -v "$tool" > /dev/null || { echo "missing: $tool" >&2; exit 1; }
done

rm -rf "$out"
mkdir -p "$out/set" "$out/console" "$out/pulse/run" "$out/pulse/state" "$out/icecast/log"
pids=()
cleanup() {
    [ -n "${console_pid:-}" ] && kill -TERM "$console_pid" 2> /dev/null && wait "$console_pid" 2> /dev/null || true
    [ -n "${icecast_pid:-}" ] && kill -KILL "$icecast_pid" 2> /dev/null || true
    for pid in "${pids[@]}"; do kill -TERM "$pid" 2> /dev/null || true; done
    wait 2> /dev/null || true
}
trap cleanup EXIT
trap 'exit 143' TERM INT

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
owner=
if [ "$(id -u)" = 0 ]; then
    chmod 755 "$out" "$out/icecast"
    chown icecast2 "$out/icecast/log"
    owner="<changeowner><user>icecast2</user><group>$(id -gn icecast2)</group></changeowner>"
fi
cat > "$out/icecast/icecast.xml" << XML
<icecast><location>loopback</location><admin>check@localhost</admin>
<limits><clients>10</clients><sources>2</sources><source-timeout>10</source-timeout></limits>
<authentication><source-password>check-source</source-password><admin-user>admin</admin-user>
<admin-password>check-admin</admin-password></authentication><hostname>127.0.0.1</hostname>
<listen-socket><port>$port</port><bind-address>127.0.0.1</bind-address></listen-socket>
<paths><basedir>$out/icecast</basedir><logdir>$out/icecast/log</logdir>
<webroot>/usr/share/icecast2/web</webroot><adminroot>/usr/share/icecast2/admin</adminroot></paths>
<logging><accesslog>access.log</accesslog><errorlog>error.log</errorlog><loglevel>2</loglevel></logging>
<security><chroot>0</chroot>$owner</security></icecast>
XML
start_icecast() {
    icecast2 -c "$out/icecast/icecast.xml" > /dev/null 2>&1 &
    icecast_pid=$!
    for _ in $(seq 1 100); do curl -fs "http://127.0.0.1:$port/status-json.xsl" > /dev/null && return; sleep 0.1; done
    echo "icecast2 did not start" >&2
    exit 1
}
source_up() { curl -fs "http://127.0.0.1:$port/status-json.xsl" | grep -q '"listenurl"'; }

files=()
for n in 1 2 3 4 5 6; do
    sox -n -r 44100 -c 2 -b 16 "$out/set/tone$n.wav" synth 6 sine $((300 * n)) gain -8
    files+=("$out/set/tone$n.wav")
done
cp "$build/bin/Corvane" "$out/console/Corvane"
"$build/bin/make-render-schedule" "$out/console/check.wsl" "${files[@]}"
cat > "$out/console/corvane.ini" << INI
[Corvane_General]
WelcomeDone=1
[Corvane_Schedule]
AutoLoadLastSchedule=1
LastScheduleLocation=$out/console/check.wsl
AutoStartSchedule=1
LoopScheduleContinuously=1
[Corvane_NowPlaying]
File=$out/now.txt
Template=%title% (%duration%) next: %nexttitle%
[Corvane_Stream]
Enabled=1
Host=127.0.0.1
Port=$port
Mount=/air
User=source
Password=check-source
Format=mp3
Bitrate=128
INI

socket="$out/pulse/native"
PULSE_RUNTIME_PATH="$out/pulse/run" PULSE_STATE_PATH="$out/pulse/state" HOME="$out/pulse" \
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disallow-exit \
    --load="module-null-sink rate=44100 sink_name=check_null" \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$socket" > /dev/null 2>&1 &
pids+=($!)
printf 'autospawn = no\n' > "$out/pulse/client.conf"
export PULSE_SERVER="unix:$socket" PULSE_CLIENTCONFIG="$out/pulse/client.conf"
for _ in $(seq 1 100); do pactl info > /dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-sink check_null
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
pids+=($!)
sleep 1

start_icecast
DISPLAY="$display" QT_QPA_PLATFORM=xcb "$out/console/Corvane" > "$out/console.log" 2>&1 &
console_pid=$!
for _ in $(seq 1 300); do source_up && break; sleep 0.1; done
source_up || { echo "the console's stream never reached the server" >&2; exit 1; }

ffmpeg -v error -t 15 -i "http://127.0.0.1:$port/air" -ac 1 "$out/heard.wav"
echo "heard: $(sox "$out/heard.wav" -n stat 2>&1 | awk '/Length/ { print $3 " s" } /RMS +amplitude/ { print "RMS " $3 }' | paste -sd ' ')"
echo "status title: $(curl -fs "http://127.0.0.1:$port/status-json.xsl" | grep -o '"title":"[^"]*"')"
echo "now-playing file: $(cat "$out/now.txt")"
echo "ini mode: $(stat -c %a "$out/console/corvane.ini")"

kill -KILL "$icecast_pid"
wait "$icecast_pid" 2> /dev/null || true
sleep 3
start_icecast
back=$(date +%s.%N)
for _ in $(seq 1 300); do source_up && break; sleep 0.05; done
source_up || { echo "the stream did not come back" >&2; exit 1; }
echo "stream back $(awk -v a="$back" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }') s after the server"
ffmpeg -v error -t 5 -i "http://127.0.0.1:$port/air" -ac 1 "$out/heard-again.wav"
echo "heard again: $(sox "$out/heard-again.wav" -n stat 2>&1 | awk '/Length/ { print $3 " s" }')"
kill -0 "$console_pid" || { echo "the console ended" >&2; exit 1; }
echo "console still on air"
