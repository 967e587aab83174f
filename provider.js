'use strict';
// A spell-check provider for Electron pages, made of Spellchecker instances: several languages
// at once, a personal word list kept in a file, words ignored for the session, and checking in
// short slices that give the page its turn between them. Its parts are in lib/.

const {createSpellCheckProvider} = require('./lib/provider.js');

// The same provider on a worker thread of the main process or a utilityProcess, serving pages
// over message ports (lib/host.js).
const {createSpellCheckHost} = require('./lib/host.js');

module.exports = {
  createSpellCheckProvider,
  createSpellCheckHost
};
