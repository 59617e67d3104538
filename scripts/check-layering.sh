#!/usr/bin/env bash
# Fails when a source file includes a header of a subsystem built after its
# own. The order is the one of DESIGN's layout: platform first (it sees
# nothing of the engine), then core, launcher, Render, DynamicSky, physics,
# Sound, interface, game, script; app sees everything. Above platform, only
# the host (app) includes the headless devices and their recordings, the
# window's devices (platform/gl/) and the OpenAL device; the libraries of
# the devices themselves (OpenAL, OpenGL, libepoxy, SDL) are platform's
# alone. An include never climbs out of its folder ("../x.h"): the build's
# include roots, which make an upward include fail to compile, cannot see
# through a relative path.
set -euo pipefail
cd "$(dirname "$0")/.."

order=(platform core launcher Render DynamicSky physics Sound interface game script app)

# Edges the system's own classes force, each with its reason; the build
# gives the same files the same headers (CMakeLists.txt). An entry is
# "file -> folder/": that file may include any header of that folder.
allowed=(
    # None today: Render reaches the physics data through core's interface
    # of it, Sound hands its volume to the videos through core.
)

declare -A rank_of
for i in "${!order[@]}"; do
    rank_of[${order[$i]}]=$i
done

is_allowed() {
    local edge
    for edge in ${allowed[@]+"${allowed[@]}"}; do
        [[ "$edge" == "$1 -> $2/" ]] && return 0
    done
    return 1
}

failures=0
fail() {
    echo "layering: $1"
    failures=$((failures + 1))
}

# Quoted includes: relative paths, the host's devices, then the order.
while IFS= read -r line; do
    file=${line%%:*}
    header=${line#*\"}
    header=${header%%\"*}
    from=${file#src/}
    from=${from%%/*}
    to=${header%%/*}
    if [[ "$header" =~ (^|/)\.\.?/ ]]; then
        fail "$file includes $header (a relative path; name the header from its folder)"
        continue
    fi
    [[ "$header" == */* ]] || continue
    # The engine drives the devices through their interfaces only; the
    # headless implementations and what they record, the window's devices
    # and the OpenAL device are for the host and the tests.
    if [[ "$from" != platform && "$from" != app &&
          "$header" =~ ^platform/(Headless|RecordingShell|gl/|OpenAL) ]]; then
        fail "$file includes $header (only the host and tests see that device)"
        continue
    fi
    from_rank=${rank_of[$from]:--1}
    to_rank=${rank_of[$to]:--1}
    ((to_rank < 0 || from_rank < 0)) && continue
    ((to_rank <= from_rank)) && continue
    is_allowed "$file" "$to" && continue
    fail "$file includes $header ($from may not see $to)"
done < <(grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' src |
    sed -E 's/^([^:]+):[0-9]+:/\1:/')

# System headers of the device libraries, outside the platform layer.
while IFS= read -r line; do
    file=${line%%:*}
    header=${line#*<}
    header=${header%%>*}
    fail "$file includes <$header> (only the platform layer talks to the devices)"
done < <(grep -rnE --include='*.h' --include='*.cpp' \
    '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(AL/|GL/|GLES|epoxy/|SDL|EGL/|GLFW/)' src |
    grep -v '^src/platform/' | sed -E 's/^([^:]+):[0-9]+:/\1:/')

if ((failures > 0)); then
    echo "$failures include(s) against the layering"
    exit 1
fi
echo "layering: every include points down the order"
