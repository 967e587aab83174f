// The CommonJS entry: every member used as documented, and the misuse the module throws at.
import spellchecker = require('native-spellchecker');

const {Spellchecker, openAs, openProperties} = spellchecker;

const system : spellchecker.Spellchecker = new Spellchecker();
const hunspell = new Spellchecker(true);
// Any argument, undefined included, asks for Hunspell.
new Spellchecker(undefined);

const isHunspell : boolean = hunspell.isHunspell();
const loaded : boolean = hunspell.setDictionary('en-US', '/usr/share/hunspell');
const loadedHere : boolean = system.setDictionary('en-US');
const misspelled : boolean = hunspell.isMisspelled('helo');
const corrections : string[] = hunspell.getCorrectionsForMisspelling('helo');
const tags : string[] = system.getAvailableDictionaries();
const tagsToo : string[] = system.getAvailableDictionaries('.', 'ignored');
const added : void = hunspell.add('qwzx');
const removed : void = hunspell.remove('qwzx');
const shown : void = openAs('/tmp/file.txt');
const sheet : void = openProperties('/tmp/file.txt');
export {isHunspell, loaded, loadedHere, misspelled, corrections, tags,
        tagsToo,    added,  removed,    shown,      sheet};

// @ts-expect-error A class constructor needs new.
Spellchecker();
// @ts-expect-error A present second argument is read as the directory, so undefined throws.
hunspell.setDictionary('en-US', undefined);
// @ts-expect-error The language is required ("Bad argument.").
hunspell.setDictionary();
// @ts-expect-error Strings are never coerced.
hunspell.setDictionary('en-US', 5);
// @ts-expect-error The word is required ("Bad argument.").
hunspell.isMisspelled();
// @ts-expect-error An explicit undefined is an argument, and not a string.
hunspell.isMisspelled(undefined);
// @ts-expect-error Strings are never coerced.
hunspell.isMisspelled(5);
// @ts-expect-error The word is required.
hunspell.add();
// @ts-expect-error The word is required.
hunspell.remove();
// @ts-expect-error The word is required.
hunspell.getCorrectionsForMisspelling();
// @ts-expect-error With two or more arguments the first is read as a string.
system.getAvailableDictionaries(undefined, 'ignored');
// @ts-expect-error The answer is an array of strings.
const notNumbers : number[] = hunspell.getCorrectionsForMisspelling('helo');
// @ts-expect-error The path is required.
openAs();
// @ts-expect-error Strings are never coerced.
openProperties(new URL('file:///tmp/file.txt'));
export {notNumbers};
