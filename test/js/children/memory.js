'use strict';
// Run by memory.test.js: node --expose-gc children/memory.js ROUNDS PER_ROUND
// Creates and drops instances of both backends with dictionaries loaded, collecting after each
// round, and prints the resident set size after every round as JSON.

const {packageDir} = require('../support');
if (!('navigator' in globalThis)) globalThis.navigator = {};
const {Spellchecker} = require(packageDir);

const [rounds, perRound] = process.argv.slice(2).map(Number);

// Finalizers may be deferred to the event loop, so collect across a few turns of it.
async function collect() {
  for (let i = 0; i < 4; i++) {
    globalThis.gc();
    await new Promise(setImmediate);
  }
}

function churn() {
  for (let i = 0; i < perRound; i++) {
    const hunspell = new Spellchecker(true);
    // A real dictionary, so that a leaked engine would show (several MiB each).
    hunspell.setDictionary('en-US', '/usr/share/hunspell');
    hunspell.add('frobnicate');
    hunspell.getCorrectionsForMisspelling('helo');
    const system = new Spellchecker();
    system.setDictionary('en-US');
    system.getCorrectionsForMisspelling('helo');
  }
}

(async () => {
  const rss = [];
  for (let round = 0; round < rounds; round++) {
    churn();
    await collect();
    rss.push(process.memoryUsage.rss());
  }
  console.log(JSON.stringify({rss}));
})();
