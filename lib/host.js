'use strict';
// The host of spell checking for any number of pages: one provider, on a worker thread of the
// process that serves (Electron's main process or a utilityProcess), answering the requests of
// every port it is given. Hunspell's loads, checks and suggestions never hold that process's own
// thread, which in the main process draws every window.

const path = require('node:path');
const {Worker} = require('node:worker_threads');

const protocol = require('./protocol.js');

const name = 'native-spellchecker/provider';

function hostClosed() {
  const error = new Error(`${name}: the spell-check host is closed`);
  error.code = 'ERR_SPELLCHECKER_HOST_CLOSED';
  return error;
}

// An error from the worker, as the protocol describes it, made an Error again.
function errorFrom(described) {
  return protocol.readReply({v: protocol.version, error: described}, 'words').error;
}

function createSpellCheckHost(options) {
  // The options are checked by the provider, on the worker; a value that cannot be copied there
  // (a function, say) throws here.
  const worker = new Worker(path.join(__dirname, 'host_worker.js'), {workerData: {options}});
  const connections = new Map();
  let lastConnection = 0;
  let closed = false;
  let stopped = null;

  let settleReady;
  const ready = new Promise((resolve, reject) => {
    settleReady = (languages, error) => error ? reject(error) : resolve(languages);
  });
  // A host whose provider could not start is still served (every request gets the error), so an
  // app that never awaits `ready` sees no unhandled rejection.
  ready.catch(() => {});

  function drop(id) {
    const connection = connections.get(id);
    if (connection === undefined) return;
    connections.delete(id);
    for (const unlisten of connection.stop) unlisten();
    try {
      connection.port.close();
    } catch {
    }
  }

  // Ends every connection; each client answers what it still waits for.
  function shutDown(error) {
    if (closed) return;
    closed = true;
    settleReady(null, error ?? hostClosed());
    for (const id of [...connections.keys()]) drop(id);
  }

  worker.on('message', (message) => {
    if (message.ready !== undefined) {
      settleReady(message.ready);
    } else if (message.failed !== undefined) {
      settleReady(null, errorFrom(message.failed));
    } else {
      // A port closed in the meantime is dropped by its 'close' event; nothing is owed to it.
      try {
        connections.get(message.connection)?.port.postMessage(message.reply);
      } catch {
      }
    }
  });
  // A worker that fails or ends takes the host with it: the clients learn of it from their ports.
  worker.on('error', (error) => shutDown(error));
  stopped = new Promise((resolve) => worker.once('exit', resolve)).then(() => shutDown());

  function serve(port) {
    protocol.checkPort(port, 'serve');
    if (closed) throw hostClosed();
    const id = ++lastConnection;
    const connection = {port, stop: []};
    connection.stop.push(protocol.listen(port, 'message', (event) => {
      const request = protocol.readRequest(event.data);
      if (request === null) return;
      if (request.error !== undefined) {
        port.postMessage(protocol.failure(request.id, request.error));
      } else {
        worker.postMessage({connection: id, request});
      }
    }));
    connection.stop.push(protocol.listen(port, 'close', () => drop(id)));
    connections.set(id, connection);
    port.start();
  }

  return {
    ready,
    serve,
    get connections() {
      return connections.size;
    },
    close() {
      shutDown();
      worker.terminate();
      return stopped;
    },
  };
}

module.exports = {createSpellCheckHost};
