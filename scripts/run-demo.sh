#!/bin/sh
# Builds the engine (only what the games need) and runs the co-op game.
set -eu
cd "$(dirname "$0")/.."
if [ ! -x build/bin/quillmoor ]; then
    echo "building the engine (first time: a few minutes)"
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build --target quillmoor -j "$(nproc)"
cd games/coop
exec ../../build/bin/quillmoor "$@"
