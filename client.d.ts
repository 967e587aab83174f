/**
 * A spell-check provider for a page whose preload is sandboxed: the shape of
 * `native-spellchecker/provider`'s provider, answered by a host (`createSpellCheckHost` of
 * `native-spellchecker/provider`, in the main process or a `utilityProcess`) over a message port.
 * Plain JavaScript with no Node.js built-in and no native module, for a preload's bundle.
 */

/**
 * The port a client talks over: a DOM `MessagePort`, as a preload receives it from
 * `ipcRenderer` (`event.ports[0]`), or Node.js's `MessagePort` (both EventTargets); or
 * Electron's `MessagePortMain` (an EventEmitter), for a client in the main process.
 */
export type SpellCheckClientPort = {
  postMessage(message: unknown): void;
  start(): void;
  close(): void;
  addEventListener(type: 'message', listener: (event: {data: unknown}) => void): void;
  addEventListener(type: 'close', listener: () => void): void;
  removeEventListener(type: 'message', listener: (event: {data: unknown}) => void): void;
  removeEventListener(type: 'close', listener: () => void): void;
}|{
  postMessage(message: unknown): void;
  start(): void;
  close(): void;
  on(event: 'message', listener: (event: {data: unknown}) => void): unknown;
  on(event: 'close', listener: () => void): unknown;
  removeListener(event: 'message', listener: (event: {data: unknown}) => void): unknown;
  removeListener(event: 'close', listener: () => void): unknown;
};

/**
 * The provider's methods over a port. Methods need not be called on the object. Every request
 * waiting when the port closes (the host closed it, or its process died), when `connect` gives
 * another port, or when the client closes, is answered then: a `spellCheck` callback with no
 * misspelled words, a promise rejected with an Error whose `code` is
 * "ERR_SPELLCHECKER_DISCONNECTED". So each `spellCheck` callback is called exactly once.
 */
export interface SpellCheckClient {
  /**
   * True while the client has a port and the port has not reported its other end closed. A
   * port whose other end dies without saying so stays connected until `connect` or `close`.
   */
  readonly connected: boolean;

  /**
   * The method `webFrame.setSpellCheckProvider` calls: the host checks the words, and `callback`
   * gets the misspelled ones, except those this page ignores. Without a connection it gets none,
   * at once.
   *
   * @throws TypeError when `words` is not an array of strings or `callback` not a function.
   */
  spellCheck(words: readonly string[], callback: (misspelledWords: string[]) => void): void;

  /**
   * As the provider's `isMisspelled`; false for a word this page ignores, and once closed.
   *
   * @throws TypeError when the word is not a string.
   */
  isMisspelled(word: string): Promise<boolean>;

  /**
   * As the provider's `suggest`; empty for a word this page ignores, and once closed.
   *
   * @throws TypeError when the word is not a string.
   */
  suggest(word: string): Promise<string[]>;

  /**
   * Adds the word to the host's personal list, which every page served by that host accepts at
   * its next check. Rejects with the provider's errors (RangeError for a word that cannot be a
   * line of the list; Error with `code` "ERR_SPELLCHECKER_WORD_LIST" and `path` for the file).
   *
   * @throws TypeError when the word is not a string.
   */
  add(word: string): Promise<void>;

  /**
   * Removes the word from the host's personal list, as `add` adds it.
   *
   * @throws TypeError when the word is not a string.
   */
  remove(word: string): Promise<void>;

  /** The host's personal list, as the provider's `words` answers it. */
  words(): Promise<string[]>;

  /**
   * Accepts the word, exactly as written, in this page only, until the client is dropped; it is
   * kept across `connect`. Rejects once closed.
   *
   * @throws TypeError when the word is not a string.
   */
  ignore(word: string): Promise<void>;

  /**
   * Goes on with another port, as one to a host started again after the last one died. Every
   * request waiting on the old port is answered as when a port closes, and the old port is
   * closed; requests are not sent again.
   *
   * @throws TypeError when `port` is not a port; Error once closed.
   */
  connect(port: SpellCheckClientPort): void;

  /**
   * Answers what waits and closes the port. Afterwards `spellCheck` finds nothing misspelled,
   * `isMisspelled` answers false, `suggest` nothing, and the list methods and `ignore` reject.
   */
  close(): void;
}

/**
 * Makes a client on the port and starts the port.
 *
 * @throws TypeError when `port` is not a port.
 */
export declare function createSpellCheckClient(port: SpellCheckClientPort): SpellCheckClient;
