'use strict';
// Instances of both backends, created and collected in bulk, give their memory back, and the
// collector frees unreachable ones before their dictionaries pile up.

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const {spawnSync} = require('node:child_process');
const {isolateEnchant, root} = require('./support');

isolateEnchant();

test('memory returns to its level after many instances are collected', () => {
  const rounds = 6;
  const perRound = 8;
  const result = spawnSync(
      process.execPath,
      [
        '--expose-gc', path.join(__dirname, 'children', 'memory.js'), String(rounds),
        String(perRound)
      ],
      {cwd: root, encoding: 'utf8', timeout: 600_000},
  );
  assert.equal(result.status, 0, result.stderr);
  const {rss} = JSON.parse(result.stdout);
  const mib = (bytes) => bytes / (1024 * 1024);
  // The first rounds fill the allocator's pools; after that a leak of the backends (each holds
  // en_US, several MiB) would grow by tens of MiB a round.
  const settled = rss[2];
  const last = rss[rss.length - 1];
  const growth = mib(last - settled);
  assert.ok(
      growth < 32,
      `resident set grew by ${growth.toFixed(1)} MiB: ${rss.map(mib).map((m) => m.toFixed(0))}`);
});

// Each en_US engine holds about 7 MiB outside the script heap; unless the collector learns of
// it, the hundred instances stay until some other pressure starts a collection.
test('unreachable instances holding dictionaries are collected without a forced collection', () => {
  const count = 100;
  const result = spawnSync(
      process.execPath, [path.join(__dirname, 'children', 'unreachable.js'), String(count)],
      {cwd: root, encoding: 'utf8', timeout: 600_000});
  assert.equal(result.status, 0, result.stderr);
  const {before, peak} = JSON.parse(result.stdout);
  const growth = (peak - before) / (1024 * 1024);
  assert.ok(growth < 400, `the resident set peaked ${growth.toFixed(0)} MiB above its start`);
});
