'use strict';
// SPELLCHECKER_PREFER_HUNSPELL: every construction sets it (any argument) or removes it (none),
// process-wide and for good, and the backend follows it.

const test = require('node:test');
const assert = require('node:assert/strict');
const {loadInPage, packageDir, runNode, systemService} = require('./support');

const {Spellchecker} = loadInPage();
const variable = 'SPELLCHECKER_PREFER_HUNSPELL';

test.describe('construction with an argument', () => {
  for (const [label, argument] of [
           ['false', false],
           ['0', 0],
           ['undefined', undefined],
           ['null', null],
           ['an empty string', ''],
           ['an object', {}],
  ]) {
    test(`${label} sets the variable to "true" and picks Hunspell`, () => {
      delete process.env[variable];
      const checker = new Spellchecker(argument);
      assert.equal(process.env[variable], 'true');
      assert.equal(checker.isHunspell(), true);
    });
  }

  test('several arguments count as one', () => {
    delete process.env[variable];
    assert.equal(new Spellchecker(undefined, undefined).isHunspell(), true);
    assert.equal(process.env[variable], 'true');
  });
});

test.describe('construction without arguments', () => {
  for (const before of ['true', 'false', '', '0', undefined]) {
    test(`removes the variable when it held ${JSON.stringify(before)}`, () => {
      if (before === undefined)
        delete process.env[variable];
      else
        process.env[variable] = before;
      const checker = new Spellchecker();
      assert.equal(Object.hasOwn(process.env, variable), false);
      assert.equal(process.env[variable], undefined);
      // Enchant serves the system backend on Linux; wine has no service, so Hunspell.
      assert.equal(checker.isHunspell(), !systemService);
    });
  }

  test('the change stays after construction and later instances reset it', () => {
    const first = new Spellchecker(1);
    assert.equal(process.env[variable], 'true');
    const second = new Spellchecker();
    assert.equal(process.env[variable], undefined);
    // Each instance keeps the backend chosen when it was made.
    assert.deepEqual([first.isHunspell(), second.isHunspell()], [true, !systemService]);
  });
});

test('a variable present at start-up is removed by the first plain construction', () => {
  for (const value of ['', 'false', 'true']) {
    const result = runNode(
        `globalThis.navigator = {};
       const { Spellchecker } = require(${JSON.stringify(packageDir)});
       const checker = new Spellchecker();
       console.log(JSON.stringify([process.env.${variable}, checker.isHunspell()]));`,
        {env: {[variable]: value}},
    );
    assert.equal(result.status, 0, result.stderr);
    assert.equal(
        result.stdout.trim(), `[null,${!systemService}]`, `started with ${JSON.stringify(value)}`);
  }
});
