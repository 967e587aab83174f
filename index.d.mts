// Declarations of the ES module entry, index.mjs: the same names as the CommonJS entry.
import * as native from './index.js';

export {Spellchecker, openAs, openProperties} from './index.js';

/** The CommonJS exports object, as `require('native-spellchecker')` returns it. */
declare const exports: typeof native;
export default exports;
