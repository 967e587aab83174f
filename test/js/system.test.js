'use strict';
// The system backend through script: Enchant with its Hunspell provider serves it here, on the
// Debian dictionaries (hunspell-en-us, hunspell-pl).

const test = require('node:test');
const assert = require('node:assert/strict');
const {loadInPage, systemService} = require('./support');

if (!systemService) {
  test('the system backend over Enchant', {skip: 'Enchant is Linux only; wine has no service'});
  return;
}

const {Spellchecker} = loadInPage();

// Only the first live system backend of the process starts COM, so every test works on this one
// instance, made while no other exists.
const checker = new Spellchecker();

test('a plain construction gets the system backend', () => {
  assert.equal(checker.isHunspell(), false);
});

test('without a dictionary every method answers as an empty dictionary would', () => {
  for (const word of ['hello', 'helo', 'Zürich']) {
    assert.equal(checker.isMisspelled(word), false, word);
    assert.deepEqual(checker.getCorrectionsForMisspelling(word), [], word);
  }
  assert.equal(checker.add('helo'), undefined);
  assert.equal(checker.isMisspelled('helo'), false);
});

test('the available dictionaries are the service tags, spelled with "-"', () => {
  const tags = checker.getAvailableDictionaries();
  assert.ok(Array.isArray(tags));
  assert.ok(tags.includes('en-US'), JSON.stringify(tags));
  assert.ok(tags.includes('pl-PL'), JSON.stringify(tags));
  assert.ok(tags.every((tag) => typeof tag === 'string' && !tag.includes('_')));
  // The directory is never read.
  assert.deepEqual(checker.getAvailableDictionaries('/nonexistent', 'x'), tags);
});

test.describe('with a dictionary', () => {
  test('setDictionary takes "-" and "_" alike and ignores the directory', () => {
    assert.equal(checker.setDictionary('en_US', '/nonexistent'), true);
    assert.equal(checker.isMisspelled('helo'), true);
    assert.equal(checker.setDictionary('en-US'), true);
  });

  test('words are checked', () => {
    for (const word of ['hello', 'necessary', 'world']) {
      assert.equal(checker.isMisspelled(word), false, word);
    }
    for (const word of ['helo', 'neccessary', 'wrold']) {
      assert.equal(checker.isMisspelled(word), true, word);
    }
  });

  test('corrections are strings in the service order', () => {
    const corrections = checker.getCorrectionsForMisspelling('neccessary');
    assert.ok(corrections.length > 0);
    assert.ok(corrections.every((entry) => typeof entry === 'string'));
    assert.ok(corrections.includes('necessary'), JSON.stringify(corrections));
    assert.deepEqual(checker.getCorrectionsForMisspelling('hello'), []);
  });

  test('non-ASCII words and corrections cross as UTF-8', () => {
    assert.equal(checker.setDictionary('pl-PL'), true);
    assert.equal(checker.isMisspelled('zażółć'), false);
    assert.equal(checker.isMisspelled('zazolc'), true);
    assert.ok(checker.getCorrectionsForMisspelling('zazolc').includes('zażółć'));
    assert.equal(checker.setDictionary('en-US'), true);
  });

  test('added words are accepted and remove does nothing', () => {
    assert.equal(checker.isMisspelled('frobnicatrix'), true);
    assert.equal(checker.add('frobnicatrix'), undefined);
    assert.equal(checker.isMisspelled('frobnicatrix'), false);
    assert.equal(checker.remove('frobnicatrix'), undefined);
    assert.equal(checker.isMisspelled('frobnicatrix'), false);
  });

  test('an unsupported language leaves no dictionary in use', () => {
    assert.equal(checker.setDictionary('xx-NONE'), false);
    assert.equal(checker.isMisspelled('helo'), false);
    assert.deepEqual(checker.getCorrectionsForMisspelling('helo'), []);
    assert.equal(checker.setDictionary('en-US'), true);
    assert.equal(checker.isMisspelled('helo'), true);
  });
});
