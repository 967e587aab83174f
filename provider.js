'use strict';
// A spell-check provider for Electron pages, made of Spellchecker instances: several languages
// at once, a personal word list kept in a file, words ignored for the session, and checking in
// short slices that give the page its turn between them.

const fs = require('node:fs');
const path = require('node:path');

const native = require('./index.js');

const name = 'native-spellchecker/provider';
const preferHunspell = 'SPELLCHECKER_PREFER_HUNSPELL';
const optionNames = ['languages', 'dictionaries', 'personalWordList', 'sliceMilliseconds'];
const defaultSliceMilliseconds = 4;

// The system service spells tags with "-", Hunspell's files with "_"; both read either.
const sameTag = (tag) => tag.replaceAll('_', '-');

function readOptions(options) {
  if (typeof options !== 'object' || options === null || Array.isArray(options)) {
    throw new TypeError(`${name}: the options must be an object`);
  }
  const unknown = Object.keys(options).filter((key) => !optionNames.includes(key));
  if (unknown.length > 0) {
    throw new TypeError(
        `${name}: unknown option ${unknown.join(', ')}; the options are ` + optionNames.join(', '));
  }
  const {languages, dictionaries, personalWordList} = options;
  const sliceMilliseconds = options.sliceMilliseconds ?? defaultSliceMilliseconds;
  if (!Array.isArray(languages) || languages.length === 0 ||
      !languages.every((tag) => typeof tag === 'string' && tag !== '')) {
    throw new TypeError(`${name}: languages must be a non-empty array of language tags`);
  }
  if (dictionaries !== undefined && (typeof dictionaries !== 'string' || dictionaries === '')) {
    throw new TypeError(`${name}: dictionaries must be a directory path (a string) when given`);
  }
  if (personalWordList !== undefined &&
      (typeof personalWordList !== 'string' || personalWordList === '')) {
    throw new TypeError(`${name}: personalWordList must be a file path (a string) when given`);
  }
  if (typeof sliceMilliseconds !== 'number' || !(sliceMilliseconds > 0) ||
      sliceMilliseconds === Infinity) {
    throw new TypeError(`${name}: sliceMilliseconds must be a positive number when given`);
  }
  return {
    // "en_US" and "en-US" name one language, checked once.
    languages: [...new Set(languages.map(sameTag))],
    dictionaries: dictionaries === undefined ? undefined : path.resolve(dictionaries),
    personalWordList: personalWordList === undefined ? undefined : path.resolve(personalWordList),
    sliceMilliseconds,
  };
}

// A word as the personal list can hold it: one line of UTF-8.
function checkListWord(word) {
  if (typeof word !== 'string') throw new TypeError(`${name}: the word must be a string`);
  if (word === '' || /[\n\r\0]/.test(word) || !word.isWellFormed()) {
    throw new RangeError(
        `${name}: ${JSON.stringify(word)} cannot be a line of the word list (empty, a line ` +
        'break, a NUL or a lone surrogate)');
  }
}

function listError(file, problem, cause) {
  const error = new Error(
      `${name}: the personal word list ${file} ${problem}; it is left as it is until it is ` +
          'mended, moved away or another file is named',
      {cause});
  error.code = 'ERR_SPELLCHECKER_WORD_LIST';
  error.path = file;
  return error;
}

// What identifies one version of the file: a rename puts a new inode in place.
const stampOf = (stat) => `${stat.ino}:${stat.size}:${stat.mtimeMs}`;

// The list's words in file order, and the file's stamp ('' when there is no file yet).
function readList(file) {
  let bytes;
  let stat;
  try {
    const fd = fs.openSync(file, 'r');
    try {
      stat = fs.fstatSync(fd);
      bytes = fs.readFileSync(fd);
    } finally {
      fs.closeSync(fd);
    }
  } catch (error) {
    if (error.code === 'ENOENT') return {words: [], stamp: ''};
    throw listError(file, `cannot be read (${error.code ?? error.message})`, error);
  }
  const nul = bytes.indexOf(0);
  if (nul !== -1) throw listError(file, `holds a NUL byte at offset ${nul}`);
  let text;
  try {
    // Strips a byte order mark, as an editor may write one.
    text = new TextDecoder('utf-8', {fatal: true}).decode(bytes);
  } catch (error) {
    throw listError(file, 'is not valid UTF-8', error);
  }
  const lines = text.split('\n').map((line) => line.endsWith('\r') ? line.slice(0, -1) : line);
  return {words: [...new Set(lines.filter((line) => line !== ''))], stamp: stampOf(stat)};
}

// Windows refuses to replace a file that another process holds open for a moment (a reader, a
// virus scanner); such a refusal is tried again for a short while, on this thread, since a
// renderer's main thread cannot sleep.
const renameRetryMilliseconds = 100;
function replaceFile(from, to) {
  const deadline = Date.now() + renameRetryMilliseconds;
  for (;;) {
    try {
      fs.renameSync(from, to);
      return;
    } catch (error) {
      const refused = ['EPERM', 'EACCES', 'EBUSY'].includes(error.code);
      if (process.platform !== 'win32' || !refused || Date.now() >= deadline) throw error;
    }
  }
}

// Replaces the file in one step: a reader, or a crash at any moment, sees the old list or the
// new one. Answers the new file's stamp.
let temporaryCount = 0;
function writeList(file, words) {
  const temporary = `${file}.${process.pid}-${++temporaryCount}.tmp`;
  let stamp;
  try {
    const fd = fs.openSync(temporary, 'wx');
    try {
      fs.writeFileSync(fd, words.map((word) => `${word}\n`).join(''));
      fs.fsyncSync(fd);
      stamp = stampOf(fs.fstatSync(fd));
    } finally {
      fs.closeSync(fd);
    }
    replaceFile(temporary, file);
  } catch (error) {
    fs.rmSync(temporary, {force: true});
    throw listError(file, `cannot be written (${error.code ?? error.message})`, error);
  }
  return stamp;
}

// Runs a construction without changing the app's SPELLCHECKER_PREFER_HUNSPELL, which every
// construction sets or removes for good.
function constructKeepingPreference(args) {
  const had = Object.hasOwn(process.env, preferHunspell);
  const value = process.env[preferHunspell];
  try {
    return new native.Spellchecker(...args);
  } finally {
    if (had) {
      process.env[preferHunspell] = value;
    } else {
      delete process.env[preferHunspell];
    }
  }
}

// One checker a language: Hunspell from `dictionaries` when it is given; else the system service
// where it has the language, and Hunspell from the current directory (as setDictionary reads
// without a directory) where it does not.
function loadCheckers(languages, dictionaries) {
  const loaded = [];
  const missing = [];
  let systemTags = null;
  let spare = null;  // a plain construction not used yet
  for (const language of languages) {
    let checker = null;
    if (dictionaries === undefined) {
      if (systemTags === null) {
        spare = constructKeepingPreference([]);
        systemTags = spare.isHunspell() ? [] : spare.getAvailableDictionaries().map(sameTag);
      }
      if (systemTags.includes(language)) {
        checker = spare ?? constructKeepingPreference([]);
        spare = null;
        // The service may be taken by another thread by now, or refuse the tag after all.
        if (checker.isHunspell() || !checker.setDictionary(language)) checker = null;
      }
    }
    if (checker === null) {
      const hunspell = constructKeepingPreference([true]);
      const loadedHere = dictionaries === undefined ?
          hunspell.setDictionary(language) :
          hunspell.setDictionary(language, dictionaries);
      if (loadedHere) checker = hunspell;
    }
    if (checker === null) {
      missing.push(language);
    } else {
      loaded.push({language, checker, hunspell: checker.isHunspell()});
    }
  }
  if (missing.length > 0) {
    const files = missing.map((tag) => tag.replaceAll('-', '_')).join(', ');
    const where = dictionaries === undefined ?
        `the system service does not offer it, and Hunspell found no .aff and .dic for ` +
            `${files} in the current directory (${process.cwd()})` :
        `Hunspell found no .aff and .dic for ${files} in ${dictionaries}`;
    throw new Error(`${name}: no dictionary for ${missing.join(', ')}: ${where}`);
  }
  return loaded;
}

function createSpellCheckProvider(options) {
  const settings = readOptions(options);
  if (typeof native.Spellchecker !== 'function') {
    throw new Error(
        `${name}: the native module exported no Spellchecker, which it does only in a page ` +
        'context (a global navigator)');
  }
  const file = settings.personalWordList;
  // Read before the dictionaries load: a damaged file stops the provider before it starts.
  let list = file === undefined ? {words: [], stamp: ''} : readList(file);
  let languages = loadCheckers(settings.languages, settings.dictionaries);
  let personal = new Set();
  const ignored = new Set();

  // Hunspell learns the personal words too, so that they are suggested and accepted in the
  // dictionary's capitalised forms. The system service is not told: it would keep them in the
  // user's own list for good, and it cannot forget them again.
  function usePersonalWords(words) {
    const next = new Set(words);
    for (const {checker, hunspell} of languages) {
      if (!hunspell) continue;
      for (const word of personal) {
        if (!next.has(word)) checker.remove(word);
      }
      for (const word of next) {
        if (!personal.has(word)) checker.add(word);
      }
    }
    personal = next;
  }
  usePersonalWords(list.words);

  // Takes in what other providers or processes wrote to the file since this one last read it.
  // Answers the list; a damaged file throws and leaves the words known before in use.
  function refreshList() {
    if (file === undefined) return list.words;
    let stamp = '';
    try {
      stamp = stampOf(fs.statSync(file));
    } catch (error) {
      if (error.code !== 'ENOENT') {
        throw listError(file, `cannot be read (${error.code ?? error.message})`, error);
      }
    }
    if (stamp !== list.stamp) {
      list = readList(file);
      usePersonalWords(list.words);
    }
    return list.words;
  }

  // Checking goes on with the words read before when the file is damaged: add, remove and
  // words() report it.
  function refreshQuietly() {
    try {
      refreshList();
    } catch {
    }
  }

  function changeList(change) {
    if (languages === null) throw new Error(`${name}: the provider is closed`);
    if (file === undefined) {
      list = {words: change(list.words), stamp: ''};
    } else {
      // Read afresh, so that another writer's change since the last read is kept.
      const current = readList(file);
      const words = change(current.words);
      list = words === current.words ? current : {words, stamp: writeList(file, words)};
    }
    usePersonalWords(list.words);
  }

  function accepts(word) {
    if (personal.has(word) || ignored.has(word)) return true;
    return languages.some(({checker}) => !checker.isMisspelled(word));
  }

  function isMisspelled(word) {
    if (typeof word !== 'string') throw new TypeError(`${name}: the word must be a string`);
    if (languages === null) return false;
    refreshQuietly();
    return !accepts(word);
  }

  // Batches waiting, first come first served, and whether a slice is scheduled.
  const queue = [];
  let scheduled = false;

  // Checks words until the slice's time is spent, at least one word, then hands each finished
  // batch its misspelled words and schedules the next slice behind whatever the page has queued.
  function runSlice() {
    scheduled = false;
    const start = performance.now();
    let checked = 0;
    try {
      while (queue.length > 0) {
        const batch = queue[0];
        while (languages !== null && batch.next < batch.words.length) {
          if (checked > 0 && performance.now() - start >= settings.sliceMilliseconds) return;
          const word = batch.words[batch.next++];
          ++checked;
          if (!accepts(word)) batch.misspelled.push(word);
        }
        queue.shift();
        batch.callback(batch.misspelled);
      }
    } finally {
      if (queue.length > 0 && !scheduled) {
        scheduled = true;
        setImmediate(runSlice);
      }
    }
  }

  function spellCheck(words, callback) {
    if (!Array.isArray(words) || !words.every((word) => typeof word === 'string')) {
      throw new TypeError(`${name}: spellCheck takes an array of strings`);
    }
    if (typeof callback !== 'function') {
      throw new TypeError(`${name}: spellCheck takes a callback function`);
    }
    if (languages !== null) refreshQuietly();
    queue.push({words: words.slice(), next: 0, misspelled: [], callback});
    // The first slice runs now unless earlier batches wait for theirs.
    if (queue.length === 1 && !scheduled) runSlice();
  }

  function suggest(word) {
    if (typeof word !== 'string') throw new TypeError(`${name}: the word must be a string`);
    if (languages === null) return [];
    refreshQuietly();
    if (personal.has(word) || ignored.has(word)) return [];
    const lists = [];
    for (const {checker} of languages) {
      if (!checker.isMisspelled(word)) return [];
      lists.push(checker.getCorrectionsForMisspelling(word));
    }
    // Each language's first suggestion, then each one's second, and so on.
    const seen = new Set();
    const longest = Math.max(...lists.map((entries) => entries.length));
    for (let rank = 0; rank < longest; ++rank) {
      for (const entries of lists) {
        if (rank < entries.length) seen.add(entries[rank]);
      }
    }
    return [...seen];
  }

  return {
    get languages() {
      return (languages ?? [])
          .map(({language, hunspell}) => ({language, backend: hunspell ? 'hunspell' : 'system'}));
    },
    spellCheck,
    isMisspelled,
    suggest,
    add(word) {
      checkListWord(word);
      changeList((words) => words.includes(word) ? words : [...words, word]);
    },
    remove(word) {
      checkListWord(word);
      changeList((words) => words.includes(word) ? words.filter((entry) => entry !== word) : words);
    },
    words() {
      if (languages === null) throw new Error(`${name}: the provider is closed`);
      return [...refreshList()];
    },
    ignore(word) {
      if (typeof word !== 'string') throw new TypeError(`${name}: the word must be a string`);
      if (languages === null) throw new Error(`${name}: the provider is closed`);
      ignored.add(word);
    },
    // Batches still waiting get the misspelled words found so far, in their next slice.
    close() {
      languages = null;
    },
  };
}

// The same provider on a worker thread of the main process or a utilityProcess, serving pages
// over message ports (lib/host.js).
const {createSpellCheckHost} = require('./lib/host.js');

module.exports = {
  createSpellCheckProvider,
  createSpellCheckHost
};
