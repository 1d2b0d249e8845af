#!/usr/bin/env bash
# Builds everything and runs the whole test suite on a virtual display with
# Mesa's software OpenGL.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh
export LIBGL_ALWAYS_SOFTWARE=1
xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" ctest --test-dir build --output-on-failure -j"$(nproc)"
