'use strict';
// The stand-in for Electron's message channels between processes. Electron's MessageChannelMain
// joins two processes directly; here the test's own process (standing for the main process)
// routes each channel's messages between its children over their IPC pipes, and each child holds
// a Node.js MessageChannel whose far port carries the channel into the child: its messages go out
// over IPC and the IPC's come in, and when the router says the other end is gone (its process
// died or closed the port), the far port closes, which the near port reports with 'close', as
// Chromium's and Electron's ports do.
//
// Router to child: {channel, data} a message; {channel, closed: true} the other end is gone.
// Child to router: {channel, data}; {channel, closed: true} this end closed its port.

const {MessageChannel} = require('node:worker_threads');

const far = new Map();

process.on('message', (message) => {
  if (message.channel === undefined) return;
  const port = far.get(message.channel);
  if (port === undefined) return;
  if (message.closed) {
    far.delete(message.channel);
    port.close();
  } else {
    port.postMessage(message.data);
  }
});

// The near port of a channel the router announced.
function channelPort(channel) {
  const {port1, port2} = new MessageChannel();
  far.set(channel, port1);
  port1.on('message', (data) => process.send({channel, data}));
  port1.on('close', () => {
    // Closed here (the near port's owner gave it up) rather than by the router.
    if (far.delete(channel) && process.connected) process.send({channel, closed: true});
  });
  return port2;
}

module.exports = {channelPort};
