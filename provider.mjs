// The ES module entry of the provider: its names, and the CommonJS exports as the default.
import provider from './provider.js';

export const {createSpellCheckProvider, createSpellCheckHost} = provider;
export default provider;
