'use strict';
// The spell-check provider (native-spellchecker/provider) as an Electron page uses it, through a
// stand-in for webFrame that records what it is handed: languages together, checking in slices,
// the personal word list in its file, session ignores, and the misuse it refuses.

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {spawn} = require('node:child_process');
const {loadInPage, packageDir, systemDictionaries, systemService} = require('./support');

const {Spellchecker} = loadInPage();
const providerFile = path.join(packageDir, 'provider.js');
const {createSpellCheckProvider} = require(providerFile);
const libProviderFile = path.join(packageDir, 'lib', 'provider.js');
const {createProvider} = require(libProviderFile);
const dictionaries = systemDictionaries;

// Hunspell cuts a suggestion search short once 50 ms have passed (the least of its time limits),
// so two checkers give the same list only when no search took that long, which a loaded or
// emulated machine does not promise. Checkers made here time every search, through the
// provider's checker factory; suggestion lists are compared only while `slowest` stays under
// 50 ms. This is the one place that knows of Hunspell's clock.
const searches = {
  slowest: 0
};
function timedChecker(hunspell) {
  const checker = hunspell ? new Spellchecker(true) : new Spellchecker();
  const {getCorrectionsForMisspelling} = checker;
  checker.getCorrectionsForMisspelling = (word) => {
    const started = performance.now();
    try {
      return getCorrectionsForMisspelling.call(checker, word);
    } finally {
      searches.slowest = Math.max(searches.slowest, performance.now() - started);
    }
  };
  return checker;
}
const timedProvider = (options) => createProvider(options, {construct: timedChecker});
const searchesFast = () => searches.slowest < 50;

// A directory that is removed when the test file's process ends.
let temporaryRoot = null;
function temporaryDir() {
  if (temporaryRoot === null) {
    temporaryRoot = fs.mkdtempSync(path.join(os.tmpdir(), 'spellchecker-provider-'));
    process.on('exit', () => fs.rmSync(temporaryRoot, {recursive: true, force: true}));
  }
  return fs.mkdtempSync(path.join(temporaryRoot, 'case-'));
}

const sleep = (milliseconds) => new Promise((resolve) => setTimeout(resolve, milliseconds));

// Stands in for Electron's webFrame: keeps the provider it is given per language and asks it as
// the page's spelling service does, off the object, recording every callback.
function webFrame() {
  const providers = new Map();
  return {
    setSpellCheckProvider(language, provider) {
      providers.set(language, provider);
    },
    check(language, words) {
      const {spellCheck} = providers.get(language);
      const calls = [];
      return new Promise((resolve) => {
        spellCheck(words, (misspelled) => {
          calls.push(misspelled);
          // A second call would land in the turns after the first.
          setImmediate(() => setImmediate(() => resolve(calls)));
        });
      });
    },
  };
}

// A regular expression matching the text as it is.
const literally = (text) => text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');

// Each list's first entry, then each one's second, and so on, each once.
function interleaved(lists) {
  const seen = new Set();
  for (let rank = 0; rank < Math.max(...lists.map((list) => list.length)); ++rank) {
    for (const list of lists) {
      if (rank < list.length) seen.add(list[rank]);
    }
  }
  return [...seen];
}

test.describe('several languages', () => {
  const rows = [
    {
      name: 'English and German Hunspell dictionaries',
      options: {languages: ['en-US', 'de_DE'], dictionaries},
      languages: [['en-US', 'hunspell'], ['de-DE', 'hunspell']],
      accepted: ['hello', 'Haus', 'Straße', 'the', 'Häuser'],
      misspelled: ['helo', 'Hauss', 'wrold', 'Strase'],
    },
    {
      // Enchant on Linux; the test spelling service under wine.
      name: 'the system service',
      skip: !systemService && 'no spelling service under wine',
      options: {languages: ['en-US', 'pl-PL']},
      languages: [['en-US', 'system'], ['pl-PL', 'system']],
      accepted: ['hello', 'world', 'dzień', 'zażółć'],
      misspelled: ['neccessary', 'zazolc', 'wrold'],
    },
  ];
  for (const row of rows) {
    test(row.name, {skip: row.skip}, async (t) => {
      const provider = timedProvider(row.options);
      assert.deepEqual(
          provider.languages.map(({language, backend}) => [language, backend]), row.languages);
      const frame = webFrame();
      frame.setSpellCheckProvider('en-US', provider);
      const words = [...row.accepted, ...row.misspelled].reverse();
      assert.deepEqual(await frame.check('en-US', words), [row.misspelled.slice().reverse()]);

      // Suggestions: every language's, by rank, as each language's own checker orders them.
      const checkers = row.languages.map(([language, backend]) => {
        const checker = timedChecker(backend === 'hunspell');
        assert.equal(checker.setDictionary(language, dictionaries), true, language);
        return checker;
      });
      for (const word of row.misspelled) {
        searches.slowest = 0;
        const lists = checkers.map((checker) => checker.getCorrectionsForMisspelling(word));
        const suggested = provider.suggest(word);
        if (searchesFast()) {
          assert.deepEqual(suggested, interleaved(lists), word);
        } else {
          t.diagnostic(`suggestions for ${word} not compared: a search took ${
              searches.slowest.toFixed(0)} ms`);
        }
      }
      assert.ok(provider.suggest(row.misspelled[0]).length > 0);
      for (const word of row.accepted) assert.deepEqual(provider.suggest(word), [], word);

      // Personal words reach Hunspell, and never the system service, which would keep them.
      provider.add('frobnicatrix');
      assert.equal(provider.isMisspelled('frobnicatrix'), false);
      assert.equal(provider.isMisspelled('Frobnicatrix'), row.languages[0][1] === 'system');
      assert.equal(checkers[0].isMisspelled('frobnicatrix'), true);
    });
  }

  test('a language with no dictionary is named, and the others check', () => {
    const provider =
        createSpellCheckProvider({languages: ['xx-NONE', 'en-US', 'yy_NONE'], dictionaries});
    assert.deepEqual(provider.missing, ['xx-NONE', 'yy-NONE']);
    assert.deepEqual(provider.languages, [{language: 'en-US', backend: 'hunspell'}]);
    assert.equal(provider.isMisspelled('hello'), false);
    assert.equal(provider.isMisspelled('helo'), true);
    assert.deepEqual(createSpellCheckProvider({languages: ['en-US'], dictionaries}).missing, []);
  });

  test('no language with a dictionary throws, naming each and where they were looked for', () => {
    assert.throws(
        () => createSpellCheckProvider({languages: ['xx-NONE', 'yy-NONE'], dictionaries}), {
          name: 'Error',
          message: new RegExp(`no dictionary for xx-NONE, yy-NONE: .* for xx_NONE, yy_NONE in ${
              literally(path.resolve(dictionaries))}$`),
        });
  });
});

test.describe('checking in slices', () => {
  // The provider reads the clock through performance.now; here the clock moves only with the
  // work: each call into a checker advances it by one unit, so the slices are counted, not timed.
  const unit = 2 ** -6;  // of a millisecond, exact in binary
  const budget = 2;      // milliseconds: 128 units
  const vocabulary = {hello: false, Haus: false, the: false, helo: true, Hauss: true, wrold: true};
  const distinct = Object.keys(vocabulary);
  const batch = Array.from({length: 100_000}, (_, index) => distinct[index % distinct.length]);

  // A provider whose clock, given through its seams, moves only with the work: each call into a
  // checker advances it by one unit, so the slices are counted, not timed.
  function countingProvider(options) {
    let clock = 0;
    let slice = null;
    let slices = [];
    const construct = (hunspell) => {
      const checker = hunspell ? new Spellchecker(true) : new Spellchecker();
      const {isMisspelled} = checker;
      checker.isMisspelled = (word) => {
        ++clock;
        if (slice === null) {
          // Whatever runs before the microtasks is one task.
          slice = {calls: 0};
          slices.push(slice);
          queueMicrotask(() => slice = null);
        }
        ++slice.calls;
        return isMisspelled.call(checker, word);
      };
      return checker;
    };
    const provider = createProvider(options, {construct, now: () => clock * unit});
    return {
      provider,
      async countedSlices(run) {
        slices = [];
        return {answers: await run(), slices: slices.map(({calls}) => calls)};
      },
    };
  }

  const {provider, countedSlices} =
      countingProvider({languages: ['en-US', 'de-DE'], dictionaries, sliceMilliseconds: budget});

  test('100,000 words are answered in slices within the budget, with turns between', async () => {
    const frame = webFrame();
    frame.setSpellCheckProvider('en-US', provider);
    // Another callback waiting in the same queue, as the page's work would, gets a turn after
    // every slice.
    let turns = 0;
    let ticking = true;
    const tick = () => ticking && ++turns && setImmediate(tick);
    setImmediate(tick);
    const {answers, slices} = await countedSlices(() => Promise.all([
      frame.check('en-US', batch),
      frame.check('en-US', ['helo', 'hello']),
    ]));
    ticking = false;
    assert.deepEqual(answers, [[batch.filter((word) => vocabulary[word])], [['helo']]]);
    // A word may start just before the budget ends: two calls, one per language.
    const most = budget / unit + 2;
    assert.ok(slices.every((calls) => calls <= most), `a slice made ${Math.max(...slices)} calls`);
    // Each word costs a call per language asked: English first, German when English rejects it.
    const calls = slices.reduce((sum, calls) => sum + calls, 0);
    assert.ok(calls > batch.length, `${calls} calls`);
    assert.ok(slices.length >= calls / most, `${slices.length} slices`);
    assert.ok(turns >= slices.length - 1, `${turns} turns for ${slices.length} slices`);
  });

  test('a small batch is answered at once', async () => {
    let answer = null;
    const {slices} = await countedSlices(() => {
      provider.spellCheck(['wrold', 'the'], (misspelled) => answer = misspelled);
      assert.deepEqual(answer, ['wrold']);
    });
    assert.deepEqual(slices, [3]);
  });

  test('close answers a waiting batch once, with what was found before', async () => {
    const {provider: closing, countedSlices: counted} =
        countingProvider({languages: ['en-US'], dictionaries});
    const frame = webFrame();
    frame.setSpellCheckProvider('en-US', closing);
    const {answers: calls} = await counted(() => {
      const answered = frame.check('en-US', batch);
      closing.close();
      return answered;
    });
    assert.equal(calls.length, 1);
    assert.ok(calls[0].length < batch.length / 2, `${calls[0].length} words`);
    const after = [];
    closing.spellCheck(['helo'], (misspelled) => after.push(misspelled));
    assert.deepEqual(after, [[]]);
    assert.deepEqual(closing.languages, []);
    assert.throws(() => closing.add('word'), /closed/);
  });

  test(
      '1,000,000 words: spellCheck reads no more of the array than its first slice checks',
      async () => {
        const words = Array.from({length: 1_000_000}, (_, index) => distinct[index % 6]);
        // Every element read is counted, a copy or a check of the whole array included.
        let reads = 0;
        const counted = new Proxy(words, {
          get(target, key, receiver) {
            if (typeof key === 'string' && /^\d+$/.test(key)) ++reads;
            return Reflect.get(target, key, receiver);
          },
        });
        const frame = webFrame();
        frame.setSpellCheckProvider('en-US', provider);
        let readsInCall = null;
        const {answers, slices} = await countedSlices(() => {
          const answered = frame.check('en-US', counted);
          readsInCall = reads;
          return answered;
        });
        assert.ok(readsInCall <= budget / unit + 1, `${readsInCall} words read at once`);
        assert.equal(reads, words.length);
        assert.equal(answers.length, 1);
        assert.equal(answers[0].length, words.filter((word) => vocabulary[word]).length);
        assert.ok(slices.length > 1000, `${slices.length} slices`);
      });
});

test.describe('personal word list', () => {
  const open = (file) =>
      createSpellCheckProvider({languages: ['en-US'], dictionaries, personalWordList: file});

  test('two providers on one file share it, and a restart reads it back', async () => {
    const file = path.join(temporaryDir(), 'words.txt');
    const first = open(file);
    const second = open(file);
    assert.deepEqual(first.words(), []);
    assert.equal(fs.existsSync(file), false);
    first.add('frobnicatrix');
    second.add('quuxbar');
    second.add('Zażółćland');
    first.add('frobnicatrix');
    assert.equal(fs.readFileSync(file, 'utf8'), 'frobnicatrix\nquuxbar\nZażółćland\n');
    const frame = webFrame();
    frame.setSpellCheckProvider('en-US', first);
    // Hunspell takes the capitalised form of a lower-case word.
    assert.deepEqual(
        await frame.check('en-US', ['quuxbar', 'Quuxbar', 'Zażółćland', 'frobnicatrix', 'helo']),
        [['helo']]);
    second.remove('frobnicatrix');
    assert.equal(first.isMisspelled('frobnicatrix'), true);
    assert.deepEqual(first.words(), ['quuxbar', 'Zażółćland']);
    first.close();
    second.close();
    assert.deepEqual(open(file).words(), ['quuxbar', 'Zażółćland']);
  });

  test.describe(
      'a removed word leaves verdicts and suggestions as a fresh provider has them', () => {
        const options = {languages: ['en-US', 'de-DE'], dictionaries};
        // Each word's own forms and near misses; the suggestions are asked for the misses.
        const rows = [
          {words: ['hello'], probes: ['hello', 'Hello', 'HELLO'], misses: ['helo', 'hellp']},
          {words: ['Paris'], probes: ['Paris', 'PARIS', 'paris'], misses: ['Pariss', 'Parsi']},
          {words: ['world', 'Haus'], probes: ['world', 'Haus', 'HAUS'], misses: ['wrold', 'Hauss']},
          {
            words: ['frobnicatrix'],
            probes: ['frobnicatrix', 'Frobnicatrix'],
            misses: ['frobnicatrx']
          },
        ];
        const undoings = [
          ['remove', (provider, words, file) => words.forEach((word) => provider.remove(word))],
          ['the file deleted', (provider, words, file) => fs.rmSync(file)],
        ];
        for (const row of rows) {
          for (const [undoing, undo] of undoings) {
            test(`${row.words.join(', ')}: ${undoing}`, (t) => {
              const file = path.join(temporaryDir(), 'words.txt');
              const provider = timedProvider({...options, personalWordList: file});
              // Another window on the same file sees the change at its next call.
              const other = timedProvider({...options, personalWordList: file});
              fs.writeFileSync(file, 'unrelated\n');
              for (const word of row.words) provider.add(word);
              assert.equal(other.isMisspelled(row.words[0]), false);
              undo(provider, row.words, file);
              const fresh = timedProvider(options);
              for (const window of [provider, other]) {
                for (const word of [...row.probes, ...row.misses]) {
                  assert.equal(window.isMisspelled(word), fresh.isMisspelled(word), word);
                }
                for (const word of row.misses) {
                  searches.slowest = 0;
                  const expected = fresh.suggest(word);
                  const suggested = window.suggest(word);
                  if (searchesFast()) {
                    assert.deepEqual(suggested, expected, word);
                  } else {
                    t.diagnostic(`suggestions for ${word} not compared: a search took ${
                        searches.slowest.toFixed(0)} ms`);
                  }
                }
              }
            });
          }
        }
      });

  test('ignored words are accepted by their provider only and never written', () => {
    const file = path.join(temporaryDir(), 'words.txt');
    const provider = open(file);
    provider.ignore('helo');
    assert.equal(provider.isMisspelled('helo'), false);
    assert.deepEqual(provider.suggest('helo'), []);
    assert.deepEqual(provider.words(), []);
    assert.equal(fs.existsSync(file), false);
    assert.equal(open(file).isMisspelled('helo'), true);
  });

  test('a child killed while writing leaves the old list or the new one', async () => {
    const dir = temporaryDir();
    const file = path.join(dir, 'words.txt');
    // A long list makes each write take a while, so kills land inside writes.
    const base = Array.from({length: 50_000}, (_, index) => `base${index}`);
    fs.writeFileSync(file, base.map((word) => `${word}\n`).join(''));
    const script = `
      globalThis.navigator = {};
      const {createProvider} = require(${JSON.stringify(libProviderFile)});
      // A writer killed while it holds the list's lock holds the next one up for 2 s.
      const provider = createProvider({languages: ['en-US'],
        dictionaries: ${JSON.stringify(dictionaries)}, personalWordList: ${JSON.stringify(file)}},
        {wordList: {staleMilliseconds: 2000}});
      for (let index = provider.words().length - ${base.length}; ; ++index) {
        provider.add('added' + index);
      }`;
    let added = 0;
    for (let round = 0; round < 6; ++round) {
      const version = () => {
        const {ino, size, mtimeMs} = fs.statSync(file);
        return `${ino}:${size}:${mtimeMs}`;
      };
      const before = version();
      const child = spawn(process.execPath, ['-e', script], {stdio: ['ignore', 'ignore', 'pipe']});
      let stderr = '';
      child.stderr.on('data', (data) => stderr += data);
      let status = null;
      const exited = new Promise((resolve) => child.on('exit', (...ended) => resolve(ended)));
      exited.then((ended) => status = ended);
      // Killed once it has replaced the file, at a different moment of a write each round.
      while (status === null && version() === before) await sleep(2);
      await sleep(round * 3);
      child.kill('SIGKILL');
      assert.deepEqual(await exited, [null, 'SIGKILL'], stderr);
      const words = open(file).words();
      const count = words.length - base.length;
      assert.ok(count > added, `round ${round}: ${count} words added, ${added} before`);
      const expected = Array.from({length: count}, (_, index) => `added${index}`);
      assert.deepEqual(words, [...base, ...expected], `round ${round}`);
      added = count;
    }
    // The next change clears what the killed writers left: a temporary file, a lock.
    createProvider({languages: ['en-US'], dictionaries, personalWordList: file}, {
      wordList: {staleMilliseconds: 2000}
    }).add('last');
    assert.deepEqual(fs.readdirSync(dir), ['words.txt']);
  });

  test.describe('a damaged or unreadable file is reported and left as it is', () => {
    const rows = [
      {
        name: 'invalid UTF-8',
        bytes: [0x68, 0x69, 0x0a, 0xc3, 0x28, 0x0a],
        problem: 'not valid UTF-8'
      },
      {
        name: 'a write cut short inside a character',
        bytes: [0x68, 0x69, 0x0a, 0xe2, 0x82],
        problem: 'not valid UTF-8'
      },
      {name: 'a NUL byte', bytes: [0x68, 0x69, 0x0a, 0x00, 0x0a], problem: 'NUL byte at offset 3'},
      {name: 'a directory in its place', directory: true, problem: 'cannot be read'},
    ];
    const expectedError = (file, problem) => ({
      code: 'ERR_SPELLCHECKER_WORD_LIST',
      path: file,
      message: new RegExp(`word list ${literally(file)} .*${problem}`),
    });
    for (const row of rows) {
      const damage = (file) =>
          row.directory ? fs.mkdirSync(file) : fs.writeFileSync(file, Buffer.from(row.bytes));
      const contents = (file) => row.directory ? fs.readdirSync(file) : fs.readFileSync(file);

      test(`${row.name}, when the provider is made`, () => {
        const file = path.join(temporaryDir(), 'words.txt');
        damage(file);
        const before = contents(file);
        assert.throws(() => open(file), expectedError(file, row.problem));
        assert.deepEqual(contents(file), before);
      });

      test(`${row.name}, after the provider was made`, async () => {
        const file = path.join(temporaryDir(), 'words.txt');
        const provider = open(file);
        provider.add('frobnicatrix');
        fs.rmSync(file);
        damage(file);
        const before = contents(file);
        assert.throws(() => provider.add('quuxbar'), expectedError(file, row.problem));
        assert.throws(() => provider.remove('frobnicatrix'), expectedError(file, row.problem));
        assert.throws(() => provider.words(), expectedError(file, row.problem));
        assert.deepEqual(contents(file), before);
        // Checking goes on with the list as it was last read.
        const frame = webFrame();
        frame.setSpellCheckProvider('en-US', provider);
        assert.deepEqual(await frame.check('en-US', ['frobnicatrix', 'quuxbar']), [['quuxbar']]);
      });
    }
  });

  test('a byte order mark, CRLF line ends and empty lines are read as an editor means them', () => {
    const file = path.join(temporaryDir(), 'words.txt');
    fs.writeFileSync(file, '\uFEFFfrobnicatrix\r\n\r\nquuxbar\n\nfrobnicatrix');
    assert.deepEqual(open(file).words(), ['frobnicatrix', 'quuxbar']);
  });
});

test.describe('misuse', () => {
  const language = {languages: ['en-US'], dictionaries};
  const optionRows = [
    [undefined, /options must be an object/],
    [null, /options must be an object/],
    [['en-US'], /options must be an object/],
    [{}, /languages must be a non-empty array/],
    [{languages: 'en-US'}, /languages must be a non-empty array/],
    [{languages: []}, /languages must be a non-empty array/],
    [{languages: ['en-US', 5]}, /languages must be a non-empty array/],
    [{...language, dictionaries: 5}, /dictionaries must be a directory path/],
    [{...language, personalWordList: new URL('file:///tmp/words.txt')}, /personalWordList must/],
    [{...language, sliceMilliseconds: 0}, /sliceMilliseconds must be a positive number/],
    [{...language, sliceMilliseconds: NaN}, /sliceMilliseconds must be a positive number/],
    [{...language, sliceMilliseconds: '4'}, /sliceMilliseconds must be a positive number/],
    [{...language, personalWordlist: 'words.txt'}, /unknown option personalWordlist/],
  ];
  for (const [options, message] of optionRows) {
    test(`options ${JSON.stringify(options)} are refused`, () => {
      assert.throws(() => createSpellCheckProvider(options), {name: 'TypeError', message});
    });
  }

  const provider = createSpellCheckProvider(language);
  const callRows = [
    ['spellCheck a string', () => provider.spellCheck('helo', () => {}), TypeError],
    ['spellCheck without a callback', () => provider.spellCheck(['helo']), TypeError],
    ['isMisspelled a number', () => provider.isMisspelled(5), TypeError],
    ['suggest nothing', () => provider.suggest(), TypeError],
    ['ignore a number', () => provider.ignore(5), TypeError],
    ['add a number', () => provider.add(5), TypeError],
    ['add an empty word', () => provider.add(''), RangeError],
    ['add a line break', () => provider.add('two\nlines'), RangeError],
    ['remove a NUL', () => provider.remove('a\0b'), RangeError],
    ['add a lone surrogate', () => provider.add('a\uD800'), RangeError],
  ];
  for (const [name, call, type] of callRows) {
    test(`${name} throws a ${type.name}`, () => {
      assert.throws(call, type);
      assert.deepEqual(provider.words(), []);
    });
  }

  test('spellCheck of a non-string word answers [] once and warns', async () => {
    const warned = new Promise((resolve) => process.once('warning', resolve));
    const calls = [];
    provider.spellCheck(['helo', 5], (misspelled) => calls.push(misspelled));
    const warning = await warned;
    assert.deepEqual([warning.name, calls], ['TypeError', [[]]]);
    assert.match(warning.message, /spellCheck takes an array of strings; word 1 is not/);
  });

  test('SPELLCHECKER_PREFER_HUNSPELL stays as the app left it', () => {
    const variable = 'SPELLCHECKER_PREFER_HUNSPELL';
    for (const before of [undefined, 'true', '']) {
      if (before === undefined) {
        delete process.env[variable];
      } else {
        process.env[variable] = before;
      }
      createSpellCheckProvider(language);
      // Without dictionaries the system service is asked first.
      if (systemService) createSpellCheckProvider({languages: ['en-US']});
      assert.equal(process.env[variable], before, JSON.stringify(before));
    }
  });
});
