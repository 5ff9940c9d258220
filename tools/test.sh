#!/usr/bin/env bash
# Sets up, checks the code's form, builds and runs every test headless under
# AddressSanitizer and UndefinedBehaviorSanitizer, builds the benchmark
# optimized and runs its tests, then fuzzes briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
TOLVANE_SETUP_TESTS=1 bash tools/setup.sh
export QT_QPA_PLATFORM=offscreen

echo "== form: includes (core never includes ui; no two folders include each other)" >&2
bash tools/check-includes.sh

echo "== form: clang-format" >&2
find src tests bench fuzz \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print0 |
    xargs -0 clang-format --dry-run --Werror

echo "== build and test with AddressSanitizer + UndefinedBehaviorSanitizer" >&2
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOLVANE_SANITIZE=ON \
      -DTOLVANE_BENCH=OFF >/dev/null
cmake --build build-asan -j2
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j2

echo "== form: clang-tidy over src/" >&2
run-clang-tidy -p build-asan -j 2 -quiet "$PWD/src/" >build-asan/clang-tidy.log 2>&1 ||
    { grep -E "(warning|error):" -A3 build-asan/clang-tidy.log >&2; exit 1; }

# The benchmark measures the optimized program: its programs and tests are
# built that way (every other test ran above, under the sanitizers).
echo "== build the benchmark optimized and test it" >&2
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target tolvane bench/all tests/bench/all
ctest --test-dir build --output-on-failure -j2 -L bench

echo "== fuzz the settings file, the name building, the undo journal and the photo reader (clang + libFuzzer, 10 s each)" >&2
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DTOLVANE_FUZZ=ON -DTOLVANE_TESTS=OFF -DTOLVANE_BENCH=OFF >/dev/null
cmake --build build-fuzz -j2 --target fuzz_settings fuzz_names fuzz_journal fuzz_shooting_time
ctest --test-dir build-fuzz --output-on-failure -L fuzz

echo "== all tests passed" >&2
