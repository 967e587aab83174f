'use strict';
// The page's side of a spell-check host: the provider's shape over a message port, for a
// sandboxed preload. Plain JavaScript that needs nothing but the port (no Node.js built-in, no
// native module), so a bundler can put it into the preload.

const protocol = require('./protocol.js');

const name = 'native-spellchecker/client';

function disconnectedError(why) {
  const error = new Error(`${name}: ${why}`);
  error.code = 'ERR_SPELLCHECKER_DISCONNECTED';
  return error;
}

function checkWord(word) {
  if (typeof word !== 'string') throw new TypeError(`${name}: the word must be a string`);
}

function createSpellCheckClient(port) {
  protocol.checkPort(port, 'createSpellCheckClient');
  // The port in use, its listeners' removers, and its requests waiting for their replies by id.
  let connection = null;
  let lastId = 0;
  let closed = false;
  // Ignored words belong to this page and outlive a change of port.
  const ignored = new Set();

  // Every request waiting on the port is answered now, once: a check with nothing misspelled (as
  // Electron applies an answer to whichever request is pending, one answer each), the others with
  // the error.
  function disconnect(why) {
    if (connection === null) return;
    const {port: old, pending, stop} = connection;
    connection = null;
    for (const unlisten of stop) unlisten();
    try {
      old.close();
    } catch {
    }
    const error = disconnectedError(why);
    for (const entry of pending.values()) entry.settle(null, error);
  }

  function attach(next) {
    const pending = new Map();
    const own = {port: next, pending, stop: []};
    own.stop.push(protocol.listen(next, 'message', (event) => {
      const message = event.data;
      const id = protocol.replyId(message);
      const entry = pending.get(id);
      if (entry === undefined) return;
      pending.delete(id);
      const {result, error} = protocol.readReply(message, entry.method);
      entry.settle(result, error);
    }));
    // Chromium's MessagePort, Electron's MessagePortMain and Node.js's MessagePort report here
    // that the other end closed or its process died.
    own.stop.push(protocol.listen(next, 'close', () => {
      if (connection === own) disconnect('the host closed the port');
    }));
    connection = own;
    next.start();
  }

  // Sends a request; `settle(result, error)` is called exactly once, with the reply or when the
  // port is given up.
  function send(method, args, settle) {
    const id = ++lastId;
    let done = false;
    const once = (result, error) => {
      if (done) return;
      done = true;
      settle(result, error);
    };
    if (connection === null) {
      once(null, disconnectedError(closed ? 'the client is closed' : 'no host is connected'));
      return;
    }
    const {pending} = connection;
    pending.set(id, {method, settle: once});
    try {
      connection.port.postMessage(protocol.request(id, method, args));
    } catch (error) {
      pending.delete(id);
      once(null, error);
    }
  }

  const ask = (method, args) => new Promise((resolve, reject) => {
    send(method, args, (result, error) => error ? reject(error) : resolve(result));
  });

  attach(port);

  return {
    get connected() {
      return connection !== null;
    },
    spellCheck(words, callback) {
      if (!Array.isArray(words) || !words.every((word) => typeof word === 'string')) {
        throw new TypeError(`${name}: spellCheck takes an array of strings`);
      }
      if (typeof callback !== 'function') {
        throw new TypeError(`${name}: spellCheck takes a callback function`);
      }
      send('spellCheck', [words], (misspelled, error) => {
        callback(error ? [] : misspelled.filter((word) => !ignored.has(word)));
      });
    },
    isMisspelled(word) {
      checkWord(word);
      if (closed || ignored.has(word)) return Promise.resolve(false);
      return ask('isMisspelled', [word]);
    },
    suggest(word) {
      checkWord(word);
      if (closed || ignored.has(word)) return Promise.resolve([]);
      return ask('suggest', [word]);
    },
    add(word) {
      checkWord(word);
      return ask('add', [word]);
    },
    remove(word) {
      checkWord(word);
      return ask('remove', [word]);
    },
    words() {
      return ask('words', []);
    },
    ignore(word) {
      checkWord(word);
      if (closed) return Promise.reject(disconnectedError('the client is closed'));
      ignored.add(word);
      return Promise.resolve();
    },
    // Goes on with another port, as to a host started again: what waits on the old one is
    // answered as when it closes, and the old port is closed.
    connect(next) {
      if (closed) throw disconnectedError('the client is closed');
      protocol.checkPort(next, 'connect');
      disconnect('the client was given another port');
      attach(next);
    },
    close() {
      closed = true;
      disconnect('the client is closed');
    },
  };
}

module.exports = {createSpellCheckClient};
