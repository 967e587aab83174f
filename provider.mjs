// The ES module entry of the provider: its one name, and the CommonJS exports as the default.
import provider from './provider.js';

export const {createSpellCheckProvider} = provider;
export default provider;
