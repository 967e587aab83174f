'use strict';
// Checks a text with the system spell checker and with Hunspell on Debian's en_US dictionary,
// and prints each misspelled word with its suggestions.
// Usage: node demo/demo.js [TEXT...]   (scripts/demo.sh sets up and builds first)

// The module exports its class only in a page context, which it recognises by a global
// `navigator` (Electron pages have one; the application's main process does not). Plain Node.js
// before 21 has none either, so this stands in for the page before the module is loaded.
if (!('navigator' in globalThis)) globalThis.navigator = {};

const {Spellchecker} = require('..');

const defaultText = 'Teh quick brown fox jumpd over the lazzy dog, and recieved a speling lesson.';
const text = process.argv.slice(2).join(' ') || defaultText;
const language = 'en-US';
const hunspellDirectory = '/usr/share/hunspell';
const maxSuggestions = 6;

// Letters, with apostrophes inside a word (don't, o'clock).
const words = [...new Set(text.match(/\p{L}+(?:['\u2019]\p{L}+)*/gu) ?? [])];

function report(title, checker, loaded) {
  console.log(`\n${title}`);
  if (!loaded) {
    console.log(`  no ${language} dictionary available`);
    return;
  }
  const misspelled = words.filter((word) => checker.isMisspelled(word));
  if (misspelled.length === 0) {
    console.log('  no misspelled words');
    return;
  }
  for (const word of misspelled) {
    const suggestions = checker.getCorrectionsForMisspelling(word).slice(0, maxSuggestions);
    console.log(`  ${word} -> ${suggestions.length ? suggestions.join(', ') : '(no suggestions)'}`);
  }
}

console.log(`Text: ${text}`);

// No argument: the operating system's service (Enchant on Linux) when it is usable.
const system = new Spellchecker();
const systemLoaded = system.setDictionary(language);
if (system.isHunspell()) {
  console.log('\nThe system spell checker is not available here; Hunspell stands in for it.');
} else {
  const available = system.getAvailableDictionaries();
  report(
      `System spell checker (${language}; it offers ${available.join(', ') || 'nothing'})`, system,
      systemLoaded);
}

// Any argument: Hunspell, with dictionaries read from a directory.
const hunspell = new Spellchecker(true);
report(
    `Hunspell (${language} from ${hunspellDirectory})`, hunspell,
    hunspell.setDictionary(language, hunspellDirectory));
