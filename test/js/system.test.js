'use strict';
// The system backend through script: on Linux Enchant with its Hunspell provider serves it, on
// the Debian dictionaries (hunspell-en-us, hunspell-pl); under wine the test spelling service of
// test/windows/spell_service, over COM, when the run has registered it.

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {loadInPage, packageDir, runNode, systemService, testService} = require('./support');

if (!systemService) {
  test('the system backend', {skip: 'no spelling service registered under wine'});
  return;
}

const {Spellchecker} = loadInPage();

// Only the first live system backend of the process starts COM, so every test works on this one
// instance, made while no other exists.
const checker = new Spellchecker();

test('a plain construction gets the system backend', () => {
  assert.equal(checker.isHunspell(), false);
});

test('without a dictionary every method answers as an empty dictionary would', () => {
  for (const word of ['hello', 'helo', 'Zürich']) {
    assert.equal(checker.isMisspelled(word), false, word);
    assert.deepEqual(checker.getCorrectionsForMisspelling(word), [], word);
  }
  assert.equal(checker.add('helo'), undefined);
  assert.equal(checker.isMisspelled('helo'), false);
});

test('the available dictionaries are the service tags, spelled with "-"', () => {
  const tags = checker.getAvailableDictionaries();
  assert.ok(Array.isArray(tags));
  assert.ok(tags.includes('en-US'), JSON.stringify(tags));
  assert.ok(tags.includes('pl-PL'), JSON.stringify(tags));
  assert.ok(tags.every((tag) => typeof tag === 'string' && !tag.includes('_')));
  // The directory is never read.
  assert.deepEqual(checker.getAvailableDictionaries('/nonexistent', 'x'), tags);
});

test.describe('with a dictionary', () => {
  test('setDictionary takes "-" and "_" alike and ignores the directory', () => {
    assert.equal(checker.setDictionary('en_US', '/nonexistent'), true);
    assert.equal(checker.isMisspelled('helo'), true);
    assert.equal(checker.setDictionary('en-US'), true);
  });

  test('words are checked', () => {
    for (const word of ['hello', 'necessary', 'world']) {
      assert.equal(checker.isMisspelled(word), false, word);
    }
    for (const word of ['helo', 'neccessary', 'wrold']) {
      assert.equal(checker.isMisspelled(word), true, word);
    }
  });

  test('corrections are strings in the service order', () => {
    const corrections = checker.getCorrectionsForMisspelling('neccessary');
    assert.ok(corrections.length > 0);
    assert.ok(corrections.every((entry) => typeof entry === 'string'));
    assert.ok(corrections.includes('necessary'), JSON.stringify(corrections));
    assert.deepEqual(checker.getCorrectionsForMisspelling('hello'), []);
  });

  test('non-ASCII words and corrections cross as UTF-8', () => {
    assert.equal(checker.setDictionary('pl-PL'), true);
    assert.equal(checker.isMisspelled('zażółć'), false);
    assert.equal(checker.isMisspelled('zazolc'), true);
    assert.ok(checker.getCorrectionsForMisspelling('zazolc').includes('zażółć'));
    assert.equal(checker.setDictionary('en-US'), true);
  });

  test('added words are accepted and remove does nothing', () => {
    assert.equal(checker.isMisspelled('frobnicatrix'), true);
    assert.equal(checker.add('frobnicatrix'), undefined);
    assert.equal(checker.isMisspelled('frobnicatrix'), false);
    assert.equal(checker.remove('frobnicatrix'), undefined);
    assert.equal(checker.isMisspelled('frobnicatrix'), false);
  });

  test('an unsupported language leaves no dictionary in use', () => {
    assert.equal(checker.setDictionary('xx-NONE'), false);
    assert.equal(checker.isMisspelled('helo'), false);
    assert.deepEqual(checker.getCorrectionsForMisspelling('helo'), []);
    assert.equal(checker.setDictionary('en-US'), true);
    assert.equal(checker.isMisspelled('helo'), true);
  });
});

// The test service appends what it saw to the file named by SPELLCHECKER_TEST_SERVICE_REPORT as
// the process ends: by then every object the module took must be released and every string it
// was handed freed.
test(
    'a process that used the service leaves no object or string of it behind', {
      skip: !testService && 'needs the test spelling service',
    },
    () => {
      const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellchecker-service-'));
      try {
        const report = path.join(dir, 'report.jsonl');
        const result = runNode(
            `globalThis.navigator = {};
         const {Spellchecker} = require(${JSON.stringify(packageDir)});
         const checker = new Spellchecker();
         const strings = [
           checker.getAvailableDictionaries(),
           checker.setDictionary('en_US') && checker.getCorrectionsForMisspelling('neccessary'),
           checker.getCorrectionsForMisspelling('hello'),
           checker.setDictionary('pl-PL') && checker.getCorrectionsForMisspelling('zazolc'),
         ];
         checker.add('frobnicatrix');
         const answers = [checker.isMisspelled('zazolc'), checker.setDictionary('xx-NONE')];
         console.log(JSON.stringify({received: strings.flat().length, answers}));`,
            {env: {SPELLCHECKER_TEST_SERVICE_REPORT: report}});
        assert.equal(result.status, 0, result.stderr);
        const {received, answers} = JSON.parse(result.stdout);
        assert.deepEqual(answers, [true, false]);
        const lines = fs.readFileSync(report, 'utf8').trim().split('\n');
        assert.equal(lines.length, 1, lines.join('\n'));
        const seen = JSON.parse(lines[0]);
        assert.equal(seen.live, 0, lines[0]);
        assert.equal(seen.strings, 0, lines[0]);
        // Each string the service handed out reached the script.
        assert.equal(seen.handed, received, lines[0]);
        assert.ok(received > 3, lines[0]);
        assert.deepEqual(seen.languages, ['en-US', 'pl-PL', 'xx-NONE']);
        assert.deepEqual(seen.added, ['frobnicatrix']);
      } finally {
        fs.rmSync(dir, {recursive: true, force: true});
      }
    });
