#!/usr/bin/env bash
# Configures and builds the checking tree build-asan/: clang with
# AddressSanitizer, UndefinedBehaviorSanitizer and libFuzzer's coverage
# hooks, the tests and the fuzz targets together, so that scripts/sanitize.sh
# and scripts/fuzz.sh share one build of the library. Arguments name the
# targets to build (everything when none).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
source scripts/generator.sh
# Line tables are all the reports need; full debug information makes the
# build markedly slower to compile and link.
flags="-O2 -gline-tables-only -DNDEBUG"
cmake -S . -B build-asan $(generator_for build-asan) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="$flags" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$flags" \
  -DKORVANE_SANITIZE=fuzzer-no-link,address,undefined -DKORVANE_FUZZ=ON -DKORVANE_BUILD_BENCH=OFF >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build build-asan -j"$(nproc)" "${targets[@]}"
