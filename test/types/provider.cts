// The provider's CommonJS entry: every member used as documented, and the misuse it throws at.
import providerEntry = require('native-spellchecker/provider');

const {createSpellCheckProvider} = providerEntry;

const provider : providerEntry.SpellCheckProvider = createSpellCheckProvider({
  languages: ['en-US', 'de-DE'],
  dictionaries: '/usr/share/hunspell',
  personalWordList: '/tmp/words.txt',
  sliceMilliseconds: 2,
});
const systemFirst = createSpellCheckProvider({languages: ['en-US']});
const words : readonly string[] = ['helo', 'hello'];
// The shape webFrame.setSpellCheckProvider calls, the method taken off its object.
const {spellCheck} = provider;
const checked : void = spellCheck(words, (misspelled : string[]) => misspelled.length);
const misspelled : boolean = provider.isMisspelled('helo');
const suggestions : string[] = provider.suggest('helo');
const added : void = provider.add('frobnicatrix');
const removed : void = provider.remove('frobnicatrix');
const listed : string[] = provider.words();
const ignored : void = provider.ignore('helo');
const backend : 'system' | 'hunspell' | undefined = systemFirst.languages[0]?.backend;
const missing : readonly string[] = provider.missing;
const closed : void = provider.close();
export {checked, misspelled, suggestions, added, removed, listed, ignored, backend, missing};
export {closed};

// @ts-expect-error The languages are required.
createSpellCheckProvider({dictionaries: '/usr/share/hunspell'});
// @ts-expect-error The languages are an array of tags.
createSpellCheckProvider({languages: 'en-US'});
// @ts-expect-error Unknown options are refused.
createSpellCheckProvider({languages: ['en-US'], personalWordlist: '/tmp/words.txt'});
// @ts-expect-error Paths are strings.
createSpellCheckProvider({languages: ['en-US'], personalWordList: new URL('file:///tmp/w.txt')});
// @ts-expect-error The callback is required.
provider.spellCheck(words);
// @ts-expect-error Words are strings.
provider.add(5);
// @ts-expect-error The list is read-only from outside.
provider.languages = [];
// @ts-expect-error So are the missing languages.
provider.missing.push('fr-FR');
