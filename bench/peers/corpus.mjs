// Builds a benchmark corpus from text that Debian packages ship: for English, the licence texts
// of base-files and the fortune cookies of the fortunes package; for German, the fortune cookies
// of fortunes-de; for Dutch, Debian's FAQ, aptitude's manual and the manual pages of manpages-nl.
// Tokens are taken in a fixed file order and a seeded generator puts typos into a tenth of them,
// so every run and every machine with the same packages gets the same words.
import {createHash} from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';

import seededRandom from '../../tools/hunspell_diff/seeded_random.js';
import typoModule from '../../tools/hunspell_diff/typo.js';

const {makeRandom} = seededRandom;
const {makeTypo} = typoModule;

const wordPattern = /\p{L}+(?:'\p{L}+)*/gu;

// Per language: the directories read (regular files only, by name) or the installed packages
// whose files are read (those matching the pattern, by path), the files left out as pictures, the
// letters typos are made of, and the number of tokens when the text has fewer than 200,000.
export const languages = {
  en_US: {
    name: 'English',
    sourceDirs: ['/usr/share/common-licenses', '/usr/share/games/fortunes'],
    sourceText: 'Debian\'s licence texts and the fortunes package',
    package: 'fortunes',
    pictures: ['ascii-art'],
    letters: 'abcdefghijklmnopqrstuvwxyz',
  },
  de_DE: {
    name: 'German',
    sourceDirs: ['/usr/share/games/fortunes/de'],
    sourceText: 'Debian\'s fortunes-de package',
    package: 'fortunes-de',
    pictures: ['asciiart'],
    letters: 'abcdefghijklmnopqrstuvwxyzäöüß',
  },
  nl_NL: {
    name: 'Dutch',
    sourceDirs: [],
    packages: [
      ['debian-faq-nl', /\.txt\.gz$/], ['aptitude-doc-nl', /\.html$/],
      ['manpages-nl', /\/man\/.*\.gz$/]
    ],
    sourceText: 'Debian\'s Dutch FAQ (debian-faq-nl), aptitude\'s Dutch manual ' +
        '(aptitude-doc-nl) and the Dutch manual pages of manpages-nl',
    pictures: [],
    letters: 'abcdefghijklmnopqrstuvwxyz',
    tokens: 120000,
  },
};

export {makeRandom};

function sourceFiles(language) {
  const files = [];
  for (const dir of language.sourceDirs) {
    if (!fs.existsSync(dir)) {
      throw new Error(
          `${dir} is missing: run scripts/setup.sh (it installs the ${language.package} package)`);
    }
    for (const name of fs.readdirSync(dir).sort()) {
      const file = path.join(dir, name);
      // Symbolic links repeat other files; .dat files are binary indexes.
      if (!fs.lstatSync(file).isFile() || name.endsWith('.dat') ||
          language.pictures.includes(name)) {
        continue;
      }
      files.push(file);
    }
  }
  // dpkg's list of a package's files, so that what other packages put in the same directories
  // (Dutch manual pages of apt or dpkg, say) stays out.
  for (const [name, pattern] of language.packages ?? []) {
    const list = `/var/lib/dpkg/info/${name}.list`;
    if (!fs.existsSync(list)) throw new Error(`${name} is not installed: run scripts/setup.sh`);
    const listed = fs.readFileSync(list, 'utf8').split('\n').sort();
    files.push(...listed.filter((file) => pattern.test(file) && fs.lstatSync(file).isFile()));
  }
  return files;
}

// A file's text: unpacked, and without the markup of HTML pages and manual pages, whose words
// would otherwise join the running text.
function readText(file) {
  const bytes = fs.readFileSync(file);
  const text = (file.endsWith('.gz') ? zlib.gunzipSync(bytes) : bytes).toString('utf8');
  if (file.endsWith('.html')) {
    return text.replace(/<(script|style)[\s\S]*?<\/\1>/gi, ' ')
        .replace(/<[^>]*>/g, ' ')
        .replace(/&[#\w]+;/g, ' ');
  }
  if (!file.includes('/man/')) return text;
  // Requests go, except those whose arguments are text (fonts and headings); font changes
  // vanish inside words, other escapes become spaces.
  return text.split('\n')
      .map(
          (line) => /^[.']/.test(line) && !/^\.(?:[BI]|[BIR][BIR]|S[HSB]|SM)\s/.test(line) ?
              '' :
              line.replace(/^\.\S+\s*/, '')
                  .replace(/\\f(?:\[[^\]]*\]|\(..|.)|\\&/g, '')
                  .replace(/\\(?:\(..|\*\(..|\*.|\[[^\]]*\]|.)|"/g, ' '))
      .join('\n');
}

// A deletion, a swap of neighbours, a changed letter or an inserted one.
const typo = makeTypo(['delete', 'swap', 'change', 'insert'], 'insert');

// Returns {running, distinct, suggest, warmup, text, manifest}. `text` is the source text with the
// typos in place, for checking whole text at once.
export function buildCorpus(
    tag, {tokens, typoRate = 0.1, seed = 20240607, suggestCount = 100, warmupCount = 3000} = {}) {
  const language = languages[tag];
  if (!language) throw new Error(`no corpus for ${tag}`);
  tokens ??= language.tokens ?? 200000;
  const random = makeRandom(seed);
  const files = sourceFiles(language);
  const source = files.map(readText).join('\n');
  const running = [];
  const typoWords = [];
  const pieces = [];
  const after = [];
  let last = 0;
  let typos = 0;
  for (const match of source.matchAll(wordPattern)) {
    if (running.length >= tokens) {
      if (after.length >= warmupCount * 20) break;
      after.push(match[0]);
      continue;
    }
    let word = match[0];
    if (random() < typoRate) {
      word = typo(word, language.letters, random);
      typoWords.push(word);
      typos++;
    }
    pieces.push(source.slice(last, match.index), word);
    last = match.index + match[0].length;
    running.push(word);
  }
  if (running.length < tokens) {
    throw new Error(`only ${running.length} tokens in ${language.sourceText}`);
  }
  pieces.push('\n');
  const distinct = [...new Set(running)];
  const seen = new Set(distinct);
  const suggest =
      [...new Set(typoWords.filter((w) => w.length >= 4 && w.length <= 12))].slice(0, suggestCount);
  // Warm-up words come from text past the corpus and never occur in it, so a verdict cache
  // filled while warming up cannot answer a measured word.
  const warmup = [...new Set(after)].filter((w) => !seen.has(w)).slice(0, warmupCount);
  const text = pieces.join('');
  const hash = createHash('sha256').update(running.join('\n')).digest('hex').slice(0, 16);
  const manifest = {
    tag,
    language: language.name,
    sourceText: language.sourceText,
    sources: [...language.sourceDirs, ...(language.packages ?? []).map(([name]) => name)],
    files: files.length,
    tokens: running.length,
    typos,
    distinct: distinct.length,
    suggest: suggest.length,
    warmup: warmup.length,
    seed,
    sha256: hash,
  };
  return {running, distinct, suggest, warmup, text, manifest};
}

// Writes the corpus as files that every engine's process reads: one word a line.
export function writeCorpus(dir, corpus) {
  fs.mkdirSync(dir, {recursive: true});
  for (const name of ['running', 'distinct', 'suggest', 'warmup']) {
    fs.writeFileSync(path.join(dir, `${name}.txt`), corpus[name].join('\n') + '\n');
  }
  fs.writeFileSync(path.join(dir, 'text.txt'), corpus.text);
  fs.writeFileSync(path.join(dir, 'manifest.json'), JSON.stringify(corpus.manifest, null, 2));
}

export function readWords(dir, name) {
  const data = fs.readFileSync(path.join(dir, `${name}.txt`), 'utf8');
  return data.split('\n').slice(0, -1);
}
