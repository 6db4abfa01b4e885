#!/usr/bin/env bash
# Remakes the README's pictures in docs/: builds the screenshot tool and runs it under Xvfb.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build/test"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Debug -DKV_BUILD_TESTS=ON >/dev/null
cmake --build "$BUILD" -j "$(nproc)" --target kv_screenshots
mkdir -p "$ROOT/docs"
xvfb-run -a -s "-screen 0 1280x1024x24" "$BUILD/bin/kv_screenshots" "$ROOT" "$ROOT/docs"
