'use strict';
// The client and the host in one process over Node.js message ports: the message protocol, the
// ends of a connection, and the client as a sandboxed preload's bundle carries it.

const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const test = require('node:test');
const url = require('node:url');
const vm = require('node:vm');
const {MessageChannel} = require('node:worker_threads');

const {packageDir, fixtures, emulated, runNode} = require('./support');

const {createSpellCheckHost} = require(path.join(packageDir, 'provider.js'));
const {createSpellCheckClient} = require(path.join(packageDir, 'client.js'));

const options = {
  languages: ['en-JS'],
  dictionaries: fixtures
};
const timeout = emulated ? 600_000 : 60_000;

// Answers the next message that arrives on the port.
const nextMessage = (port) => new Promise((resolve) => port.once('message', resolve));

test('the client entry: one name, the ES module entry the same as the CommonJS one', async () => {
  const esm = await import(url.pathToFileURL(path.join(packageDir, 'client.mjs')).href);
  assert.deepEqual(Object.keys(esm).sort(), ['createSpellCheckClient', 'default']);
  assert.equal(esm.createSpellCheckClient, createSpellCheckClient);
  assert.equal(esm.default, require(path.join(packageDir, 'client.js')));
  assert.deepEqual(Object.keys(esm.default), ['createSpellCheckClient']);
});

test.describe('client and host over ports', {timeout}, () => {
  let host;
  test.before(async () => {
    // A language without a dictionary is named, and the others are served.
    host = createSpellCheckHost({...options, languages: [...options.languages, 'xx-NONE']});
    assert.deepEqual(
        await host.ready,
        {languages: [{language: 'en-JS', backend: 'hunspell'}], missing: ['xx-NONE']});
  });
  test.after(() => host.close());

  test('the client loads from its bundle where there is no require and no Node.js', async () => {
    // What a bundler makes of the client: its modules in one script, each given only the
    // modules it names. The context has no require, process, Buffer or timers.
    const files = {
      './protocol.js': fs.readFileSync(path.join(packageDir, 'lib', 'protocol.js'), 'utf8'),
      './client.js': fs.readFileSync(path.join(packageDir, 'lib', 'client.js'), 'utf8'),
    };
    const bundle = `(function (files) {
      const cache = {};
      function load(name) {
        if (!(name in files)) throw new Error('the client asked for ' + name);
        if (!(name in cache)) {
          const module = {exports: {}};
          cache[name] = module;
          new Function('module', 'exports', 'require', files[name])(module, module.exports, load);
        }
        return cache[name].exports;
      }
      return load('./client.js');
    })`;
    const context = vm.createContext({});
    assert.equal(
        vm.runInContext('typeof require + typeof process + typeof setTimeout', context),
        'undefinedundefinedundefined');
    const bundled = vm.runInContext(bundle, context)(files);
    const {port1, port2} = new MessageChannel();
    host.serve(port1);
    const client = bundled.createSpellCheckClient(port2);
    const misspelled =
        await new Promise((resolve) => client.spellCheck(['hello', 'helo'], resolve));
    assert.deepEqual([...misspelled], ['helo']);
    assert.equal(await client.isMisspelled('hello'), false);
    client.close();
  });

  test(
      'the host answers a request it cannot run with an error, and drops one with no id',
      async () => {
        const {port1, port2} = new MessageChannel();
        host.serve(port1);
        const cases = [
          [{v: 2, id: 1, method: 'words', args: []}, 'Error', 'ERR_SPELLCHECKER_PROTOCOL'],
          [{v: 1, id: 2, method: 'close', args: []}, 'Error', 'ERR_SPELLCHECKER_PROTOCOL'],
          [{v: 1, id: 3, method: 'spellCheck', args: ['helo']}, 'TypeError', undefined],
          [{v: 1, id: 4, method: 'suggest', args: [5]}, 'TypeError', undefined],
          [{v: 1, id: 5, method: 'add', args: ['a\nb']}, 'RangeError', undefined],
        ];
        for (const [request, name, code] of cases) {
          port2.postMessage({v: 1, method: 'words', args: []});  // no id: no reply
          port2.postMessage(request);
          const reply = await nextMessage(port2);
          assert.equal(reply.id, request.id);
          assert.equal(reply.error.name, name, JSON.stringify(request));
          assert.equal(reply.error.code, code);
        }
        port2.close();
      });

  test('errors reach the page as the provider throws them', async () => {
    const {port1, port2} = new MessageChannel();
    host.serve(port1);
    const client = createSpellCheckClient(port2);
    await assert.rejects(client.add(''), RangeError);
    assert.throws(() => client.suggest(5), TypeError);
    assert.throws(() => client.spellCheck('helo', () => {}), TypeError);
    assert.deepEqual(await client.suggest('helo'), ['hello']);
    client.close();
    // Closed: checks find nothing, list changes are refused.
    const answers = [];
    client.spellCheck(['helo'], (misspelled) => answers.push(misspelled));
    assert.deepEqual(answers, [[]]);
    assert.equal(await client.isMisspelled('helo'), false);
    await assert.rejects(client.add('word'), {code: 'ERR_SPELLCHECKER_DISCONNECTED'});
    assert.throws(() => client.connect(new MessageChannel().port1), /closed/);
  });
});

test(
    'a closed host leaves no check unanswered, and the client goes on with another host', {timeout},
    async () => {
      const first = createSpellCheckHost(options);
      const {port1, port2} = new MessageChannel();
      first.serve(port1);
      const client = createSpellCheckClient(port2);
      const calls = [];
      // Checks waiting when the host closes: their replies can no longer come.
      const many = Array.from({length: 20_000}, (_, index) => `helo${index}`);
      for (let batch = 0; batch < 3; ++batch) {
        client.spellCheck(many, (misspelled) => calls.push([batch, misspelled.length]));
      }
      const suggestion =
          assert.rejects(client.suggest('helo'), {code: 'ERR_SPELLCHECKER_DISCONNECTED'});
      await first.close();
      await suggestion;
      assert.equal(first.connections, 0);
      assert.throws(
          () => first.serve(new MessageChannel().port1), {code: 'ERR_SPELLCHECKER_HOST_CLOSED'});
      assert.equal(client.connected, false);
      const answered = calls.length;

      const second = createSpellCheckHost(options);
      const next = new MessageChannel();
      second.serve(next.port1);
      client.connect(next.port2);
      const misspelled = await new Promise((resolve) => client.spellCheck(['helo'], resolve));
      assert.deepEqual(misspelled, ['helo']);
      // Each of the three was answered once, whether before the close or by it.
      assert.equal(answered, 3);
      assert.deepEqual(calls.map(([batch]) => batch), [0, 1, 2]);
      client.close();
      await second.close();
    });

test(
    'a host whose provider cannot start says so, and answers requests with the error', {timeout},
    async () => {
      const host = createSpellCheckHost({languages: ['xx-NONE'], dictionaries: fixtures});
      await assert.rejects(host.ready, /xx-NONE/);
      const {port1, port2} = new MessageChannel();
      host.serve(port1);
      const client = createSpellCheckClient(port2);
      await assert.rejects(client.words(), /xx-NONE/);
      const misspelled = await new Promise((resolve) => client.spellCheck(['helo'], resolve));
      assert.deepEqual(misspelled, []);
      client.close();
      await host.close();
    });

test(
    'a host works in a process with no navigator, whose own global it leaves as it was', {timeout},
    () => {
      // As in Electron's main process on Node.js 20: the module, loaded here, exports nothing.
      const result = runNode(`delete globalThis.navigator;
         const {MessageChannel} = require('node:worker_threads');
         const native = require(${JSON.stringify(packageDir)});
         const {createSpellCheckHost} = require(${
          JSON.stringify(path.join(packageDir, 'provider.js'))});
         const {createSpellCheckClient} = require(${
          JSON.stringify(path.join(packageDir, 'client.js'))});
         const host = createSpellCheckHost(${JSON.stringify(options)});
         const {port1, port2} = new MessageChannel();
         host.serve(port1);
         const client = createSpellCheckClient(port2);
         client.spellCheck(['hello', 'helo'], async (misspelled) => {
           console.log(JSON.stringify({exported: Object.keys(native), misspelled,
                                       navigator: 'navigator' in globalThis}));
           client.close();
           await host.close();
         });`);
      assert.equal(result.status, 0, result.stderr);
      assert.deepEqual(
          JSON.parse(result.stdout), {exported: [], misspelled: ['helo'], navigator: false});
    });
