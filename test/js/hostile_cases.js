'use strict';
// Hostile input from script, shared by hostile.test.js (with the suite) and test/soak/soak.js (in
// rounds): every value, receiver and size that a page could pass. Each case asserts a defined
// result or a clear Error, and that the instance answers correctly afterwards.

const assert = require('node:assert/strict');
const {methods} = require('./support');

const MiB = 1024 * 1024;

// Every kind of value that is not a string primitive, including ones whose coercion would run
// script (a binding that coerced would call them; none may be called).
function nonStrings(calls) {
  const trap = (name) => () => {
    calls.push(name);
    return 'helo';
  };
  const revocable = Proxy.revocable({}, {});
  revocable.revoke();
  return [
    ['undefined', undefined],
    ['null', null],
    ['boolean', false],
    ['number', 0],
    ['NaN', NaN],
    ['bigint', 10n],
    ['symbol', Symbol('helo')],
    ['plain object', {}],
    ['null-prototype object', Object.create(null)],
    ['array', ['helo']],
    ['function', function helo() {}],
    ['String wrapper', new String('helo')],
    ['toString trap', {toString: trap('toString')}],
    ['valueOf trap', {valueOf: trap('valueOf')}],
    ['toPrimitive trap', {[Symbol.toPrimitive]: trap('toPrimitive')}],
    [
      'throwing proxy', new Proxy({}, {get: trap('proxy get'), getPrototypeOf: trap('proxy proto')})
    ],
    ['revoked proxy', revocable.proxy],
    ['typed array', new Uint16Array([104, 101, 108, 111])],
    ['array buffer', new ArrayBuffer(8)],
    ['date', new Date(0)],
    ['regexp', /helo/],
    ['promise', Promise.resolve('helo')],
    ['error', new Error('helo')],
    ['weak map', new WeakMap()],
  ];
}

// Strings that are valid JavaScript but not valid Unicode, or hold NULs, or are empty.
const oddStrings = [
  '',
  '\0',
  'hel\0lo',
  '\0helo',
  '\uD800',
  '\uDC00',
  'he\uD800llo',
  'he\uDFFFl\uD800o',
  '\uDBFF\uDBFF\uDC00',
  '\uFFFE\uFFFF',
  '\u{1F600}',
  'x'.repeat(256),
  'ą'.repeat(200),
  '\'',
  '-',
  ' hello ',
  'hello\nworld',
];

// [method, arguments before the word, arguments after it]: where a word or path goes.
const stringSlots = [
  ['isMisspelled', [], []],
  ['add', [], []],
  ['remove', [], []],
  ['getCorrectionsForMisspelling', [], []],
  ['setDictionary', [], ['.']],
  ['setDictionary', ['en-JS'], []],
];

// The shape every answer of a method has.
function assertAnswerShape(method, answer) {
  switch (method) {
    case 'isHunspell':
    case 'isMisspelled':
    case 'setDictionary':
      assert.equal(typeof answer, 'boolean', `${method} answered ${answer}`);
      break;
    case 'add':
    case 'remove':
      assert.equal(answer, undefined);
      break;
    default:
      assert.ok(Array.isArray(answer), `${method} answered ${answer}`);
      for (const entry of answer) assert.equal(typeof entry, 'string');
  }
}

// A clear error: an Error object with a message.
function assertClearError(fn, what) {
  let thrown;
  try {
    fn();
  } catch (error) {
    thrown = error;
  }
  assert.ok(thrown instanceof Error, `${what}: expected an Error, got ${thrown}`);
  assert.ok(
      typeof thrown.message === 'string' && thrown.message.length > 0, `${what}: empty message`);
}

// Builds checkers of both backends with their dictionaries and knows what they must answer.
function makeBackends(Spellchecker, fixtures) {
  const hunspell = new Spellchecker(true);
  assert.equal(hunspell.setDictionary('en-JS', fixtures), true);
  const system = new Spellchecker();
  const systemUsable = !system.isHunspell() && system.setDictionary('en-US');
  const backends = [{name: 'hunspell', checker: hunspell, tag: 'en-JS', dir: fixtures}];
  if (systemUsable) backends.push({name: 'system', checker: system, tag: 'en-US', dir: '.'});
  return backends;
}

// The instance still answers as a working checker of its dictionary.
function assertWorks({checker, name}) {
  assert.equal(checker.isMisspelled('hello'), false, `${name}: hello`);
  assert.equal(checker.isMisspelled('helo'), true, `${name}: helo`);
  assert.ok(checker.getCorrectionsForMisspelling('helo').includes('hello'), `${name}: corrections`);
  assert.equal(checker.isHunspell(), name === 'hunspell');
}

// Restores the dictionary, dropping whatever the case added or removed.
function reset(backend) {
  assert.equal(backend.checker.setDictionary(backend.tag, backend.dir), true);
}

const groups = {
  'every non-string value in every string argument throws, without coercion'(backends) {
    for (const backend of backends) {
      for (const [method, before, after] of stringSlots) {
        const calls = [];
        for (const [label, value] of nonStrings(calls)) {
          assertClearError(
              () => backend.checker[method](...before, value, ...after),
              `${backend.name} ${method}(${label})`,
          );
        }
        assert.deepEqual(calls, [], `${backend.name} ${method} ran coercion`);
        reset(backend);
        assertWorks(backend);
      }
      // Methods that read no argument ignore whatever they get.
      for (const [, value] of nonStrings([])) {
        assertAnswerShape('isHunspell', backend.checker.isHunspell(value));
        try {
          assertAnswerShape(
              'getAvailableDictionaries', backend.checker.getAvailableDictionaries(value));
        } catch (error) {
          assert.ok(error instanceof Error);
        }
      }
      assertWorks(backend);
    }
  },

  'lone surrogates, NULs and odd strings give defined answers'(backends) {
    for (const backend of backends) {
      for (const word of oddStrings) {
        for (const method of ['isMisspelled', 'getCorrectionsForMisspelling', 'add', 'remove']) {
          assertAnswerShape(method, backend.checker[method](word));
        }
        assertAnswerShape('setDictionary', backend.checker.setDictionary(word, word));
        assertAnswerShape(
            'getAvailableDictionaries', backend.checker.getAvailableDictionaries(word, word));
        reset(backend);
      }
      // A word cut at its NUL is the word before it.
      assert.equal(backend.checker.isMisspelled('hello\0xyzzy'), false);
      assert.equal(backend.checker.isMisspelled('helo\0'), true);
      assertWorks(backend);
    }
  },

  'receivers that are not instances throw'(backends, {Spellchecker}) {
    const [backend] = backends;
    const receivers = [
      ['undefined', undefined],
      ['null', null],
      ['number', 1],
      ['string', 'helo'],
      ['plain object', {}],
      ['the prototype', Spellchecker.prototype],
      ['object inheriting the prototype', Object.create(Spellchecker.prototype)],
      ['the class', Spellchecker],
      ['proxy of an instance', new Proxy(backend.checker, {})],
      ['array', []],
      ['function', () => {}],
      ['error', new Error('x')],
    ];
    for (const method of methods) {
      const fn = Spellchecker.prototype[method];
      for (const [label, receiver] of receivers) {
        assertClearError(() => fn.call(receiver, 'helo', backend.dir), `${method} on ${label}`);
      }
      // Methods called as constructors get a fresh, unwrapped receiver.
      assertClearError(() => new fn('helo'), `new ${method}`);
    }
    assertClearError(() => Spellchecker(), 'Spellchecker without new');
    assertClearError(() => Spellchecker.call(backend.checker), 'Spellchecker.call(instance)');
    for (const item of backends) assertWorks(item);
  },

  'detached methods need their instance'(backends) {
    for (const backend of backends) {
      const {isMisspelled, getCorrectionsForMisspelling, add} = backend.checker;
      assertClearError(() => isMisspelled('helo'), 'detached isMisspelled');
      assertClearError(() => getCorrectionsForMisspelling('helo'), 'detached corrections');
      assertClearError(() => add('helo'), 'detached add');
      assert.equal(isMisspelled.call(backend.checker, 'helo'), true);
      assert.equal(isMisspelled.bind(backend.checker)('hello'), false);
      assert.equal(Reflect.apply(isMisspelled, backend.checker, ['helo']), true);
      assertWorks(backend);
    }
  },

  'subclasses and foreign new.target work as instances'(backends, {Spellchecker, fixtures}) {
    class Checker extends Spellchecker {
      constructor(...args) {
        super(...args);
        this.extra = 'own field';
      }
      isMisspelled(word) {
        return super.isMisspelled(word.trim());
      }
    }
    const sub = new Checker(true);
    assert.ok(sub instanceof Spellchecker);
    assert.equal(sub.setDictionary('en-JS', fixtures), true);
    assert.equal(sub.isMisspelled(' helo '), true);
    assert.equal(sub.isMisspelled(' hello '), false);
    assert.equal(sub.extra, 'own field');

    class NoSuper extends Spellchecker {
      constructor() {
        return Object.create(NoSuper.prototype);
      }
    }
    const fake = new NoSuper();
    assertClearError(() => fake.isMisspelled('helo'), 'instance whose constructor skipped super');

    function Foreign() {}
    const foreign = Reflect.construct(Spellchecker, [true], Foreign);
    assert.ok(foreign instanceof Foreign);
    assert.equal(Spellchecker.prototype.setDictionary.call(foreign, 'en-JS', fixtures), true);
    assert.equal(Spellchecker.prototype.isMisspelled.call(foreign, 'helo'), true);

    // The wrap belongs to the object, not its prototype chain or its extensibility.
    const bare = new Spellchecker(true);
    Object.setPrototypeOf(bare, null);
    Object.freeze(bare);
    assert.equal(Spellchecker.prototype.setDictionary.call(bare, 'en-JS', fixtures), true);
    assert.equal(Spellchecker.prototype.isMisspelled.call(bare, 'helo'), true);
    for (const backend of backends) assertWorks(backend);
  },

  'many arguments are ignored past those read'(backends) {
    const extra = new Array(100_000).fill(5);
    for (const backend of backends) {
      assert.equal(backend.checker.isMisspelled('helo', ...extra), true);
      assert.equal(backend.checker.isHunspell(...extra), backend.name === 'hunspell');
      assertWorks(backend);
    }
  },

  'strings of 64 MiB give defined answers'(backends, {hugeMiB}) {
    const size = hugeMiB * MiB;
    const huge = [
      ['ASCII letters', 'a'.repeat(size)],
      ['two-byte letters', 'ą'.repeat(size / 2)],
      ['lone surrogates', '\uD800'.repeat(size / 2)],
      ['words and spaces', 'helo '.repeat(size / 5)],
      ['NULs', '\0'.repeat(size)],
    ];
    for (const backend of backends) {
      for (const [label, text] of huge) {
        for (const method of ['isMisspelled', 'getCorrectionsForMisspelling', 'add', 'remove']) {
          const answer = backend.checker[method](text);
          assertAnswerShape(method, answer);
        }
        assert.equal(backend.checker.setDictionary(text, backend.dir), false, `${label} as tag`);
        assert.equal(
            backend.checker.setDictionary(backend.tag, text), backend.name === 'system',
            `${label} as directory`);
        reset(backend);
        assertWorks(backend);
      }
    }
  },
};

module.exports = {
  groups,
  makeBackends,
  assertWorks
};
