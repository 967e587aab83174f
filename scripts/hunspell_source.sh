#!/usr/bin/env bash
# Fetches the Hunspell source package pinned in third_party/hunspell/source.env with apt-get
# source, unpacks it into the cache (once per version) and prints the unpacked directory.
# The deb-src entries are derived from the binary sources this machine already uses, with the
# pinned suite in place of each archive's own; apt runs on a private state directory, so the
# machine's configuration and lists stay untouched. Every file is checked by apt against the
# archive's signed index.
# Usage: scripts/hunspell_source.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/third_party/hunspell/source.env"

cache=${SPELL_CACHE:-/var/cache/native-spellchecker}
dir=$cache/hunspell-orig-$hunspell_version
if [[ -f $dir/.complete ]]; then
  echo "$dir"
  exit 0
fi

mkdir -p "$cache"
tmp=$(mktemp -d "$cache/.hunspell-src.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/lists/partial" "$tmp/parts" "$tmp/src"
# Main archives only (their suite has no "-security" or "-updates" part).
apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' 'Identifier: Packages' |
  awk -v suite="$hunspell_suite" '$2 !~ /-/ { print "deb-src", $1, suite, $3 }' |
  sort -u >"$tmp/sources.list"
apt_options=(-qq -o "Dir::Etc::SourceList=$tmp/sources.list" -o "Dir::Etc::SourceParts=$tmp/parts"
  -o "Dir::State::Lists=$tmp/lists" -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
  -o APT::Sandbox::User=root)
apt-get "${apt_options[@]}" update >&2
# The upstream tarball only (apt checks it against the signed index as well): the archive this
# machine uses serves neither the .dsc nor the Debian part of this version.
(cd "$tmp/src" && apt-get "${apt_options[@]}" source --tar-only "hunspell=$hunspell_version" >&2)
tar -xzf "$tmp"/src/hunspell_*.orig.tar.gz -C "$tmp/src"
unpacked=("$tmp"/src/hunspell-*/)
rm -rf "$dir"
mv "${unpacked[0]}" "$dir"
touch "$dir/.complete"
echo "$dir"
