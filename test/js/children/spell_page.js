'use strict';
// A renderer of host.test.js: a page's preload with the client on the channel the router gives
// it, doing what the test asks. Test to page: {connect: channel}, or {ref, call, args} to run a
// client method; page to test: {ref, answer} or {ref, error}. For spellCheck, every call of its
// callback is kept: {ref, call: 'calls', args: [checkRef]} answers them.

const {channelPort} = require('./port_relay.js');
const {packageDir} = require('../support');

const {createSpellCheckClient} = require(`${packageDir}/client`);

let client = null;
const callbacks = new Map();

process.on('message', (message) => {
  if (message.connect !== undefined) {
    const port = channelPort(message.connect);
    if (client === null) {
      client = createSpellCheckClient(port);
    } else {
      client.connect(port);
    }
    process.send({connected: message.connect});
    return;
  }
  const {ref, call, args} = message;
  if (call === undefined) return;
  if (call === 'calls') {
    process.send({ref, answer: callbacks.get(args[0]) ?? null});
  } else if (call === 'spellCheck') {
    callbacks.set(ref, []);
    client.spellCheck(args[0], (misspelled) => {
      callbacks.get(ref).push(misspelled);
      process.send({ref, answer: misspelled});
    });
    process.send({ref, sent: true});
  } else if (call === 'connected') {
    process.send({ref, answer: client.connected});
  } else {
    client[call](...args).then(
        (answer) => process.send({ref, answer}),
        (error) => process.send({ref, error: {message: error.message, code: error.code}}));
  }
});
process.send({started: true});
