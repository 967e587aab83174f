#!/usr/bin/env node
'use strict';
// Soak and load run of the real module (a script to run by hand, not a timed test):
//   objects  constructs and drops Spellchecker objects of each backend, calling every method
//            with generated words, in rounds of 250 (one loading a large dictionary) with a
//            collection every 125; after a warm-up of 1,000, the median round's growth of the
//            resident set after collection must stay under 2 KiB per object
//   workers  starts worker threads that each load the module and use both backends, and
//            terminates them while their instances are alive and busy, in rounds; the
//            resident set after the last round must not grow past that after the first
//   hostile  the hostile-input cases of test/js/hostile_cases.js, in rounds
// Usage: node --expose-gc test/soak/soak.js [--short] [--objects=N] [--workers=N]
//          [--rounds=N] [--only=objects,workers,hostile] [--kinds=hunspell,system]
// --short is the CI version. The figures are printed; the exit status says whether they held.

const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {spawnSync} = require('node:child_process');
const {Worker, isMainThread, parentPort, workerData} = require('node:worker_threads');

const root = path.resolve(__dirname, '..', '..');
const fixtures = path.join(root, 'test', 'fixtures', 'js');
const systemDictionaries = '/usr/share/hunspell';
const MiB = 1024 * 1024;

function loadInPage() {
  if (!('navigator' in globalThis)) globalThis.navigator = {};
  return require(root);
}

// Deterministic words: letters of several scripts, with now and then an apostrophe, a NUL, a
// lone surrogate or a character outside the Basic Multilingual Plane.
function makeWords(seed) {
  let state = seed >>> 0 || 1;
  const next = () => {
    state ^= state << 13;
    state ^= state >>> 17;
    state ^= state << 5;
    return (state >>> 0) / 4294967296;
  };
  const alphabet = [...'abcdefghijklmnopqrstuvwxyzéïłżń'];
  const oddities = ['\'', '\0', '\uD800', '\u{1F600}', '-', ' ', 'ß'];
  return () => {
    const length = 1 + Math.floor(next() * 12);
    let word = '';
    for (let i = 0; i < length; i++) {
      word += next() < 0.03 ? oddities[Math.floor(next() * oddities.length)] :
                              alphabet[Math.floor(next() * alphabet.length)];
    }
    return next() < 0.2 ? 'hello' : word;
  };
}

// Uses every method of one instance.
function exercise(checker, word, added, dictionary) {
  checker.isHunspell();
  checker.setDictionary(dictionary.tag, dictionary.dir);
  checker.isMisspelled(word);
  checker.getCorrectionsForMisspelling(word);
  checker.add(added);
  checker.isMisspelled(added);
  checker.remove(added);
  checker.getAvailableDictionaries();
  checker.getAvailableDictionaries(dictionary.dir, dictionary.dir);
}

// Finalizers may run a turn of the event loop after the collection that found their objects.
async function collect() {
  for (let i = 0; i < 4; i++) {
    globalThis.gc();
    await new Promise(setImmediate);
  }
}

const rss = () => process.memoryUsage.rss();
const mib = (bytes) => (bytes / MiB).toFixed(1);

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};

// Each round of 250 objects does the same work, one large dictionary load included. A leak
// grows the resident set in every round; the allocator and the collector keep or return
// memory in steps that land in a few rounds (a freed block the heap cannot give back, a
// page of the collector's). So the check is on the median round's growth, not on the total.
async function soakObjects(Spellchecker, count, limitBytes, only) {
  const round = 250;
  const warmUp = 1000;
  const kinds = [
    {
      name: 'hunspell',
      make: () => new Spellchecker(true),
      dictionary: (i) => i % round === round - 1 ? {tag: 'en-US', dir: systemDictionaries} :
                                                   {tag: 'en-JS', dir: fixtures},
    },
    {name: 'system', make: () => new Spellchecker(), dictionary: () => ({tag: 'en-US', dir: '.'})},
  ];
  let ok = true;
  for (const kind of kinds.filter(({name}) => only.includes(name))) {
    const probe = kind.make();
    if (kind.name === 'system' && probe.isHunspell()) {
      console.log('objects system: the system service is not usable here; skipped');
      continue;
    }
    const word = makeWords(kind.name.length);
    // Added words persist in the system service's personal word list, which every new
    // instance loads; a bounded set keeps that list, and so each instance, the same size.
    const pool = Array.from({length: 64}, makeWords(7));
    // The resident set after collection at the end of the warm-up and of each later round.
    const samples = [];
    const started = Date.now();
    for (let i = 0; i < count; i++) {
      exercise(kind.make(), word(), pool[i % pool.length], kind.dictionary(i));
      // The collector does not see the native memory behind each instance (a loaded
      // dictionary), so it is forced often enough to bound what is alive at once.
      if ((i + 1) % (round / 2) === 0) await collect();
      if ((i + 1) % round === 0 && i + 1 >= warmUp) samples.push([i + 1, rss()]);
    }
    const growths = samples.slice(1).map(([, value], k) => (value - samples[k][1]) / round);
    const perObject = median(growths);
    const shown = samples.filter(([n]) => n % Math.max(warmUp, count / 10) === 0);
    console.log(
        `objects ${kind.name}: ${count} in ${((Date.now() - started) / 1000).toFixed(1)} s; ` +
            `RSS after collection ${shown.map(([n, v]) => `${n}: ${mib(v)}`).join(', ')} MiB; ` +
            `growth per object in the ${growths.length} rounds of ${round} after ${warmUp}: ` +
            `median ${(perObject / 1024).toFixed(2)} KiB (limit ${limitBytes / 1024}), ` +
            `largest ${(Math.max(...growths) / 1024).toFixed(2)}`,
    );
    if (!(perObject <= limitBytes)) ok = false;
  }
  return ok;
}

async function soakWorkers(count, rounds, limitMiB) {
  const samples = [];
  let crashed = 0;
  const started = Date.now();
  for (let round = 0; round < rounds; round++) {
    const exits = await Promise.all(
        Array.from(
            {length: count},
            (_, id) => new Promise((resolve) => {
              const worker = new Worker(__filename, {workerData: {id}});
              let settled = false;
              const finish = (code) => {
                if (!settled) resolve(code);
                settled = true;
              };
              worker.on('message', (message) => {
                // Terminated while its instances are alive and it is inside a loop of calls.
                if (message === 'ready') worker.terminate();
              });
              worker.on('error', (error) => {
                console.error(`worker ${id}: ${error.stack}`);
                finish('error');
              });
              worker.on('exit', finish);
            }),
            ),
    );
    crashed += exits.filter((code) => code !== 1).length;
    await collect();
    samples.push(rss());
  }
  // The first half of the rounds warms up the allocator's per-thread arenas, which keep what
  // 200 threads freed; a leak would go on growing through the second half.
  const settled = Math.floor((rounds - 1) / 2);
  const growth = (samples[samples.length - 1] - samples[settled]) / MiB;
  console.log(
      `workers: ${rounds} rounds of ${count} in ${((Date.now() - started) / 1000).toFixed(1)} s; ` +
          `RSS after each round ${samples.map(mib).join(', ')} MiB; growth since round ` +
          `${settled + 1} ${growth.toFixed(1)} MiB (limit ${limitMiB}); abnormal exits ${crashed}`,
  );
  return crashed === 0 && growth <= limitMiB;
}

// A worker: loads the module, makes instances of both backends, reports ready and keeps
// calling them until it is terminated.
function workerMain() {
  const {Spellchecker} = loadInPage();
  const word = makeWords(workerData.id + 1);
  const hunspell = new Spellchecker(true);
  hunspell.setDictionary('en-JS', fixtures);
  const system = new Spellchecker();
  system.setDictionary('en-US');
  const spare = [new Spellchecker(true), new Spellchecker()];
  parentPort.postMessage('ready');
  for (;;) {
    exercise(hunspell, word(), 'frobnicate', {tag: 'en-JS', dir: fixtures});
    exercise(system, word(), 'frobnicate', {tag: 'en-US', dir: '.'});
    spare.length;
  }
}

function soakHostile(Spellchecker, rounds, hugeMiB) {
  const {groups, makeBackends} = require(path.join(root, 'test', 'js', 'hostile_cases.js'));
  const backends = makeBackends(Spellchecker, fixtures);
  const started = Date.now();
  for (let round = 0; round < rounds; round++) {
    for (const [, run] of Object.entries(groups)) {
      run(backends, {Spellchecker, fixtures, hugeMiB});
    }
  }
  console.log(
      `hostile: ${rounds} rounds of ${Object.keys(groups).length} groups (${
          hugeMiB} MiB strings) ` +
          `on ${backends.map((b) => b.name).join(' and ')} in ${
              ((Date.now() - started) / 1000).toFixed(1)} s`,
  );
  return true;
}

// Enchant, behind the system backend, reads its configuration from here, not the user's.
function isolateEnchant() {
  if (process.env.SPELLCHECKER_TEST_ENCHANT_DIR) return;
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellchecker-soak-'));
  fs.writeFileSync(path.join(dir, 'enchant.ordering'), '*:hunspell\n');
  process.env.ENCHANT_CONFIG_DIR = dir;
  process.env.SPELLCHECKER_TEST_ENCHANT_DIR = dir;
  process.on('exit', () => fs.rmSync(dir, {recursive: true, force: true}));
}

function parseOptions(argv) {
  const options = {short: false, only: ['objects', 'workers', 'hostile']};
  for (const arg of argv) {
    const [key, value] = arg.replace(/^--/, '').split('=');
    if (key === 'short')
      options.short = true;
    else if (key === 'only')
      options.only = value.split(',');
    else if (key === 'kinds')
      options.kinds = value.split(',');
    else if (['objects', 'workers', 'rounds'].includes(key))
      options[key] = Number(value);
    else
      throw new Error(`unknown option ${arg}`);
  }
  return {
    short: options.short,
    only: options.only,
    objects: options.objects ?? (options.short ? 2000 : 100_000),
    kinds: options.kinds ?? ['hunspell', 'system'],
    workers: options.workers ?? (options.short ? 20 : 200),
    rounds: options.rounds ?? (options.short ? 2 : 6),
    hostileRounds: options.short ? 1 : 5,
    hugeMiB: options.short ? 8 : 64,
  };
}

async function main() {
  if (typeof globalThis.gc !== 'function') {
    // Re-run with collection exposed rather than measure without it.
    const result =
        spawnSync(process.execPath, ['--expose-gc', __filename, ...process.argv.slice(2)], {
          stdio: 'inherit',
        });
    process.exit(result.status ?? 1);
  }
  isolateEnchant();
  const options = parseOptions(process.argv.slice(2));
  const {Spellchecker} = loadInPage();
  console.log(
      `soak (${options.short ? 'short' : 'full'}): node ${process.version}, ${
          os.cpus().length} cores`,
  );
  const results = [];
  if (options.only.includes('objects'))
    results.push(await soakObjects(Spellchecker, options.objects, 2048, options.kinds));
  if (options.only.includes('workers')) {
    results.push(await soakWorkers(options.workers, options.rounds, options.short ? 48 : 32));
  }
  if (options.only.includes('hostile')) {
    results.push(soakHostile(Spellchecker, options.hostileRounds, options.hugeMiB));
  }
  const ok = results.every(Boolean);
  console.log(ok ? 'soak: passed' : 'soak: FAILED');
  process.exit(ok ? 0 : 1);
}

if (isMainThread) {
  main().catch((error) => {
    console.error(error);
    process.exit(1);
  });
} else {
  workerMain();
}
