// The ES module entry: named imports and the default export, the CommonJS exports object.
import native, {Spellchecker, openAs, openProperties } from 'native-spellchecker';

const checker = new Spellchecker(true);
const sameClass : typeof Spellchecker = native.Spellchecker;
const misspelled : boolean = checker.isMisspelled('helo');
const done : void = openAs('/tmp/file.txt');
const sheet : void = openProperties('/tmp/file.txt');
export {sameClass, misspelled, done, sheet};

// @ts-expect-error A present second argument is read as the directory, so undefined throws.
checker.setDictionary('en-US', undefined);
// @ts-expect-error The entry has no such export.
import{spellcheck} from 'native-spellchecker';
export {spellcheck};
