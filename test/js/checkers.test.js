'use strict';
// The set of checkers (lib/checkers.js) through its checker factory, with stand-in checkers: the
// backend chosen for each language, the languages without a dictionary, and how personal words
// reach Hunspell and leave it again.

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const {packageDir} = require('./support');

const {createCheckers} = require(path.join(packageDir, 'lib', 'checkers.js'));

// Stand-ins: the system service offers `systemTags`; Hunspell has dictionaries for
// `hunspellTags` (in any directory). Each records what it was told.
function factory({systemTags = [], hunspellTags = [], serviceUsable = true} = {}) {
  const made = [];
  const construct = (hunspell) => {
    const system = !hunspell && serviceUsable;
    const checker = {
      language: null,
      directory: null,
      log: [],
      words: new Set(),
      isHunspell: () => !system,
      getAvailableDictionaries: () => system ? systemTags : [],
      setDictionary(tag, directory) {
        this.directory = directory;
        const ok = (system ? systemTags : hunspellTags).includes(tag.replaceAll('_', '-'));
        this.language = ok ? tag : null;
        return ok;
      },
      isMisspelled(word) {
        return !this.words.has(word) && word !== `${this.language}-word`;
      },
      add(word) {
        this.log.push(`+${word}`);
        this.words.add(word);
      },
      remove(word) {
        this.log.push(`-${word}`);
        this.words.delete(word);
      },
      getCorrectionsForMisspelling: (word) => [`${word}!`],
    };
    made.push(checker);
    return checker;
  };
  return {construct, made};
}

test.describe('the backend of each language', () => {
  const rows = [
    {
      name: 'the service where it has the tag, Hunspell from the current directory elsewhere',
      world: {systemTags: ['en-US'], hunspellTags: ['de-DE']},
      languages: ['en-US', 'de-DE'],
      expected: [['en-US', 'system'], ['de-DE', 'hunspell']],
      directory: process.cwd(),
    },
    {
      name: 'Hunspell for every language when dictionaries are given',
      world: {systemTags: ['en-US'], hunspellTags: ['en-US']},
      languages: ['en-US'],
      dictionaries: '/dictionaries',
      expected: [['en-US', 'hunspell']],
      directory: '/dictionaries',
    },
    {
      name: 'Hunspell when the service is not usable',
      world: {serviceUsable: false, hunspellTags: ['en-US']},
      languages: ['en-US'],
      expected: [['en-US', 'hunspell']],
      directory: process.cwd(),
    },
    {
      name: 'a language with no dictionary is named, the others kept',
      world: {systemTags: ['en-US']},
      languages: ['fr-FR', 'en-US'],
      expected: [['en-US', 'system']],
      missing: ['fr-FR'],
    },
  ];
  for (const row of rows) {
    test(row.name, () => {
      const {construct, made} = factory(row.world);
      const checkers =
          createCheckers({languages: row.languages, dictionaries: row.dictionaries, construct});
      assert.deepEqual(
          checkers.languages.map(({language, backend}) => [language, backend]), row.expected);
      assert.deepEqual(checkers.missing, row.missing ?? []);
      if (row.directory !== undefined) {
        const loaded = made.filter((checker) => checker.isHunspell() && checker.language !== null);
        assert.ok(loaded.length > 0);
        assert.ok(loaded.every((checker) => checker.directory === row.directory));
      }
    });
  }

  test('no language with a dictionary throws', () => {
    const {construct} = factory();
    assert.throws(
        () => createCheckers({languages: ['xx-YY'], dictionaries: '/nowhere', construct}),
        /no dictionary for xx-YY: Hunspell found no \.aff and \.dic for xx_YY in \/nowhere$/);
  });
});

test.describe('personal words', () => {
  const world = {systemTags: ['en-US'], hunspellTags: ['de-DE']};

  test('Hunspell is given them, the system service never', () => {
    const {construct, made} = factory(world);
    const checkers = createCheckers({languages: ['en-US', 'de-DE'], construct});
    checkers.setPersonalWords(['one', 'two']);
    checkers.setPersonalWords(['one', 'two', 'three']);
    const system = made.find((checker) => !checker.isHunspell());
    assert.deepEqual(system.log, []);
    const [hunspell] = made.filter((checker) => checker.isHunspell() && checker.language);
    assert.deepEqual(hunspell.log, ['+one', '+two', '+three']);
    assert.equal(checkers.accepts('three'), true);
  });

  test('a removal loads a fresh Hunspell checker and gives it the words left', () => {
    const {construct, made} = factory(world);
    const checkers = createCheckers({languages: ['en-US', 'de-DE'], construct});
    checkers.setPersonalWords(['one', 'two', 'three']);
    const before = made.length;
    checkers.setPersonalWords(['one', 'three', 'four']);
    assert.equal(made.length, before + 1, 'one checker made, for de-DE');
    const fresh = made.at(-1);
    assert.deepEqual([fresh.language, fresh.log], ['de-DE', ['+one', '+three', '+four']]);
    assert.equal(checkers.accepts('two'), false);
    assert.equal(checkers.accepts('four'), true);
    // The old checker was never told to forget, which Hunspell would take as forbidding.
    assert.ok(made.every((checker) => !checker.log.some((entry) => entry.startsWith('-'))));
  });

  test('a reload that fails keeps the old checker and removes the word from it', () => {
    const {construct, made} = factory(world);
    const checkers = createCheckers({languages: ['de-DE'], dictionaries: '/d', construct});
    checkers.setPersonalWords(['one', 'two']);
    const [old] = made;
    // The dictionary's files are gone.
    world.hunspellTags.length = 0;
    try {
      checkers.setPersonalWords(['one']);
    } finally {
      world.hunspellTags.push('de-DE');
    }
    assert.deepEqual(old.log, ['+one', '+two', '-two']);
    assert.equal(checkers.accepts('two'), false);
    assert.equal(checkers.accepts('one'), true);
  });
});
