'use strict';
// The host's worker thread: the one provider, answering the requests that the host's thread
// passes on, each tagged with its connection.

const {parentPort, workerData} = require('node:worker_threads');

const protocol = require('./protocol.js');

// The native module exports its classes only where a global navigator exists, as on a page.
// Electron's main process and utility processes have one only from Node.js 21 on; this thread is
// the host's own, so it is given one before the module loads.
if (!('navigator' in globalThis)) globalThis.navigator = {};

let provider = null;
let failed = null;
try {
  provider = require('../provider.js').createSpellCheckProvider(workerData.options);
  parentPort.postMessage({ready: {languages: provider.languages, missing: provider.missing}});
} catch (error) {
  failed = error;
  parentPort.postMessage({failed: protocol.failure(0, error).error});
}

parentPort.on('message', ({connection, request}) => {
  const {id, method, args} = request;
  const answer = (message) => parentPort.postMessage({connection, reply: message});
  if (provider === null) {
    answer(protocol.failure(id, failed));
    return;
  }
  try {
    if (method === 'spellCheck') {
      provider.spellCheck(args[0], (misspelled) => answer(protocol.reply(id, misspelled)));
    } else {
      answer(protocol.reply(id, provider[method](...args)));
    }
  } catch (error) {
    answer(protocol.failure(id, error));
  }
});
