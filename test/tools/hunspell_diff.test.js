'use strict';
// The differential run's verdicts on its own: two stand-in engines that answer as configured,
// so that a difference, an expected one, and each way of telling a time-limited one apart are
// seen to be classed as they should.
const assert = require('node:assert');
const childProcess = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const test = require('node:test');

const tool = path.join(__dirname, '..', '..', 'tools', 'hunspell_diff', 'hunspell_diff.js');

// A stand-in engine speaking hunspell_diff_engine's protocol. It accepts the word list's words
// and suggests the word with "1" appended; FAKE_CONFIG's entry for its role changes that:
// flip (verdicts turned round for these words), suffix (suggestions end in this instead), vary
// (a random suggestion added, different on every call), span (the clock span it reports, ns).
const engineScript = `#!/usr/bin/env node
'use strict';
const fs = require('node:fs');
const role = process.argv[2];
const config = JSON.parse(fs.readFileSync(process.env.FAKE_CONFIG, 'utf8'))[role] || {};
const args = process.argv.slice(3);
const stemsOnly = args[0] === '--stems';
const words = fs.readFileSync(args[stemsOnly ? 2 : 1], 'utf8').split('\\n').slice(1)
    .filter(Boolean).map((line) => line.split('/')[0]);
if (stemsOnly) {
  process.stdout.write(words.join('\\n') + '\\n');
  process.exit(0);
}
const known = new Set(words);
const span = String(config.span || 1000);
let out = '';
for (const line of fs.readFileSync(0, 'utf8').split('\\n')) {
  if (!line) continue;
  const word = line.slice(2);
  let correct = known.has(word);
  if ((config.flip || []).includes(word)) correct = !correct;
  out += (correct ? '1' : '0') + '\\t10\\t10\\t' + span;
  if (line[0] === 's') {
    const suggestions = [word + (config.suffix || '1')];
    if (config.vary) suggestions.push(String(Math.random()));
    out += '\\t10\\t10\\t' + span + '\\t' + suggestions.length + '\\t' + suggestions.join('\\t');
  }
  out += '\\n';
}
process.stdout.write(out);
`;

function setUp() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'hunspell-diff-test-'));
  const engine = path.join(dir, 'engine.js');
  fs.writeFileSync(engine, engineScript, {mode: 0o755});
  for (const role of ['patched', 'unpatched']) {
    fs.writeFileSync(
        path.join(dir, role), `#!/bin/sh\nexec "${engine}" ${role} "$@"\n`, {mode: 0o755});
  }
  // Enough words that the share chosen for suggestions is not empty.
  const words = [];
  for (let i = 0; i < 400; ++i)
    words.push(`w${i.toString(26).replace(/\d/g, (d) => 'klmnopqrst'[d])}`);
  fs.writeFileSync(path.join(dir, 'xx.aff'), 'SET UTF-8\n');
  fs.writeFileSync(path.join(dir, 'xx.dic'), `${words.length}\n${words.join('\n')}\n`);
  return {dir, words};
}

function run(setup, config, extra = []) {
  const configFile = path.join(setup.dir, 'config.json');
  fs.writeFileSync(configFile, JSON.stringify(config));
  const expected = path.join(setup.dir, 'expected.tsv');
  if (!fs.existsSync(expected)) fs.writeFileSync(expected, '');
  const result = childProcess.spawnSync(
      process.execPath,
      [
        tool, '--pair', path.join(setup.dir, 'xx.aff'), '--patched',
        path.join(setup.dir, 'patched'), '--unpatched', path.join(setup.dir, 'unpatched'),
        '--expected', expected, ...extra
      ],
      {encoding: 'utf8', env: {...process.env, FAKE_CONFIG: configFile}});
  assert.strictEqual(result.stderr, '');
  return {status: result.status, output: result.stdout};
}

const diffLines = (output) => output.split('\n').filter((line) => line.startsWith('DIFF\t'));

test('the same answers from both engines are no difference', () => {
  const setup = setUp();
  const {status, output} = run(setup, {});
  assert.strictEqual(status, 0);
  assert.match(output, /verdict diffs {3}0 {2}suggestion diffs {3}0\/[1-9]/);
  assert.deepStrictEqual(diffLines(output), []);
});

test('a changed verdict is listed and fails the run until it is expected', () => {
  const setup = setUp();
  const word = setup.words[7];
  const config = {patched: {flip: [word]}};
  const first = run(setup, config, ['--write-expected', path.join(setup.dir, 'written.tsv')]);
  assert.strictEqual(first.status, 1);
  assert.deepStrictEqual(
      diffLines(first.output),
      [`DIFF\tfile:xx\tverdict\t${word}\tstem\tunpatched correct\t` +
       'patched misspelled\tNEW']);
  fs.copyFileSync(path.join(setup.dir, 'written.tsv'), path.join(setup.dir, 'expected.tsv'));
  const second = run(setup, config);
  assert.strictEqual(second.status, 0);
  assert.match(diffLines(second.output)[0], /\texpected$/);
});

test('changed suggestions that no limit explains are real differences', () => {
  const setup = setUp();
  // Just under the smallest limit (1/20 s) on the engine's own clock.
  const {status, output} = run(setup, {patched: {suffix: '2', span: 49999999}});
  assert.strictEqual(status, 1);
  const lines = diffLines(output);
  assert.ok(lines.length > 0);
  for (const line of lines) assert.match(line, /\tsuggest\t.*\tNEW$/);
});

// Each way of telling that a limit may explain changed suggestions.
const timeLimited = [
  [
    'from a call that saw the limit pass', {patched: {suffix: '2', span: 50000000}},
    /\ttime-limited \(a call saw 50 ms pass\)$/
  ],
  [
    'where the unpatched engine disagrees with itself',
    {patched: {suffix: '2'}, unpatched: {vary: true}}, /\ttime-limited \(unpatched answers vary: /
  ],
];
for (const [how, config, reason] of timeLimited) {
  test(`changed suggestions ${how} are time-limited`, () => {
    const {status, output} = run(setUp(), config);
    assert.strictEqual(status, 0);
    const lines = diffLines(output);
    assert.ok(lines.length > 0);
    for (const line of lines) assert.match(line, reason);
  });
}

test('a patched engine that disagrees with itself below the limit is a real difference', () => {
  const setup = setUp();
  const {status, output} = run(setup, {patched: {vary: true}});
  assert.strictEqual(status, 1);
  for (const line of diffLines(output)) assert.match(line, /\tNEW \[patched answers vary\]$/);
});
