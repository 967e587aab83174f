'use strict';
// Loads the native module that scripts/build.sh builds into build/. The module exports
// Spellchecker, openAs and openProperties only in a page context (a global `navigator`, as
// Electron pages have); anywhere else it exports nothing.
//
// SPELLCHECKER_NATIVE_MODULE may name another build of the .node file to load instead.

const fs = require('node:fs');
const path = require('node:path');

const fileName = 'spellchecker.node';
const candidates = process.env.SPELLCHECKER_NATIVE_MODULE ?
    [path.resolve(process.env.SPELLCHECKER_NATIVE_MODULE)] :
    [
      path.join(__dirname, 'build', fileName),
      // Multi-configuration generators (Visual Studio) put it one level down.
      path.join(__dirname, 'build', 'Release', fileName),
      path.join(__dirname, 'build', 'RelWithDebInfo', fileName),
    ];

const found = candidates.find((candidate) => fs.existsSync(candidate));
if (found === undefined) {
  throw new Error(
      `The native module is not built: none of ${candidates.join(', ')} exists. ` +
          'Run scripts/build.sh first.',
  );
}

module.exports = require(found);
