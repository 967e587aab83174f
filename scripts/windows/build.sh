#!/usr/bin/env bash
# Cross-builds for Windows.
#   x64:   Hunspell, the core library, the module and the Windows tests, with mingw-w64 (posix).
#   arm64: every source compiled to objects with clang, warnings as errors; Debian has no ARM64
#          mingw-w64 runtime, so nothing is linked.
# Hunspell is built once per architecture from Debian's source package and kept in the cache.
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

[[ -f $spell_hunspell_src_dir/.complete ]] || scripts/windows/setup.sh

# Rebuilt only when the Hunspell source, its build description or the toolchain changed.
prefix=$SPELL_WIN_CACHE/hunspell-$arch
stamp=$( (head -n1 "$spell_hunspell_src_dir/debian/changelog"
  cat cmake/windows/hunspell/CMakeLists.txt "$toolchain" cmake/toolchains/windows-common.cmake) |
  sha256sum | cut -d' ' -f1)
if [[ ! -f $prefix/.stamp || $(cat "$prefix/.stamp") != "$stamp" ]]; then
  echo "windows build: Hunspell for $arch"
  hunspell_build=$SPELL_WIN_CACHE/hunspell-$arch-build
  rm -rf "$prefix" "$hunspell_build"
  cmake -S cmake/windows/hunspell -B "$hunspell_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/$toolchain" -DHUNSPELL_SOURCE_DIR="$spell_hunspell_src_dir" \
    -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
  cmake --build "$hunspell_build" -j"$jobs"
  cmake --install "$hunspell_build" >/dev/null
  rm -rf "$hunspell_build"
  echo "$stamp" >"$prefix/.stamp"
fi

options=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/$toolchain" -DSPELL_WINDOWS_PREFIX="$prefix"
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
