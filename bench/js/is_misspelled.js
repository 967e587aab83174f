'use strict';
// isMisspelled from script against HunspellBackend::IsMisspelled called directly in C++, over
// the same words (those of bench/hunspell_bench.cc: the texts in /usr/share/common-licenses),
// with the Debian en_US dictionary. The difference is the crossing into native code, the
// unwrap of the instance and the string conversion. Two measures: the running text, where the
// backend's verdict cache answers repeated words in tens of nanoseconds, so the crossing
// dominates; and each distinct word once with the caches emptied, where the engine's work does.
// The target applies to the second.
// Usage: node bench/js/is_misspelled.js [--build DIR] [--rounds N]
// Needs a build with the module and the benchmarks (scripts/build.sh DIR).

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {parseArgs} = require('node:util');
const {spawnSync} = require('node:child_process');

const root = path.resolve(__dirname, '..', '..');
const {values: options} = parseArgs({
  options: {build: {type: 'string', default: 'build'}, rounds: {type: 'string', default: '5'}},
});
const buildDir = path.resolve(root, options.build);
const rounds = Number(options.rounds);
const dictionaryDir = '/usr/share/hunspell';
const tag = 'en_US';
const textDir = '/usr/share/common-licenses';
const passes = 3;
const target = 1.15;

const native = path.join(buildDir, 'bench', 'js', 'bench_native_is_misspelled');
process.env.SPELLCHECKER_NATIVE_MODULE ??= path.join(buildDir, 'spellchecker.node');
// The module exports its class only to pages, which have a navigator; plain Node 20 has none.
if (!('navigator' in globalThis)) globalThis.navigator = {};
const {Spellchecker} = require(root);

const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'spellchecker-bench-'));
const wordsFile = path.join(scratch, 'words.txt');

function runNative() {
  const result = spawnSync(native, [dictionaryDir, tag, textDir, wordsFile, String(passes)], {
    encoding: 'utf8',
  });
  if (result.status !== 0) throw new Error(`${native} failed: ${result.stderr || result.error}`);
  return JSON.parse(result.stdout);
}

// Fastest of the passes, in nanoseconds per word; `beforePass` runs untimed ahead of each.
function runScript(checker, words, beforePass = () => {}) {
  let fastest = Infinity;
  let rejected = 0;
  for (let pass = 0; pass < passes; pass++) {
    beforePass();
    let count = 0;
    const start = process.hrtime.bigint();
    for (const word of words) count += checker.isMisspelled(word) ? 1 : 0;
    fastest = Math.min(fastest, Number(process.hrtime.bigint() - start));
    rejected = count;
  }
  return {rejected, nsPerWord: fastest / words.length};
}

function line(label, script, native) {
  const ratio = script / native;
  console.log(
      `${label}: C++ ${native.toFixed(1)} ns/word, script ${script.toFixed(1)} ns/word, ` +
      `script / C++ ${ratio.toFixed(3)}x`);
  return ratio;
}

try {
  const first = runNative();
  const words = fs.readFileSync(wordsFile, 'utf8').split('\n').slice(0, -1);
  if (words.length !== first.words) throw new Error('the word list was not read back whole');

  const distinct = [...new Set(words)];
  const checker = new Spellchecker(true);
  const reload = () => {
    if (!checker.setDictionary(tag, dictionaryDir)) throw new Error(`cannot load ${tag}`);
  };
  reload();
  for (const word of words) checker.isMisspelled(word);  // warm-up

  // Rounds alternate the two sides so that load from elsewhere falls on both alike; the
  // fastest of each side counts.
  const best = {
    native: first.nsPerWord,
    nativeCold: first.coldNsPerWord,
    script: Infinity,
    scriptCold: Infinity
  };
  for (let round = 0; round < rounds; round++) {
    const running = runScript(checker, words);
    const cold = runScript(checker, distinct, reload);
    if (running.rejected !== first.rejected || cold.rejected !== first.rejectedDistinct) {
      throw new Error('the script and C++ verdicts differ');
    }
    best.script = Math.min(best.script, running.nsPerWord);
    best.scriptCold = Math.min(best.scriptCold, cold.nsPerWord);
    const native = runNative();
    best.native = Math.min(best.native, native.nsPerWord);
    best.nativeCold = Math.min(best.nativeCold, native.coldNsPerWord);
  }
  console.log(
      `${words.length} words (${distinct.length} distinct) from ${textDir}; ${tag}; ` +
      `Node.js ${process.version}`);
  line('running text, verdict cache warm', best.script, best.native);
  const ratio = line('each distinct word once, caches empty', best.scriptCold, best.nativeCold);
  console.log(
      `engine-bound ratio: ${ratio.toFixed(3)}x (target within ${target.toFixed(2)}x` +
      `${ratio <= target ? '' : ', MISSED'})`);
} finally {
  fs.rmSync(scratch, {recursive: true, force: true});
}
