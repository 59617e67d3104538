#!/usr/bin/env bash
# Installs every package the build, the tests and the benchmarks need;
# with --fuzz, also clang and its libFuzzer and sanitizer runtimes for the
# fuzz targets (scripts/fuzz.sh).
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config ccache jq
          libgtest-dev libgmock-dev libbenchmark-dev
          liblua5.1-0-dev libtinyxml-dev libbullet-dev libjpeg-dev libpng-dev zlib1g-dev
          libopenal-dev libasound2-dev libsndfile1-dev libvorbis-dev libogg-dev libavformat-dev libavcodec-dev libswscale-dev
          libavutil-dev
          libsdl2-dev libepoxy-dev libgl1-mesa-dri libegl-mesa0)
if [ "${1:-}" = "--fuzz" ]; then
  packages+=(clang libclang-rt-14-dev)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
