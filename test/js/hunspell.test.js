'use strict';
// The Hunspell backend through script, on the dictionaries in test/fixtures/js.

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const {fixtures, loadInPage} = require('./support');

const {Spellchecker} = loadInPage();
const hunspell = () => new Spellchecker(true);

test.describe('without a dictionary', () => {
  test('every method answers as an empty dictionary would', () => {
    const checker = hunspell();
    assert.equal(checker.isHunspell(), true);
    for (const word of ['hello', 'helo', '', 'Zürich', '\u{1F600}']) {
      assert.equal(checker.isMisspelled(word), false, word);
      assert.deepEqual(checker.getCorrectionsForMisspelling(word), [], word);
    }
    assert.equal(checker.add('helo'), undefined);
    assert.equal(checker.remove('hello'), undefined);
    assert.equal(checker.isMisspelled('helo'), false);
    assert.deepEqual(checker.getAvailableDictionaries(), []);
  });

  test('a failed setDictionary leaves no dictionary in use', () => {
    const checker = hunspell();
    assert.equal(checker.setDictionary('en-JS', fixtures), true);
    assert.equal(checker.isMisspelled('helo'), true);
    assert.equal(checker.setDictionary('xx-NONE', fixtures), false);
    assert.equal(checker.isMisspelled('helo'), false);
    assert.equal(checker.setDictionary('en-JS', path.join(fixtures, 'missing')), false);
    assert.deepEqual(checker.getCorrectionsForMisspelling('helo'), []);
  });
});

test.describe('with a dictionary', () => {
  const checker = hunspell();
  assert.equal(checker.setDictionary('en-JS', fixtures), true);

  test('words in the list and their affixed forms are accepted', () => {
    for (const word of ['hello', 'world', 'café', 'naïve', 'Zürich', 'spells', 'checkers']) {
      assert.equal(checker.isMisspelled(word), false, word);
    }
  });

  test('other words are misspelled', () => {
    for (const word of ['helo', 'wrld', 'cafe', 'worlds', 'Zurich', '\u{1F600}x']) {
      assert.equal(checker.isMisspelled(word), true, word);
    }
  });

  test('corrections come back as an array of strings, in the engine order', () => {
    const corrections = checker.getCorrectionsForMisspelling('helo');
    assert.ok(Array.isArray(corrections));
    assert.ok(corrections.every((entry) => typeof entry === 'string'));
    assert.equal(corrections[0], 'hello');
    // Non-ASCII suggestions arrive as UTF-8, decoded.
    assert.ok(checker.getCorrectionsForMisspelling('cafe').includes('café'));
    assert.deepEqual(checker.getCorrectionsForMisspelling('qqqqqqqqqq'), []);
  });

  test('"_" and "-" name the same dictionary', () => {
    const other = hunspell();
    assert.equal(other.setDictionary('en_JS', fixtures), true);
    assert.equal(other.isMisspelled('helo'), true);
  });

  test('a third setDictionary argument is ignored', () => {
    const other = hunspell();
    assert.equal(other.setDictionary('en-JS', fixtures, 'ignored'), true);
  });

  test('added words are accepted by their instance only, until removed', () => {
    const other = hunspell();
    assert.equal(other.setDictionary('en-JS', fixtures), true);
    checker.add('frobnicate');
    assert.equal(checker.isMisspelled('frobnicate'), false);
    assert.equal(other.isMisspelled('frobnicate'), true);
    checker.remove('frobnicate');
    assert.equal(checker.isMisspelled('frobnicate'), true);
  });

  test('getAvailableDictionaries is empty whatever the directory', () => {
    assert.deepEqual(checker.getAvailableDictionaries(), []);
    assert.deepEqual(checker.getAvailableDictionaries(fixtures, 'second'), []);
  });

  test('words are passed whole, as UTF-8', () => {
    // A lone surrogate becomes U+FFFD on the way in, which no dictionary word holds.
    assert.equal(checker.isMisspelled('hell\uD800'), true);
    assert.equal(checker.isMisspelled('na\u00EFve'), false);
  });

  test('words around the length where reading changes method arrive whole', () => {
    // Up to 256 bytes a word is read in one pass into a fixed buffer, beyond that in two. A read
    // cut short at a character's boundary would hand the engine a shorter word: here, an added one.
    for (let bytes = 250; bytes <= 255; bytes++) {
      const added = 'b'.repeat(bytes);
      checker.add(added);
      assert.equal(checker.isMisspelled(added), false, `${bytes} bytes`);
      for (const last of ['a', '\u0105', '\u20AC', '\u{1F600}']) {
        assert.equal(checker.isMisspelled(added + last), true, `${bytes} bytes and ${last}`);
      }
      checker.remove(added);
    }
  });
});

test('setDictionary without a directory reads the current directory', () => {
  const checker = hunspell();
  const before = process.cwd();
  try {
    assert.equal(checker.setDictionary('xx-DOT'), false);
    process.chdir(fixtures);
    assert.equal(checker.setDictionary('xx-DOT'), true);
    assert.equal(checker.isMisspelled('dotword'), false);
    assert.equal(checker.isMisspelled('hello'), true);
  } finally {
    process.chdir(before);
  }
});

test('the Debian en_US dictionary loads by tag', () => {
  const checker = hunspell();
  assert.equal(checker.setDictionary('en-US', '/usr/share/hunspell'), true);
  assert.equal(checker.isMisspelled('necessary'), false);
  assert.equal(checker.isMisspelled('neccessary'), true);
  assert.ok(checker.getCorrectionsForMisspelling('neccessary').includes('necessary'));
});
