# Sourced by the build scripts. Ninja starts a layer's files as soon as the
# headers they need exist, where make waits for whole targets, and keeps both
# cores busy through the build. A tree configured before keeps its generator
# (cmake refuses to switch it).
generator_for() {
  local tree="$1"
  if [[ -f "$tree/CMakeCache.txt" ]]; then return; fi
  echo "-G Ninja"
}
