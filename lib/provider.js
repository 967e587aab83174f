'use strict';
// The in-page provider: the checkers, the personal word list and session ignores, with
// spellCheck answered in slices.

const path = require('node:path');

const {createCheckers, nativeConstruct, sameTag} = require('./checkers.js');
const {createSlicer} = require('./slicer.js');
const {createWordListStore, checkListWord} = require('./word_list.js');

const name = 'native-spellchecker/provider';
const optionNames = ['languages', 'dictionaries', 'personalWordList', 'sliceMilliseconds'];
const defaultSliceMilliseconds = 4;

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

// The memory-only list of a provider without a file, shaped as the store.
function memoryStore() {
  let list = {words: [], stamp: '', format: null};
  return {
    read: () => list,
    stamp: () => '',
    change(changeWords) {
      const words = changeWords(list.words);
      if (words !== list.words) list = {words, stamp: '', format: null};
      return list;
    },
  };
}

/**
 * Makes a provider from the public options and the seams the tests use: `construct` (a checker
 * factory, see checkers.js), `now` and `schedule` (the slicer's clock and scheduling), and
 * `wordList` (options of the list store, see word_list.js).
 */
function createProvider(options, {construct = nativeConstruct, now, schedule, wordList} = {}) {
  const settings = readOptions(options);
  if (construct === nativeConstruct && typeof require('../index.js').Spellchecker !== 'function') {
    throw new Error(
        `${name}: the native module exported no Spellchecker, which it does only in a page ` +
        'context (a global navigator)');
  }
  const store = settings.personalWordList === undefined ?
      memoryStore() :
      createWordListStore(settings.personalWordList, wordList);
  // Read before the dictionaries load: a damaged file stops the provider before it starts.
  let list = store.read();
  const checkers = createCheckers(
      {languages: settings.languages, dictionaries: settings.dictionaries, construct});
  let personal = new Set(list.words);
  checkers.setPersonalWords(list.words);
  const ignored = new Set();

  function use(next) {
    list = next;
    personal = new Set(list.words);
    checkers.setPersonalWords(list.words);
  }

  // Takes in what other providers or processes wrote to the file since this one last read it.
  // Answers the list; a damaged file throws and leaves the words known before in use.
  function refreshList() {
    if (store.stamp() !== list.stamp) use(store.read());
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

  function checkOpen() {
    if (checkers.closed) throw new Error(`${name}: the provider is closed`);
  }

  function accepts(word) {
    return personal.has(word) || ignored.has(word) || checkers.accepts(word);
  }

  const slicer = createSlicer({
    sliceMilliseconds: settings.sliceMilliseconds,
    begin: refreshQuietly,
    isMisspelled: (word) => !accepts(word),
    isOpen: () => !checkers.closed,
    ...(now && {now}),
    ...(schedule && {schedule}),
  });

  function isMisspelled(word) {
    if (typeof word !== 'string') throw new TypeError(`${name}: the word must be a string`);
    if (checkers.closed) return false;
    refreshQuietly();
    return !accepts(word);
  }

  function suggest(word) {
    if (typeof word !== 'string') throw new TypeError(`${name}: the word must be a string`);
    if (checkers.closed) return [];
    refreshQuietly();
    if (personal.has(word) || ignored.has(word)) return [];
    const lists = checkers.corrections(word);
    if (lists === null) return [];
    // Each language's first suggestion, then each one's second, and so on.
    const seen = new Set();
    const longest = Math.max(0, ...lists.map((entries) => entries.length));
    for (let rank = 0; rank < longest; ++rank) {
      for (const entries of lists) {
        if (rank < entries.length) seen.add(entries[rank]);
      }
    }
    return [...seen];
  }

  function changeList(changeWords) {
    checkOpen();
    use(store.change(changeWords));
  }

  return {
    get languages() {
      return checkers.languages;
    },
    missing: checkers.missing,
    spellCheck: slicer.submit,
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
      checkOpen();
      return [...refreshList()];
    },
    ignore(word) {
      if (typeof word !== 'string') throw new TypeError(`${name}: the word must be a string`);
      checkOpen();
      ignored.add(word);
    },
    // Batches still waiting get the misspelled words found so far, in their next slice.
    close() {
      checkers.close();
    },
  };
}

function createSpellCheckProvider(options) {
  return createProvider(options);
}

module.exports = {
  createSpellCheckProvider,
  createProvider,
  readOptions
};
