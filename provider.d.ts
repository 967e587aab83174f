/**
 * A spell-check provider for Electron's `webFrame.setSpellCheckProvider`, made of `Spellchecker`
 * instances: several languages at once, a personal word list kept in a file, and words ignored
 * for the session. Like the main entry, it needs a page context (a global `navigator`).
 */

/** Options of {@link createSpellCheckProvider}. Any other property is a `TypeError`. */
export interface SpellCheckProviderOptions {
  /**
   * Language tags in order of preference ("en-US"; "en_US" names the same language). A word is
   * misspelled only when every language rejects it.
   */
  languages: readonly string[];
  /**
   * A directory of Hunspell dictionaries, `<tag>.aff` and `<tag>.dic` with "-" in the tag read
   * as "_", used for every language. Without it each language uses the operating system's
   * service when the service has that language, else Hunspell reading the current directory.
   */
  dictionaries?: string;
  /**
   * A file holding the personal word list, UTF-8, one word a line. It need not exist yet: the
   * first `add` creates it (its directory must exist). Without it the list lasts for the
   * provider's lifetime only. Any number of providers, in any number of processes, may share
   * one file: each change is made under a lock (`<file>.lock`, a directory beside the file's
   * final target), so none is lost.
   */
  personalWordList?: string;
  /**
   * How long `spellCheck` works before it gives the page its turn, in milliseconds; default 4.
   * A slice always checks at least one word.
   */
  sliceMilliseconds?: number;
}

/** A language of a provider and the backend checking it. */
export interface SpellCheckProviderLanguage {
  /** The tag, spelled with "-". */
  readonly language: string;
  readonly backend: 'system'|'hunspell';
}

/**
 * Checks words in every language of the provider. Methods need not be called on the object:
 * each one may be passed on alone. Each call first reads the personal word list's file again
 * when it has changed since the provider last read it (another provider or process wrote it);
 * when it is damaged then, checking goes on with the words read before.
 */
export interface SpellCheckProvider {
  /**
   * The languages that have a dictionary, in the order given, each with its backend; empty once
   * closed.
   */
  readonly languages: SpellCheckProviderLanguage[];

  /**
   * The languages given that have no dictionary (tags spelled with "-"), in the order given;
   * empty when every language loaded. The provider checks with the others.
   */
  readonly missing: readonly string[];

  /**
   * The method `webFrame.setSpellCheckProvider` calls. Checks the words in slices of
   * `sliceMilliseconds`, the first one at once and each later one from `setImmediate`, so a
   * large batch holds the page for one slice at a time, however long it is: the array is not
   * copied but read as the slices go, so it must stay as it is until `callback` is called
   * (webFrame gives each request an array of its own). Batches are served one after another.
   * Calls `callback` once, with the misspelled words in their order (after `close`, with those
   * found before it).
   *
   * An element that is not a string answers its batch with `[]` and is reported as a
   * `TypeError` through `process.emitWarning` (it is met only when its turn comes).
   *
   * @throws TypeError when `words` is not an array or `callback` not a function.
   */
  spellCheck(words: readonly string[], callback: (misspelledWords: string[]) => void): void;

  /**
   * True when every language rejects the word and it is neither in the personal list nor
   * ignored; false once closed.
   *
   * @throws TypeError when the word is not a string.
   */
  isMisspelled(word: string): boolean;

  /**
   * Corrections for a misspelled word from every language: each language's first, then each
   * one's second, and so on, each suggestion once. Empty when the word is not misspelled, and
   * once closed.
   *
   * @throws TypeError when the word is not a string.
   */
  suggest(word: string): string[];

  /**
   * Adds the word to the personal list, accepted by every language from now on, and writes the
   * list's file. Under the file's lock, the file is read afresh, so that the changes of other
   * providers and processes are kept, and replaced in one step (a temporary file
   * `<file>.<16 hex digits>.tmp` beside it, then a rename; leftovers of a killed writer are
   * removed). A symlink is written through to its target. The file keeps its mode, its owner
   * where the process may set it, its byte order mark and its line ends ("\r\n" when its first
   * line ends so). The call waits for another writer's lock, and takes over a lock whose holder
   * died once it is 10 s old. Hunspell languages also accept the word's capitalised forms and
   * suggest it; the system service is not told of it (it would keep the word for good), so
   * there the word is accepted as written.
   *
   * @throws TypeError when the word is not a string; RangeError when it cannot be one line of
   *   the file (empty, a line break, a NUL or a lone surrogate); Error with `code`
   *   "ERR_SPELLCHECKER_WORD_LIST" and `path` when the file is damaged, unreadable, not
   *   writable by this process (even when its folder would allow replacing it), or cannot be
   *   locked or written, and then the file is left as it is; Error once closed.
   */
  add(word: string): void;

  /**
   * Removes the word from the personal list and its file, as `add` adds it. Afterwards every
   * verdict and suggestion is what a provider that never had the word gives: Hunspell can only
   * forbid a word at run time, so each Hunspell dictionary is loaded again (in every provider
   * on the file, at its next call) and given the remaining words.
   *
   * @throws As `add` does.
   */
  remove(word: string): void;

  /**
   * The personal list, in the order the words were added, as the file holds it now.
   *
   * @throws Error with `code` "ERR_SPELLCHECKER_WORD_LIST" and `path` when the file is damaged
   *   or unreadable; Error once closed.
   */
  words(): string[];

  /**
   * Accepts the word, exactly as written, until the provider is dropped; never written anywhere.
   *
   * @throws TypeError when the word is not a string; Error once closed.
   */
  ignore(word: string): void;

  /**
   * Drops the provider's checkers, so that their dictionaries can be collected. Afterwards
   * `spellCheck` finds nothing misspelled, and the personal list methods and `ignore` throw.
   */
  close(): void;
}

/**
 * Loads a dictionary for each language that has one (see `missing`) and reads the personal word
 * list.
 *
 * Constructing the checkers leaves the process environment variable
 * `SPELLCHECKER_PREFER_HUNSPELL` as it was.
 *
 * A damaged list file is one that is not valid UTF-8 or holds a NUL byte. Lines end with "\n" or
 * "\r\n"; empty lines and a byte order mark are skipped.
 *
 * @throws TypeError for options of the wrong shape; Error, when no language has a dictionary,
 *   naming each and where it was looked for; Error with `code` "ERR_SPELLCHECKER_WORD_LIST" and
 *   `path` when the list's file is damaged or unreadable (nothing is written to it); Error when
 *   the module was loaded outside a page context.
 */
export declare function createSpellCheckProvider(options: SpellCheckProviderOptions):
    SpellCheckProvider;

/**
 * A port a host serves: Electron's `MessagePortMain` (an EventEmitter) or Node.js's
 * `MessagePort` from `node:worker_threads` (an EventTarget); the client's port type.
 */
export type SpellCheckHostPort = import('./client.js').SpellCheckClientPort;

/**
 * One provider serving any number of pages, each through a client of
 * `native-spellchecker/client` on the other end of a port. The provider runs on a worker thread
 * of its own, so dictionary loads, checks and suggestions hold neither the pages nor the thread
 * that serves (in Electron's main process, the one that draws every window).
 */
export interface SpellCheckHost {
  /**
   * The provider's languages, and the tags that had no dictionary, once it has loaded; rejects
   * with the error the provider threw (then every request is answered with that error, and
   * checks find nothing), or when the host is closed first.
   */
  readonly ready: Promise<{
    readonly languages: SpellCheckProviderLanguage[];
    readonly missing: readonly string[];
  }>;

  /** How many ports the host serves now. */
  readonly connections: number;

  /**
   * Serves the requests that come on the port, until its other end closes or the host closes.
   * Requests may come before `ready`; they wait for the provider. Starts the port.
   *
   * @throws TypeError when `port` is not a port; Error once closed.
   */
  serve(port: SpellCheckHostPort): void;

  /**
   * Closes every port (each client then answers what it waits for) and stops the provider's
   * thread; resolves once it has stopped.
   */
  close(): Promise<void>;
}

/**
 * Starts a host: a worker thread that makes the provider with these options, as
 * `createSpellCheckProvider` does (its errors come through `ready`). For Electron's main process
 * or a `utilityProcess`; the worker gives itself the page context the native module needs.
 *
 * @throws When an option cannot be copied to a worker thread (a function, say).
 */
export declare function createSpellCheckHost(options: SpellCheckProviderOptions): SpellCheckHost;
