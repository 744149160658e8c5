#!/usr/bin/env bash
# Installs the Debian packages of scripts/debian-packages.txt that are not
# installed yet: with "run", the [run] part (building and running the
# console); with "test" (the default), both parts (also the tests, checks,
# benchmarks and packaging). Does nothing (and needs no network) when all are
# present.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
part="${1:-test}"
case "$part" in
  run) parts='run' ;;
  test) parts='run|test' ;;
  *) echo "install-packages.sh: run or test, not $part" >&2; exit 2 ;;
esac
mapfile -t wanted < <(awk -v parts="^($parts)\$" '
  /^\s*#/ || /^\s*$/ { next }
  /^\[.*\]\s*$/ { section = substr($1, 2, length($1) - 2); next }
  section ~ parts { print $1 }' "$here/debian-packages.txt")

missing=()
for pkg in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
