'use strict';
// Workers terminated while inside calls into the module. A call that fails because its
// environment is going away cannot throw into script; it once escaped as a C++ exception and
// aborted the whole process.

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const test = require('node:test');
const assert = require('node:assert/strict');
const {fixtures, packageDir, runNode} = require('./support');

// Each worker reports ready from inside its loop of calls, then is terminated: a page reload
// tears down the environment of a page's instances the same way.
const callsLoop = `
  const hunspell = new Spellchecker(true);
  hunspell.setDictionary('en-JS', fixtures);
  const system = new Spellchecker();
  system.setDictionary('en-US');
  for (let i = 0; ; i++) {
    for (const checker of [hunspell, system]) {
      checker.isMisspelled('helo' + i);
      checker.getCorrectionsForMisspelling('helo');
      checker.add('word' + i);
      checker.getAvailableDictionaries();
    }
    if (i === 20) ready();
  }
`;
// Loads alternate between a large word list and a small one on each backend, so that loading is
// nearly all the loop does: the environment goes away while the worker's thread is inside a load.
const loadsLoop = `
  const hunspell = new Spellchecker(true);
  const system = new Spellchecker();
  ready();
  for (let i = 0; ; i++) {
    hunspell.setDictionary(i % 2 ? 'en-JS' : 'xx-LARGE', i % 2 ? fixtures : large);
    system.setDictionary(i % 2 ? 'en-US' : 'pl-PL');
  }
`;

function script(loop, large) {
  const body = `
    const { parentPort } = require('node:worker_threads');
    if (!('navigator' in globalThis)) globalThis.navigator = {};
    const { Spellchecker } = require(${JSON.stringify(packageDir)});
    const fixtures = ${JSON.stringify(fixtures)};
    const large = ${JSON.stringify(large)};
    let sent = false;
    const ready = () => { if (!sent) parentPort.postMessage('ready'); sent = true; };
    ${loop}
  `;
  return `
    const { Worker } = require('node:worker_threads');
    (async () => {
      let exits = 0;
      for (let round = 0; round < 4; round++) {
        await Promise.all(Array.from({ length: 10 }, () => new Promise((resolve, reject) => {
          const worker = new Worker(${JSON.stringify(body)}, { eval: true });
          worker.on('message', () => worker.terminate());
          worker.on('error', reject);
          worker.on('exit', (code) => { exits += code === 1; resolve(); });
        })));
      }
      console.log(exits);
    })();
  `;
}

// A dictionary of 200,000 words, whose load takes long against a message between threads.
function largeDictionary() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellchecker-large-'));
  fs.writeFileSync(path.join(dir, 'xx_LARGE.aff'), 'SET UTF-8\nTRY abcdefghijklmnopqrstuvwxyz\n');
  const words = Array.from({length: 200_000}, (_, i) => `w${i.toString(36)}ord`);
  fs.writeFileSync(path.join(dir, 'xx_LARGE.dic'), `${words.length}\n${words.join('\n')}\n`);
  return dir;
}

const rows = [
  {name: 'in the middle of calls', loop: callsLoop},
  {name: 'in the middle of a dictionary load', loop: loadsLoop},
];
for (const row of rows) {
  test(`workers terminated ${row.name} end cleanly, the process survives`, () => {
    const large = largeDictionary();
    try {
      const result = runNode(script(row.loop, large));
      assert.equal(result.signal, null, result.stderr);
      assert.equal(result.status, 0, result.stderr);
      assert.equal(result.stdout.trim(), '40');
    } finally {
      fs.rmSync(large, {recursive: true, force: true});
    }
  });
}
