'use strict';
// Run by memory.test.js: node children/unreachable.js COUNT
// Makes COUNT Hunspell instances one after another, each loading en_US and then dropped, with
// no forced collection: only the collector's own heuristics free them. Prints the resident set
// before the first and its peak, as JSON.

const {packageDir} = require('../support');
if (!('navigator' in globalThis)) globalThis.navigator = {};
const {Spellchecker} = require(packageDir);

const count = Number(process.argv[2]);

(async () => {
  const before = process.memoryUsage.rss();
  let peak = before;
  for (let i = 0; i < count; i++) {
    const checker = new Spellchecker(true);
    checker.setDictionary('en_US', '/usr/share/hunspell');
    checker.isMisspelled('helo');
    peak = Math.max(peak, process.memoryUsage.rss());
    // A page yields between uses; finalizers may be deferred to the event loop.
    await new Promise(setImmediate);
  }
  console.log(JSON.stringify({before, peak}));
})();
