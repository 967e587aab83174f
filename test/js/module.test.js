'use strict';
// Registration, page-context detection and the shape of the exports.

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {pathToFileURL} = require('node:url');
const {
  denoPath,
  loadInPage,
  methods,
  nativeModulePath,
  packageDir,
  runDeno,
  runNode,
} = require('./support');

// A directory that is removed when the test file's process ends.
function temporaryDir(prefix) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), prefix));
  process.on('exit', () => fs.rmSync(dir, {recursive: true, force: true}));
  return dir;
}

// Links `link` to the directory `target`; a junction on Windows needs no privilege.
function linkDir(target, link) {
  fs.mkdirSync(path.dirname(link), {recursive: true});
  fs.symlinkSync(target, link, process.platform === 'win32' ? 'junction' : 'dir');
}

// Some file systems make no directory links at all (wine's gives ENOTSUP for a junction).
function canLinkDirs() {
  const dir = temporaryDir('spellchecker-link-');
  try {
    linkDir(dir, path.join(dir, 'link'));
    return true;
  } catch {
    return false;
  }
}

// Prints the package's export names as JSON after `prelude` has shaped the global object.
function exportsAfter(prelude) {
  const result = runNode(`
    ${prelude}
    console.log(JSON.stringify(Object.keys(require(${JSON.stringify(packageDir)}))));
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

  // Each host reports a plain call in its own way: Node gives no new.target, Deno an undefined
  // one. Every host must throw the same error and leave the receiver (here the global object)
  // unwrapped.
  const withoutNew = {
    name: 'TypeError',
    message: 'Class constructors cannot be invoked without \'new\'',
  };
  const hosts = [
    ['Node.js', runNode, false],
    [
      'Deno',
      runDeno,
      (denoPath() === null && 'no Deno from the deno package runs here') ||
          // Under the leak checker Deno's own allocations would show as leaks at its exit.
          (process.env.LD_PRELOAD && 'a sanitizer runtime is preloaded'),
    ],
  ];
  for (const [host, run, skip] of hosts) {
    test(`calling the class without new throws a TypeError (${host})`, {skip}, () => {
      const result = run(`
        if (!('navigator' in globalThis)) globalThis.navigator = {};
        const {Spellchecker} = require(${JSON.stringify(packageDir)});
        const outcome = (call) => {
          try {
            call();
            return 'returned';
          } catch (error) {
            return {name: error.constructor.name, message: error.message};
          }
        };
        console.log(JSON.stringify([
          outcome(() => Spellchecker()),
          outcome(() => Spellchecker(true)),
          outcome(() => Spellchecker.prototype.isHunspell.call(globalThis)),
          new Spellchecker(true).isHunspell(),
        ]));
      `);
      assert.equal(result.status, 0, result.stderr);
      const [plain, withArgument, globalReceiver, constructed] = JSON.parse(result.stdout);
      assert.deepEqual(plain, withoutNew);
      assert.deepEqual(withArgument, withoutNew);
      assert.notEqual(globalReceiver, 'returned');
      assert.equal(constructed, true);
    });
  }

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

test.describe('ES module entry', {skip: !canLinkDirs() && 'no directory links here'}, () => {
  // An application directory whose node_modules holds the package, so the import goes through
  // the package's exports map as a user's would.
  const app = temporaryDir('spellchecker-esm-');
  linkDir(packageDir, path.join(app, 'node_modules', 'native-spellchecker'));
  const check = path.join(app, 'check.mjs');
  fs.writeFileSync(check, `
    import * as entry from 'native-spellchecker';
    import * as providerEntry from 'native-spellchecker/provider';
    import {createRequire} from 'node:module';
    const require = createRequire(import.meta.url);
    const cjs = require('native-spellchecker');
    const cjsProvider = require('native-spellchecker/provider');
    const names = ['Spellchecker', 'openAs', 'openProperties'];
    let made;
    try {
      made = providerEntry.createSpellCheckProvider({languages: ['en-US']}) && 'made';
    } catch (error) {
      made = error.message;
    }
    console.log(JSON.stringify({
      keys: Object.keys(entry),
      same: names.map((name) => entry[name] === cjs[name]),
      defined: names.map((name) => entry[name] !== undefined),
      defaultIsExports: entry.default === cjs,
      provider: {
        keys: Object.keys(providerEntry),
        same: providerEntry.createSpellCheckProvider === cjsProvider.createSpellCheckProvider,
        defaultIsExports: providerEntry.default === cjsProvider,
      },
      made,
    }));
  `);
  const importIn = (prelude) => {
    const result = runNode(`${prelude} import(${JSON.stringify(pathToFileURL(check).href)});`);
    assert.equal(result.status, 0, result.stderr);
    return JSON.parse(result.stdout);
  };

  test('in a page context the named exports are the CommonJS ones', () => {
    const seen = importIn('globalThis.navigator = {};');
    assert.deepEqual(seen.keys, ['Spellchecker', 'default', 'openAs', 'openProperties']);
    assert.deepEqual(seen.same, [true, true, true]);
    assert.equal(seen.defined[0], true);
    assert.equal(seen.defaultIsExports, true);
  });

  test('elsewhere the names are there and undefined', () => {
    const seen = importIn(removeNavigator);
    assert.deepEqual(seen.keys, ['Spellchecker', 'default', 'openAs', 'openProperties']);
    assert.deepEqual(seen.defined, [false, false, false]);
    assert.match(seen.made, /exported no Spellchecker, which it does only in a page context/);
  });

  test('the provider has an entry of its own, its names the CommonJS ones', () => {
    for (const prelude of ['globalThis.navigator = {};', removeNavigator]) {
      const seen = importIn(prelude);
      assert.deepEqual(seen.provider, {
        keys: ['createSpellCheckHost', 'createSpellCheckProvider', 'default'],
        same: true,
        defaultIsExports: true,
      });
    }
  });
});

test.describe('loader', () => {
  const here = `${process.platform}-${process.arch}`;
  // The names scripts/prebuild.sh gives; node-gyp-build reads the tags between the dots.
  const prebuildName = process.platform === 'linux' ? 'native-spellchecker.napi.glibc.node' :
                                                      'native-spellchecker.napi.node';
  const nodeGypBuild =
      path.dirname(require.resolve('node-gyp-build/package.json', {paths: [packageDir]}));

  // A copy of the package's loader with no source build, only a prebuild for this machine.
  function packageWithPrebuild() {
    const dir = temporaryDir('spellchecker-loader-');
    for (const file of ['index.js', 'package.json']) {
      fs.copyFileSync(path.join(packageDir, file), path.join(dir, file));
    }
    fs.cpSync(nodeGypBuild, path.join(dir, 'node_modules', 'node-gyp-build'), {recursive: true});
    fs.mkdirSync(path.join(dir, 'prebuilds', here), {recursive: true});
    fs.copyFileSync(nativeModulePath(), path.join(dir, 'prebuilds', here, prebuildName));
    return dir;
  }

  // Loads the copy in a page context and answers its export names or the message it threw.
  function load(dir, env) {
    const result = runNode(
        `globalThis.navigator = {};
        try {
          console.log(JSON.stringify({keys: Object.keys(require(${JSON.stringify(dir)}))}));
        } catch (error) {
          console.log(JSON.stringify({name: error.name, message: error.message}));
        }`,
        // node-gyp-build takes the target from these, as a cross-install would.
        {env: {SPELLCHECKER_NATIVE_MODULE: undefined, ...env}});
    assert.equal(result.status, 0, result.stderr);
    return JSON.parse(result.stdout);
  }

  const dir = packageWithPrebuild();
  const missing = path.join(dir, 'no-such-build', 'spellchecker.node');
  const noPrebuild = [
    'freebsd-riscv64',
    'linux-x64 (glibc), linux-arm64 (glibc), win32-x64, win32-arm64',
    'npm install --include=dev && npm run build:module',
  ];
  const rows = [
    {name: 'the prebuild for this platform is loaded', env: {}, keys: ['Spellchecker']},
    {
      name: 'a platform without a prebuild gets one error naming it and the supported ones',
      env: {npm_config_platform: 'freebsd', npm_config_arch: 'riscv64'},
      message: noPrebuild,
    },
    {
      name: 'an architecture without a prebuild is refused the same way',
      env: {npm_config_arch: 'riscv64'},
      message: [`${process.platform}-riscv64`, ...noPrebuild.slice(1)],
    },
    {
      name: 'SPELLCHECKER_NATIVE_MODULE naming no file is an error, not a fallback',
      env: {SPELLCHECKER_NATIVE_MODULE: missing},
      message: [`names ${missing}, which does not exist`],
    },
  ];
  for (const row of rows) {
    test(row.name, () => {
      const seen = load(dir, row.env);
      if (row.keys) {
        assert.deepEqual(seen.keys?.slice(0, 1), row.keys, seen.message);
        return;
      }
      assert.equal(seen.name, 'Error', JSON.stringify(seen));
      for (const part of row.message) assert.ok(seen.message.includes(part), seen.message);
    });
  }
});
