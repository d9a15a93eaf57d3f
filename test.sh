#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole suite. Non-zero on any failure.
# TORVEL_BUILD_DIR picks another build folder; extra arguments go to cmake.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps
build=${TORVEL_BUILD_DIR:-build}
werror=${TORVEL_WERROR:-OFF}
scripts/build "$build" -DTORVEL_WERROR="$werror" "$@"
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" --timeout 300
