'use strict';
// Registration, page-context detection and the shape of the exports.

const test = require('node:test');
const assert = require('node:assert/strict');
const {loadInPage, methods, nativeModulePath, runNode} = require('./support');

// Prints the package's export names as JSON after `prelude` has shaped the global object.
function exportsAfter(prelude) {
  const result = runNode(`
    ${prelude}
    console.log(JSON.stringify(Object.keys(require('.'))));
  `);
  assert.equal(result.status, 0, result.stderr);
  return JSON.parse(result.stdout);
}

const removeNavigator = 'delete globalThis.navigator;';

test.describe('page context', () => {
  test('without navigator nothing is exported', () => {
    assert.deepEqual(exportsAfter(removeNavigator), []);
  });

  test('an own navigator makes a page context', () => {
    assert.deepEqual(exportsAfter(`${removeNavigator} globalThis.navigator = {};`).slice(0, 1), [
      'Spellchecker',
    ]);
  });

  test('a navigator inherited through the prototype chain counts', () => {
    const keys = exportsAfter(`
      ${removeNavigator}
      Object.defineProperty(Object.getPrototypeOf(globalThis), 'navigator', {
        value: {}, configurable: true,
      });
      if (Object.hasOwn(globalThis, 'navigator') || !('navigator' in globalThis)) process.exit(3);
    `);
    assert.deepEqual(keys.slice(0, 1), ['Spellchecker']);
  });

  test('a navigator whose value is undefined counts', () => {
    const keys = exportsAfter(`${removeNavigator} globalThis.navigator = undefined;`);
    assert.deepEqual(keys.slice(0, 1), ['Spellchecker']);
  });

  test('the host gets back the exports object it passed in', () => {
    const result = runNode(`
      globalThis.navigator = {};
      const file = ${JSON.stringify(nativeModulePath())};
      const module = { exports: {} };
      const passed = module.exports;
      process.dlopen(module, file);
      console.log(module.exports === passed, typeof passed.Spellchecker);
    `);
    assert.equal(result.status, 0, result.stderr);
    assert.equal(result.stdout.trim(), 'true function');
  });
});

test.describe('exports', () => {
  const exported = loadInPage();

  test('Spellchecker comes first, then the shell functions once they are built', () => {
    const keys = Object.keys(exported);
    const expected =
        'openAs' in exported ? ['Spellchecker', 'openAs', 'openProperties'] : ['Spellchecker'];
    assert.deepEqual(keys, expected);
  });

  test('Spellchecker is a class named Spellchecker', () => {
    assert.equal(typeof exported.Spellchecker, 'function');
    assert.equal(exported.Spellchecker.name, 'Spellchecker');
  });

  test('the prototype holds the seven methods in order and the constructor', () => {
    const {prototype} = exported.Spellchecker;
    const names = Object.getOwnPropertyNames(prototype);
    assert.deepEqual(
        names.filter((name) => name !== 'constructor'),
        methods,
    );
    assert.equal(names.length, methods.length + 1);
    assert.equal(prototype.constructor, exported.Spellchecker);
    assert.deepEqual(Object.getOwnPropertySymbols(prototype), []);
  });

  test('no prototype property is enumerable; methods are writable and configurable', () => {
    const {prototype} = exported.Spellchecker;
    assert.deepEqual(Object.keys(prototype), []);
    for (const name of methods) {
      const descriptor = Object.getOwnPropertyDescriptor(prototype, name);
      assert.equal(typeof descriptor.value, 'function', name);
      assert.deepEqual(
          [descriptor.writable, descriptor.enumerable, descriptor.configurable],
          [true, false, true],
          name,
      );
    }
  });

  test('the class has no static members', () => {
    // What remains after the properties every host function carries.
    const builtIn = ['arguments', 'caller', 'length', 'name', 'prototype'];
    const own = Reflect.ownKeys(exported.Spellchecker).filter((key) => !builtIn.includes(key));
    assert.deepEqual(own, []);
  });

  test('calling the class without new throws a TypeError', () => {
    assert.throws(() => exported.Spellchecker(), {
      name: 'TypeError',
      message: 'Class constructors cannot be invoked without \'new\'',
    });
    assert.throws(() => exported.Spellchecker(true), TypeError);
  });

  test('methods on a receiver that is not a Spellchecker throw the host error', () => {
    const {prototype} = exported.Spellchecker;
    for (const receiver of [{}, Object.create(prototype), 5, undefined]) {
      for (const name of methods) {
        assert.throws(
            () => prototype[name].call(receiver, 'word'),
            (error) => error instanceof TypeError && error.message !== 'Bad argument.',
            `${name} on ${String(receiver)}`,
        );
      }
    }
  });

  test('a subclass instance is a Spellchecker', () => {
    class Checker extends exported.Spellchecker {}
    const checker = new Checker(true);
    assert.equal(checker.isHunspell(), true);
    assert.ok(checker instanceof exported.Spellchecker);
  });
});
