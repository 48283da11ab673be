#!/usr/bin/env bash
# Builds everything the Windows part of the test command runs, and nothing of it runs here: the
# core and its tests (scripts/build-windows-core.sh), the static Qt and the page engine for
# MinGW-w64 once into their caches, then quorvel.exe, qvltags.exe and the window tests that run
# under wine (only those: every window test links the whole static Qt). The test command starts
# it beside the Linux build, so that neither leaves a core idle while the other waits on a
# download, a configure step or a link. May be run again; what is built is kept.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/wine-tests.sh
bash scripts/build-windows-core.sh
bash scripts/build-qt-windows.sh
bash scripts/build-litehtml.sh windows || { echo "FAILED: the page engine for Windows did not build"; exit 1; }
bash scripts/build-windows-editor.sh quorvel qvltags picture_tests page_tests "${runnable[@]}"
