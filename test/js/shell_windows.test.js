'use strict';
// openAs and openProperties in a Windows build, run under wine: the arguments are checked as on
// Linux, every call with a string returns undefined at once, and what the module hands
// SHOpenWithDialog and SHELL32's ordinal 178 is recorded and checked. Real dialogs need Windows
// itself.

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const {fixtures, loadInPage, nativeModulePath, windows} = require('./support');

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

// SHELL32's functions are stubs under wine, so the module's imports of them are pointed at
// recorders (test/windows/shell_recorder.cc), which show exactly what the module hands the shell.
const recorderPath = process.env.SPELLCHECKER_TEST_SHELL_RECORDER;
if (!recorderPath) {
  test('what the shell is handed', {skip: 'SPELLCHECKER_TEST_SHELL_RECORDER names no recorder'});
} else {
  const recorder = require(recorderPath);
  // The path up to its first NUL, as UTF-16; the UTF-8 read of the argument makes a lone
  // surrogate U+FFFD.
  const handed = (file) => file.split('\0')[0].toWellFormed();
  const OAIF_EXEC = 0x04;
  const OAIF_HIDE_REGISTRATION = 0x20;
  const SHOP_FILEPATH = 2;

  test.describe('what the shell is handed', () => {
    test('both imports are replaced', () => {
      assert.equal(recorder.install(nativeModulePath()), 2);
    });

    test('openAs hands SHOpenWithDialog the path, no class, and the flags', () => {
      for (const file of paths) {
        recorder.clear();
        shell.openAs(file, 'ignored');
        assert.deepEqual(recorder.calls(), [{
          fn: 'SHOpenWithDialog',
          owner: null,
          file: handed(file),
          fileClass: null,
          flags: OAIF_EXEC | OAIF_HIDE_REGISTRATION,
        }], JSON.stringify(file));
      }
    });

    test('openProperties hands ordinal 178 a file path and no page', () => {
      for (const file of paths) {
        recorder.clear();
        shell.openProperties(file);
        assert.deepEqual(recorder.calls(), [{
          fn: 'ShellObjectProperties',
          owner: null,
          objectType: SHOP_FILEPATH,
          name: handed(file),
          page: null,
        }], JSON.stringify(file));
      }
    });

    test('nothing reaches the shell for an argument that is no string', () => {
      recorder.clear();
      for (const name of ['openAs', 'openProperties']) {
        for (const args of notStrings) assert.throws(() => shell[name](...args), stringExpected);
      }
      assert.deepEqual(recorder.calls(), []);
    });
  });
}
