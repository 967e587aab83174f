// The ES module entry. Node cannot see the names of a CommonJS module whose exports come from a
// native module, so they are named here. Outside a page context they are undefined, as the
// CommonJS exports are absent there.
import native from './index.js';

export const {Spellchecker, openAs, openProperties} = native;
export default native;
