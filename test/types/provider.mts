// The provider's ES module entry: the named import and the default export, the CommonJS exports.
import providerEntry, {createSpellCheckProvider, type SpellCheckProviderOptions}
    from 'native-spellchecker/provider';

const options : SpellCheckProviderOptions = {languages: ['en-US']};
const provider = createSpellCheckProvider(options);
const same : typeof createSpellCheckProvider = providerEntry.createSpellCheckProvider;
const suggestions : string[] = provider.suggest('helo');
const missing : readonly string[] = provider.missing;
export {same, suggestions, missing};

// @ts-expect-error The entry has no such export.
import {Spellchecker} from 'native-spellchecker/provider';
export {Spellchecker};
