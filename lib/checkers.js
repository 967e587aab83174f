'use strict';
// The set of checkers, one a language: which backend serves each, the languages that have no
// dictionary, and the personal words that Hunspell checkers are given.

const name = 'native-spellchecker/provider';
const preferHunspell = 'SPELLCHECKER_PREFER_HUNSPELL';

// The system service spells tags with "-", Hunspell's files with "_"; both read either.
const sameTag = (tag) => tag.replaceAll('_', '-');

// Constructs a Spellchecker without changing the app's SPELLCHECKER_PREFER_HUNSPELL, which every
// construction sets or removes for good. `hunspell` asks for Hunspell; else the system service
// where it is usable.
function nativeConstruct(hunspell) {
  const {Spellchecker} = require('../index.js');
  const had = Object.hasOwn(process.env, preferHunspell);
  const value = process.env[preferHunspell];
  try {
    return hunspell ? new Spellchecker(true) : new Spellchecker();
  } finally {
    if (had) {
      process.env[preferHunspell] = value;
    } else {
      delete process.env[preferHunspell];
    }
  }
}

/**
 * One checker a language: Hunspell from `dictionaries` when it is given; else the system service
 * where it has the language, and Hunspell from the current directory where it does not.
 * `construct(hunspell)` makes a checker (a Spellchecker or anything with its methods).
 * Throws only when no language has a dictionary.
 */
function createCheckers({languages, dictionaries, construct = nativeConstruct}) {
  // Where Hunspell looks: the current directory is taken now, so a reload reads the same files.
  const directory = dictionaries ?? process.cwd();
  let entries = [];
  const missing = [];
  let systemTags = null;
  let spare = null;  // a plain construction not used yet

  function loadHunspell(language) {
    const checker = construct(true);
    return checker.setDictionary(language, directory) ? checker : null;
  }

  for (const language of languages) {
    let checker = null;
    if (dictionaries === undefined) {
      if (systemTags === null) {
        spare = construct(false);
        systemTags = spare.isHunspell() ? [] : spare.getAvailableDictionaries().map(sameTag);
      }
      if (systemTags.includes(language)) {
        checker = spare ?? construct(false);
        spare = null;
        // The service may be taken by another thread by now, or refuse the tag after all.
        if (checker.isHunspell() || !checker.setDictionary(language)) checker = null;
      }
    }
    checker ??= loadHunspell(language);
    if (checker === null) {
      missing.push(language);
    } else {
      entries.push({language, checker, hunspell: checker.isHunspell()});
    }
  }
  if (entries.length === 0) {
    const files = missing.map((tag) => tag.replaceAll('-', '_')).join(', ');
    const where = dictionaries === undefined ?
        `the system service does not offer it, and Hunspell found no .aff and .dic for ` +
            `${files} in the current directory (${directory})` :
        `Hunspell found no .aff and .dic for ${files} in ${dictionaries}`;
    throw new Error(`${name}: no dictionary for ${missing.join(', ')}: ${where}`);
  }

  // The personal words each Hunspell checker holds, in the order given.
  let personal = [];

  // Hunspell learns the personal words too, so that they are suggested and accepted in the
  // dictionary's capitalised forms. The system service is not told: it would keep them in the
  // user's own list for good, and it cannot forget them again.
  //
  // Hunspell cannot forget a word either: its run-time remove marks the word forbidden, which
  // rejects a dictionary word outright and drops it from suggestions. So a removal reloads each
  // Hunspell dictionary and gives it the remaining words, which leaves it exactly as a checker
  // that never had the word; a reload that fails (its files gone) keeps the old checker.
  function setPersonalWords(words) {
    if (entries === null) return;
    const next = new Set(words);
    const removed = personal.some((word) => !next.has(word));
    const kept = new Set(personal);
    entries = entries.map((entry) => {
      if (!entry.hunspell) return entry;
      let {checker} = entry;
      let fresh = false;
      if (removed) {
        const reloaded = loadHunspell(entry.language);
        if (reloaded !== null) {
          checker = reloaded;
          fresh = true;
        } else {
          for (const word of personal) {
            if (!next.has(word)) checker.remove(word);
          }
        }
      }
      for (const word of next) {
        if (fresh || !kept.has(word)) checker.add(word);
      }
      return {...entry, checker};
    });
    personal = [...next];
  }

  return {
    get languages() {
      return (entries ?? [])
          .map(({language, hunspell}) => ({language, backend: hunspell ? 'hunspell' : 'system'}));
    },
    missing: Object.freeze(missing.slice()),
    get closed() {
      return entries === null;
    },
    setPersonalWords,
    // True when some language accepts the word.
    accepts(word) {
      return entries !== null && entries.some(({checker}) => !checker.isMisspelled(word));
    },
    // Every language's corrections, or null when some language accepts the word.
    corrections(word) {
      const lists = [];
      for (const {checker} of entries ?? []) {
        if (!checker.isMisspelled(word)) return null;
        lists.push(checker.getCorrectionsForMisspelling(word));
      }
      return lists;
    },
    close() {
      entries = null;
    },
  };
}

module.exports = {
  createCheckers,
  nativeConstruct,
  sameTag
};
