/**
 * Spell checking and shell dialogs for Electron pages.
 *
 * The exports below exist only when the module is loaded in a page context, that is, when the
 * global object has a `navigator` property (own or inherited). Loaded anywhere else, the module
 * exports nothing. Every call is synchronous and runs on the calling script thread.
 */

/**
 * Checks spelling with one backend, chosen when the instance is constructed: the operating
 * system's spell-checking service, or Hunspell dictionaries read from a directory.
 *
 * Backends report failure through their answers (false, or an empty array); only wrong use
 * throws. A method that needs an argument and gets none throws an `Error` "Bad argument.";
 * string arguments are never coerced, so a value that is not a string throws as well.
 */
export declare class Spellchecker {
  /**
   * Chooses the backend. With no argument, the operating system's service is used when it is
   * usable, Hunspell otherwise. With any argument at all (its value is not looked at,
   * `undefined` included), Hunspell is used.
   *
   * Construction sets the process environment variable `SPELLCHECKER_PREFER_HUNSPELL` to
   * "true" (an argument given) or removes it (none given), and the change stays in force.
   *
   * The operating system's service is started on the thread of the first instance that uses it
   * and serves that thread alone: while an instance on one thread (the page, or a worker) uses
   * the service, a plain construction on another thread gets Hunspell.
   *
   * @throws TypeError "Class constructors cannot be invoked without 'new'" when called as a
   *   function.
   */
  constructor(preferHunspell?: unknown);

  /** True when this instance uses Hunspell, false when it uses the operating system's service. */
  isHunspell(): boolean;

  /**
   * True when the dictionary in use rejects the word; false when it accepts it or when no
   * dictionary is in use.
   */
  isMisspelled(word: string): boolean;

  /**
   * Makes the language's dictionary the one in use, dropping the previous one first, so after
   * a failure none is in use.
   *
   * @param language A language tag such as "en-US" ("en_US" is accepted as well).
   * @param directory Hunspell only: the directory holding `<tag>.aff` and `<tag>.dic`, with
   *   "-" in the tag read as "_". Defaults to "." (the process's current directory).
   * @returns True when the dictionary is now in use.
   */
  setDictionary(language: string, directory?: string): boolean;

  /**
   * Accepts the word from now on. Hunspell keeps it for this instance only; the operating
   * system's service may keep it in the user's own dictionary. Does nothing without a
   * dictionary.
   */
  add(word: string): void;

  /**
   * Hunspell: rejects a word added at run time again. The operating system's service does
   * nothing here.
   */
  remove(word: string): void;

  /**
   * The language tags the operating system's service supports. Hunspell backends always answer
   * an empty array. The directory is read only when two or more arguments are passed, and no
   * backend looks at it.
   */
  getAvailableDictionaries(directory?: string, ...ignored: unknown[]): string[];

  /**
   * Suggested corrections, in the backend's order; empty when there are none or no dictionary
   * is in use.
   */
  getCorrectionsForMisspelling(word: string): string[];
}

/**
 * Shows the shell's "open with" dialog for a file.
 *
 * @param path The file's path.
 */
export declare function openAs(path: string): void;

/**
 * Shows the shell's properties sheet for a file.
 *
 * @param path The file's path.
 */
export declare function openProperties(path: string): void;
