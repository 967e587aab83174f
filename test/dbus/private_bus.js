'use strict';
// A private D-Bus session bus for the tests: a dbus-daemon of their own, with its own
// configuration and service directory, and the fake desktop service that records every call.
// The machine's own session bus is never touched.

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {spawn} = require('node:child_process');

const fakeService = path.join(__dirname, 'fake_desktop_service.py');
// Debian's interpreter, which has the GObject bindings the fake needs.
const python = '/usr/bin/python3';
const serviceNames = ['org.freedesktop.portal.Desktop', 'org.freedesktop.FileManager1'];

function config(dir) {
  return `<busconfig>
  <type>session</type>
  <listen>unix:path=${dir}/bus</listen>
  <servicedir>${dir}/services</servicedir>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
`;
}

// Resolves with the first line the child prints, rejects if it ends or stays silent first.
function firstLine(child, what) {
  return new Promise((resolve, reject) => {
    let text = '';
    const timer = setTimeout(() => reject(new Error(`${what} printed nothing`)), 20_000);
    child.stdout.setEncoding('utf8');
    child.stdout.on('data', (chunk) => {
      text += chunk;
      const end = text.indexOf('\n');
      if (end >= 0) {
        clearTimeout(timer);
        resolve(text.slice(0, end));
      }
    });
    child.on('exit', (code, signal) => {
      clearTimeout(timer);
      reject(new Error(`${what} ended (${code ?? signal})`));
    });
  });
}

function ended(child) {
  if (child.exitCode !== null || child.signalCode !== null) return Promise.resolve();
  return new Promise((resolve) => child.once('exit', resolve));
}

class PrivateBus {
  static async start() {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellchecker-bus-'));
    fs.mkdirSync(path.join(dir, 'services'));
    fs.writeFileSync(path.join(dir, 'bus.conf'), config(dir));
    const log = fs.openSync(path.join(dir, 'bus.log'), 'a');
    const daemon = spawn(
        'dbus-daemon',
        [`--config-file=${dir}/bus.conf`, '--nofork', '--print-address=1'],
        {stdio: ['ignore', 'pipe', log]},
    );
    fs.closeSync(log);
    const address = await firstLine(daemon, 'dbus-daemon');
    return new PrivateBus(dir, daemon, address);
  }

  constructor(dir, daemon, address) {
    this.dir = dir;
    this.daemon = daemon;
    this.address = address;
    this.socket = path.join(dir, 'bus');
    this.record = path.join(dir, 'calls.jsonl');
    this.fakes = [];
  }

  fakeArgs({silent = false, delayMs = 0} = {}) {
    const args = [fakeService, '--record', this.record];
    if (silent) args.push('--silent');
    if (delayMs) args.push(`--delay-ms=${delayMs}`);
    return args;
  }

  // Starts the fake on this bus and waits until it owns both names.
  async startFake(options) {
    const log = fs.openSync(path.join(this.dir, 'fake.log'), 'a');
    const fake =
        spawn(python, [...this.fakeArgs(options), '--address', this.address, '--print-ready'], {
          stdio: ['ignore', 'pipe', log],
        });
    fs.closeSync(log);
    this.fakes.push(fake);
    const line = await firstLine(fake, 'the fake service');
    if (line !== 'ready') throw new Error(`the fake service said ${line}`);
    return fake;
  }

  // Lets the bus start the fake on the first call to either name.
  makeActivatable(options) {
    const exec = [python, ...this.fakeArgs(options)].join(' ');
    for (const name of serviceNames) {
      fs.writeFileSync(
          path.join(this.dir, 'services', `${name}.service`),
          `[D-BUS Service]\nName=${name}\nExec=${exec}\n`,
      );
    }
  }

  // The calls the fake has recorded so far, oldest first.
  calls() {
    if (!fs.existsSync(this.record)) return [];
    return fs.readFileSync(this.record, 'utf8')
        .split('\n')
        .filter(Boolean)
        .map((line) => JSON.parse(line));
  }

  clearCalls() {
    fs.rmSync(this.record, {force: true});
  }

  async stopFakes() {
    for (const fake of this.fakes) fake.kill('SIGTERM');
    await Promise.all(this.fakes.map(ended));
    this.fakes = [];
  }

  pause() {
    this.daemon.kill('SIGSTOP');
  }

  resume() {
    this.daemon.kill('SIGCONT');
  }

  // Ends the daemon and the fakes (activated ones leave when the bus goes) and removes the
  // directory.
  async stop() {
    this.resume();
    await this.stopFakes();
    this.daemon.kill('SIGTERM');
    await ended(this.daemon);
    fs.rmSync(this.dir, {recursive: true, force: true});
  }
}

module.exports = {PrivateBus};
