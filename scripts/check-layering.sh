#!/usr/bin/env bash
# Fails when a source file includes a header of a subsystem built after its
# own. The order is the one of DESIGN's layout: platform first (it sees
# nothing of the engine), then core, launcher, Render, DynamicSky, physics,
# Sound, interface, game, script; app sees everything. Above platform, only
# the host (app) includes the headless devices and their recordings.
set -euo pipefail
cd "$(dirname "$0")/.."

order=(platform core launcher Render DynamicSky physics Sound interface game script app)

# Edges the system's own classes force, each with its reason. An entry is
# "file -> folder/": that file may include any header of that folder.
allowed=(
    # The game object owns its render object, animations, lights, effects,
    # sprites and physics data, and builds them from the level's records.
    "src/core/GameObject.cpp -> Render/"
    "src/core/GameObject.cpp -> physics/"
    "src/core/GameObjectBuild.cpp -> Render/"
    "src/core/GameObjectBuild.cpp -> physics/"
    # Mesh files carry their collision data; the renderer's mesh readers
    # build it as they read the nodes.
    "src/Render/MeshPhysics.cpp -> physics/"
    "src/Render/RenderObjectLoaderNodes.cpp -> physics/"
    # Ground decals are cut to the terrain triangles the physics data finds
    # under them.
    "src/Render/RenderGroundDecal.cpp -> physics/"
)

rank() {
    local i
    for i in "${!order[@]}"; do
        if [[ "${order[$i]}" == "$1" ]]; then
            echo "$i"
            return
        fi
    done
    echo -1
}

is_allowed() {
    local edge
    for edge in "${allowed[@]}"; do
        [[ "$edge" == "$1 -> $2/" ]] && return 0
    done
    return 1
}

failures=0
while IFS= read -r line; do
    file=${line%%:*}
    header=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"${line#*:}")
    from=$(cut -d/ -f2 <<<"$file")
    to=${header%%/*}
    [[ "$header" == */* ]] || continue
    # The engine drives the devices through their interfaces only; the
    # headless implementations and what they record are for the host and
    # the tests.
    if [[ "$from" != platform && "$from" != app && "$header" =~ ^platform/(Headless|RecordingShell) ]]; then
        echo "layering: $file includes $header (only the host and tests see the headless devices)"
        failures=$((failures + 1))
        continue
    fi
    from_rank=$(rank "$from")
    to_rank=$(rank "$to")
    ((to_rank < 0 || from_rank < 0)) && continue
    ((to_rank <= from_rank)) && continue
    is_allowed "$file" "$to" && continue
    echo "layering: $file includes $header ($from may not see $to)"
    failures=$((failures + 1))
done < <(grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include "' src | sed -E 's/^([^:]+):[0-9]+:/\1:/')

if ((failures > 0)); then
    echo "$failures include(s) against the layering"
    exit 1
fi
echo "layering: every include points down the order"
