#!/usr/bin/env bash
# Installs what is missing (the tests' packages too), builds, and runs every test:
#   1. the build the player gets (Release): unit, integration and end-to-end
#      tests (the real program under a private X server); its Debian package,
#      checked with lintian and dpkg-deb;
#   2. a clang build with AddressSanitizer, UndefinedBehaviorSanitizer and
#      LeakSanitizer: the unit tests again, and each fuzz target for a
#      bounded time.
#   3. a clang build with ThreadSanitizer of the tests that run threads
#      (CTest label "threads").
#   4. the browser build (scripts/web.sh): its stage runner under node against
#      the native one on every shipped stage (CTest label "web").
# A part that fails does not stop the others: every failure is listed at the
# end, and the status is non-zero when there was one.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
bash scripts/deps.sh --tests || exit 1
jobs="$(nproc)"
failed=()

# step WHAT COMMAND...: runs one step of a part; a failure is noted, not fatal.
step() {
    local what="$1"; shift
    "$@" || { echo "** FAILED: $what" >&2; failed+=("$what"); return 1; }
}

# The Release build has the package's compiler and linker flags (hardened), so
# that the tests run the programs the package holds.
release_part() {
    step "Release: configure" cmake -C cmake/DebianBuildFlags.cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DVAPOREL_TESTS=ON -DVAPOREL_BENCH=ON >/dev/null || return
    step "Release: build" cmake --build build -j"$jobs" || return
    step "Release: tests" ctest --test-dir build --output-on-failure -j"$jobs"
    package_part
}

# The Debian package of the Release build (installed under /usr into a staging
# folder: nothing is compiled again), checked with lintian and dpkg-deb.
package_part() {
    local deb
    deb="$(scripts/package.sh build)" || { step "Release: package" false; return; }
    step "Release: package checks" scripts/check-package.sh "$deb"
}

sanitizer_part() {
    step "Sanitizer: configure" env CC=clang CXX=clang++ cmake -S . -B build-sanitize -G Ninja \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVAPOREL_FUZZ=ON -DVAPOREL_BENCH=OFF >/dev/null || return
    step "Sanitizer: build" cmake --build build-sanitize -j"$jobs" || return
    step "Sanitizer: unit tests and fuzzing" ctest --test-dir build-sanitize --output-on-failure -j"$jobs" \
        -LE "e2e|stages-long"
}

thread_part() {
    step "ThreadSanitizer: configure" env CC=clang CXX=clang++ cmake -S . -B build-tsan -G Ninja \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVAPOREL_TSAN=ON -DVAPOREL_BENCH=OFF >/dev/null || return
    step "ThreadSanitizer: build" cmake --build build-tsan -j"$jobs" --target vaporel_thread_tests || return
    step "ThreadSanitizer: tests" ctest --test-dir build-tsan --output-on-failure -j"$jobs" -L threads
}

# Needs the Release build's native stage runner.
web_part() {
    step "Web: build" bash scripts/web.sh || return
    step "Web: tests" ctest --test-dir build --output-on-failure -L web
}

echo "== Release build and tests"
release_part
echo "== Sanitizer build: unit tests and fuzzing"
sanitizer_part
echo "== ThreadSanitizer build: the tests that run threads"
thread_part
echo "== Browser build: the stage runner under node"
web_part

if [ ${#failed[@]} -gt 0 ]; then
    echo "== ${#failed[@]} step(s) failed:" >&2
    printf '   %s\n' "${failed[@]}" >&2
    exit 1
fi
echo "== every part passed"
