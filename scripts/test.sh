#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test twice: once in a
# normal build and once under AddressSanitizer and UndefinedBehaviorSanitizer;
# in the normal build every unit-test binary also runs on its own, shuffled.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
jobs=$(nproc)

# The code follows the root .clang-format (Debian's clang-format 14).
echo "Formatting: clang-format --dry-run --Werror over the tracked sources"
git ls-files -z -- '*.cpp' '*.hpp' '*.h' | xargs -0 clang-format --dry-run --Werror

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build -j "$jobs" --output-on-failure

# Each unit-test binary once more as one process, its tests shuffled: no test
# may depend on what another left behind. VELA_TEST_SEED repeats an order.
seed=${VELA_TEST_SEED:-$((RANDOM % 99999 + 1))}
echo "Unit-test binaries in one process each, shuffled with seed $seed"
for binary in build/bin/*_tests; do
    case "$binary" in *e2e*) continue ;; esac
    echo "== $binary --gtest_shuffle --gtest_random_seed=$seed"
    "$binary" --gtest_shuffle --gtest_random_seed="$seed" --gtest_brief=1
done

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DVELA_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-sanitize -j "$jobs" --output-on-failure
