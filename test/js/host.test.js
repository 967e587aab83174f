'use strict';
// The spell-check host and its clients in separate processes, joined as an Electron app joins
// them: this process stands for the main process, one child for the utilityProcess holding the
// host, others for pages whose preloads hold clients (children/port_relay.js says how the
// channels stand in for MessageChannelMain's).

const assert = require('node:assert/strict');
const {fork} = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const test = require('node:test');

const {systemDictionaries, isolateEnchant, emulated} = require('./support');

const children = path.join(__dirname, 'children');

// A child and the messages it sent, awaited by what they hold.
function start(script, args = []) {
  const child =
      fork(path.join(children, script), args, {stdio: ['ignore', 'inherit', 'inherit', 'ipc']});
  const seen = [];
  const waiting = [];
  child.on('message', (message) => {
    seen.push(message);
    for (const entry of [...waiting]) {
      if (entry.match(message)) {
        waiting.splice(waiting.indexOf(entry), 1);
        entry.resolve(message);
      }
    }
  });
  const exited = new Promise((resolve) => child.once('exit', resolve));
  const next = (match) => {
    const found = seen.find(match);
    if (found !== undefined) {
      seen.splice(seen.indexOf(found), 1);
      return Promise.resolve(found);
    }
    return new Promise((resolve) => waiting.push({
      match,
      resolve: (message) => {
        seen.splice(seen.indexOf(message), 1);
        resolve(message);
      }
    }));
  };
  return {child, next, exited};
}

// The main process's part: it makes channels, hands their ends to a host and a page, and routes
// their messages; when a child dies, the other end of each of its channels is told.
function createRouter() {
  // A message to a process that is ending is lost, as one posted to a port whose other end has
  // gone; its channel may close between the check and the write (EPIPE).
  const deliver = (proc, message) => {
    if (proc.child.connected) proc.child.send(message, () => {});
  };
  const channels = new Map();
  let lastChannel = 0;
  const silenced = new Set();

  function wire(proc) {
    proc.child.on('message', (message) => {
      if (message.channel === undefined || silenced.has(proc)) return;
      const channel = channels.get(message.channel);
      if (channel === undefined) return;
      const other = channel.host === proc ? channel.page : channel.host;
      if (channel.onRoute?.(proc, message) === false) return;
      if (message.closed) channels.delete(message.channel);
      deliver(other, message);
    });
    proc.exited.then(() => {
      for (const [id, channel] of channels) {
        if (channel.host !== proc && channel.page !== proc) continue;
        channels.delete(id);
        const other = channel.host === proc ? channel.page : channel.host;
        deliver(other, {channel: id, closed: true});
      }
    });
  }

  async function join(host, page, onRoute) {
    const id = ++lastChannel;
    channels.set(id, {host, page, onRoute});
    host.child.send({serve: id});
    page.child.send({connect: id});
    await page.next((message) => message.connected === id);
    return id;
  }

  // From now on nothing the process sends reaches anyone, as when it is killed before it sends.
  const silence = (proc) => silenced.add(proc);

  return {wire, join, silence};
}

let lastRef = 0;
async function call(page, method, ...args) {
  const ref = ++lastRef;
  page.child.send({ref, call: method, args});
  const message = await page.next((reply) => reply.ref === ref && !reply.sent);
  if (message.error) throw Object.assign(new Error(message.error.message), message.error);
  return message.answer;
}

async function startHost(router, options) {
  const host = start('spell_host.js', [JSON.stringify(options)]);
  router.wire(host);
  const ready = await host.next((message) => 'ready' in message || 'failed' in message);
  assert.equal(ready.failed, undefined);
  return {host, languages: ready.ready};
}

async function startPage(router) {
  const page = start('spell_page.js');
  router.wire(page);
  await page.next((message) => message.started);
  return page;
}

// Emulated, each of the five Node.js processes takes seconds to start.
const timeout = emulated ? 900_000 : 120_000;

test.describe('host and clients in separate processes', {timeout}, () => {
  isolateEnchant();
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellchecker-host-'));
  const wordList = path.join(dir, 'words.txt');
  const options = {
    languages: ['en-US', 'de-DE'],
    dictionaries: systemDictionaries,
    personalWordList: wordList
  };
  const router = createRouter();
  let host;
  let english;
  let german;
  const processes = [];

  test.before(async () => {
    let languages;
    ({host, languages} = await startHost(router, options));
    processes.push(host);
    assert.deepEqual(languages.map(({language}) => language), ['en-US', 'de-DE']);
    english = await startPage(router);
    german = await startPage(router);
    processes.push(english, german);
    await router.join(host, english);
    await router.join(host, german);
  });
  test.after(async () => {
    for (const proc of processes) proc.child.kill();
    await Promise.all(processes.map((proc) => proc.exited));
    fs.rmSync(dir, {recursive: true, force: true});
  });

  test('each page checks its own language and gets suggestions', async () => {
    const cases = [
      [english, ['The', 'quick', 'brwn', 'fox', 'jumpd'], ['brwn', 'jumpd']],
      [german, ['Der', 'schnelle', 'braune', 'Fuchs', 'sprang', 'Hundd'], ['Hundd']],
    ];
    for (const [page, words, misspelled] of cases) {
      assert.deepEqual(await call(page, 'spellCheck', words), misspelled);
    }
    assert.ok((await call(english, 'suggest', 'brwn')).includes('brown'));
    assert.ok((await call(german, 'suggest', 'Hundd')).includes('Hund'));
    assert.equal(await call(german, 'isMisspelled', 'Fuchs'), false);
  });

  test('a word added in one page is accepted in the other at its next check', async () => {
    assert.deepEqual(await call(german, 'spellCheck', ['Quorplix']), ['Quorplix']);
    await call(english, 'add', 'Quorplix');
    assert.deepEqual(await call(german, 'spellCheck', ['Quorplix']), []);
    assert.equal(await call(german, 'isMisspelled', 'Quorplix'), false);
    assert.deepEqual(await call(german, 'words'), ['Quorplix']);
    assert.equal(fs.readFileSync(wordList, 'utf8'), 'Quorplix\n');
    await call(german, 'remove', 'Quorplix');
    assert.deepEqual(await call(english, 'spellCheck', ['Quorplix']), ['Quorplix']);
  });

  test('an ignored word is accepted only in the page that ignored it', async () => {
    await call(english, 'ignore', 'Zwurbel');
    assert.deepEqual(await call(english, 'spellCheck', ['Zwurbel']), []);
    assert.deepEqual(await call(english, 'suggest', 'Zwurbel'), []);
    assert.deepEqual(await call(german, 'spellCheck', ['Zwurbel']), ['Zwurbel']);
  });

  test(
      'a host killed mid-batch: the check is answered once with nothing, then a new host serves',
      async () => {
        const dying = await startHost(router, options);
        processes.push(dying.host);
        const page = await startPage(router);
        processes.push(page);
        // The host is killed as the batch reaches it; whatever it might still send is lost.
        await router.join(dying.host, page, (from, message) => {
          if (from !== page || message.data?.method !== 'spellCheck') return true;
          router.silence(dying.host);
          dying.host.child.kill('SIGKILL');
          return true;
        });
        const ref = ++lastRef;
        page.child.send({ref, call: 'spellCheck', args: [['helo', 'wrld']]});
        assert.deepEqual((await page.next((reply) => reply.ref === ref && !reply.sent)).answer, []);
        await dying.host.exited;
        assert.equal(await call(page, 'connected'), false);
        await assert.rejects(
            call(page, 'suggest', 'helo'), {code: 'ERR_SPELLCHECKER_DISCONNECTED'});

        // The page goes on with a port to the host that still runs; the word list is shared.
        await router.join(host, page);
        assert.equal(await call(page, 'connected'), true);
        assert.deepEqual(await call(page, 'spellCheck', ['helo', 'world']), ['helo']);
        // Still the one answer, after a later round trip on the new port.
        assert.deepEqual(await call(page, 'calls', ref), [[]]);
      });
});
