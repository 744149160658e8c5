#!/usr/bin/env bash
# Installs what is missing, builds the Release configuration into build/release
# (only what changed) and starts the console.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/install-packages.sh
cmake --preset release >/dev/null
cmake --build --preset release --parallel "$(nproc)"
exec build/release/bin/Corvane
