'use strict';
// openAs and openProperties over D-Bus: what reaches the desktop portal and the file manager,
// bus activation, and every way the bus can fail. Each bus is private to this file.

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const {emulated, loadInPage, packageDir, runNode, windows} = require('./support');

if (windows) {
  test('the shell calls over D-Bus', {skip: 'D-Bus is Linux only'});
  return;
}
const {PrivateBus} = require('../dbus/private_bus');

const shell = loadInPage();

// Far above the calls' own deadline, so only a call that hangs can fail it.
const generousBoundMs = 5000;
const uriCharacters = /^file:\/\/[A-Za-z0-9\-._~/%]*$/;

function decodeFileUri(uri) {
  assert.match(uri, uriCharacters);
  return decodeURIComponent(uri.slice('file://'.length));
}

test.describe('with the services running', () => {
  let bus;
  let dir;
  const startDir = process.cwd();

  test.before(async () => {
    bus = await PrivateBus.start();
    await bus.startFake();
    process.env.DBUS_SESSION_BUS_ADDRESS = bus.address;
    dir = fs.mkdtempSync(path.join(bus.dir, 'files '));
  });
  test.after(async () => {
    process.chdir(startDir);
    await bus.stop();
  });
  test.beforeEach(() => bus.clearCalls());

  const names =
      ['plain.txt', 'with space.txt', 'hash#sign', 'per%cent', 'zażółć 日本.txt', 'a?b&c=d;\'x\''];

  for (const name of names) {
    test(`openProperties sends the file manager a URI of ${JSON.stringify(name)}`, () => {
      const file = path.join(dir, name);
      assert.equal(shell.openProperties(file), undefined);
      const calls = bus.calls();
      assert.equal(calls.length, 1);
      const [call] = calls;
      assert.deepEqual(
          [call.destination, call.path, call.interface, call.method, call.signature],
          [
            'org.freedesktop.FileManager1',
            '/org/freedesktop/FileManager1',
            'org.freedesktop.FileManager1',
            'ShowItemProperties',
            'ass',
          ],
      );
      assert.equal(call.args.length, 2);
      assert.equal(call.args[0].length, 1);
      assert.equal(decodeFileUri(call.args[0][0]), file);
      assert.equal(call.args[1], '');
      assert.deepEqual(call.fds, []);
    });

    test(`openAs hands the portal the file ${JSON.stringify(name)} and asks`, () => {
      const file = path.join(dir, name);
      fs.writeFileSync(file, 'text');
      assert.equal(shell.openAs(file), undefined);
      const calls = bus.calls();
      assert.equal(calls.length, 1);
      const [call] = calls;
      assert.deepEqual(
          [call.destination, call.path, call.interface, call.method, call.signature],
          [
            'org.freedesktop.portal.Desktop',
            '/org/freedesktop/portal/desktop',
            'org.freedesktop.portal.OpenURI',
            'OpenFile',
            'sha{sv}',
          ],
      );
      assert.deepEqual(call.args, ['', 0, {ask: true}]);
      assert.deepEqual(call.fds, [{target: file, o_path: true}]);
    });
  }

  test('a relative path is taken against the working directory', () => {
    process.chdir(dir);
    fs.mkdirSync('sub dir', {recursive: true});
    fs.writeFileSync(path.join('sub dir', 'ä#%.txt'), 'text');
    for (const relative of ['sub dir/ä#%.txt', './sub dir/ä#%.txt', 'sub dir/../sub dir/ä#%.txt']) {
      bus.clearCalls();
      shell.openProperties(relative);
      shell.openAs(relative);
      const [properties, openWith] = bus.calls();
      assert.equal(decodeFileUri(properties.args[0][0]), `${process.cwd()}/${relative}`);
      assert.equal(openWith.fds[0].target, path.join(dir, 'sub dir', 'ä#%.txt'));
    }
    process.chdir(startDir);
  });

  test('the properties of a symbolic link are asked for the link itself', () => {
    const target = path.join(dir, 'target.txt');
    const link = path.join(dir, 'link to target');
    fs.writeFileSync(target, 'text');
    fs.symlinkSync(target, link);
    shell.openProperties(link);
    shell.openAs(link);
    const [properties, openWith] = bus.calls();
    assert.equal(decodeFileUri(properties.args[0][0]), link);
    // The program chosen opens what the link names.
    assert.equal(openWith.fds[0].target, target);
  });

  test('a directory can be handed over as well', () => {
    shell.openAs(dir);
    assert.deepEqual(bus.calls()[0].fds, [{target: dir, o_path: true}]);
  });

  test('calls leave no connection or thread behind', async () => {
    const fds = () => fs.readdirSync('/proc/self/fd').length;
    const threads = () => fs.readdirSync('/proc/self/task').length;
    // GDBus's worker thread may drop its last hold on a call's connection, and with it the
    // call's main context and that context's wake-up descriptor, just after the call returns.
    const pause = () => new Promise((resolve) => setTimeout(resolve, 20));
    const fewestFds = async (floor, ms) => {
      let fewest = fds();
      for (let waited = 0; fewest > floor && waited < ms; waited += 20) {
        await pause();
        fewest = Math.min(fewest, fds());
      }
      return fewest;
    };
    // GLib keeps a few threads and wake-up descriptors of its own after the first call.
    shell.openProperties(dir);
    shell.openAs(dir);
    const fdsBefore = await fewestFds(0, 200);
    const threadsBefore = threads();
    for (let i = 0; i < 200; i++) {
      shell.openProperties(dir);
      shell.openAs(dir);
    }
    assert.equal(bus.calls().length, 402);
    assert.ok(threads() <= threadsBefore + 2, `threads ${threadsBefore} -> ${threads()}`);
    // A connection left behind never lets go of its context: the count stays above.
    const fdsAfter = await fewestFds(fdsBefore, generousBoundMs);
    assert.ok(fdsAfter <= fdsBefore, `descriptors ${fdsBefore} -> ${fdsAfter}`);
  });

  test('the bus address is read again on every call', () => {
    process.env.DBUS_SESSION_BUS_ADDRESS = `unix:path=${path.join(bus.dir, 'nothing')}`;
    shell.openProperties(dir);
    assert.deepEqual(bus.calls(), []);
    delete process.env.DBUS_SESSION_BUS_ADDRESS;
    const runtimeDir = process.env.XDG_RUNTIME_DIR;
    process.env.XDG_RUNTIME_DIR = bus.dir;  // the bus listens on <dir>/bus
    try {
      shell.openProperties(dir);
    } finally {
      if (runtimeDir === undefined)
        delete process.env.XDG_RUNTIME_DIR;
      else
        process.env.XDG_RUNTIME_DIR = runtimeDir;
      process.env.DBUS_SESSION_BUS_ADDRESS = bus.address;
    }
    assert.equal(bus.calls().length, 1);
  });
});

test.describe('with the services started by the bus', () => {
  let bus;
  test.before(async () => {
    bus = await PrivateBus.start();
    // Slow to start, as a desktop service started cold is.
    bus.makeActivatable({delayMs: 300});
    process.env.DBUS_SESSION_BUS_ADDRESS = bus.address;
  });
  test.after(async () => {
    await bus.stop();
  });

  // An emulated Python with GObject takes longer to start than the call's budget allows.
  const skip = emulated && 'the service starts slower under emulation than the budget allows';
  test('the first call starts the service and waits for its reply', {skip}, () => {
    assert.equal(shell.openProperties('/tmp/first'), undefined);
    // Recorded before the fake replies: present as soon as the call returns.
    assert.deepEqual(
        bus.calls().map((call) => call.args),
        [[['file:///tmp/first'], '']],
    );
    shell.openAs(bus.dir);
    assert.deepEqual(
        bus.calls().map((call) => call.method),
        ['ShowItemProperties', 'OpenFile'],
    );
  });
});

// Runs both functions in a fresh process and answers their results, their times and all that
// the process printed.
function callInChild(file, env) {
  const result = runNode(
      `globalThis.navigator = {};
    const shell = require(${JSON.stringify(packageDir)});
    const calls = [];
    for (const name of ['openAs', 'openProperties']) {
      const start = process.hrtime.bigint();
      const result = shell[name](${JSON.stringify(file)});
      calls.push({ name, undefined: result === undefined,
                   ms: Number(process.hrtime.bigint() - start) / 1e6 });
    }
    process.stdout.write(JSON.stringify(calls));`,
      {env},
  );
  assert.equal(result.status, 0, result.stderr);
  return {calls: JSON.parse(result.stdout), stderr: result.stderr};
}

function assertQuietAndBounded(t, {calls, stderr}) {
  assert.equal(stderr, '');
  assert.deepEqual(
      calls.map((call) => [call.name, call.undefined]),
      [
        ['openAs', true],
        ['openProperties', true],
      ],
  );
  for (const call of calls) {
    t.diagnostic(`${call.name}: ${call.ms.toFixed(0)} ms`);
    assert.ok(call.ms < generousBoundMs, `${call.name} held the thread ${call.ms} ms`);
  }
}

test.describe('faults', () => {
  let bus;
  let file;
  test.before(async () => {
    bus = await PrivateBus.start();
    file = path.join(bus.dir, 'document.txt');
    fs.writeFileSync(file, 'text');
  });
  test.after(async () => {
    await bus.stop();
  });
  test.beforeEach(() => bus.clearCalls());

  test('calls that succeed print nothing', async (t) => {
    await bus.startFake();
    try {
      assertQuietAndBounded(t, callInChild(file, {DBUS_SESSION_BUS_ADDRESS: bus.address}));
      assert.equal(bus.calls().length, 2);
    } finally {
      await bus.stopFakes();
    }
  });

  const environments = {
    'no bus at all': () => ({DBUS_SESSION_BUS_ADDRESS: undefined, XDG_RUNTIME_DIR: undefined}),
    'a runtime directory without a bus': () => ({
      DBUS_SESSION_BUS_ADDRESS: undefined,
      XDG_RUNTIME_DIR: path.join(bus.dir, 'services'),
    }),
    'an address pointing at nothing': () => ({
      DBUS_SESSION_BUS_ADDRESS: `unix:path=${path.join(bus.dir, 'nothing')}`,
    }),
    'a malformed address': () => ({DBUS_SESSION_BUS_ADDRESS: 'unix:nonsense'}),
    'only an address that would launch a bus': () => ({DBUS_SESSION_BUS_ADDRESS: 'autolaunch:'}),
    'no owner of the names': () => ({DBUS_SESSION_BUS_ADDRESS: bus.address}),
  };
  for (const [what, env] of Object.entries(environments)) {
    test(`${what}: undefined, quietly and in time`, (t) => {
      assertQuietAndBounded(t, callInChild(file, env()));
      assert.deepEqual(bus.calls(), []);
    });
  }

  test('an owner that never replies: undefined, quietly and in time', async (t) => {
    await bus.startFake({silent: true});
    try {
      assertQuietAndBounded(t, callInChild(file, {DBUS_SESSION_BUS_ADDRESS: bus.address}));
      // Both calls did reach it.
      assert.deepEqual(
          bus.calls().map((call) => call.method),
          ['OpenFile', 'ShowItemProperties'],
      );
    } finally {
      await bus.stopFakes();
    }
  });

  test('a stopped bus daemon: undefined, quietly and in time', (t) => {
    bus.pause();
    try {
      assertQuietAndBounded(t, callInChild(file, {DBUS_SESSION_BUS_ADDRESS: bus.address}));
    } finally {
      bus.resume();
    }
  });
});
