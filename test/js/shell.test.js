'use strict';
// openAs and openProperties as script sees them: the argument rules and the result. Every call
// goes to a private bus whose fake desktop service records what reaches the shell.

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const {loadInPage, windows} = require('./support');

if (windows) {
  test('the shell calls over D-Bus', {skip: 'D-Bus is Linux only'});
  return;
}
const {PrivateBus} = require('../dbus/private_bus');

const shell = loadInPage();
const functions = ['openAs', 'openProperties'];
const stringExpected = {
  name: 'TypeError',
  message: 'A string was expected'
};

let bus;
let file;

test.before(async () => {
  bus = await PrivateBus.start();
  await bus.startFake();
  process.env.DBUS_SESSION_BUS_ADDRESS = bus.address;
  file = path.join(bus.dir, 'document.txt');
  fs.writeFileSync(file, 'text');
});

test.after(async () => {
  await bus.stop();
});

test.beforeEach(() => bus.clearCalls());

test.describe('registration', () => {
  test('both functions follow Spellchecker on the exports, in order', () => {
    assert.deepEqual(Object.keys(shell), ['Spellchecker', 'openAs', 'openProperties']);
  });

  for (const name of functions) {
    test(`${name} is a function without a name of its own`, () => {
      assert.equal(typeof shell[name], 'function');
      assert.equal(shell[name].name, '');
    });
  }
});

test.describe('arguments', () => {
  const notStrings = [
    ['no argument', []],
    ['undefined', [undefined]],
    ['null', [null]],
    ['a number', [42]],
    ['NaN', [NaN]],
    ['a boolean', [true]],
    ['a symbol', [Symbol('path')]],
    ['a bigint', [1n]],
    ['an object', [{}]],
    ['an object that converts to a path', [{toString: () => file}]],
    ['an array holding a path', [[file]]],
    ['a String wrapper object', [new String(file)]],  // eslint-disable-line no-new-wrappers
    ['a number followed by a path', [1, file]],
  ];

  for (const name of functions) {
    for (const [what, args] of notStrings) {
      test(`${name} with ${what} throws and calls nothing`, () => {
        assert.throws(() => shell[name](...args), stringExpected);
        assert.deepEqual(bus.calls(), []);
      });
    }
  }

  test('arguments after the first are ignored', () => {
    assert.equal(shell.openProperties(file, 'second', 3, {}), undefined);
    assert.equal(shell.openAs(file, null), undefined);
    const calls = bus.calls();
    assert.deepEqual(
        calls.map((call) => call.method),
        ['ShowItemProperties', 'OpenFile'],
    );
    assert.deepEqual(calls[0].args, [[`file://${file}`], '']);
    assert.equal(calls[1].fds[0].target, file);
  });

  test('detached and with any receiver the functions behave the same', () => {
    const {openAs, openProperties} = shell;
    const receivers = [undefined, null, 7, 'text', {}, shell, globalThis];
    for (const receiver of receivers) {
      assert.equal(openProperties.call(receiver, file), undefined);
      assert.equal(Reflect.apply(openAs, receiver, [file]), undefined);
    }
    const calls = bus.calls();
    assert.equal(calls.length, receivers.length * 2);
    for (let i = 0; i < calls.length; i += 2) {
      assert.deepEqual(calls[i].args, [[`file://${file}`], '']);
      assert.equal(calls[i + 1].fds[0].target, file);
    }
  });

  test('a throwing call leaves the next one working', () => {
    assert.throws(() => shell.openProperties(), stringExpected);
    assert.equal(shell.openProperties(file), undefined);
    assert.equal(bus.calls().length, 1);
  });
});

test.describe('result', () => {
  test('undefined on every call, whatever the shell does', () => {
    const missing = path.join(bus.dir, 'missing.txt');
    const results = [];
    for (let i = 0; i < 3; i++) {
      results.push(shell.openAs(file), shell.openProperties(file));
      results.push(shell.openAs(missing), shell.openProperties(missing));
      results.push(shell.openAs(''), shell.openProperties(''));
    }
    assert.deepEqual(results, new Array(18).fill(undefined));
    // A missing file has no descriptor to hand over, and an empty path names no file.
    assert.deepEqual(
        bus.calls().map((call) => call.method),
        new Array(3).fill(['OpenFile', 'ShowItemProperties', 'ShowItemProperties']).flat(),
    );
  });

  test('a path holding a NUL is cut there', () => {
    assert.equal(shell.openProperties(`${file}\0/ignored`), undefined);
    assert.equal(shell.openAs(`${file}\0/ignored`), undefined);
    const [properties, openWith] = bus.calls();
    assert.deepEqual(properties.args, [[`file://${file}`], '']);
    assert.equal(openWith.fds[0].target, file);
  });

  test('an unpaired surrogate reaches the shell as U+FFFD', () => {
    assert.equal(shell.openProperties('/tmp/\ud800x'), undefined);
    assert.deepEqual(bus.calls()[0].args, [['file:///tmp/%EF%BF%BDx'], '']);
  });
});
