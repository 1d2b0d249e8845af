#!/usr/bin/env bash
# Installs every Debian package the library, its tests and its benchmarks need.
# Safe to run again: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config python3
  # window, GL loader generator, maths, JSON, polygon clipping, images, ZIP
  libglfw3-dev libx11-dev libxrandr-dev python3-glad libglm-dev libjsoncpp-dev
  libpolyclipping-dev libstb-dev zlib1g-dev libminizip-dev
  # convex decomposition, with mesh welding and simplification before it
  libbullet-extras-dev libmeshoptimizer-dev
  # text
  libfreetype-dev libfontconfig-dev fonts-dejavu-core fonts-wqy-microhei
  # interface icons: SVG sources rasterised at build time
  librsvg2-bin
  # tests: virtual display with Mesa's software OpenGL
  libgtest-dev xvfb xauth libgl1-mesa-dri libglx-mesa0
  # tests and benchmarks: the reference GJK the collision queries are checked against
  libccd-dev
  # benchmarks
  libbenchmark-dev
  # fuzz targets: clang with libFuzzer and the sanitizer runtimes
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
