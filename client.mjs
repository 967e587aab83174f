// The ES module entry of the client: its one name, and the CommonJS exports as the default.
import client from './client.js';

export const {createSpellCheckClient} = client;
export default client;
