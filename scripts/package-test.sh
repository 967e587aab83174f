#!/usr/bin/env bash
# Packs the npm package with its prebuilds (scripts/prebuild.sh), installs the tarball into a
# fresh application outside the repository, and runs the script tests and the type test against
# that installed copy rather than the source tree. Then, as root, in Debian 11 (bullseye) roots
# (scripts/lib/root.sh): each Linux prebuild as installed is loaded in a minimal root of its
# architecture (scripts/linux/minimal-root-check.sh), and the script tests run on the linux-arm64 one
# under emulation (scripts/linux/arm64-script-tests.sh). With --windows the package holds all four
# prebuilds: both Windows ones have their import tables checked as installed, and the script
# tests run on the installed package under wine with x64 node.exe and, in the emulated ARM64
# environment, with ARM64 node.exe, each as itself over the test spelling service and renamed with
# no service.
# Usage: scripts/package-test.sh [--windows] [NODE...]   (the Node.js executables to test under;
#   default: the node on PATH)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
targets=(linux-x64 linux-arm64)
if [[ ${1:-} == --windows ]]; then
  targets=(linux-x64 linux-arm64 win32-x64 win32-arm64)
  shift
fi
nodes=("$@")
((${#nodes[@]})) || nodes=("$(command -v node)")

fail() {
  echo "package test: $*" >&2
  exit 1
}

work=$(mktemp -d "${TMPDIR:-/tmp}/spellchecker-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

scripts/prebuild.sh --pack-destination "$work" "${targets[@]}"
tarballs=("$work"/native-spellchecker-*.tgz)
((${#tarballs[@]} == 1)) && [[ -f ${tarballs[0]} ]] || fail "expected one tarball in $work"
echo "== package test: $(basename "${tarballs[0]}"), $(stat -c %s "${tarballs[0]}") bytes"

app=$work/app
mkdir "$app"
(
  cd "$app"
  npm init -y >/dev/null
  npm install --no-audit --no-fund --loglevel=error "${tarballs[0]}"
)
installed=$app/node_modules/native-spellchecker

# The package brings its runtime dependencies (node-gyp-build; proper-lockfile, which locks the
# personal word list, with its own three) and nothing else, and no build of its own.
installed_packages=$(cd "$app" && node -p \
  "Object.keys(require('./package-lock.json').packages).filter(Boolean).sort().join(' ')")
expected_packages=$(printf 'node_modules/%s ' graceful-fs native-spellchecker node-gyp-build \
  proper-lockfile retry signal-exit)
[[ "$installed_packages " == "$expected_packages" ]] || fail "installed $installed_packages"
[[ ! -e $installed/build ]] || fail "the tarball holds a build/ directory"

# The tests must reach the installed copy, and its prebuild, not the source tree.
export SPELLCHECKER_TEST_PACKAGE=$installed
unset SPELLCHECKER_NATIVE_MODULE
loaded=$(node -e "console.log(require('./test/js/support').nativeModulePath())")
[[ $loaded == "$installed/prebuilds/linux-x64/"* ]] || fail "the tests would load $loaded"

echo "== package test: type test against the installed declarations"
mkdir "$app/types"
cp test/types/tsconfig.json test/types/*.cts test/types/*.mts "$app/types/"
node_modules/.bin/tsc --noEmit -p "$app/types"

for node in "${nodes[@]}"; do
  echo "== package test: script tests on the installed package, $node $("$node" --version)"
  scripts/run-node-tests.sh "$node" --test test/js/*.test.js
done
echo "== package test: the installed linux-x64 prebuild in a minimal Debian 11 root"
scripts/linux/minimal-root-check.sh "$installed"/prebuilds/linux-x64/*.node
echo "== package test: the installed linux-arm64 prebuild in a minimal Debian 11 arm64 root"
scripts/linux/minimal-root-check.sh --arm64 "$installed"/prebuilds/linux-arm64/*.node
echo "== package test: script tests on the installed linux-arm64 prebuild, emulated"
scripts/linux/arm64-script-tests.sh
if [[ " ${targets[*]} " == *" win32-x64 "* ]]; then
  readobj=$(command -v llvm-readobj-14 || command -v llvm-readobj) || fail "no llvm-readobj"
  for target in win32-x64:AMD64 win32-arm64:ARM64; do
    echo "== package test: the installed ${target%:*} prebuild's import table"
    test/windows/check_module_imports.sh "$readobj" "${target#*:}" \
      "$installed/prebuilds/${target%:*}/native-spellchecker.napi.node"
  done
  # Each under node.exe, with the test spelling service registered as the platform's (the system
  # backend over COM), and under the same executable renamed host.exe, whose Node-API the module
  # must bind to all the same, with no service (plain constructions fall back to Hunspell).
  for arch in x64 arm64; do
    echo "== package test: script tests on the installed package, $arch node.exe, test service"
    scripts/windows/script-tests.sh --$arch --service node.exe
    echo "== package test: script tests on the installed package, $arch host.exe, no service"
    scripts/windows/script-tests.sh --$arch host.exe
  done
fi
echo "== package test: passed ($repo against $installed)"
