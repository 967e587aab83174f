// Declarations of the client's ES module entry, client.mjs: the same names as the CommonJS one.
import * as client from './client.js';

export {createSpellCheckClient} from './client.js';
export type {SpellCheckClient, SpellCheckClientPort} from './client.js';

/** The CommonJS exports object, as `require('native-spellchecker/client')` returns it. */
declare const exports: typeof client;
export default exports;
