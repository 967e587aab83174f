'use strict';
// The utility process of host.test.js: a spell-check host serving every channel the router
// (the test process) gives it. argv[2]: the host's options as JSON.

const {channelPort} = require('./port_relay.js');
const {packageDir} = require('../support');

const {createSpellCheckHost} = require(`${packageDir}/provider`);

const host = createSpellCheckHost(JSON.parse(process.argv[2]));
host.ready.then(
    ({languages}) => process.send({ready: languages}),
    (error) => process.send({failed: error.message}));
process.on('message', (message) => {
  if (message.serve !== undefined) host.serve(channelPort(message.serve));
  if (message.close) host.close().then(() => process.disconnect());
});
