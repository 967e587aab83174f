'use strict';
// Loads the native module. The module exports Spellchecker, openAs and openProperties only in a
// page context (a global `navigator`, as Electron pages have); anywhere else it exports nothing.
//
// Where the .node file comes from, first match wins:
// 1. SPELLCHECKER_NATIVE_MODULE, when set, names the file (tests use it for other builds).
// 2. A source build in build/, where scripts/build.sh puts it, so contributors run what they
//    built rather than a prebuild copied earlier.
// 3. The prebuild for this platform and architecture, prebuilds/<platform>-<arch>/, as
//    node-gyp-build picks it (its tags decide, e.g. glibc against musl).

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const fileName = 'spellchecker.node';
// What scripts/prebuild.sh builds; the npm package ships exactly these.
const supported = ['linux-x64 (glibc)', 'linux-arm64 (glibc)', 'win32-x64', 'win32-arm64'];

function localBuild() {
  const candidates = [
    path.join(__dirname, 'build', fileName),
    // Multi-configuration generators (Visual Studio) put it one level down.
    path.join(__dirname, 'build', 'Release', fileName),
    path.join(__dirname, 'build', 'RelWithDebInfo', fileName),
  ];
  return candidates.find((candidate) => fs.existsSync(candidate));
}

function prebuild() {
  try {
    return require('node-gyp-build').path(__dirname);
  } catch {
    // node-gyp-build reads the same variables to let a cross-install pick another target.
    const platform = process.env.npm_config_platform || os.platform();
    const arch = process.env.npm_config_arch || os.arch();
    throw new Error(
        `native-spellchecker: no prebuilt binary for ${platform}-${arch} and no source build ` +
        `in ${path.join(__dirname, 'build')}. Prebuilt binaries exist for ` +
        `${supported.join(', ')}. To build from source (CMake, a C++17 compiler and the ` +
        `development files that the README's "Building from source" lists), run in ` +
        `${__dirname}: \`npm install --include=dev && npm run build:module\`.`);
  }
}

function nativeModule() {
  const override = process.env.SPELLCHECKER_NATIVE_MODULE;
  if (override) {
    const file = path.resolve(override);
    if (!fs.existsSync(file)) {
      throw new Error(
          `native-spellchecker: SPELLCHECKER_NATIVE_MODULE names ${file}, which ` +
          'does not exist.');
    }
    return file;
  }
  return localBuild() ?? prebuild();
}

module.exports = require(nativeModule());
