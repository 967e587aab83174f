'use strict';
// Run inside a Debian root of the module's architecture. In a minimal root, which has no
// Hunspell, Enchant or GLib library, the module must load, fall back to Hunspell for a plain
// construction, check words with a dictionary from a directory, and let the shell functions do
// nothing. With `system`, in a root with Enchant and a Debian dictionary installed, a plain
// construction must get the system backend, which Enchant serves, and check words with it.
// Usage: node check.js MODULE DICTDIR [system]
const assert = require('node:assert/strict');
const fs = require('node:fs');

const [modulePath, dictionaries, mode] = process.argv.slice(2);
const system = mode === 'system';
const libraries = `/usr/lib/${{x64: 'x86_64', arm64: 'aarch64'}[process.arch]}-linux-gnu`;
const installed = (library) => fs.readdirSync(libraries).some((f) => f.startsWith(library));
for (const library of ['libhunspell', 'libenchant', 'libglib', 'libgio']) {
  if (!system) assert.equal(installed(library), false, `this root must not have ${library}`);
}
if (system) assert.equal(installed('libenchant-2'), true, 'this root must have Enchant 2');

// Node 22 has a navigator of its own; Node 20 needs one, as a page has.
if (!('navigator' in globalThis)) globalThis.navigator = {};
const {Spellchecker, openAs, openProperties} = require(modulePath);
const checker = new Spellchecker();
if (system) {
  assert.equal(checker.isHunspell(), false, 'with Enchant the system service serves');
  assert.ok(checker.getAvailableDictionaries().includes('en-US'));
  assert.equal(checker.setDictionary('en-US'), true);
} else {
  assert.equal(checker.isHunspell(), true, 'without Enchant the system service is unavailable');
  assert.deepEqual(checker.getAvailableDictionaries(), []);
  assert.equal(checker.setDictionary('en-US', dictionaries), true);
  assert.equal(openAs('/'), undefined);
  assert.equal(openProperties('/'), undefined);
}
assert.equal(checker.isMisspelled('helo'), true);
assert.equal(checker.isMisspelled('hello'), false);
assert.ok(checker.getCorrectionsForMisspelling('helo').includes('hello'));
console.log(
    `${process.arch} root: the module loaded and checked words with ` +
    (system ? 'the system backend (Enchant)' : 'Hunspell alone'));
