#!/usr/bin/env bash
# Installs what building and running the console needs and is missing (the
# [run] part of scripts/debian-packages.txt), builds the console, its tools
# and plug-ins in the Release configuration into build/release (only what
# changed; no tests, no benchmarks) and starts the console.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/install-packages.sh run
cmake --preset release >/dev/null
cmake --build --preset console --parallel "$(nproc)"
exec build/release/bin/Corvane
