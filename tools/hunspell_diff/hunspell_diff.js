'use strict';
// Runs the patched Hunspell against the unpatched source on Debian's dictionaries and lists every
// word on which their answers differ: verdicts on every word, suggestion lists on a sample.
//
//   node hunspell_diff.js --patched BIN --unpatched BIN (--short | --full ROOT) [options]
//
// --short    the installed dictionaries the set-up provides (en_US, de_DE, pl_PL, nl), a few
//            thousand words each; running text from the installed fortunes packages.
// --full ROOT  every dictionary under ROOT/<package>/usr/share/{hunspell,myspell/dicts}, where
//            full.sh unpacks every Debian dictionary package (and the text packages) side by
//            side; pairs with the same content are run once, symbolic links never.
// --pair AFFIX  instead of the short run's dictionaries, this pair (repeatable), as sized there.
// --dict NAME  only dictionaries whose name contains NAME (repeatable).
// --scale F  F times as many words of each kind.
// --expected FILE  differences that are known (default: expected-differences.tsv beside this).
// --report FILE    also write the summary and every difference to FILE.
// --write-expected FILE  write this run's differences in the expected file's format.
// --list-words  print each dictionary's words (kind, c or s for check or suggest, word) and stop.
// --text-packages  print the packages that the running text comes from (for full.sh).
//
// Words per dictionary: stems from its word list, seeded typos (of stems, long stems and long
// words of the text), case variants (capitalised, all
// capitals, a capitalised stem in lower case), concatenations of two and three stems where the
// affix file allows compounds, and the distinct words of Debian's running text in the language.
// Each engine runs in its own process on the same requests (hunspell_diff_engine.cc).
//
// Time limits. Hunspell cuts compound checks and suggestion searches short after a time limit,
// the smallest TIMELIMIT (1/20 s; the others are 1/10 and 1/4 s) counted from a clock reading
// taken inside the call, so such answers change with the machine's load. Each engine reports,
// per call, the span of its own clock readings (every clock function is wrapped). A difference is
// put down to a time limit only when, on a fresh run of the differing words repeated, the
// unpatched engine disagrees with itself, or when some call of either engine on that word saw at
// least TIMELIMIT pass on its own clock. Every other difference is real: the exit status is 1
// when a real difference is not listed in the expected file.
const childProcess = require('node:child_process');
const crypto = require('node:crypto');
const fs = require('node:fs');
const path = require('node:path');
const {parseArgs} = require('node:util');
const zlib = require('node:zlib');

const {makeRandom} = require('./seeded_random.js');
const {makeTypo} = require('./typo.js');

const timeLimitNs = 50e6;
const repeats = 2;

// Words per dictionary for each kind of input. The full run checks every distinct word of the
// text.
const runSizes = {
  short: {stems: 500, typos: 500, cased: 150, compounds: 150, text: 500, textTypos: 150},
  full: {stems: 1500, typos: 1500, cased: 300, compounds: 200, text: 100000, textTypos: 1500},
};
// The share of the words (other than the text's) that also get suggestions: about 25 a
// dictionary in the short run, 70 in the full one.
const suggestShare = 1 / 80;

// Running text in a language: a package, and which of its files.
const texts = {
  en: {package: 'fortunes', files: /\/fortunes\/[^/]+$/},
  de: {package: 'fortunes-de', files: /\/fortunes\/de\/[^/]+$/},
  bg: {package: 'fortunes-bg', files: /\/fortunes\/bg\/[^/]+$/},
  pt: {package: 'fortunes-br', files: /\/fortunes\/brasil$/},
  cs: {package: 'fortunes-cs', files: /\/fortunes\/cs\/[^/]+$/},
  sk: {package: 'fortunes-cs', files: /\/fortunes\/sk\/[^/]+$/},
  eo: {package: 'fortunes-eo', files: /\/fortunes\/eo\/[^/]+$/},
  es: {package: 'fortunes-es', files: /\/fortunes\/es\/[^/]+$/},
  ga: {package: 'fortunes-ga', files: /\/fortunes\/ga\/[^/]+$/},
  it: {package: 'fortunes-it', files: /\/fortunes\/it\/[^/]+$/},
  pl: {package: 'fortunes-pl', files: /\/fortunes\/pl\/[^/]+$/},
  ru: {package: 'fortunes-ru', files: /\/fortunes\/ru\/[^/]+$/},
  nl: {package: 'manpages-nl', files: /\/man\/nl\/.*\.gz$/},
};

const shortDictionaryLinks =
    ['en_US', 'de_DE', 'pl_PL', 'nl'].map((name) => `/usr/share/hunspell/${name}.aff`);

const usage = 'usage: hunspell_diff.js --patched BIN --unpatched BIN (--short | --full ROOT)';

function parseArguments(argv) {
  const {values, tokens} = parseArgs({
    args: argv,
    tokens: true,
    options: {
      'patched': {type: 'string'},
      'unpatched': {type: 'string'},
      'short': {type: 'boolean'},
      'full': {type: 'string'},
      'pair': {type: 'string', multiple: true, default: []},
      'dict': {type: 'string', multiple: true, default: []},
      'scale': {type: 'string', default: '1'},
      'expected': {type: 'string', default: path.join(__dirname, 'expected-differences.tsv')},
      'report': {type: 'string'},
      'write-expected': {type: 'string'},
      'list-words': {type: 'boolean'},
      'text-packages': {type: 'boolean'},
    },
  });
  const options = {
    patched: values.patched,
    unpatched: values.unpatched,
    root: values.full,
    pairs: values.pair,
    dicts: values.dict,
    scale: Number(values.scale),
    expected: values.expected,
    report: values.report,
    writeExpected: values['write-expected'],
    listWords: values['list-words'],
  };
  // The mode is the last option that names one.
  const modes =
      {'short': 'short', 'pair': 'short', 'full': 'full', 'text-packages': 'text-packages'};
  for (const token of tokens) {
    if (token.kind === 'option' && modes[token.name]) options.mode = modes[token.name];
  }
  if (options.mode !== 'text-packages' &&
      (!options.patched || !options.unpatched || !options.mode)) {
    throw new Error(usage);
  }
  return options;
}

// A seeded generator per dictionary and kind of word, so that a dictionary gets the same words
// on every run.
function random(seedText) {
  return makeRandom(crypto.createHash('sha256').update(seedText).digest().readUInt32LE(0));
}

function sample(list, count, next) {
  if (list.length <= count) return list.slice();
  const picked = new Set();
  while (picked.size < count) picked.add(Math.floor(next() * list.length));
  return [...picked].map((i) => list[i]);
}

// The dictionaries: {name, affix, wordList, packageRoot}. Named "<package>:<file base name>".
function shortDictionaries() {
  return shortDictionaryLinks.map((link) => {
    if (!fs.existsSync(link)) {
      throw new Error(`${link} is missing: scripts/setup.sh installs it`);
    }
    const affix = fs.realpathSync(link);
    const owner = childProcess.execFileSync('dpkg-query', ['-S', affix], {encoding: 'utf8'});
    const name = `${owner.split(':')[0]}:${path.basename(affix, '.aff')}`;
    return {name, affix, wordList: affix.replace(/\.aff$/, '.dic'), packageRoot: null};
  });
}

// A pair named on the command line, as "file:<base name>".
function pairDictionary(affix) {
  const wordList = affix.replace(/\.aff$/, '.dic');
  return {name: `file:${path.basename(affix, '.aff')}`, affix, wordList, packageRoot: null};
}

function fullDictionaries(root) {
  const byContent = new Map();
  for (const pkg of fs.readdirSync(root).sort()) {
    for (const dir of ['usr/share/hunspell', 'usr/share/myspell/dicts']) {
      const full = path.join(root, pkg, dir);
      if (!fs.existsSync(full)) continue;
      for (const file of fs.readdirSync(full).sort()) {
        if (!file.endsWith('.aff')) continue;
        const affix = path.join(full, file);
        const wordList = affix.replace(/\.aff$/, '.dic');
        // Links are aliases, and absolute ones would point out of the unpacked package.
        if (!fs.lstatSync(affix).isFile() || !fs.existsSync(wordList) ||
            !fs.lstatSync(wordList).isFile()) {
          continue;
        }
        const hash = crypto.createHash('sha256');
        hash.update(fs.readFileSync(affix)).update('\0').update(fs.readFileSync(wordList));
        const key = hash.digest('hex');
        if (byContent.has(key)) continue;
        byContent.set(key, {
          name: `${pkg}:${path.basename(file, '.aff')}`,
          affix,
          wordList,
          packageRoot: root,
        });
      }
    }
  }
  return [...byContent.values()];
}

function textFiles(text, packageRoot) {
  let files;
  if (packageRoot) {
    const base = path.join(packageRoot, text.package);
    if (!fs.existsSync(base)) return [];
    files = [];
    const walk = (dir) => {
      for (const entry of fs.readdirSync(dir, {withFileTypes: true})) {
        const full = path.join(dir, entry.name);
        if (entry.isDirectory())
          walk(full);
        else if (entry.isFile())
          files.push(full);
      }
    };
    walk(base);
  } else {
    const listed = childProcess.spawnSync('dpkg-query', ['-L', text.package], {encoding: 'utf8'});
    if (listed.status !== 0) return [];  // not installed
    files = listed.stdout.split('\n');
    files = files.filter((file) => file && fs.existsSync(file) && fs.lstatSync(file).isFile());
  }
  return files.filter((file) => text.files.test(file) && !file.endsWith('.dat')).sort();
}

const textCache = new Map();
// The distinct words of the language's running text, in first-seen order.
function textWords(language, packageRoot) {
  const text = texts[language];
  if (!text) return [];
  const key = `${language}\0${packageRoot}`;
  if (textCache.has(key)) return textCache.get(key);
  const words = new Set();
  const decoder = new TextDecoder('utf-8', {fatal: true});
  for (const file of textFiles(text, packageRoot)) {
    let bytes = fs.readFileSync(file);
    if (file.endsWith('.gz')) bytes = zlib.gunzipSync(bytes);
    let content;
    try {
      content = decoder.decode(bytes);
    } catch (error) {
      continue;  // not UTF-8: another set, which this tool does not guess
    }
    if (file.endsWith('.gz')) {
      // A manual page's source: drop requests and font or character escapes.
      content = content.split('\n')
                    .filter((line) => !/^['.]/.test(line))
                    .join('\n')
                    .replace(/\\(f[A-Z]|f\(..|\(..|\*\(..|s[-+]?\d|.)/g, ' ');
    }
    for (const match of content.matchAll(/[\p{L}\p{M}]+(?:['’][\p{L}\p{M}]+)*/gu)) {
      words.add(match[0]);
    }
  }
  const list = [...words];
  textCache.set(key, list);
  return list;
}

function languageOf(name) {
  return name.split(':')[1].split(/[_-]/)[0].toLowerCase();
}

function runEngine(binary, dictionary, args, input) {
  const result = childProcess.spawnSync(binary, [...args, dictionary.affix, dictionary.wordList], {
    input,
    encoding: 'utf8',
    maxBuffer: 1 << 30,
  });
  if (result.error) throw result.error;
  if (result.status !== 0) {
    throw new Error(`${binary} failed on ${dictionary.name} (${result.status}): ${result.stderr}`);
  }
  return result.stdout;
}

// Typos made by one edit: a deletion, an insertion or substitution of a letter from the
// dictionary's own words, a swap of neighbours, a doubled letter; a letter added at the end where
// a deletion or swap does not fit.
const typo = makeTypo(['delete', 'insert', 'substitute', 'swap', 'double'], 'append');

const capitalised = (word) => {
  const letters = Array.from(word);
  return letters[0].toUpperCase() + letters.slice(1).join('');
};
const uncapitalised = (word) => {
  const letters = Array.from(word);
  return letters[0].toLowerCase() + letters.slice(1).join('');
};

// The requests for one dictionary: [{word, kind, suggest}], each word once. Every kind of word
// is drawn by a generator of its own, so that a smaller size draws the first words of a larger
// one: the short run's words are all among the full run's, whose expected differences then
// cover both.
function makeWords(dictionary, sizes, binary) {
  const generator = (kind) => random(`${dictionary.name}\0${kind}`);
  const stems = runEngine(binary, dictionary, ['--stems'], '')
                    .split('\n')
                    .filter((stem) => stem && !/[\t\s]/.test(stem));
  if (stems.length === 0) throw new Error(`no words in ${dictionary.wordList}`);
  const alphabet = Array.from(sample(stems, 2000, generator('alphabet')).join(''));
  const affix = fs.readFileSync(dictionary.affix, 'latin1');
  const compounds = /^\s*(COMPOUNDFLAG|COMPOUNDBEGIN|COMPOUNDRULE)\s/m.test(affix);

  const requests = new Map();
  const add = (word, kind) => {
    if (word && !word.includes('\n') && !requests.has(word)) requests.set(word, {word, kind});
  };
  const addTypos = (words, count, kind) => {
    const edits = generator(`${kind} edits`);
    for (const word of sample(words, count, generator(kind))) {
      add(typo(word, alphabet, edits), kind === 'text typos' ? 'text-typo' : 'typo');
    }
  };
  for (const stem of sample(stems, sizes.stems, generator('stems'))) add(stem, 'stem');
  // Half the typos in long words: where a compounding language's typo can still split into
  // words, which is where its compound checks decide.
  const long = stems.filter((stem) => Array.from(stem).length >= 10);
  addTypos(stems, sizes.typos / 2, 'typos');
  addTypos(long, sizes.typos / 2, 'long typos');
  for (const stem of sample(stems, sizes.cased, generator('capitalised'))) {
    add(capitalised(stem), 'capitalised');
  }
  for (const stem of sample(stems, sizes.cased, generator('all-caps'))) {
    add(stem.toUpperCase(), 'all-caps');
  }
  const upper = stems.filter((stem) => /^\p{Lu}/u.test(stem));
  for (const stem of sample(upper, sizes.cased / 2, generator('lowered'))) {
    add(uncapitalised(stem), 'lowered');
  }
  if (compounds) {
    for (let parts = 2; parts <= 3; ++parts) {
      const next = generator(`compound${parts}`);
      for (let i = 0; i < sizes.compounds; ++i) {
        const words = sample(stems, parts, next);
        const joined = words[0] + words.slice(1).map(uncapitalised).join('');
        add(i % 5 === 4 ? typo(joined, alphabet, next) : joined, `compound${parts}`);
      }
    }
  }
  const text = textWords(languageOf(dictionary.name), dictionary.packageRoot);
  for (const word of sample(text, sizes.text, generator('text'))) add(word, 'text');
  const longText = text.filter((word) => Array.from(word).length >= 8);
  addTypos(longText, sizes.textTypos, 'text typos');

  // Suggestions for a fixed share of the words that are not words of the text, chosen by a hash
  // of the word, so that those of the short run are among the full run's too.
  const list = [...requests.values()];
  const textSet = new Set(text);
  for (const request of list) {
    if (textSet.has(request.word)) continue;
    const hash = crypto.createHash('sha256').update(`${dictionary.name}\0${request.word}`);
    request.suggest = hash.digest().readUInt32LE(0) < suggestShare * 4294967296;
  }
  return list;
}

// Parses an engine's answer lines into [{verdict, checkSpan, suggestions, suggestSpan}].
function parseAnswers(text, count) {
  const lines = text.split('\n');
  if (lines[lines.length - 1] === '') lines.pop();
  if (lines.length !== count) throw new Error(`expected ${count} answers, got ${lines.length}`);
  return lines.map((line) => {
    const fields = line.split('\t');
    const answer = {verdict: fields[0], checkSpan: Number(fields[3])};
    if (fields.length > 4) {
      answer.suggestSpan = Number(fields[6]);
      answer.suggestions = fields[7] === 'E' ? 'threw' : fields.slice(8);
    }
    return answer;
  });
}

const verdictNames = {
  1: 'correct',
  0: 'misspelled',
  x: 'unrepresentable',
  E: 'threw'
};
const showVerdict = (answer) => verdictNames[answer.verdict] || answer.verdict;
const showSuggestions = (answer) => JSON.stringify(answer.suggestions);

function requestText(requests, passes) {
  let text = '';
  for (let pass = 0; pass < passes; ++pass) {
    for (const request of requests) text += `${request.suggest ? 's' : 'c'}\t${request.word}\n`;
  }
  return text;
}

// Runs both engines on one dictionary and returns its differences, each classified.
function compareDictionary(dictionary, options, sizes) {
  const requests = makeWords(dictionary, sizes, options.patched);
  const input = requestText(requests, 1);
  const unpatched =
      parseAnswers(runEngine(options.unpatched, dictionary, [], input), requests.length);
  const patched = parseAnswers(runEngine(options.patched, dictionary, [], input), requests.length);

  const differing = [];
  requests.forEach((request, i) => {
    const kinds = [];
    if (unpatched[i].verdict !== patched[i].verdict) kinds.push('verdict');
    if (request.suggest && showSuggestions(unpatched[i]) !== showSuggestions(patched[i])) {
      kinds.push('suggest');
    }
    if (kinds.length)
      differing.push({request, kinds, runs: {unpatched: [unpatched[i]], patched: [patched[i]]}});
  });

  // The differing words again, each engine in a fresh process, every word `repeats` times.
  if (differing.length) {
    const again = differing.map((difference) => difference.request);
    const recheck = requestText(again, repeats);
    for (const engine of ['unpatched', 'patched']) {
      const answers =
          parseAnswers(runEngine(options[engine], dictionary, [], recheck), again.length * repeats);
      answers.forEach((answer, i) => differing[i % again.length].runs[engine].push(answer));
    }
  }

  const differences = [];
  for (const {request, kinds, runs} of differing) {
    for (const kind of kinds) {
      const show = kind === 'verdict' ? showVerdict : showSuggestions;
      const span = kind === 'verdict' ? 'checkSpan' : 'suggestSpan';
      const reasons = [];
      if (new Set(runs.unpatched.map(show)).size > 1) {
        reasons.push(`unpatched answers vary: ${runs.unpatched.map(show).join(' / ')}`);
      }
      const longest =
          Math.max(...runs.unpatched.map((a) => a[span]), ...runs.patched.map((a) => a[span]));
      if (longest >= timeLimitNs) reasons.push(`a call saw ${(longest / 1e6).toFixed(0)} ms pass`);
      differences.push({
        dictionary: dictionary.name,
        kind,
        word: request.word,
        source: request.kind,
        unpatched: show(runs.unpatched[0]),
        patched: show(runs.patched[0]),
        patchedRuns: [...new Set(runs.patched.map(show))].length,
        timeLimited: reasons.length > 0,
        reasons,
      });
    }
  }
  // A check that the words reach the engine intact: it should accept most of its own stems.
  let stems = 0;
  let accepted = 0;
  requests.forEach((request, i) => {
    if (request.kind !== 'stem') return;
    ++stems;
    if (unpatched[i].verdict === '1') ++accepted;
  });
  return {
    words: requests.length,
    stemsAccepted: accepted / stems,
    suggested: requests.filter((request) => request.suggest).length,
    differences,
    clockReads: {
      unpatched: unpatched.some((a) => a.suggestions && a.suggestSpan >= 0),
      patched: patched.some((a) => a.suggestions && a.suggestSpan >= 0),
    },
  };
}

const expectedHeader = '# dictionary\tkind\tword\tunpatched answer\tpatched answer\n' +
    '# Written by hunspell_diff.js --write-expected from a full run (tools/hunspell_diff/full.sh).\n';
const expectedKey = (d) => [d.dictionary, d.kind, d.word, d.unpatched, d.patched].join('\t');

// The first five fields of each line; a sixth, "time-limited", only says how the run that wrote
// the line classed it.
function readExpected(file) {
  if (!fs.existsSync(file)) return new Set();
  return new Set(fs.readFileSync(file, 'utf8')
                     .split('\n')
                     .filter((line) => line && !line.startsWith('#'))
                     .map((line) => line.split('\t').slice(0, 5).join('\t')));
}

function main() {
  const options = parseArguments(process.argv.slice(2));
  if (options.mode === 'text-packages') {
    for (const name of new Set(Object.values(texts).map((text) => text.package))) console.log(name);
    return;
  }
  const sizes = {};
  for (const [kind, size] of Object.entries(runSizes[options.mode])) {
    sizes[kind] = Math.round(size * options.scale);
  }
  let dictionaries = options.mode === 'full' ? fullDictionaries(options.root) :
      options.pairs.length                   ? options.pairs.map(pairDictionary) :
                                               shortDictionaries();
  if (options.dicts.length) {
    dictionaries = dictionaries.filter((d) => options.dicts.some((name) => d.name.includes(name)));
  }
  if (options.listWords) {
    for (const dictionary of dictionaries) {
      for (const request of makeWords(dictionary, sizes, options.patched)) {
        console.log(
            `${dictionary.name}\t${request.kind}\t${request.suggest ? 's' : 'c'}\t` + request.word);
      }
    }
    return;
  }
  const expected = readExpected(options.expected);
  const out = [];
  const say = (line) => {
    console.log(line);
    out.push(line);
  };

  const started = Date.now();
  const totals = {
    dictionaries: 0,
    words: 0,
    suggested: 0,
    verdict: 0,
    suggest: 0,
    timeLimited: 0,
    unexpected: 0
  };
  const all = [];
  const blindEngines = new Set();
  for (const dictionary of dictionaries) {
    const began = Date.now();
    const result = compareDictionary(dictionary, options, sizes);
    for (const engine of ['unpatched', 'patched']) {
      if (result.suggested && !result.clockReads[engine]) blindEngines.add(engine);
    }
    const real = result.differences.filter((d) => !d.timeLimited);
    const count = (kind) => real.filter((d) => d.kind === kind).length;
    const timeLimited = result.differences.length - real.length;
    const unexpected = real.filter((d) => !expected.has(expectedKey(d))).length;
    say(`${dictionary.name.padEnd(40)} words ${String(result.words).padStart(5)}  ` +
        `verdict diffs ${String(count('verdict')).padStart(3)}  ` +
        `suggestion diffs ${String(count('suggest')).padStart(3)}/${result.suggested}  ` +
        `time-limited ${timeLimited}  new ${unexpected}  ` +
        `stems accepted ${(result.stemsAccepted * 100).toFixed(0)}%  ` +
        `${((Date.now() - began) / 1000).toFixed(1)} s`);
    totals.dictionaries += 1;
    totals.words += result.words;
    totals.suggested += result.suggested;
    totals.verdict += count('verdict');
    totals.suggest += count('suggest');
    totals.timeLimited += timeLimited;
    totals.unexpected += unexpected;
    all.push(...result.differences);
  }
  say(`TOTAL ${totals.dictionaries} dictionaries, ${totals.words} words (${totals.suggested} ` +
      `with suggestions): verdict diffs ${totals.verdict}, suggestion diffs ${totals.suggest}, ` +
      `time-limited ${totals.timeLimited}, not in ${path.basename(options.expected)} ` +
      `${totals.unexpected}; ${((Date.now() - started) / 1000).toFixed(0)} s`);
  for (const engine of blindEngines) {
    // Its limits cannot be seen, so a difference it causes by one would count as real.
    say(`WARNING: the ${engine} engine read no wrapped clock in any suggestion`);
  }

  for (const d of all) {
    const status = d.timeLimited ? `time-limited (${d.reasons.join('; ')})` :
        expected.has(expectedKey(d)) ? 'expected' :
                                       'NEW';
    const unstable = d.patchedRuns > 1 ? ' [patched answers vary]' : '';
    say(`DIFF\t${d.dictionary}\t${d.kind}\t${d.word}\t${d.source}\tunpatched ${d.unpatched}` +
        `\tpatched ${d.patched}\t${status}${unstable}`);
  }
  if (options.report) fs.writeFileSync(options.report, out.join('\n') + '\n');
  if (options.writeExpected) {
    // Time-limited differences too: a later run may see the same answers without reaching a
    // limit, and the short run's words are among the full run's.
    const lines = all.map((d) => expectedKey(d) + (d.timeLimited ? '\ttime-limited' : ''));
    fs.writeFileSync(
        options.writeExpected, expectedHeader + lines.join('\n') + (lines.length ? '\n' : ''));
  }
  process.exitCode = totals.unexpected ? 1 : 0;
}

main();
