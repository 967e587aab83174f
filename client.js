'use strict';
// The page's entry for a sandboxed preload: a spell-check provider that asks a host over a
// message port. Plain JavaScript, with no Node.js built-in and no native module.
module.exports = require('./lib/client.js');
