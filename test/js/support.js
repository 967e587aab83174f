'use strict';
// Shared set-up for the script tests. Each test file runs in a process of its own, so what is
// set here (the page context, Enchant's configuration) stays within that file.

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {spawnSync} = require('node:child_process');

const root = path.resolve(__dirname, '..', '..');
// The package under test: the source tree, or an installed copy named by
// SPELLCHECKER_TEST_PACKAGE (scripts/package-test.sh). Fixtures always come from the source tree.
const packageDir = process.env.SPELLCHECKER_TEST_PACKAGE ?
    path.resolve(process.env.SPELLCHECKER_TEST_PACKAGE) :
    root;
const fixtures = path.join(root, 'test', 'fixtures', 'js');
const systemDictionaries = '/usr/share/hunspell';

// The prototype methods of Spellchecker, in their defined order.
const methods = [
  'isHunspell',
  'isMisspelled',
  'setDictionary',
  'add',
  'remove',
  'getAvailableDictionaries',
  'getCorrectionsForMisspelling',
];

// Windows builds are tested under wine, which has no spell-checking service and no desktop bus:
// there a plain construction falls back to Hunspell, and the cases that need this Linux
// machine's services (Enchant, D-Bus) are skipped, unless scripts/windows/script-tests.sh has
// registered the test spelling service (test/windows/spell_service) as the platform's and says so
// in SPELLCHECKER_TEST_SERVICE.
const windows = process.platform === 'win32';
const testService = windows && process.env.SPELLCHECKER_TEST_SERVICE === 'registered';
const systemService = !windows || testService;
// Under emulation (scripts/linux/arm64-script-tests.sh) every process, a service started on demand
// included, runs several times slower than on the machine the budgets were set for.
const emulated = process.env.SPELLCHECKER_TEST_EMULATED === '1';

// Enchant, which serves the system backend on Linux, reads its provider ordering from and keeps
// personal word lists in ENCHANT_CONFIG_DIR. A private one keeps the user's files out of reach
// and pins the provider to Hunspell; it must be set before the module creates a backend.
function isolateEnchant() {
  if (process.env.SPELLCHECKER_TEST_ENCHANT_DIR) return process.env.ENCHANT_CONFIG_DIR;
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellchecker-enchant-'));
  fs.writeFileSync(path.join(dir, 'enchant.ordering'), '*:hunspell\nen_US:hunspell\n');
  process.env.ENCHANT_CONFIG_DIR = dir;
  // Children inherit the same directory; the process that made it removes it.
  process.env.SPELLCHECKER_TEST_ENCHANT_DIR = dir;
  process.on('exit', () => fs.rmSync(dir, {recursive: true, force: true}));
  return dir;
}

// Loads the package as an Electron page would: Node 20 has no navigator, Node 22 and pages do.
function loadInPage() {
  isolateEnchant();
  if (!('navigator' in globalThis)) globalThis.navigator = {};
  return require(packageDir);
}

// The .node file that the package's index.js loads: an installed package has no build of its
// own, so there it is the prebuild that the package's own node-gyp-build picks.
function nativeModulePath() {
  if (packageDir !== root && !process.env.SPELLCHECKER_NATIVE_MODULE) {
    const nodeGypBuild = require.resolve('node-gyp-build', {paths: [packageDir]});
    return require(nodeGypBuild).path(packageDir);
  }
  const candidates = process.env.SPELLCHECKER_NATIVE_MODULE ?
      [path.resolve(root, process.env.SPELLCHECKER_NATIVE_MODULE)] :
      ['', 'Release', 'RelWithDebInfo'].map(
          (dir) => path.join(root, 'build', dir, 'spellchecker.node'));
  const found = candidates.find((candidate) => fs.existsSync(candidate));
  if (found === undefined) throw new Error(`no built module among ${candidates.join(', ')}`);
  return found;
}

// Runs a command to its end with the suite's environment, as the tests' child processes run.
function runChild(command, args, {cwd = root, env = {}} = {}) {
  isolateEnchant();
  const result = spawnSync(command, args, {
    cwd,
    env: {...process.env, ...env},
    encoding: 'utf8',
    timeout: 120_000,
  });
  return {
    status: result.status,
    signal: result.signal,
    stdout: result.stdout,
    stderr: result.stderr
  };
}

// Runs a script in a fresh process of the same Node, from the root of the source tree.
function runNode(script, {args = [], env = {}} = {}) {
  return runChild(process.execPath, [...args, '-e', script], {env});
}

// The Deno executable of the npm package `deno`, or null where it is not installed or cannot run:
// the emulated ARM64 root shares this machine's node_modules, whose Deno is built for x64.
let deno;
function denoPath() {
  if (deno !== undefined) return deno;
  try {
    deno = require('deno/install_api.cjs').runInstall();
    if (spawnSync(deno, ['--version'], {stdio: 'ignore'}).status !== 0) deno = null;
  } catch {
    deno = null;
  }
  return deno;
}

// Runs a script under Deno, which gives its own answers where hosts of Node-API differ. The
// script may use require; it runs in a directory of its own with a private cache, and Deno's
// navigator makes a page context.
function runDeno(script) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellchecker-deno-'));
  try {
    const file = path.join(dir, 'script.mjs');
    fs.writeFileSync(
        file,
        `import {createRequire} from 'node:module';\n` +
            `const require = createRequire(import.meta.url);\n${script}`);
    return runChild(denoPath(), ['run', '--quiet', '--allow-all', '--no-config', file], {
      cwd: dir,
      env: {
        SPELLCHECKER_NATIVE_MODULE: nativeModulePath(),
        DENO_DIR: path.join(dir, 'cache'),
        DENO_NO_UPDATE_CHECK: '1',
        NO_COLOR: '1',
      },
    });
  } finally {
    fs.rmSync(dir, {recursive: true, force: true});
  }
}

module.exports = {
  root,
  packageDir,
  fixtures,
  systemDictionaries,
  methods,
  windows,
  systemService,
  testService,
  emulated,
  isolateEnchant,
  loadInPage,
  nativeModulePath,
  runNode,
  denoPath,
  runDeno,
};
