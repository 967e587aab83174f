'use strict';
// Run inside a minimal Debian root that has no Hunspell, Enchant or GLib library: the module
// must load, fall back to Hunspell for a plain construction, check words with a dictionary
// from a directory, and let the shell functions do nothing. Usage: node check.js MODULE DICTDIR
const assert = require('node:assert/strict');
const fs = require('node:fs');

const [modulePath, dictionaries] = process.argv.slice(2);
for (const library of ['libhunspell', 'libenchant', 'libglib', 'libgio']) {
  const found = fs.readdirSync('/usr/lib/x86_64-linux-gnu').filter((f) => f.startsWith(library));
  assert.deepEqual(found, [], `this root must not have ${library}`);
}

// Node 22 has a navigator of its own; Node 20 needs one, as a page has.
if (!('navigator' in globalThis)) globalThis.navigator = {};
const {Spellchecker, openAs, openProperties} = require(modulePath);
const checker = new Spellchecker();
assert.equal(checker.isHunspell(), true, 'without Enchant the system service is unavailable');
assert.deepEqual(checker.getAvailableDictionaries(), []);
assert.equal(checker.setDictionary('en-US', dictionaries), true);
assert.equal(checker.isMisspelled('helo'), true);
assert.equal(checker.isMisspelled('hello'), false);
assert.ok(checker.getCorrectionsForMisspelling('helo').includes('hello'));
assert.equal(openAs('/'), undefined);
assert.equal(openProperties('/'), undefined);
console.log('minimal root: the module loaded and checked words with Hunspell alone');
