'use strict';
// The personal word list's store (lib/word_list.js): concurrent writers in separate processes,
// a writer killed while it holds the lock, and the file kept as the user has it (a symlink, its
// mode and owner, its byte order mark and line ends, a file that may not be written).

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {spawn} = require('node:child_process');
const {emulated, packageDir, windows} = require('./support');

const storeModule = path.join(packageDir, 'lib', 'word_list.js');
const {createWordListStore} = require(storeModule);
const writer = path.join(__dirname, 'children', 'word_list_writer.js');

// Directories inside one that is removed when the test file's process ends.
let root = null;
function temporaryDir() {
  if (root === null) {
    root = fs.mkdtempSync(path.join(os.tmpdir(), 'spellchecker-list-'));
    // The user nobody's writer reaches its files through it.
    fs.chmodSync(root, 0o755);
    process.on('exit', () => fs.rmSync(root, {recursive: true, force: true}));
  }
  return fs.mkdtempSync(path.join(root, 'case-'));
}

const add = (word) => (words) => words.includes(word) ? words : [...words, word];
const remove = (word) => (words) =>
    words.includes(word) ? words.filter((entry) => entry !== word) : words;

// Runs a writer child to its end; answers its exit and output.
function runWriter(file, changes, {startAt = 0, spawnOptions = {}, onStdout} = {}) {
  const child = spawn(
      process.execPath, [writer, storeModule, file, String(startAt), ...changes],
      {stdio: ['ignore', 'pipe', 'pipe'], ...spawnOptions});
  let stderr = '';
  child.stderr.on('data', (data) => stderr += data);
  child.stdout.on('data', (data) => onStdout?.(String(data), child));
  return new Promise((resolve) => child.on('exit', (status, signal) => {
    resolve({status, signal, stderr});
  }));
}

const range = (prefix, count) => Array.from({length: count}, (_, index) => `${prefix}${index}`);

test.describe('concurrent writers in separate processes', () => {
  const rows = [
    {
      name: '2 x 200 adds',
      initial: [],
      writers: [range('+first', 200), range('+second', 200)],
      expected: [...range('first', 200), ...range('second', 200)],
    },
    {
      name: 'adds and removes mixed, 3 writers',
      initial: range('old', 150),
      writers: [
        [...range('+one', 100), ...range('-old', 50)],
        [...range('+two', 100), ...range('-old', 100).slice(50)],
        [...range('+three', 100), ...range('-one', 50)],
      ],
      // Removing "one<n>" before its writer added it removes nothing; both orders are counted.
      expected: null,
    },
  ];
  for (const row of rows) {
    test(row.name, async (t) => {
      const dir = temporaryDir();
      const file = path.join(dir, 'words.txt');
      if (row.initial.length > 0) fs.writeFileSync(file, row.initial.map((w) => `${w}\n`).join(''));
      // Writers start together once all have had time to load.
      const startAt = Date.now() + (windows || emulated ? 5000 : 500);
      const results = await Promise.all(row.writers.map((changes) => runWriter(file, changes, {
                                                          startAt,
                                                        })));
      for (const result of results) assert.deepEqual([result.status, result.stderr], [0, '']);
      const words = createWordListStore(file).read().words;
      const set = new Set(words);
      assert.equal(set.size, words.length, 'each word once');
      if (row.expected !== null) {
        assert.deepEqual([...set].sort(), row.expected.slice().sort());
      } else {
        for (const word of range('old', 100)) assert.equal(set.has(word), false, word);
        for (const word
                 of [...range('old', 150).slice(100), ...range('two', 100),
                     ...range('three', 100)]) {
          assert.ok(set.has(word), word);
        }
        // A "one<n>" stays only where its removal came first.
        const ones = range('one', 100).filter((word) => set.has(word));
        assert.ok(range('one', 100).slice(50).every((word) => set.has(word)));
        assert.equal(words.length, 50 + 200 + ones.length);
        t.diagnostic(`${100 - ones.length} of the first 50 "one" words removed after their add`);
      }
      t.diagnostic(`${words.length} words kept`);
      assert.deepEqual(fs.readdirSync(dir), ['words.txt'], 'no temporary file, no lock left');
    });
  }

  test(
      'a writer killed while it holds the lock holds the next one up for a bounded time',
      async (t) => {
        const dir = temporaryDir();
        const file = path.join(dir, 'words.txt');
        fs.writeFileSync(file, 'kept\n');
        const killed = await runWriter(file, ['+lost', '!'], {
          onStdout: (data, child) => data.includes('locked') && child.kill('SIGKILL'),
        });
        assert.equal(killed.signal, 'SIGKILL', killed.stderr);
        assert.ok(fs.existsSync(`${file}.lock`), 'the killed writer left its lock');
        const started = Date.now();
        const next = await runWriter(file, ['+after']);
        assert.deepEqual([next.status, next.stderr], [0, '']);
        t.diagnostic(
            `the next writer waited ${Date.now() - started} ms (locks are stale after 2 s)`);
        assert.deepEqual(createWordListStore(file).read().words, ['kept', 'lost', 'after']);
        assert.deepEqual(fs.readdirSync(dir), ['words.txt']);
      });
});

test.describe('the file stays as the user has it', () => {
  test(
      'a symlink is written through to its target, and stays a link', {
        skip: windows && 'symlinks need a privilege on Windows',
      },
      () => {
        const dir = temporaryDir();
        const target = path.join(dir, 'dotfiles', 'words.txt');
        fs.mkdirSync(path.dirname(target));
        fs.writeFileSync(target, 'first\n');
        const link = path.join(dir, 'words.txt');
        fs.symlinkSync(path.join('dotfiles', 'words.txt'), link);
        const store = createWordListStore(link);
        store.change(add('second'));
        assert.equal(fs.lstatSync(link).isSymbolicLink(), true);
        assert.equal(fs.readFileSync(target, 'utf8'), 'first\nsecond\n');
        assert.equal(store.stamp(), store.read().stamp);
        // A dangling link gets its target made.
        const dangling = path.join(dir, 'dangling.txt');
        fs.symlinkSync('made.txt', dangling);
        createWordListStore(dangling).change(add('word'));
        assert.equal(fs.readFileSync(path.join(dir, 'made.txt'), 'utf8'), 'word\n');
        assert.equal(fs.lstatSync(dangling).isSymbolicLink(), true);
      });

  test('the mode, and the owner where this process may keep it', {skip: windows}, () => {
    const dir = temporaryDir();
    for (const mode of [0o600, 0o640, 0o444]) {
      const file = path.join(dir, `words-${mode.toString(8)}.txt`);
      fs.writeFileSync(file, 'first\n');
      fs.chmodSync(file, mode);
      if (process.getuid() === 0) fs.chownSync(file, 65534, 65534);
      // Root may write a read-only file; other users get the refusal tested below.
      if (mode === 0o444 && process.getuid() !== 0) continue;
      createWordListStore(file).change(add('second'));
      const stat = fs.statSync(file);
      assert.equal((stat.mode & 0o7777).toString(8), mode.toString(8));
      if (process.getuid() === 0) assert.deepEqual([stat.uid, stat.gid], [65534, 65534]);
      assert.equal(fs.readFileSync(file, 'utf8'), 'first\nsecond\n');
    }
  });

  const rows = [
    {name: 'a byte order mark and CRLF', before: '\uFEFFfirst\r\nsecond\r\n'},
    {name: 'CRLF', before: 'first\r\nsecond\r\n'},
    {name: 'a byte order mark', before: '\uFEFFfirst\nsecond\n'},
    {name: 'neither', before: 'first\nsecond\n'},
  ];
  for (const row of rows) {
    test(`the line ends and byte order mark: ${row.name}`, () => {
      const file = path.join(temporaryDir(), 'words.txt');
      fs.writeFileSync(file, row.before);
      const store = createWordListStore(file);
      store.change(add('third'));
      store.change(remove('first'));
      const eol = row.before.includes('\r\n') ? '\r\n' : '\n';
      const bom = row.before.startsWith('\uFEFF') ? '\uFEFF' : '';
      assert.equal(fs.readFileSync(file, 'utf8'), `${bom}second${eol}third${eol}`);
    });
  }

  test('a killed writer\'s temporary files never collide and are cleaned up', () => {
    const dir = temporaryDir();
    const file = path.join(dir, 'words.txt');
    fs.writeFileSync(file, 'first\n');
    // Names an older writer used (pid and count, the pid reused now) and the present kind.
    const leftovers = [`words.txt.${process.pid}-1.tmp`, 'words.txt.0123456789abcdef.tmp'];
    const unrelated = ['words.txt.notes.tmp', 'other.txt.0123456789abcdef.tmp'];
    for (const name of [...leftovers, ...unrelated]) fs.writeFileSync(path.join(dir, name), 'x');
    createWordListStore(file).change(add('second'));
    assert.equal(fs.readFileSync(file, 'utf8'), 'first\nsecond\n');
    assert.deepEqual(fs.readdirSync(dir).sort(), [...unrelated, 'words.txt'].sort());
  });

  // Root writes whatever the mode says, so the refusal is tried as the user "nobody".
  const asNobody = !windows && process.getuid() === 0;
  test(
      'a file this process may not write is refused and left as it is', {
        skip: !asNobody && 'needs root on Linux, to run a writer as the user nobody',
      },
      async () => {
        const dir = temporaryDir();
        // The folder would let nobody rename over the file.
        fs.chmodSync(dir, 0o777);
        const rows = [
          {name: 'read-only, owned by the writer', mode: 0o444, owner: 65534},
          {name: 'writable by its owner only, another user', mode: 0o644, owner: 0},
        ];
        for (const row of rows) {
          const file = path.join(dir, `words-${row.owner}-${row.mode.toString(8)}.txt`);
          fs.writeFileSync(file, 'first\n');
          fs.chmodSync(file, row.mode);
          fs.chownSync(file, row.owner, row.owner === 0 ? 0 : 65534);
          const before = fs.statSync(file);
          const result =
              await runWriter(file, ['+second'], {
                spawnOptions: {env: {...process.env, SPELLCHECKER_TEST_WRITER_USER: '65534:65534'}},
              });
          assert.equal(result.status, 1, row.name);
          assert.match(result.stderr, /ERR_SPELLCHECKER_WORD_LIST/, row.name);
          assert.match(result.stderr, /cannot be written \(EACCES\)/, row.name);
          const after = fs.statSync(file);
          assert.deepEqual(
              [after.ino, after.mode, after.mtimeMs], [before.ino, before.mode, before.mtimeMs],
              row.name);
          assert.equal(fs.readFileSync(file, 'utf8'), 'first\n');
        }
        assert.deepEqual(fs.readdirSync(dir).filter((name) => !name.startsWith('words-')), []);
      });
});
