#!/usr/bin/env bash
# Installs what is missing, builds the test configuration into build/test
# (Debug, AddressSanitizer, UBSan, fuzzers; only what changed) and runs every
# test through CTest, the fuzzers for 60 seconds each; then builds the Debian
# package (scripts/package.sh) and checks it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/install-packages.sh test
cmake --preset test >/dev/null
cmake --build --preset test --parallel "$(nproc)"
bash scripts/start-sound-server.sh
status=0
ctest --preset test "$@" || status=$?
# The whole run (no CTest arguments) also builds the Debian package and checks it.
if [ $# -eq 0 ]; then
  bash scripts/package.sh || status=$?
fi
exit $status
