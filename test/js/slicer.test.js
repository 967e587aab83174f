'use strict';
// The slicer (lib/slicer.js) on a clock that moves one unit a verdict and a schedule run by
// hand: how much work each slice does, the order batches are answered in, each callback called
// once, and misuse.

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const {packageDir} = require('./support');

const {createSlicer} = require(path.join(packageDir, 'lib', 'slicer.js'));

// A slicer whose verdicts say a word is misspelled when it starts with "x", each verdict one
// millisecond; `slices` records the words checked in each slice, and `runLater` the next slice.
function handSlicer({sliceMilliseconds = 3, open = () => true} = {}) {
  let clock = 0;
  const slices = [];
  const later = [];
  const errors = [];
  let current = null;
  const slicer = createSlicer({
    sliceMilliseconds,
    begin: () => current.push('begin'),
    isMisspelled: (word) => {
      ++clock;
      current.push(word);
      return word.startsWith('x');
    },
    isOpen: open,
    now: () => clock,
    schedule: (run) => later.push(run),
    onMisuse: (error) => errors.push(error),
  });
  const slice = (run) => {
    current = [];
    slices.push(current);
    run();
  };
  return {
    submit: (words, callback) => slice(() => slicer.submit(words, callback)),
    runLater() {
      assert.equal(later.length, 1, 'one slice scheduled at a time');
      slice(later.shift());
    },
    pending: () => later.length,
    slices,
    errors,
  };
}

test('a batch is checked a budget at a time; the next batch waits its turn', () => {
  const hand = handSlicer();
  const answers = [];
  hand.submit(['a', 'xb', 'c', 'xd', 'e'], (misspelled) => answers.push(['first', misspelled]));
  hand.submit(['xf'], (misspelled) => answers.push(['second', misspelled]));
  assert.deepEqual(answers, []);
  while (hand.pending() > 0) hand.runLater();
  assert.deepEqual(answers, [['first', ['xb', 'xd']], ['second', ['xf']]]);
  // The slice begun by spellCheck, the empty one of the second spellCheck (the first batch
  // waits), then one run later; a slice ends once its verdicts have taken three milliseconds.
  assert.deepEqual(hand.slices, [['begin', 'a', 'xb', 'c'], [], ['xd', 'e', 'begin', 'xf']]);
});

test('a batch that is not an array, or without a callback, throws at once', () => {
  const hand = handSlicer();
  const rows = [
    [() => hand.submit('a', () => {}), /array of strings/],
    [() => hand.submit(['a'], 'callback'), /callback function/],
  ];
  for (const [call, message] of rows) assert.throws(call, {name: 'TypeError', message});
  assert.equal(hand.pending(), 0);
});

// Whether the word is met before spellCheck returns depends on the clock: either way the same.
test.describe('a word that is not a string answers its batch once, with no words', () => {
  for (const [name, before] of [['in the first slice', 1], ['in a later slice', 4]]) {
    test(name, () => {
      const hand = handSlicer({sliceMilliseconds: 2});
      const calls = [];
      const words = [...Array.from({length: before}, (_, index) => `x${index}`), 7, 'xz'];
      hand.submit(words, (misspelled) => calls.push(misspelled));
      hand.submit(['xe'], (misspelled) => calls.push(misspelled));
      while (hand.pending() > 0) hand.runLater();
      assert.deepEqual(calls, [[], ['xe']]);
      assert.equal(hand.errors.length, 1);
      assert.equal(hand.errors[0].name, 'TypeError');
      assert.match(hand.errors[0].message, new RegExp(`word ${before} is not`));
    });
  }
});

test('once closed, a waiting batch gets what was found so far, and later ones nothing', () => {
  let open = true;
  const hand = handSlicer({sliceMilliseconds: 2, open: () => open});
  const calls = [];
  hand.submit(['xa', 'xb', 'xc', 'xd'], (misspelled) => calls.push(misspelled));
  open = false;
  hand.runLater();
  hand.submit(['xe'], (misspelled) => calls.push(misspelled));
  assert.deepEqual(calls, [['xa', 'xb'], []]);
  assert.equal(hand.pending(), 0);
});
