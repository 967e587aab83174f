'use strict';
// A writer of one personal word list for the concurrency tests. Arguments: the store module,
// the list file, the moment (Date.now()) to start at, so that writers overlap, and the changes:
// "+word" adds, "-word" removes, "!" takes the lock, says "locked" and holds it until killed.

const fs = require('node:fs');

const [storeModule, file, startAt, ...changes] = process.argv.slice(2);
const {createWordListStore} = require(storeModule);
const store = createWordListStore(file, {staleMilliseconds: 2000});
while (Date.now() < Number(startAt)) {
}
for (const change of changes) {
  const word = change.slice(1);
  store.change((words) => {
    if (change === '!') {
      fs.writeSync(1, 'locked\n');
      for (;;) {
      }
    }
    if (change[0] === '+') return words.includes(word) ? words : [...words, word];
    return words.includes(word) ? words.filter((entry) => entry !== word) : words;
  });
}
