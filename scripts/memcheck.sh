#!/usr/bin/env bash
# Runs script tests against memory checkers, with the real module loaded by node:
#   scripts/memcheck.sh valgrind [TEST...]  each test file in its own node under valgrind
#       memcheck: no invalid access, no use of uninitialised memory, no definite leak
#   scripts/memcheck.sh asan [TEST...]      the module built with AddressSanitizer and
#       UndefinedBehaviorSanitizer (build-asan-module/), node with the ASan runtime preloaded,
#       leak detection on; child processes that the tests start are checked too
# TEST defaults to the files of test/js/ (memory.test.js aside) for asan, and for valgrind to
# those that do their work in-process (tests that only spawn children would check nothing there).
# Suppressions, each explained, are in test/memcheck/: only the host's own reports.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:?usage: scripts/memcheck.sh valgrind|asan [TEST...]}
shift
tests=("$@")
suppressions=$PWD/test/memcheck

# A private Enchant configuration, as the suite makes; set here so that every process agrees.
enchant_dir=$(mktemp -d)
logs=$(mktemp -d)
trap 'rm -rf "$enchant_dir" "$logs"' EXIT
printf '*:hunspell\n' >"$enchant_dir/enchant.ordering"
export ENCHANT_CONFIG_DIR=$enchant_dir SPELLCHECKER_TEST_ENCHANT_DIR=$enchant_dir

case "$mode" in
  valgrind)
    if ((${#tests[@]} == 0)); then
      tests=(test/js/arguments.test.js test/js/hunspell.test.js test/js/system.test.js
        test/js/module.test.js test/js/hostile.test.js)
    fi
    # The module that scripts/test.sh built, unless another is named.
    if [[ -z "${SPELLCHECKER_NATIVE_MODULE:-}" ]]; then
      [[ -f build/spellchecker.node ]] || scripts/build.sh build
      export SPELLCHECKER_NATIVE_MODULE=build/spellchecker.node
    fi
    # Strings of 64 MiB take minutes under valgrind; 2 MiB exercises the same paths.
    export SPELLCHECKER_HOSTILE_MIB=2
    failed=0
    for test in "${tests[@]}"; do
      name=$(basename "$test" .js)
      echo "== valgrind: $test"
      status=0
      valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite \
        --errors-for-leak-kinds=definite --error-exitcode=97 --num-callers=40 \
        --suppressions="$suppressions/valgrind.supp" --log-file="$logs/$name.valgrind" \
        node "$test" >"$logs/$name.out" 2>&1 || status=$?
      grep -E '^# (pass|fail)' "$logs/$name.out" || true
      grep -E 'ERROR SUMMARY' "$logs/$name.valgrind" | sed 's/^==[0-9]*== /  /'
      if ((status == 97)); then
        cat "$logs/$name.valgrind"
        echo "memcheck: valgrind reports errors in $test" >&2
        failed=1
      elif ((status != 0)); then
        cat "$logs/$name.out"
        echo "memcheck: $test failed under valgrind" >&2
        failed=1
      fi
    done
    exit $failed
    ;;
  asan)
    if ((${#tests[@]} == 0)); then
      # All but memory.test.js, which measures the resident set: under AddressSanitizer that
      # holds the quarantine of freed blocks, so its figures say nothing about the module.
      for test in test/js/*.test.js; do
        [[ "$test" == */memory.test.js ]] || tests+=("$test")
      done
    fi
    scripts/build.sh build-asan-module -DSPELL_SANITIZE=ON -DSPELL_BUILD_TESTS=OFF \
      -DSPELL_BUILD_BENCH=OFF
    runtime=$(gcc -print-file-name=libasan.so)
    echo "== AddressSanitizer: ${tests[*]} (runtime $runtime)"
    # intercept_tls_get_addr=0: this runtime (GCC 12's) takes a dynamic TLS block that starts 16
    # bytes into a page for one with a glibc 2.19 header, and records the two words before it
    # (the allocator's own chunk header) as the block's bounds; the leak checker's tracer then
    # scans from a near-null address and crashes ("Tracer caught signal 11"). The TLS blocks of
    # the libraries node loads with the module are small heap blocks, one in 128 of which starts
    # there. Nothing goes unscanned: the leak checker takes whatever the dynamic linker allocated,
    # TLS blocks included, as reachable and scans it.
    # abort_on_error stays off: a report must reach the test runner as output and a failure.
    # The runtime is preloaded into node alone (env execs it), not into the shell that checks
    # the run's report.
    scripts/run-node-tests.sh env SPELLCHECKER_NATIVE_MODULE=build-asan-module/spellchecker.node \
      LD_PRELOAD="$runtime" \
      ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:intercept_tls_get_addr=0 \
      LSAN_OPTIONS=suppressions=$suppressions/lsan.supp:print_suppressions=0 \
      UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      node --test "${tests[@]}"
    ;;
  *)
    echo "memcheck: unknown mode $mode" >&2
    exit 2
    ;;
esac
