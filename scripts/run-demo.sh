#!/bin/sh
# Builds the engine and runs the demo game.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"
cd games/demo
exec ../../build/bin/quillmoor "$@"
