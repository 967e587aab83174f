#!/usr/bin/env bash
# Cross-builds for Windows.
#   x64:   Hunspell (from its source package, patched), the core library, the module and the
#          Windows tests, with mingw-w64 (posix).
#   arm64: every source compiled to objects with clang, warnings as errors; Debian has no ARM64
#          mingw-w64 runtime, so nothing is linked.
# Usage: scripts/windows/build.sh x64|arm64 [build-dir]
set -euo pipefail
source "$(dirname "$0")/env.sh"
cd "$spell_win_root"

arch=${1:-}
case $arch in
  x64) toolchain=cmake/toolchains/mingw-x64-posix.cmake ;;
  arm64) toolchain=cmake/toolchains/clang-aarch64-mingw.cmake ;;
  *) echo "usage: $0 x64|arm64 [build-dir]" >&2; exit 2 ;;
esac
build_dir=${2:-build-windows-$arch}
jobs=${SPELL_JOBS:-$(nproc)}

# Hunspell's source package (fetched once into the cache); the build compiles it with the rest.
hunspell_source=$(scripts/hunspell_source.sh)

options=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/$toolchain" -DSPELL_HUNSPELL_SOURCE_DIR="$hunspell_source"
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSPELL_BUILD_TESTS=OFF -DSPELL_BUILD_BENCH=OFF)
[[ $arch == arm64 ]] && options+=(-DCMAKE_COMPILE_WARNING_AS_ERROR=ON)
cmake -S . -B "$build_dir" "${options[@]}" >/dev/null

if [[ $arch == x64 ]]; then
  cmake --build "$build_dir" -j"$jobs"
else
  # Every compile step of every target, and no link step.
  mapfile -t objects < <(ninja -C "$build_dir" -t targets all |
    awk -F': ' '$2 ~ /^(C|CXX)_COMPILER__/ { print $1 }')
  ninja -C "$build_dir" -j"$jobs" "${objects[@]}"
  echo "windows build: ${#objects[@]} ARM64 objects compiled"
fi
