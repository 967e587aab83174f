'use strict';
// Workers terminated while inside calls into the module. A call that fails because its
// environment is going away cannot throw into script; it once escaped as a C++ exception and
// aborted the whole process.

const test = require('node:test');
const assert = require('node:assert/strict');
const {fixtures, packageDir, runNode} = require('./support');

// Each worker reports ready from inside a loop of calls on both backends, then is terminated.
const script = `
const { Worker } = require('node:worker_threads');
const body = ${JSON.stringify(`
  const { parentPort } = require('node:worker_threads');
  if (!('navigator' in globalThis)) globalThis.navigator = {};
  const { Spellchecker } = require(${JSON.stringify(packageDir)});
  const hunspell = new Spellchecker(true);
  hunspell.setDictionary('en-JS', ${JSON.stringify(fixtures)});
  const system = new Spellchecker();
  system.setDictionary('en-US');
  let sent = false;
  for (let i = 0; ; i++) {
    for (const checker of [hunspell, system]) {
      checker.isMisspelled('helo' + i);
      checker.getCorrectionsForMisspelling('helo');
      checker.add('word' + i);
      checker.getAvailableDictionaries();
    }
    if (!sent && i === 20) { parentPort.postMessage('ready'); sent = true; }
  }
`)};
(async () => {
  let exits = 0;
  for (let round = 0; round < 4; round++) {
    await Promise.all(Array.from({ length: 10 }, () => new Promise((resolve, reject) => {
      const worker = new Worker(body, { eval: true });
      worker.on('message', () => worker.terminate());
      worker.on('error', reject);
      worker.on('exit', (code) => { exits += code === 1; resolve(); });
    })));
  }
  console.log(exits);
})();
`;

test('workers terminated in the middle of calls end cleanly, the process survives', () => {
  const result = runNode(script);
  assert.equal(result.signal, null, result.stderr);
  assert.equal(result.status, 0, result.stderr);
  assert.equal(result.stdout.trim(), '40');
});
