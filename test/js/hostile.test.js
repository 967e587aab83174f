'use strict';
// Hostile input from script: every non-string value, lone surrogates and NULs, strings of 64 MiB,
// receivers that are not instances, subclasses and detached methods. Each gets a defined answer
// or a clear Error, never a crash, and the instances go on working.

const test = require('node:test');
const {fixtures, loadInPage} = require('./support');
const {groups, makeBackends} = require('./hostile_cases');

const {Spellchecker} = loadInPage();
// Memory checkers run the suite many times slower; they pass a smaller size.
const hugeMiB = Number(process.env.SPELLCHECKER_HOSTILE_MIB || 64);
const backends = makeBackends(Spellchecker, fixtures);

for (const [name, run] of Object.entries(groups)) {
  test(name, () => run(backends, {Spellchecker, fixtures, hugeMiB}));
}
