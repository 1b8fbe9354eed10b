#!/bin/sh
# Builds the engine (only what the demo needs) and runs the demo game.
set -eu
cd "$(dirname "$0")/.."
if [ ! -x build/bin/quillmoor ]; then
    echo "building the engine (first time: a few minutes)"
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build --target quillmoor -j "$(nproc)"
cd games/demo
exec ../../build/bin/quillmoor "$@"
