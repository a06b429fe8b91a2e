#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test:
#   1. the build the player gets (Release): unit, integration and end-to-end
#      tests (the real program under a private X server);
#   2. a clang build with AddressSanitizer, UndefinedBehaviorSanitizer and
#      LeakSanitizer: the unit tests again, and each fuzz target for a
#      bounded time.
#   3. a clang build with ThreadSanitizer of the tests that run threads
#      (CTest label "threads").
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
jobs="$(nproc)"

echo "== Release build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== Sanitizer build: unit tests and fuzzing"
CC=clang CXX=clang++ cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVAPOREL_FUZZ=ON -DVAPOREL_BENCH=OFF >/dev/null
cmake --build build-sanitize -j"$jobs"
ctest --test-dir build-sanitize --output-on-failure -j"$jobs" -LE e2e

echo "== ThreadSanitizer build: the tests that run threads"
CC=clang CXX=clang++ cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVAPOREL_TSAN=ON -DVAPOREL_BENCH=OFF >/dev/null
cmake --build build-tsan -j"$jobs" --target vaporel_thread_tests
ctest --test-dir build-tsan --output-on-failure -j"$jobs" -L threads
