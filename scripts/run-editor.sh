#!/usr/bin/env bash
# Installs what is needed, builds the editor and starts it (arguments are passed on).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh editor
# Only the editor: no test or benchmark libraries are needed for it.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCH=OFF
cmake --build build -j"$(nproc)" --target quorvel
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
exec ./build/quorvel "$@"
