#!/bin/sh
# Builds the whole project with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs every test. Rendering tests use a private Xvfb display.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DQUILLMOOR_SANITIZE=ON -DQUILLMOOR_BENCH=OFF
cmake --build build-sanitize -j "$(nproc)"
export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp"
export UBSAN_OPTIONS=print_stacktrace=1
export QUILLMOOR_NO_MESSAGE_BOX=1
export SDL_AUDIODRIVER=dummy
ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)" --timeout 600
