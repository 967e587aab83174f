'use strict';
// openAs and openProperties in a Windows build, run under wine: the arguments are checked as on
// Linux, and every call with a string converts it, hands it to the shell (SHOpenWithDialog and
// SHELL32's ordinal 178, both stubs under wine) and returns undefined at once. Real dialogs need
// Windows itself.

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const {fixtures, loadInPage, windows} = require('./support');

if (!windows) {
  test('the shell calls of a Windows build', {skip: 'Windows only; shell.test.js covers Linux'});
  return;
}

const shell = loadInPage();
const stringExpected = {
  name: 'TypeError',
  message: 'A string was expected'
};
const notStrings = [[], [undefined], [null], [42], [true], [{}], [[__filename]], [new String('x')]];
const paths = [
  __filename,
  path.join(fixtures, 'missing file.txt'),
  'relative\\name.txt',
  'Zürich \u{1F600}.txt',
  'cut\u0000here',
  'lone \ud800 surrogate',
  '',
];

test('both functions follow Spellchecker on the exports, in order', () => {
  assert.deepEqual(Object.keys(shell), ['Spellchecker', 'openAs', 'openProperties']);
});

for (const name of ['openAs', 'openProperties']) {
  test(`${name} throws the conversion error for anything but a string`, () => {
    for (const args of notStrings) {
      assert.throws(() => shell[name](...args), stringExpected, `${name}(${String(args)})`);
    }
  });

  test(`${name} returns undefined for any string, extra arguments ignored`, () => {
    for (const file of paths) {
      assert.equal(shell[name](file), undefined, JSON.stringify(file));
    }
    assert.equal(shell[name](__filename, 5, {}), undefined);
  });
}
