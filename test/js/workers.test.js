'use strict';
// The module in worker threads: loaded by several at once, torn down with live instances, and
// constructions racing across threads.
//
// COM is started by the first live system backend of the process, on its own thread, so while
// one thread holds a system backend the others' plain constructions fall back to Hunspell.

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const {spawnSync} = require('node:child_process');
const {isolateEnchant, root, systemService} = require('./support');

isolateEnchant();

function runScenario(name) {
  const script = path.join(__dirname, 'children', 'workers.js');
  const result = spawnSync(process.execPath, [script, name], {
    cwd: root,
    encoding: 'utf8',
    timeout: 300_000,
  });
  assert.equal(result.signal, null, result.stderr);
  assert.equal(result.status, 0, result.stderr);
  // A crash report, a leak report or a warning from the host would land here.
  assert.equal(result.stderr, '');
  return JSON.parse(result.stdout);
}

// [isHunspell, setDictionary, isMisspelled('hello'), isMisspelled('helo'), first correction]
const hunspellAnswers = [true, true, false, true, 'hello'];
// [isHunspell, setDictionary('en-US'), hello, helo, corrections include 'hello']
const systemAnswers = [false, true, false, true, true];
// A plain construction that fell back to Hunspell, with no en_US in the current directory.
const fallbackAnswers = [true, false, false, false, false];
// These need a usable system backend in every worker.
const needsService = !systemService && 'no spell-checking service under wine';

test('several workers load the module at once, each with its own class', () => {
  const {results, main, mainOwner} = runScenario('parallel');
  assert.equal(results.length, 4);
  for (const result of results) {
    assert.equal(result.keys[0], 'Spellchecker');
    // The mark each worker put on its own prototype, seen by its own instances only.
    assert.equal(result.owner, result.id);
    assert.deepEqual(result.hunspell, hunspellAnswers);
    const system = JSON.stringify(result.system);
    assert.ok(
        [systemAnswers, fallbackAnswers].map((answers) => JSON.stringify(answers)).includes(system),
        system);
  }
  assert.deepEqual(main.hunspell, hunspellAnswers);
  assert.equal(mainOwner, undefined);
});

test('workers one after another each get the system backend', {skip: needsService}, () => {
  const {results} = runScenario('serial');
  assert.deepEqual(results, Array(3).fill({hunspell: hunspellAnswers, system: systemAnswers}));
});

test(
    'workers terminated with live instances end cleanly and release their backends',
    {skip: needsService}, () => {
      const {codes, before, after} = runScenario('terminate');
      assert.deepEqual(codes, Array(9).fill(1));
      assert.equal(before, true);
      // The main thread gets the system backend only if every worker's system backend is gone.
      assert.deepEqual(after, {hunspell: hunspellAnswers, system: systemAnswers});
    });

test(
    'constructions racing on several threads each get the backend they asked for',
    {skip: needsService}, () => {
      const {anchored, preferring, remover} = runScenario('race');
      assert.equal(anchored, true);
      assert.ok(remover.constructions > 0);
      assert.equal(preferring.wrong, 0);
      assert.equal(preferring.anchorStillSystem, true);
    });
