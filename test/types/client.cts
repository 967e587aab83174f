// The client's CommonJS entry over a DOM MessagePort, as a sandboxed preload uses it, and the
// host's entry over Electron's port shape (MessagePortMain, an EventEmitter).
import clientEntry = require('native-spellchecker/client');
import providerEntry = require('native-spellchecker/provider');

const {createSpellCheckClient} = clientEntry;
const {createSpellCheckHost} = providerEntry;

// The preload's port, as ipcRenderer hands it over in event.ports[0].
const {port1, port2} = new MessageChannel();
const client : clientEntry.SpellCheckClient = createSpellCheckClient(port2);
const {spellCheck} = client;
const checked : void = spellCheck(['helo'], (misspelled : string[]) => misspelled.length);
const misspelled : Promise<boolean> = client.isMisspelled('helo');
const suggestions : Promise<string[]> = client.suggest('helo');
const added : Promise<void> = client.add('frobnicatrix');
const removed : Promise<void> = client.remove('frobnicatrix');
const listed : Promise<string[]> = client.words();
const ignored : Promise<void> = client.ignore('helo');
const connected : boolean = client.connected;
const reconnected : void = client.connect(port1);
const closed : void = client.close();
export {checked, misspelled, suggestions, added, removed, listed, ignored, connected, reconnected,
        closed};

// Electron's MessagePortMain, as its declarations give it.
declare class MessagePortMain {
  postMessage(message: any, transfer?: MessagePortMain[]): void;
  start(): void;
  close(): void;
  on(event: 'close', listener: Function): this;
  on(event: 'message', listener: (messageEvent: {data: any, ports: MessagePortMain[]}) => void):
      this;
  removeListener(event: 'close', listener: Function): this;
  removeListener(event: 'message',
                 listener: (messageEvent: {data: any, ports: MessagePortMain[]}) => void): this;
}
const host : providerEntry.SpellCheckHost =
    createSpellCheckHost({languages: ['en-US'], personalWordList: '/tmp/words.txt'});
host.serve(new MessagePortMain());
// A client in the main process, for its context menu.
createSpellCheckClient(new MessagePortMain());
host.serve(new MessageChannel().port1);
const languages : Promise<providerEntry.SpellCheckProviderLanguage[]> =
    host.ready.then((loaded) => loaded.languages);
const missing : Promise<readonly string[]> = host.ready.then((loaded) => loaded.missing);
const served : number = host.connections;
const stopped : Promise<void> = host.close();
export {languages, missing, served, stopped};

// @ts-expect-error The client takes a port, not a window.
createSpellCheckClient({postMessage() {}});
// @ts-expect-error Words are strings.
client.add(5);
// @ts-expect-error The callback is required.
client.spellCheck(['helo']);
// @ts-expect-error The host takes the provider's options.
createSpellCheckHost({languages: ['en-US'], sliceMs: 2});
// @ts-expect-error The connection count is read-only.
host.connections = 2;
