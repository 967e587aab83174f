'use strict';
// A writer of one personal word list for the concurrency tests. Arguments: the store module,
// the list file, the moment (Date.now()) to start at, so that writers overlap, and the changes:
// "+word" adds, "-word" removes, "!" takes the lock, says "locked" and holds it until killed.

// With SPELLCHECKER_TEST_WRITER_USER ("uid:gid") it writes as that user. It starts as root and
// changes user only once the store and its lock library are loaded, so that the user needs no
// access to the package or the repository, only to the list's folder.

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const [storeModule, file, startAt, ...changes] = process.argv.slice(2);
const {createWordListStore} = require(storeModule);
const user = process.env.SPELLCHECKER_TEST_WRITER_USER;
if (user !== undefined) {
  // One change of a scratch list loads what the store loads with its first lock.
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'spellchecker-writer-'));
  createWordListStore(path.join(scratch, 'words.txt')).change((words) => [...words, 'scratch']);
  fs.rmSync(scratch, {recursive: true});
  const [uid, gid] = user.split(':').map(Number);
  process.setgroups([gid]);
  process.setgid(gid);
  process.setuid(uid);
}
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
