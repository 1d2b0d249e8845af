#!/usr/bin/env bash
# Runs every program of tests/data/gcode/programs.tsv through the sample
# host as a user would (korvane-view --headless, the options beside it) and
# checks that each leaves a closed STL: a line per program with its moves,
# its triangles and how long it took. Exits 1 when any program fails.
# Arguments: the output folder (default build/gcode-corpus), then extra
# korvane-view options for every run. Needs a built tree (build/).
set -uo pipefail
cd "$(dirname "$0")/.."
out="${1:-build/gcode-corpus}"
shift || true
view="${KORVANE_VIEW:-build/host/korvane-view}"
mkdir -p "$out"
export LIBGL_ALWAYS_SOFTWARE=1 XDG_CONFIG_HOME="$out/config" XDG_DATA_HOME="$out/data"
failed=0
while IFS=$'\t' read -r file options; do
  [[ -z "$file" || "$file" == \#* ]] && continue
  name="${file%.*}"
  start=$(date +%s%N)
  # shellcheck disable=SC2086  # the options are words
  if ! xvfb-run -a -s "-screen 0 1280x1024x24" "$view" --headless --no-png --at-once \
      --out "$out" $options "$@" "tests/data/gcode/$file" >"$out/$name.log" 2>&1; then
    printf '%-55s FAILED: %s\n' "$file" "$(tail -n 1 "$out/$name.log")"
    failed=1
    continue
  fi
  tenths=$((($(date +%s%N) - start) / 100000000))
  moves=$(grep -o '^[^:]*: [0-9]* moves' "$out/$name.log" | grep -o '[0-9]* moves' | head -n 1)
  if facts=$(python3 scripts/stl_closed.py "$out/$name.stl"); then
    printf '%-55s %-12s %-45s %4d.%d s\n' "$file" "$moves" "$facts" $((tenths / 10)) $((tenths % 10))
  else
    printf '%-55s NOT CLOSED: %s\n' "$file" "$facts"
    failed=1
  fi
done <tests/data/gcode/programs.tsv
exit "$failed"
