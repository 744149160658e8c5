#!/usr/bin/env bash
# Makes splash.jpg, the picture of the console's splash window, from
# MakeSplash.cpp. Needs a C++ compiler and the Qt 6 development files.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
c++ -std=c++17 -fPIC "$here/MakeSplash.cpp" -o "$work/make-splash" $(pkg-config --cflags --libs Qt6Gui)
QT_QPA_PLATFORM=offscreen "$work/make-splash" "$here/splash.jpg"
echo "wrote $here/splash.jpg"
