#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer, warnings
# fatal, and runs every test. A sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh

build=${KQ_TEST_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKQ_SANITIZE=ON -DKQ_WERROR=ON
cmake --build "$build" -j"$(nproc)"

export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=1:verify_asan_link_order=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
ctest --test-dir "$build" --output-on-failure -j2 --timeout 600

# Fuzz targets: a separate clang tree; each target runs for a few seconds.
fuzz=${KQ_FUZZ_BUILD_DIR:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKQ_FUZZ_ONLY=ON -DKQ_WERROR=ON
cmake --build "$fuzz" -j"$(nproc)"
ctest --test-dir "$fuzz" --output-on-failure --no-tests=error
