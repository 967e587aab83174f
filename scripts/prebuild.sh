#!/usr/bin/env bash
# Builds the prebuilt binaries that the npm package ships, then packs the package.
# Usage: scripts/prebuild.sh [--pack-destination DIR | --no-pack] [TARGET...]
#   TARGET: linux-x64, linux-arm64, win32-x64, win32-arm64; all four when none is named.
# The Linux ones are built with zig against glibc 2.28 (scripts/cross-build.sh) and checked for
# what they need from the system that loads them (test/linux/check_module_symbols.sh).
# prebuilds/ is emptied first, so the tarball holds exactly the targets built by this run. Each
# target's debug information goes to symbols/<target>/, which the package leaves out.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: $0 [--pack-destination DIR | --no-pack]" \
    "[linux-x64|linux-arm64|win32-x64|win32-arm64]..." >&2
  exit 2
}

pack=1
pack_dir=$PWD
targets=()
while (($#)); do
  case $1 in
    --pack-destination) (($# >= 2)) || usage; pack_dir=$2; shift 2 ;;
    --no-pack) pack=0; shift ;;
    linux-x64 | linux-arm64 | win32-x64 | win32-arm64) targets+=("$1"); shift ;;
    *) usage ;;
  esac
done
((${#targets[@]})) || targets=(linux-x64 linux-arm64 win32-x64 win32-arm64)
# The oldest glibc whose symbol versions the Linux prebuilds may need.
glibc_floor=2.28

# node-gyp-build picks a file by the tags between the dots: "napi" loads in any Node-API host
# (Node.js and Electron alike), "glibc" keeps a musl system from loading the Linux build.
prebuild_name() {
  case $1 in
    linux-*) echo native-spellchecker.napi.glibc.node ;;
    *) echo native-spellchecker.napi.node ;;
  esac
}

# Builds one target and prints the path of its .node file.
build_target() {
  local platform=${1%-*} arch=${1#*-}
  [[ $platform == linux ]] || platform=windows
  scripts/cross-build.sh "$platform" "$arch" >&2
  echo "build-$platform-$arch/spellchecker.node"
}

rm -rf prebuilds symbols
for target in "${targets[@]}"; do
  echo "== prebuild: $target"
  built=$(build_target "$target")
  if [[ ! -f $built ]]; then
    echo "prebuild: the $target build made no $built" >&2
    exit 1
  fi
  dest=prebuilds/$target/$(prebuild_name "$target")
  mkdir -p "${dest%/*}"
  # The debug information stays out of the package, beside it in symbols/ for crash reports.
  symbols=symbols/$target
  mkdir -p "$symbols"
  if [[ $target == linux-* ]]; then
    # Most of the file; the stripped binary names its symbol file by a debug link. LLVM's objcopy
    # reads either machine's files.
    objcopy=$(command -v llvm-objcopy-14 || command -v llvm-objcopy) || {
      echo "prebuild: no llvm-objcopy (Debian package llvm-14)" >&2
      exit 1
    }
    "$objcopy" --only-keep-debug "$built" "$symbols/${dest##*/}.debug"
    "$objcopy" --strip-debug --add-gnu-debuglink="$symbols/${dest##*/}.debug" "$built" "$dest"
    machine=x86_64
    [[ $target == linux-x64 ]] || machine=aarch64
    test/linux/check_module_symbols.sh "$dest" "$glibc_floor" "$machine"
  else
    # The Windows linker already wrote it into a PDB of its own.
    cp "$built" "$dest"
    pdb=${built%.node}.pdb
    [[ ! -f $pdb ]] || cp "$pdb" "$symbols/"
  fi
  # The loader must pick this very file when it runs on the target.
  platform=${target%-*} arch=${target#*-}
  picked=$(PREBUILDS_ONLY=1 npm_config_platform=$platform npm_config_arch=$arch \
    node -p "require('node-gyp-build').path('.')")
  if [[ $picked != "$PWD/$dest" ]]; then
    echo "prebuild: node-gyp-build picks $picked for $target, not $dest" >&2
    exit 1
  fi
  echo "prebuild: $dest ($(stat -c %s "$dest") bytes)"
done

if ((pack)); then
  mkdir -p "$pack_dir"
  npm pack --pack-destination "$pack_dir" --loglevel=warn
fi
