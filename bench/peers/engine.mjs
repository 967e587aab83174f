// Measures one engine in a process of its own and prints one JSON object.
// Usage: node --expose-gc engine.mjs ENGINE CORPUS_DIR [OPTIONS_JSON]
// ENGINE is ours, floor, inside, nspell, typo-js or hunspell-asm; OPTIONS_JSON sets modulePath
// (ours), floorPath (floor), insidePath (inside), the dictionary every engine loads (dictionaryDir
// and tag: the files dictionaryDir/tag.aff and .dic), suggestBudgetMs, and pass: "first" or
// "perCall" for a first-sight pass alone (see firstSight).
import fs from 'node:fs';
import {createRequire} from 'node:module';
import path from 'node:path';

import {readWords} from './corpus.mjs';

const require = createRequire(import.meta.url);
const [engineName, corpusDir, optionsText] = process.argv.slice(2);
const options = JSON.parse(optionsText || '{}');

// Every engine reads the very same two files.
function dictionaryFiles() {
  const base = path.join(options.dictionaryDir, options.tag);
  return {aff: `${base}.aff`, dic: `${base}.dic`};
}

// Each engine: prepare(), where present, does what must precede loading a dictionary; load()
// builds the engine from the dictionary files, and calling it again replaces it, so that nothing
// from earlier words remains; isMisspelled and suggest use it.
const engines = {
  async ours() {
    // The module exports its class only where a page's global "navigator" exists.
    globalThis.navigator ??= {};
    const {Spellchecker} = require(options.modulePath);
    const dir = options.dictionaryDir;
    let checker;
    return {
      // The constructor chooses the backend; setDictionary is the counterpart of Hunspell's
      // constructor.
      prepare() {
        checker = new Spellchecker(true);
      },
      load() {
        if (!checker.setDictionary(options.tag, dir))
          throw new Error(`no ${options.tag} in ${dir}`);
      },
      isMisspelled: (word) => checker.isMisspelled(word),
      suggest: (word) => checker.getCorrectionsForMisspelling(word),
    };
  },
  // A call that reads the string and answers false: what any binding costs at least.
  async floor() {
    let floor;
    return {
      load() {
        floor = require(options.floorPath);
      },
      isMisspelled: (word) => floor.isMisspelled(word),
      suggest: null,
    };
  },
  // The backend behind a plain Node-API call (bench/spell_inside.cc).
  async inside() {
    const inside = require(options.insidePath);
    const load = (kind) => {
      if (!inside.load(options.tag, options.dictionaryDir, kind)) {
        throw new Error(`no ${options.tag}`);
      }
    };
    return {
      load: () => load('cached'),
      isMisspelled: (word) => inside.isMisspelled(word),
      suggest: null,
      // The same words in a tight C++ loop, each kind after a fresh load and the same warm-up:
      // the backend, the backend without its cache, and Hunspell called directly. Returns the
      // time of each and the number rejected, which must agree.
      tightLoop(words, warmup) {
        for (const word of words) inside.keep(word);
        const loop = (kind) => {
          load(kind);
          for (const word of warmup) inside.isMisspelled(word);
          const start = now();
          const rejected = inside.checkKept();
          return {ns: Number(now() - start), rejected};
        };
        return {cached: loop('cached'), uncached: loop('uncached'), direct: loop('direct')};
      },
    };
  },
  async nspell() {
    const nspell = require('nspell');
    const files = dictionaryFiles();
    let checker;
    return {
      load() {
        checker = nspell({aff: fs.readFileSync(files.aff), dic: fs.readFileSync(files.dic)});
      },
      isMisspelled: (word) => !checker.correct(word),
      suggest: (word) => checker.suggest(word),
    };
  },
  async 'typo-js'() {
    const Typo = require('typo-js');
    const files = dictionaryFiles();
    let checker;
    return {
      load() {
        checker = new Typo(
            options.tag, fs.readFileSync(files.aff, 'utf8'), fs.readFileSync(files.dic, 'utf8'));
      },
      isMisspelled: (word) => !checker.check(word),
      suggest: (word) => checker.suggest(word),
    };
  },
  async 'hunspell-asm'() {
    const {loadModule} = require('hunspell-asm');
    const factory = await loadModule();
    const files = dictionaryFiles();
    let checker;
    return {
      load() {
        const aff = factory.mountBuffer(fs.readFileSync(files.aff), `${options.tag}.aff`);
        const dic = factory.mountBuffer(fs.readFileSync(files.dic), `${options.tag}.dic`);
        checker = factory.create(aff, dic);
      },
      isMisspelled: (word) => !checker.spell(word),
      suggest: (word) => checker.suggest(word),
    };
  },
};

function rss() {
  globalThis.gc?.();
  return process.memoryUsage().rss;
}

// Process CPU time in nanoseconds: on a shared machine it leaves out the time spent waiting for a
// core, and for the JavaScript engines it includes their garbage collector and compiler threads.
// BENCH_CLOCK=wall measures elapsed time instead.
const now = process.env.BENCH_CLOCK === 'wall' ? () => Number(process.hrtime.bigint()) : () => {
  const usage = process.cpuUsage();
  return (usage.user + usage.system) * 1000;
};

// A page's first sight of a text: a fresh engine loads the dictionary and checks every distinct
// word once, with nothing before them. pass "perCall" times each call as well; its clock reads
// stay out of the "first" figure, which is measured in a process of its own.
function firstSight(engine, words, perCall) {
  engine.prepare?.();
  engine.load();
  const callNs = [];
  const verdicts = new Uint8Array(words.length);
  const start = now();
  for (let i = 0; i < words.length; i++) {
    const callStart = perCall ? now() : 0;
    verdicts[i] = engine.isMisspelled(words[i]) ? 1 : 0;
    if (perCall) callNs.push(now() - callStart);
  }
  const ns = now() - start;
  return {firstNsPerWord: ns / words.length, callNs, verdicts: verdicts.join('')};
}

async function main() {
  const make = engines[engineName];
  if (!make) throw new Error(`unknown engine ${engineName}`);
  if (options.pass) {
    const words = readWords(corpusDir, 'distinct');
    const result = firstSight(await make(), words, options.pass === 'perCall');
    process.stdout.write(JSON.stringify({engine: engineName, ...result}) + '\n');
    return;
  }
  const running = readWords(corpusDir, 'running');
  const distinct = readWords(corpusDir, 'distinct');
  const suggestWords = readWords(corpusDir, 'suggest');
  const warmup = readWords(corpusDir, 'warmup');
  const engine = await make();

  const rssBeforePrepare = rss();
  let start = now();
  engine.prepare?.();
  const prepareNs = Number(now() - start);
  const rssBefore = rss();
  start = now();
  engine.load();
  const loadNs = Number(now() - start);
  const rssAfter = rss();

  for (const word of warmup) engine.isMisspelled(word);
  engine.suggest?.(warmup[0]);

  let misspelled = 0;
  start = now();
  for (const word of running) {
    if (engine.isMisspelled(word)) misspelled++;
  }
  const runningNs = Number(now() - start);
  // The same text again, as a page rechecks it.
  let again = 0;
  start = now();
  for (const word of running) {
    if (engine.isMisspelled(word)) again++;
  }
  const againNs = Number(now() - start);
  if (again !== misspelled) throw new Error('the second pass over the text gave other verdicts');

  // Every engine starts the distinct words afresh, with warm code but no data from the text.
  engine.load();
  for (const word of warmup) engine.isMisspelled(word);
  globalThis.gc?.();
  const verdicts = new Uint8Array(distinct.length);
  start = now();
  for (let i = 0; i < distinct.length; i++) verdicts[i] = engine.isMisspelled(distinct[i]) ? 1 : 0;
  const distinctNs = Number(now() - start);

  if (!engine.suggest) {
    let split = {};
    if (engine.tightLoop) {
      const tight = engine.tightLoop(distinct, warmup);
      const rejected = verdicts.reduce((a, b) => a + b, 0);
      for (const [kind, loop] of Object.entries(tight)) {
        if (loop.rejected !== rejected) {
          throw new Error(`the ${kind} tight loop gave other verdicts`);
        }
      }
      split = {
        tightNsPerWord: tight.cached.ns / distinct.length,
        tightUncachedNsPerWord: tight.uncached.ns / distinct.length,
        tightDirectNsPerWord: tight.direct.ns / distinct.length,
      };
    }
    process.stdout.write(JSON.stringify({
      ...split,
      engine: engineName,
      runningNsPerWord: runningNs / running.length,
      againNsPerWord: againNs / running.length,
      distinctNsPerWord: distinctNs / distinct.length,
    }) + '\n');
    return;
  }

  // Suggestion times per word; an engine that runs over the budget stops early, and the report
  // compares it with the baseline over the words it did.
  const budgetNs = (options.suggestBudgetMs ?? 20000) * 1e6;
  // The first 20 words are asked about twice in a row, as a context menu opened again does.
  const suggestMs = [];
  let repeatNs = 0;
  let repeats = 0;
  const suggestStart = now();
  for (const word of suggestWords) {
    start = now();
    engine.suggest(word);
    suggestMs.push(Number(now() - start) / 1e6);
    if (repeats < 20) {
      start = now();
      engine.suggest(word);
      repeatNs += Number(now() - start);
      repeats++;
    }
    if (Number(now() - suggestStart) > budgetNs) break;
  }
  const suggestRepeatMs = repeatNs / 1e6 / Math.max(1, repeats);

  process.stdout.write(JSON.stringify({
    engine: engineName,
    prepareMs: prepareNs / 1e6,
    prepareKiB: (rssBefore - rssBeforePrepare) / 1024,
    loadMs: loadNs / 1e6,
    rssKiB: (rssAfter - rssBefore) / 1024,
    runningNsPerWord: runningNs / running.length,
    againNsPerWord: againNs / running.length,
    runningMisspelled: misspelled,
    distinctNsPerWord: distinctNs / distinct.length,
    suggestMs,
    suggestRepeatMs,
    verdicts: verdicts.join(''),
  }) + '\n');
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
