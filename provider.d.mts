// Declarations of the provider's ES module entry, provider.mjs: the same names as the CommonJS one.
import * as provider from './provider.js';

export {createSpellCheckHost, createSpellCheckProvider} from './provider.js';
export type {
  SpellCheckHost,
  SpellCheckHostPort,
  SpellCheckProvider,
  SpellCheckProviderLanguage,
  SpellCheckProviderOptions,
} from './provider.js';

/** The CommonJS exports object, as `require('native-spellchecker/provider')` returns it. */
declare const exports: typeof provider;
export default exports;
