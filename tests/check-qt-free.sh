#!/usr/bin/env bash
# Fails when a Qt-free source (anything outside ui/ and platform/qt/ folders)
# includes a Qt header.
set -euo pipefail
src="$1"
hits=$(grep -rEn '#\s*include\s*[<"](Q[A-Za-z]+|Qt[A-Za-z]*/)' "$src" \
  --include='*.h' --include='*.cpp' | grep -vE '/ui/|/platform/qt/' || true)
if [ -n "$hits" ]; then
  echo "Qt headers in Qt-free code:"; echo "$hits"; exit 1
fi
echo "Qt-free layers include no Qt header"
