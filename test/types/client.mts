// The client's ES module entry: the named import and the default export, the CommonJS exports.
import clientEntry, {createSpellCheckClient, type SpellCheckClientPort}
    from 'native-spellchecker/client';
import {createSpellCheckHost, type SpellCheckHost} from 'native-spellchecker/provider';

const port : SpellCheckClientPort = new MessageChannel().port2;
const client = createSpellCheckClient(port);
const same : typeof createSpellCheckClient = clientEntry.createSpellCheckClient;
const suggestions : Promise<string[]> = client.suggest('helo');
const host : SpellCheckHost = createSpellCheckHost({languages: ['de-DE']});
export {same, suggestions, host};

// @ts-expect-error The client entry has no provider.
import {createSpellCheckProvider} from 'native-spellchecker/client';
export {createSpellCheckProvider};
