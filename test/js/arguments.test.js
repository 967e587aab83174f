'use strict';
// Argument checking: a missing argument is "Bad argument.", a value that is not a string is the
// host's conversion error, and extra arguments are ignored. Presence is decided by the count.

const test = require('node:test');
const assert = require('node:assert/strict');
const {fixtures, loadInPage} = require('./support');

const {Spellchecker} = loadInPage();

const badArgument = (error) => error.constructor === Error && error.message === 'Bad argument.' &&
    error.code === undefined && Object.keys(error).length === 0;

// node-addon-api turns the failed napi_get_value_string_utf8 into the host's message.
const notAString = {
  name: 'TypeError',
  message: 'A string was expected'
};

const nonStrings = [undefined, null, 5, true, {}, [], Symbol('word'), 5n, new String('word')];

// Methods that need one string, with a valid argument list for each.
const oneString = [
  ['isMisspelled', ['word']],
  ['setDictionary', ['en-JS', fixtures]],
  ['add', ['word']],
  ['remove', ['word']],
  ['getCorrectionsForMisspelling', ['word']],
];

for (const prefer of [[], [true]]) {
  const backend = prefer.length ? 'Hunspell backend' : 'default backend';

  test.describe(`argument errors (${backend})`, () => {
    const checker = new Spellchecker(...prefer);

    for (const [name] of oneString) {
      test(`${name}() throws a plain Error "Bad argument."`, () => {
        assert.throws(() => checker[name](), badArgument);
      });

      test(`${name} never coerces: non-strings throw the conversion error`, () => {
        for (const value of nonStrings) {
          assert.throws(() => checker[name](value), notAString, `${name}(${String(value)})`);
        }
      });
    }

    test('setDictionary converts a directory that is not a string', () => {
      for (const value of nonStrings) {
        assert.throws(() => checker.setDictionary('en-JS', value), notAString);
      }
    });

    test('isHunspell ignores arguments', () => {
      assert.equal(checker.isHunspell(undefined, 5), checker.isHunspell());
    });

    test('getAvailableDictionaries reads its first argument only when given two or more', () => {
      assert.ok(Array.isArray(checker.getAvailableDictionaries()));
      // One argument is not read, whatever it is.
      for (const value of nonStrings) {
        assert.ok(Array.isArray(checker.getAvailableDictionaries(value)));
      }
      assert.ok(Array.isArray(checker.getAvailableDictionaries('.', 5)));
      assert.throws(() => checker.getAvailableDictionaries(5, '.'), notAString);
    });

    test('arguments past the ones read are ignored', () => {
      for (const [name, args] of oneString) {
        assert.doesNotThrow(() => checker[name](...args, 5, {}, undefined), name);
      }
    });

    test('add and remove return undefined', () => {
      assert.equal(checker.add('word'), undefined);
      assert.equal(checker.remove('word'), undefined);
    });

    test('a failed call leaves the instance usable', () => {
      assert.throws(() => checker.isMisspelled(5));
      assert.throws(() => checker.isMisspelled());
      assert.equal(typeof checker.isMisspelled('word'), 'boolean');
    });
  });
}
