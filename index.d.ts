/**
 * Spell checking and shell dialogs for Electron pages.
 *
 * The exports below exist only when the module is loaded in a page context, that is, when the
 * global object has a `navigator` property (own or inherited). Loaded anywhere else, the module
 * exports nothing (and the ES module entry's names are undefined). Every call is synchronous
 * and runs on the calling script thread.
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
   * Uses the operating system's service when it is usable, Hunspell otherwise.
   *
   * Construction removes the process environment variable `SPELLCHECKER_PREFER_HUNSPELL`, and
   * the change stays in force.
   *
   * The operating system's service is started on the thread of the first instance that uses it
   * and serves that thread alone: while an instance on one thread (the page, or a worker) uses
   * the service, a plain construction on another thread gets Hunspell.
   *
   * @throws TypeError "Class constructors cannot be invoked without 'new'" when called as a
   *   function.
   */
  constructor();
  /**
   * Always uses Hunspell: any argument counts, whatever its value (`false` and `undefined`
   * included), since the module counts arguments and never looks at this one.
   *
   * Construction sets the process environment variable `SPELLCHECKER_PREFER_HUNSPELL` to
   * "true", and the change stays in force.
   *
   * @param preferHunspell Not looked at.
   * @throws TypeError "Class constructors cannot be invoked without 'new'" when called as a
   *   function.
   */
  constructor(preferHunspell: unknown);

  /** True when this instance uses Hunspell, false when it uses the operating system's service. */
  isHunspell(): boolean;

  /**
   * True when the dictionary in use rejects the word; false when it accepts it or when no
   * dictionary is in use.
   *
   * @param word The word, without surrounding spaces or punctuation.
   */
  isMisspelled(word: string): boolean;

  /**
   * Makes the language's dictionary the one in use, dropping the previous one first, so after
   * a failure none is in use. Hunspell reads `<tag>.aff` and `<tag>.dic` from the process's
   * current directory.
   *
   * @param language A language tag such as "en-US" ("en_US" is accepted as well).
   * @returns True when the dictionary is now in use.
   */
  setDictionary(language: string): boolean;
  /**
   * Makes the language's dictionary the one in use, dropping the previous one first, so after
   * a failure none is in use.
   *
   * The module counts arguments: a second argument is read as the directory whatever its
   * value, so `undefined` here throws a `TypeError` rather than meaning ".". Leave the argument
   * out instead.
   *
   * @param language A language tag such as "en-US" ("en_US" is accepted as well).
   * @param directory Hunspell only: the directory holding `<tag>.aff` and `<tag>.dic`, with
   *   "-" in the tag read as "_". The system service does not look at it.
   * @returns True when the dictionary is now in use.
   */
  setDictionary(language: string, directory: string): boolean;

  /**
   * Accepts the word from now on. Hunspell keeps it for this instance only; the operating
   * system's service may keep it in the user's own dictionary. Does nothing without a
   * dictionary.
   *
   * @param word The word to accept.
   */
  add(word: string): void;

  /**
   * Hunspell: rejects a word added at run time again. The operating system's service does
   * nothing here.
   *
   * @param word A word given to `add` before.
   */
  remove(word: string): void;

  /**
   * The language tags the operating system's service supports. Hunspell backends always answer
   * an empty array.
   */
  getAvailableDictionaries(): string[];
  /**
   * The language tags the operating system's service supports. Hunspell backends always answer
   * an empty array.
   *
   * @param directory Read (and so required to be a string) only when two or more arguments are
   *   passed; no backend looks at it.
   * @param ignored Not looked at.
   */
  getAvailableDictionaries(directory: string, ...ignored: unknown[]): string[];

  /**
   * Suggested corrections, in the backend's order; empty when there are none or no dictionary
   * is in use.
   *
   * @param word The misspelled word.
   */
  getCorrectionsForMisspelling(word: string): string[];
}

/**
 * Shows the shell's "open with" dialog for a file. Returns nothing, whatever the shell does; on
 * Linux it gives up silently when the desktop does not answer within about 1.5 s.
 *
 * @param path The file's path.
 */
export declare function openAs(path: string): void;

/**
 * Shows the shell's properties sheet for a file. Returns nothing, whatever the shell does; on
 * Linux it gives up silently when the desktop does not answer within about 1.5 s.
 *
 * @param path The file's path.
 */
export declare function openProperties(path: string): void;
