#!/usr/bin/env bash
# Loads a Linux module in a minimal Debian 11 (bullseye, glibc 2.31) root of its architecture
# (debootstrap minbase: no Hunspell, Enchant or GLib; ARM64 emulated by qemu-user) under Node.js
# from npm, and checks words there with Debian's en_US dictionary (test/minimal-root/check.js).
# The root is made once and cached outside the clone, keyed by what goes into it
# (scripts/lib/root.sh). Run as root.
# Usage: scripts/linux/minimal-root-check.sh [--arm64] [module]
#   (default: the zig build of the architecture, build-linux-x64|arm64/spellchecker.node)
set -euo pipefail
cd "$(dirname "$0")/../.."
# shellcheck source=scripts/lib/root.sh
source scripts/lib/root.sh
arch=x64 debian_arch=amd64
if [[ ${1:-} == --arm64 ]]; then
  arch=arm64 debian_arch=arm64
  shift
fi
module=$(realpath "${1:-build-linux-$arch/spellchecker.node}")
node=$(spell_linux_node "$arch")
spell_root "$debian_arch" bullseye
root=$spell_root_dir

# What the check needs, in a directory of its own that the root sees at the same path.
work=$(mktemp -d "${TMPDIR:-/tmp}/spellchecker-root-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/dict"
cp "$node/bin/node" "$module" test/minimal-root/check.js "$work/"
cp /usr/share/hunspell/en_US.aff /usr/share/hunspell/en_US.dic "$work/dict/"
spell_root_run "$root" "$work" "$work/node" "$work/check.js" \
  "$work/$(basename "$module")" "$work/dict"
